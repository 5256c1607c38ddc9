// Reading a picture file only when its header says it is small enough to be used.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include <opencv2/imgcodecs.hpp>

#include "platform/cvshim/picture_file.h"

namespace platform {
namespace {

// Reads the whole of a regular file, at most `limit` bytes; false for anything else.
bool ReadRegularFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) {
    // Not blocking: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
              static_cast<uint64_t>(info.st_size) <= limit;
    if (ok) {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
            if (got <= 0)
                break; // the file shrank, or a read failed: decode what there is
            done += static_cast<size_t>(got);
        }
        bytes.resize(done);
        ok = done > 0;
    }
    close(fd);
    return ok;
}

} // namespace

cv::Mat ReadPictureFile(const std::string& path, int flags, int largestSide) {
    // Even an uncompressed file of the largest acceptable picture fits in this.
    const size_t limit = size_t(4) * largestSide * largestSide + (size_t(1) << 20);
    std::vector<uint8_t> bytes;
    if (largestSide <= 0 || !ReadRegularFile(path, limit, bytes))
        return {};
    const auto size = PictureSizeFromHeader(bytes.data(), bytes.size());
    if (!size || size->width > largestSide || size->height > largestSide)
        return {};
    return cv::imdecode(bytes, flags);
}

} // namespace platform
