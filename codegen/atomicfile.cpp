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

std::filesystem::path temporaryName(const std::filesystem::path& path, int attempt) {
    std::filesystem::path temporary = path;
    temporary += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    return temporary;
}

// Opens a new, unique temporary file beside the target; its mode follows the umask like any new file.
int openTemporary(const std::filesystem::path& path, std::filesystem::path& temporary, int& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryName(path, attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    error = errno;
    return -1;
}

// A file with no name yet in the target's folder: a process stopped while writing it leaves nothing
// behind. -1 where the file system has no such files, so that a named one is made instead.
int openUnnamed(const std::filesystem::path& path, int& error) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) error = errno;
    return fd;
}

// Gives an unnamed file a temporary name beside the target, to be renamed over it.
bool nameUnnamed(int fd, const std::filesystem::path& path, std::filesystem::path& temporary, int& error) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryName(path, attempt);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        if (errno != EEXIST) break;
    }
    error = errno;
    temporary.clear();
    return false;
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

AtomicFile::AtomicFile(const std::filesystem::path& requested) : path_(requested) {
    struct stat existing {};
    const bool exists = ::stat(requested.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        refusal_ = failure(requested, "a folder of that name is in the way");
        return;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a pipe (/dev/null, /dev/stdout, a named pipe) is written into as it is: renaming a
        // file over it would put a plain file where the device was.
        inPlace_ = true;
        fd_ = ::open(requested.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) error_ = errno;
        return;
    }
    if (exists && (existing.st_mode & 0222) == 0) {
        refusal_ = failure(requested, "the file is read-only");
        return;
    }
    // Through a symbolic link, the file it points at is replaced and the link stays a link.
    std::error_code ignored;
    path_ = exists ? std::filesystem::canonical(requested, ignored) : requested;
    if (path_.empty()) {
        refusal_ = failure(requested, "the link to it cannot be followed");
        return;
    }
    keepMode_ = exists;
    mode_ = existing.st_mode & 07777;
    fd_ = openUnnamed(path_, error_);
    unnamed_ = fd_ >= 0;
    if (!unnamed_ && error_ == 0) fd_ = openTemporary(path_, temporary_, error_);
}

AtomicFile::~AtomicFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicFile::write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || error_ != 0) return;
    if (!writeAll(fd_, bytes, error_)) return;
    // Start the disk on these bytes now; commit() then waits only for what is still on its way.
    if (!inPlace_) (void)::sync_file_range(fd_, static_cast<off_t>(written_), static_cast<off_t>(bytes.size()), SYNC_FILE_RANGE_WRITE);
    written_ += bytes.size();
}

std::optional<std::string> AtomicFile::commit() {
    if (refusal_) return refusal_;
    bool ok = fd_ >= 0 && error_ == 0;
    if (ok && keepMode_ && ::fchmod(fd_, mode_) != 0) ok = false, error_ = errno;
    if (ok && !inPlace_ && ::fsync(fd_) != 0) ok = false, error_ = errno;
    if (ok && unnamed_ && !nameUnnamed(fd_, path_, temporary_, error_)) ok = false;
    if (fd_ >= 0 && ::close(fd_) != 0 && ok) ok = false, error_ = errno;
    fd_ = -1;
    if (ok && !inPlace_ && ::rename(temporary_.c_str(), path_.c_str()) != 0) ok = false, error_ = errno;
    if (ok) temporary_.clear(); // in place: nothing left to remove
    if (!ok) return failure(path_, errnoText(error_));
    return std::nullopt;
}

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    AtomicFile file(path);
    file.write(bytes);
    return file.commit();
}

} // namespace quorvane::codegen
