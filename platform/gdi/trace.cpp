#include <atomic>
#include <mutex>

#include "platform/gdi/trace_log.h"

namespace platform::gdi {

namespace {

std::mutex g_traceLock;
std::vector<GdiCall>* g_trace = nullptr;
std::atomic<bool> g_tracing{false}; // spares untraced drawing the lock

} // namespace

void SetGdiTrace(std::vector<GdiCall>* trace) {
    std::lock_guard<std::mutex> lock(g_traceLock);
    g_trace = trace;
    g_tracing.store(trace != nullptr, std::memory_order_release);
}

void RecordGdiCall(const char* name, HDC dc, std::initializer_list<long> args, const void* bits,
                   const void* info, HWND hwnd) {
    if (!g_tracing.load(std::memory_order_acquire))
        return;
    std::lock_guard<std::mutex> lock(g_traceLock);
    if (g_trace == nullptr)
        return;
    g_trace->push_back(GdiCall{name, dc, std::vector<long>(args), bits, info, hwnd});
}

} // namespace platform::gdi
