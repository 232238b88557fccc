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

} // namespace

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::span<const std::uint8_t> bytes) {
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return failure(path, "a folder of that name is in the way");
    if (exists && (existing.st_mode & 0222) == 0) return failure(path, "the file is read-only");

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
