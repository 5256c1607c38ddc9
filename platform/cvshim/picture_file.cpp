// Reading a picture file only when its header says it is small enough to be used, and only
// when it changed since it was last read.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <mutex>
#include <tuple>
#include <vector>

#include "platform/cvshim/picture_codecs.h"
#include "platform/cvshim/picture_file.h"

namespace platform {
namespace {

// What identifies one read: the file as it was and what was asked of it.
struct ReadKey {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{}, changed{};
    int flags = 0, largestSide = 0;

    auto fields() const {
        return std::tie(path, device, inode, size, modified.tv_sec, modified.tv_nsec,
                        changed.tv_sec, changed.tv_nsec, flags, largestSide);
    }
    bool operator==(const ReadKey& other) const { return fields() == other.fields(); }
};

// The last picture read (empty when the file could not be used), for every caller. A JPEG's
// DCT scale depends on the area too: the kept picture serves another area that needs the same.
struct LastRead {
    std::mutex mutex;
    bool valid = false;
    ReadKey key;
    bool jpeg = false;
    cv::Size stored; // the size the header gives
    int scale = 8;
    cv::Mat picture;

    bool serves(const ReadKey& wanted, cv::Size cover) const {
        return valid && key == wanted && (!jpeg || JpegScaleEighths(stored, cover) == scale);
    }
};

LastRead& Last() {
    static LastRead last;
    return last;
}

// Reads the whole of an open regular file, at most `limit` bytes; false for anything else.
bool ReadWhole(int fd, const struct stat& info, size_t limit, std::vector<uint8_t>& bytes) {
    if (!S_ISREG(info.st_mode) || info.st_size <= 0 || static_cast<uint64_t>(info.st_size) > limit)
        return false;
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = read(fd, bytes.data() + done, bytes.size() - done);
        if (got <= 0)
            break; // the file shrank, or a read failed: decode what there is
        done += static_cast<size_t>(got);
    }
    bytes.resize(done);
    return done > 0;
}

} // namespace

cv::Mat ReadPictureFile(const std::string& path, int flags, int largestSide, cv::Size cover) {
    if (largestSide <= 0)
        return {};
    // Not blocking: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        close(fd);
        return {};
    }
    const ReadKey key{path,         info.st_dev,  info.st_ino, info.st_size,
                      info.st_mtim, info.st_ctim, flags,       largestSide};
    LastRead& last = Last();
    {
        std::lock_guard<std::mutex> lock(last.mutex);
        if (last.serves(key, cover)) {
            close(fd);
            return last.picture;
        }
    }
    // Even an uncompressed file of the largest acceptable picture fits in this.
    const size_t limit = size_t(4) * largestSide * largestSide + (size_t(1) << 20);
    std::vector<uint8_t> bytes;
    const bool read = ReadWhole(fd, info, limit, bytes);
    close(fd);
    if (!read)
        return {};
    cv::Mat picture = DecodePicture(bytes.data(), bytes.size(), flags, largestSide, cover);
    const auto stored = PictureSizeFromHeader(bytes.data(), bytes.size());
    std::lock_guard<std::mutex> lock(last.mutex);
    last.valid = true;
    last.key = key;
    last.jpeg = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
    last.stored = stored.value_or(cv::Size());
    last.scale = JpegScaleEighths(last.stored, cover);
    last.picture = picture;
    return picture;
}

} // namespace platform
