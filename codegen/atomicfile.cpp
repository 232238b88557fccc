#include "codegen/atomicfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::codegen {
namespace {

std::string failure(const std::filesystem::path& path, const std::string& reason) {
    return "Cannot write " + path.string() + ": " + reason + ".";
}

std::string errnoText(int error) { return std::strerror(error); }

// Opens a new, unique temporary file beside the target; its mode follows the umask like any new file.
int openTemporary(const std::filesystem::path& path, std::filesystem::path& temporary, int& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path;
        temporary += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    error = errno;
    return -1;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes, int& error) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A device or a pipe (/dev/null, /dev/stdout, a named pipe) is written into as it is: renaming a file over
// it would put a plain file where the device was.
std::optional<std::string> writeInPlace(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    int error = 0;
    if (fd < 0) return failure(path, errnoText(errno));
    bool ok = writeAll(fd, bytes, error);
    if (::close(fd) != 0 && ok) ok = false, error = errno;
    if (!ok) return failure(path, errnoText(error));
    return std::nullopt;
}

} // namespace

std::optional<std::string> writeFileAtomically(const std::filesystem::path& requested,
                                               std::span<const std::uint8_t> bytes) {
    struct stat existing {};
    const bool exists = ::stat(requested.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return failure(requested, "a folder of that name is in the way");
    if (exists && !S_ISREG(existing.st_mode)) return writeInPlace(requested, bytes);
    if (exists && (existing.st_mode & 0222) == 0) return failure(requested, "the file is read-only");

    // Through a symbolic link, the file it points at is replaced and the link stays a link.
    std::error_code ignored;
    const std::filesystem::path path = exists ? std::filesystem::canonical(requested, ignored) : requested;
    if (path.empty()) return failure(requested, "the link to it cannot be followed");

    std::filesystem::path temporary;
    int error = 0;
    const int fd = openTemporary(path, temporary, error);
    if (fd < 0) return failure(path, errnoText(error));

    bool ok = writeAll(fd, bytes, error);
    if (ok && exists && ::fchmod(fd, existing.st_mode & 07777) != 0) ok = false, error = errno;
    if (ok && ::fsync(fd) != 0) ok = false, error = errno;
    if (::close(fd) != 0 && ok) ok = false, error = errno;
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) ok = false, error = errno;
    if (!ok) {
        ::unlink(temporary.c_str());
        return failure(path, errnoText(error));
    }
    return std::nullopt;
}

} // namespace quorvane::codegen
