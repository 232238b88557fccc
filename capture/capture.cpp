#include "capture/capture.h"

#include "capture/bmp.h"
#include "capture/fit.h"
#include "capture/formats.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvane::capture {
namespace {

LoadError unreadable(const std::string& path, const std::string& reason) {
    return {LoadError::Kind::Unreadable, "Cannot open " + path + ": " + reason + "."};
}

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// A file's bytes, read into memory that is not cleared first: a large picture file is several
// megabytes, and clearing them costs as much as reading them.
struct FileBytes {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
    std::span<const std::uint8_t> span() const { return {data.get(), size}; }
};

// Reads up to `limit` bytes from the start of the file; fewer when the file is shorter.
bool readPrefix(int fd, FileBytes& bytes, std::size_t limit, int& error) {
    bytes.data = std::make_unique_for_overwrite<std::uint8_t[]>(limit);
    std::size_t done = 0;
    while (done < limit) {
        const ssize_t n = ::pread(fd, bytes.data.get() + done, limit - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    bytes.size = done;
    return true;
}

std::optional<LoadError> refuseByDeclaredSize(std::span<const std::uint8_t> bytes, const std::string& name,
                                             const LoadOptions& options) {
    const auto size = declaredSize(bytes);
    if (const auto* bad = std::get_if<DecodeError>(&size)) return unreadable(name, bad->reason);
    const auto& declared = std::get<DeclaredSize>(size);
    const bool larger = declared.width > options.maxSide || declared.height > options.maxSide;
    if (larger && !options.fit) return LoadError{LoadError::Kind::TooLarge, kTooLargeMessage};
    if (declared.width > kMaxFitSide || declared.height > kMaxFitSide) {
        return unreadable(name, "its size " + std::to_string(declared.width) + " x " + std::to_string(declared.height) +
                                    " is more than " + std::to_string(kMaxFitSide) +
                                    " pixels in a side, the most that can be fitted to the panel");
    }
    return std::nullopt;
}

// The size was checked on the headers already.
std::variant<Picture, LoadError> decodeNamed(std::span<const std::uint8_t> bytes, const std::string& name,
                                             const LoadOptions& options) {
    auto decoded = decodePicture(bytes, kMaxDecodedPixels);
    if (const auto* bad = std::get_if<DecodeError>(&decoded)) return unreadable(name, bad->reason);
    Picture picture = composite(std::get<Picture>(std::move(decoded)), options.background);
    const DeclaredSize fitted = fittedSize(picture.width, picture.height, options.maxSide);
    if (fitted.width != picture.width || fitted.height != picture.height) {
        if (!options.fit) return LoadError{LoadError::Kind::TooLarge, kTooLargeMessage};
        picture = scaleDown(picture, fitted);
    }
    return picture;
}

} // namespace

std::variant<Picture, LoadError> loadPicture(const std::string& path, const LoadOptions& options) {
    const FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) {
        return unreadable(path, errno == ENOENT ? "the file does not exist" : std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) return unreadable(path, std::strerror(errno));
    if (S_ISDIR(info.st_mode)) return unreadable(path, "it is a folder, not a file");
    if (!S_ISREG(info.st_mode)) return unreadable(path, "it is not a regular file");
    if (info.st_size == 0) return unreadable(path, "the file is empty");
    if (static_cast<std::uintmax_t>(info.st_size) > (options.fit ? kMaxFitFileBytes : kMaxFileBytes)) {
        return unreadable(path, "the file is larger than any bitmap this program can open");
    }

    // A BMP's headers and largest palette fit in 2 KiB: enough to refuse it by its declared size before
    // the rest of the file is read. Other formats may put their size after long metadata, so the whole
    // file (within the limit above) is read first; no pixel is decoded before the size is checked.
    FileBytes bytes;
    int error = 0;
    if (!readPrefix(file.get(), bytes, std::min<std::size_t>(2048, static_cast<std::size_t>(info.st_size)), error)) {
        return unreadable(path, std::strerror(error));
    }
    const Format format = formatOf(bytes.span());
    const bool bmp = format == Format::Bmp || format == Format::Unknown;
    if (bmp) {
        if (auto refused = refuseByDeclaredSize(bytes.span(), path, options)) return *refused;
    }
    if (!readPrefix(file.get(), bytes, static_cast<std::size_t>(info.st_size), error)) {
        return unreadable(path, std::strerror(error));
    }
    if (!bmp) {
        if (auto refused = refuseByDeclaredSize(bytes.span(), path, options)) return *refused;
    }
    return decodeNamed(bytes.span(), path, options);
}

std::variant<Picture, LoadError> pictureFromBytes(std::span<const std::uint8_t> bytes, const std::string& name,
                                                  const LoadOptions& options) {
    if (auto refused = refuseByDeclaredSize(bytes, name, options)) return *refused;
    return decodeNamed(bytes, name, options);
}

std::int32_t captureComponents(const Picture& picture, std::span<std::int32_t> store) {
    const std::size_t needed = 3 * picture.pixels.size();
    if (needed > store.size()) {
        throw std::length_error("captureComponents: " + std::to_string(picture.width) + " x " +
                                std::to_string(picture.height) + " does not fit the component store");
    }
    std::size_t count = 0;
    for (std::uint32_t color : picture.pixels) {
        store[count++] = static_cast<std::int32_t>(color & 0xFF);
        store[count++] = static_cast<std::int32_t>((color >> 8) & 0xFF);
        store[count++] = static_cast<std::int32_t>((color >> 16) & 0xFF);
    }
    return static_cast<std::int32_t>(count);
}

} // namespace quorvane::capture
