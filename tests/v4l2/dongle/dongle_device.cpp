// The dongle's device: what each V4L2 call on its nodes answers, its buffers and the thread
// that fills them at the granted rate.
#include "dongle_device.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>

namespace dongle {

thread_local bool t_holdsLock = false;

namespace {

timeval Monotonic() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return {now.tv_sec, now.tv_nsec / 1000};
}

void Copy(uint8_t (&to)[32], const std::string& from) {
    std::memset(to, 0, sizeof to);
    std::memcpy(to, from.data(), std::min(from.size(), sizeof to - 1));
}

// A frame interval as uvcvideo gives it: the fraction reduced, so 60 fps is 1/60.
v4l2_fract Interval(double fps) {
    uint32_t numerator = 1000, denominator = static_cast<uint32_t>(std::lround(fps * 1000));
    const uint32_t divisor = std::gcd(numerator, denominator);
    return {numerator / divisor, denominator / divisor};
}

std::string Fourcc(uint32_t f) {
    return {char(f), char(f >> 8), char(f >> 16), char(f >> 24)};
}

} // namespace

Device& Device::Get() {
    static Device* device = new Device; // never destroyed: calls may come during exit
    return *device;
}

Device::Device() {
    if (const char* table = std::getenv("VISTREL_DONGLE"))
        ConfigureLocked(table);
}

void Device::ConfigureLocked(const std::string& text) {
    m_table = ParseTable(text);
    m_configured = true;
    m_everStreamed = false;
    m_quietFrom = m_quietUntil = {};
    m_flashNext = false;
    m_flashedMs.clear();
    m_unplugged = false;
    ++m_plugGeneration;
    m_formats.clear();
    for (const SizeEntry& e : m_table.sizes)
        if (std::find(m_formats.begin(), m_formats.end(), e.fourcc) == m_formats.end())
            m_formats.push_back(e.fourcc);
    if (!m_table.sizes.empty()) {
        const SizeEntry& first = m_table.sizes.front();
        m_format = {first.fourcc, first.width, first.height};
        m_fps = first.fps.front();
    }
    if (!m_table.pluggedWhile.empty() && !m_watching) {
        m_watching = true;
        std::thread([this] { WatchPlugFile(); }).detach(); // the device is never destroyed
    }
    Changed();
}

void Device::WatchPlugFile() {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        Lock lock(m_mutex);
        if (m_table.pluggedWhile.empty())
            continue; // a later table without the entry: plugged as the calls say
        const bool present = ::access(m_table.pluggedWhile.c_str(), F_OK) == 0;
        if (present == !m_unplugged)
            continue;
        Record(present ? "replug" : "unplug");
        if (present)
            Replug(lock);
        else
            Unplug();
    }
}

std::optional<Node> Device::NodeOf(const char* path) const {
    if (!m_configured || m_unplugged || !path)
        return std::nullopt;
    if (std::strcmp(path, "/dev/video0") == 0)
        return Node::Capture;
    if (std::strcmp(path, "/dev/video1") == 0)
        return Node::Metadata;
    return std::nullopt;
}

void Device::Record(const std::string& call) {
    if (m_calls.size() < 100000)
        m_calls.push_back(call);
    if (!m_table.logPath.empty()) {
        if (FILE* log = std::fopen(m_table.logPath.c_str(), "ae")) {
            std::fprintf(log, "%s\n", call.c_str());
            std::fclose(log);
        }
    }
}

const SizeEntry* Device::EntryFor(uint32_t fourcc, int width, int height) const {
    for (const SizeEntry& e : m_table.sizes) {
        if (e.fourcc != fourcc)
            continue;
        if (!e.stepwise && e.width == width && e.height == height)
            return &e;
        if (e.stepwise && width >= e.minWidth && width <= e.width && height >= e.minHeight &&
            height <= e.height)
            return &e;
    }
    return nullptr;
}

// As uvcvideo: an unknown format becomes the first one, and the size the nearest offered one
// (the smallest difference of areas, counting the part they share once).
Device::Format Device::Closest(uint32_t fourcc, int width, int height) const {
    if (std::find(m_formats.begin(), m_formats.end(), fourcc) == m_formats.end())
        fourcc = m_formats.front();
    Format best{fourcc, 0, 0};
    long long bestDistance = -1;
    for (const SizeEntry& e : m_table.sizes) {
        if (e.fourcc != fourcc)
            continue;
        int w = e.width, h = e.height;
        if (e.stepwise) {
            w = std::clamp(width, e.minWidth, e.width);
            h = std::clamp(height, e.minHeight, e.height);
            w -= (w - e.minWidth) % std::max(1, e.stepWidth);
            h -= (h - e.minHeight) % std::max(1, e.stepHeight);
        }
        const long long shared = 1LL * std::min(w, width) * std::min(h, height);
        const long long distance = 1LL * w * h + 1LL * width * height - 2 * shared;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = {fourcc, w, h};
        }
    }
    return best;
}

void Device::FillFormat(v4l2_format& f, const Format& format) const {
    std::memset(&f.fmt, 0, sizeof f.fmt);
    v4l2_pix_format& pix = f.fmt.pix;
    pix.pixelformat = format.fourcc;
    pix.width = format.width;
    pix.height = format.height;
    pix.field = V4L2_FIELD_NONE;
    pix.bytesperline = format.fourcc == V4L2_PIX_FMT_YUYV ? format.width * 2 : 0;
    pix.sizeimage = FrameBufferSize(format.width, format.height);
    pix.colorspace = V4L2_COLORSPACE_SRGB;
}

int Device::Ioctl(int fd, unsigned long request, void* arg) {
    std::unique_lock lock(m_mutex);
    ++m_stats.ioctls;
    if (m_table.slowMs > 0) { // a slow device answers late, and lets others call meanwhile
        const auto delay = std::chrono::milliseconds(m_table.slowMs);
        lock.unlock();
        std::this_thread::sleep_for(delay);
        lock.lock();
    }
    auto found = m_handles.find(fd);
    if (found == m_handles.end()) {
        errno = EBADF;
        return -1;
    }
    Handle& handle = found->second;
    if (m_unplugged || handle.plugGeneration != m_plugGeneration) {
        errno = ENODEV;
        return -1;
    }
    if (handle.node == Node::Metadata)
        return MetadataIoctl(request, arg);
    const int result = CaptureIoctl(lock, handle, request, arg);
    Changed();
    if (result > 0) {
        errno = result;
        return -1;
    }
    return 0;
}

int Device::MetadataIoctl(unsigned long request, void* arg) {
    if (request == VIDIOC_QUERYCAP) {
        auto& caps = *static_cast<v4l2_capability*>(arg);
        FillCaps(caps);
        caps.device_caps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_EXT_PIX_FORMAT;
        return 0;
    }
    errno = ENOTTY; // the listing asks its capabilities only
    return -1;
}

void Device::FillCaps(v4l2_capability& caps) const {
    std::memset(&caps, 0, sizeof caps);
    std::strcpy(reinterpret_cast<char*>(caps.driver), "uvcvideo");
    Copy(caps.card, m_table.card);
    std::strcpy(reinterpret_cast<char*>(caps.bus_info), "usb-0000:00:14.0-2");
    caps.version = 0x60100;
    caps.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING |
                        V4L2_CAP_EXT_PIX_FORMAT | V4L2_CAP_DEVICE_CAPS;
}

int Device::CaptureIoctl(Lock& lock, Handle& handle, unsigned long request, void* arg) {
    switch (request) {
    case VIDIOC_QUERYCAP: {
        auto& caps = *static_cast<v4l2_capability*>(arg);
        FillCaps(caps);
        caps.device_caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING | V4L2_CAP_EXT_PIX_FORMAT;
        return 0;
    }
    case VIDIOC_ENUM_FMT: {
        auto& d = *static_cast<v4l2_fmtdesc*>(arg);
        if (d.type != V4L2_BUF_TYPE_VIDEO_CAPTURE || d.index >= m_formats.size())
            return EINVAL;
        d.pixelformat = m_formats[d.index];
        d.flags = d.pixelformat == V4L2_PIX_FMT_MJPEG ? V4L2_FMT_FLAG_COMPRESSED : 0;
        Copy(d.description,
             d.pixelformat == V4L2_PIX_FMT_MJPEG ? "Motion-JPEG" : Fourcc(d.pixelformat));
        return 0;
    }
    case VIDIOC_ENUM_FRAMESIZES: {
        auto& s = *static_cast<v4l2_frmsizeenum*>(arg);
        std::vector<const SizeEntry*> sizes;
        for (const SizeEntry& e : m_table.sizes)
            if (e.fourcc == s.pixel_format)
                sizes.push_back(&e);
        if (s.index >= sizes.size())
            return EINVAL;
        const SizeEntry& e = *sizes[s.index];
        if (e.stepwise) {
            s.type = V4L2_FRMSIZE_TYPE_STEPWISE;
            s.stepwise = {uint32_t(e.minWidth),  uint32_t(e.width),  uint32_t(e.stepWidth),
                          uint32_t(e.minHeight), uint32_t(e.height), uint32_t(e.stepHeight)};
        } else {
            s.type = V4L2_FRMSIZE_TYPE_DISCRETE;
            s.discrete = {uint32_t(e.width), uint32_t(e.height)};
        }
        return 0;
    }
    case VIDIOC_ENUM_FRAMEINTERVALS: {
        auto& i = *static_cast<v4l2_frmivalenum*>(arg);
        const SizeEntry* e = EntryFor(i.pixel_format, i.width, i.height);
        if (!e || i.index >= e->fps.size())
            return EINVAL;
        i.type = V4L2_FRMIVAL_TYPE_DISCRETE;
        i.discrete = Interval(e->fps[i.index]);
        return 0;
    }
    case VIDIOC_S_FMT: {
        auto& f = *static_cast<v4l2_format*>(arg);
        if (f.type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return EINVAL;
        const v4l2_pix_format& pix = f.fmt.pix;
        Record("S_FMT " + Fourcc(pix.pixelformat) + " " + std::to_string(pix.width) + "x" +
               std::to_string(pix.height));
        // uvcvideo: no format change while buffers are allocated, here or by another program
        if (!m_buffers.empty() || m_table.busy)
            return EBUSY;
        m_format = Closest(pix.pixelformat, pix.width, pix.height);
        m_fps = EntryFor(m_format.fourcc, m_format.width, m_format.height)->fps.front();
        FillFormat(f, m_format);
        return 0;
    }
    // What other programs ask as well (FFmpeg's device input): the one input, the format and
    // rate in force.
    case VIDIOC_G_INPUT:
        *static_cast<int*>(arg) = 0;
        return 0;
    case VIDIOC_S_INPUT:
        return *static_cast<int*>(arg) == 0 ? 0 : EINVAL;
    case VIDIOC_ENUMINPUT: {
        auto& input = *static_cast<v4l2_input*>(arg);
        if (input.index != 0)
            return EINVAL;
        std::memset(&input, 0, sizeof input);
        Copy(input.name, "Input 1");
        input.type = V4L2_INPUT_TYPE_CAMERA;
        return 0;
    }
    case VIDIOC_G_FMT: {
        auto& f = *static_cast<v4l2_format*>(arg);
        if (f.type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return EINVAL;
        FillFormat(f, m_format);
        return 0;
    }
    case VIDIOC_G_PARM: {
        auto& p = *static_cast<v4l2_streamparm*>(arg);
        if (p.type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return EINVAL;
        std::memset(&p.parm, 0, sizeof p.parm);
        p.parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
        p.parm.capture.timeperframe = Interval(m_fps);
        return 0;
    }
    case VIDIOC_S_PARM: {
        auto& p = *static_cast<v4l2_streamparm*>(arg);
        if (p.type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
            return EINVAL;
        const v4l2_fract asked = p.parm.capture.timeperframe;
        const double fps = asked.numerator ? double(asked.denominator) / asked.numerator : 0;
        char text[48];
        std::snprintf(text, sizeof text, "S_PARM %g", fps);
        Record(text);
        if (m_streaming)
            return EBUSY;
        const SizeEntry* e = EntryFor(m_format.fourcc, m_format.width, m_format.height);
        if (fps > 0 && e)
            m_fps = *std::min_element(e->fps.begin(), e->fps.end(), [&](double a, double b) {
                return std::abs(a - fps) < std::abs(b - fps);
            });
        std::memset(&p.parm, 0, sizeof p.parm);
        p.parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
        p.parm.capture.timeperframe = Interval(m_fps);
        p.parm.capture.readbuffers = 0;
        return 0;
    }
    case VIDIOC_REQBUFS: {
        auto& r = *static_cast<v4l2_requestbuffers*>(arg);
        Record("REQBUFS " + std::to_string(r.count));
        if (r.type != V4L2_BUF_TYPE_VIDEO_CAPTURE || r.memory != V4L2_MEMORY_MMAP)
            return EINVAL;
        if (m_streaming || m_table.busy)
            return EBUSY;
        FreeBuffers();
        r.count = std::min<uint32_t>(r.count, 32); // UVC_MAX_VIDEO_BUFFERS
        r.capabilities = V4L2_BUF_CAP_SUPPORTS_MMAP;
        const size_t length = FrameBufferSize(m_format.width, m_format.height);
        for (uint32_t i = 0; i < r.count; ++i) {
            Buffer b;
            b.memfd = memfd_create("dongle-buffer", MFD_CLOEXEC);
            if (b.memfd < 0 || ftruncate(b.memfd, length) != 0)
                return ENOMEM;
            b.memory = static_cast<uint8_t*>(
                ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, b.memfd, 0));
            b.length = length;
            m_buffers.push_back(b);
        }
        m_owner = handle.fd;
        return 0;
    }
    case VIDIOC_QUERYBUF:
    case VIDIOC_QBUF:
    case VIDIOC_DQBUF:
        return BufferIoctl(lock, handle, request, *static_cast<v4l2_buffer*>(arg));
    case VIDIOC_STREAMON:
        Record("STREAMON");
        if (m_buffers.empty())
            return EINVAL;
        if (m_table.busy)
            return EBUSY;
        StartStreaming(lock);
        return 0;
    case VIDIOC_STREAMOFF:
        Record("STREAMOFF");
        StopStreaming(lock);
        return 0;
    default: {
        char text[48];
        std::snprintf(text, sizeof text, "unknown ioctl %#lx", request);
        Record(text);
        return ENOTTY;
    }
    }
}

int Device::BufferIoctl(Lock& lock, const Handle& handle, unsigned long request, v4l2_buffer& b) {
    if (b.type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
        return EINVAL;
    if (request == VIDIOC_DQBUF) {
        // A blocking handle waits while the stream runs; our capture opens non-blocking and
        // polls before this.
        const uint64_t generation = handle.plugGeneration;
        if (handle.blocking)
            m_changed.wait(lock, [&] {
                return !m_done.empty() || !m_streaming || generation != m_plugGeneration ||
                       m_unplugged;
            });
        if (m_unplugged || generation != m_plugGeneration)
            return ENODEV;
        if (m_done.empty())
            return m_streaming ? EAGAIN : EINVAL;
        ++m_dequeues;
        if (m_table.eio == Table::Eio::Always ||
            (m_table.eio == Table::Eio::Once && m_dequeues == 3))
            return EIO;
        b = m_buffers[m_done.front()].info;
        m_done.pop_front();
        m_buffers[b.index].info.flags &= ~V4L2_BUF_FLAG_DONE;
        return 0;
    }
    if (b.index >= m_buffers.size())
        return EINVAL;
    Buffer& buffer = m_buffers[b.index];
    if (request == VIDIOC_QBUF) {
        if (std::find(m_queued.begin(), m_queued.end(), b.index) != m_queued.end())
            return EINVAL;
        m_queued.push_back(b.index);
    }
    v4l2_buffer& info = buffer.info;
    info.index = b.index;
    info.type = b.type;
    info.memory = V4L2_MEMORY_MMAP;
    info.length = buffer.length;
    info.m.offset = b.index * kOffsetStep;
    info.field = V4L2_FIELD_NONE;
    info.flags = V4L2_BUF_FLAG_MAPPED | V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC |
                 V4L2_BUF_FLAG_TSTAMP_SRC_SOE | (request == VIDIOC_QBUF ? V4L2_BUF_FLAG_QUEUED : 0);
    b = info;
    return 0;
}

void Device::StartStreaming(Lock& lock) {
    if (m_streaming)
        return;
    const Format format = m_format;
    const Content content = m_table.content;
    const std::string cacheDir = m_table.cacheDir;
    // The pictures at the granted size, and at half of it for frames of the wrong size.
    for (int d : {1, 2}) {
        const auto key =
            std::make_tuple(format.fourcc, format.width / d, format.height / d, content);
        if (m_pictures.count(key))
            continue;
        // Encoding takes a while: unlocked.
        lock.unlock();
        auto pictures =
            StreamPictures(format.fourcc, format.width / d, format.height / d, content, cacheDir);
        lock.lock();
        m_pictures[key] = std::move(pictures);
    }
    if (m_streaming || m_buffers.empty())
        return;
    m_streaming = true;
    if (!m_everStreamed) {
        m_everStreamed = true;
        if (m_table.quietAfter >= 0)
            m_quietFrom = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(m_table.quietAfter)),
            m_quietUntil = m_quietFrom + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(m_table.quietFor));
    }
    m_stopProducer = false;
    m_dequeues = 0;
    m_producer = std::thread([this] { Produce(); });
}

void Device::StopStreaming(Lock& lock) {
    m_streaming = false;
    m_queued.clear();
    m_done.clear();
    m_stopProducer = true;
    Changed();
    if (m_producer.joinable()) {
        std::thread producer = std::move(m_producer);
        lock.unlock();
        producer.join();
        lock.lock();
    }
}

void Device::FreeBuffers() {
    for (Buffer& b : m_buffers) {
        ::munmap(b.memory, b.length);
        ::close(b.memfd); // the dongle's own close passes it on: this thread holds the lock
    }
    m_buffers.clear();
    m_queued.clear();
    m_done.clear();
}

// A frame is due every 1/fps from STREAMON (or as the table's bursts say); one that finds no
// queued buffer is dropped, as the hardware's would be.
void Device::Produce() {
    std::unique_lock lock(m_mutex);
    const auto period =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / m_fps));
    const Format f = m_format;
    const auto& pictures =
        m_pictures[std::make_tuple(f.fourcc, f.width, f.height, m_table.content)];
    const auto& otherSize =
        m_pictures[std::make_tuple(f.fourcc, f.width / 2, f.height / 2, m_table.content)];
    const auto start = Clock::now();
    uint32_t sequence = 0;
    for (uint64_t n = 0;; ++n) {
        auto due = start + period * (n + 1);
        if (m_table.burstFrames > 0) {
            const uint64_t burst = n / m_table.burstFrames, within = n % m_table.burstFrames;
            due = start + std::chrono::milliseconds(m_table.burstPeriodMs * (burst + 1) + within);
        }
        m_changed.wait_until(lock, due, [&] { return m_stopProducer; });
        if (m_stopProducer)
            return;
        const auto now = Clock::now();
        if (m_unplugged || (now >= m_quietFrom && now < m_quietUntil))
            continue;
        if (m_queued.empty()) {
            ++m_stats.framesDropped;
            continue;
        }
        Fill(sequence++, pictures, otherSize);
        ++m_stats.framesProduced;
        Changed();
    }
}

void Device::Fill(uint32_t sequence, const std::vector<std::vector<uint8_t>>& pictures,
                  const std::vector<std::vector<uint8_t>>& otherSize) {
    Buffer& b = m_buffers[m_queued.front()];
    m_queued.pop_front();
    const std::vector<uint8_t>* picture = &pictures[sequence % pictures.size()];
    const bool white = m_table.content == Content::Flash && m_flashNext;
    if (m_table.content == Content::Flash) {
        picture = &pictures[white ? 1 : 0];
        m_flashNext = false;
    }
    uint32_t flags = V4L2_BUF_FLAG_DONE;
    double keep = 1;
    for (auto [damage, every] : m_table.damage) {
        if (sequence % every != uint32_t(every - 1))
            continue;
        switch (damage) {
        case Damage::Error:
            flags |= V4L2_BUF_FLAG_ERROR;
            break;
        case Damage::Empty:
            keep = 0;
            break;
        case Damage::Truncated:
            keep = 0.5;
            break;
        case Damage::WrongSize:
            if (!otherSize.empty())
                picture = &otherSize[sequence % otherSize.size()];
            break;
        }
    }
    const size_t bytes = std::min(size_t(picture->size() * keep), b.length);
    std::memcpy(b.memory, picture->data(), bytes);
    b.info.bytesused = bytes;
    b.info.timestamp = Monotonic();
    if (white)
        m_flashedMs.push_back(b.info.timestamp.tv_sec * 1e3 + b.info.timestamp.tv_usec / 1e3);
    b.info.sequence = sequence;
    b.info.flags = (b.info.flags & ~(V4L2_BUF_FLAG_QUEUED | V4L2_BUF_FLAG_ERROR)) | flags;
    m_done.push_back(b.info.index);
}

short Device::Readiness(const Handle& handle) const {
    if (m_unplugged || handle.plugGeneration != m_plugGeneration)
        return POLLERR | POLLHUP;
    if (handle.node == Node::Metadata || !m_streaming)
        return POLLERR; // videobuf2: nothing to wait for
    return m_done.empty() ? 0 : POLLIN | POLLRDNORM;
}

void Device::Changed() {
    for (auto& [fd, handle] : m_handles) {
        const short bits = Readiness(handle);
        m_pollBits[fd] = kIsHandle | bits;
        const bool ready = bits != 0;
        if (ready == handle.signalled)
            continue;
        handle.signalled = ready;
        // The dongle's own calls on its eventfd: this thread holds the lock, so they go
        // straight to the C library.
        eventfd_t value;
        if (ready)
            eventfd_write(fd, 1);
        else
            eventfd_read(fd, &value);
    }
    m_changed.notify_all();
}

void Device::Closed(Lock& lock, const Handle& handle) {
    if (handle.fd != m_owner)
        return;
    StopStreaming(lock);
    FreeBuffers();
    m_owner = -1;
}

void Device::Unplug() {
    m_unplugged = true;
    Changed();
}

void Device::Replug(Lock& lock) {
    StopStreaming(lock);
    FreeBuffers();
    m_owner = -1;
    m_unplugged = false;
    m_quietFrom = m_quietUntil = {}; // a device plugged in again starts afresh
    ++m_plugGeneration;
    Changed();
}

std::string Device::DevFolder() {
    if (m_devFolder.empty()) {
        char folder[] = "/tmp/vistrel-dongle-XXXXXX";
        if (!mkdtemp(folder))
            return "/nonexistent";
        m_devFolder = folder;
        // Symbolic links, not files: making them opens nothing this library answers.
        static std::vector<std::string> made;
        for (int n : {0, 1}) {
            made.push_back(m_devFolder + "/video" + std::to_string(n));
            symlink("/dev/null", made.back().c_str());
        }
        made.push_back(m_devFolder);
        std::atexit([] {
            for (const std::string& path : made)
                remove(path.c_str());
        });
    }
    return m_devFolder;
}

int Device::BufferMemfd(off_t offset) const {
    const size_t index = offset / kOffsetStep;
    if (offset % kOffsetStep != 0 || index >= m_buffers.size())
        return -1;
    return m_buffers[index].memfd;
}

} // namespace dongle
