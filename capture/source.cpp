#include "capture/source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace quorvane::capture {
namespace {

// Large enough that the system is asked rarely, small beside any picture worth streaming.
constexpr std::size_t kBufferBytes = 128 * 1024;

} // namespace

ByteSource::ByteSource(std::span<const std::uint8_t> bytes) : memory_(bytes), size_(bytes.size()) {}

ByteSource::ByteSource(int fd, std::uint64_t size)
    : fd_(fd), size_(size), buffer_(std::make_unique_for_overwrite<std::uint8_t[]>(kBufferBytes)) {}

ByteSource::~ByteSource() = default;

std::size_t ByteSource::read(std::uint8_t* out, std::size_t n) {
    if (position_ >= size_) return 0;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, size_ - position_));
    if (fd_ < 0) {
        std::memcpy(out, memory_.data() + position_, n);
        position_ += n;
        return n;
    }
    std::size_t done = 0;
    while (done < n) {
        const bool inBuffer = position_ >= bufferStart_ && position_ < bufferStart_ + bufferFilled_;
        if (inBuffer) {
            const std::size_t at = static_cast<std::size_t>(position_ - bufferStart_);
            const std::size_t take = std::min(n - done, bufferFilled_ - at);
            std::memcpy(out + done, buffer_.get() + at, take);
            done += take;
            position_ += take;
            continue;
        }
        // A large read goes straight to its destination; a small one fills the buffer first.
        const bool direct = n - done >= kBufferBytes;
        std::uint8_t* target = direct ? out + done : buffer_.get();
        const std::size_t want = direct ? n - done : kBufferBytes;
        const ssize_t got = ::pread(fd_, target, want, static_cast<off_t>(position_));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            // The file was shorter than it said, or the system could not read it.
            if (got < 0) error_ = std::strerror(errno);
            return done;
        }
        if (direct) {
            done += static_cast<std::size_t>(got);
            position_ += static_cast<std::uint64_t>(got);
        } else {
            bufferStart_ = position_;
            bufferFilled_ = static_cast<std::size_t>(got);
        }
    }
    return done;
}

} // namespace quorvane::capture
