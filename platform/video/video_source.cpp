// Which provider the capture and the enumerator ask for devices.
#include "platform/video/video_source.h"

#include <mutex>

namespace platform {

namespace {

std::mutex g_providerMutex;
std::shared_ptr<VideoSourceProvider> g_provider;

} // namespace

std::shared_ptr<VideoSourceProvider> CurrentVideoSourceProvider() {
    std::lock_guard lock(g_providerMutex);
    if (!g_provider)
        g_provider = CreateV4l2VideoSourceProvider();
    return g_provider;
}

void SetVideoSourceProvider(std::shared_ptr<VideoSourceProvider> provider) {
    std::lock_guard lock(g_providerMutex);
    g_provider = std::move(provider);
}

} // namespace platform
