#pragma once
// Where a decoder reads a picture's bytes from: a file, read a piece at a time and never held whole,
// or bytes already in memory. Decoders read forward and may go back to a place they have seen (a
// header read twice); the file is never loaded into memory for them.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace quorvane::capture {

class ByteSource {
  public:
    // Bytes in memory, which must outlive the source.
    explicit ByteSource(std::span<const std::uint8_t> bytes);
    // An open file of the given size, read through a buffer; the descriptor stays the caller's.
    ByteSource(int fd, std::uint64_t size);
    ~ByteSource();
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    std::uint64_t size() const { return size_; }
    std::uint64_t position() const { return position_; }

    // Copies up to n bytes from the current position and moves past them; fewer only at the end of
    // the bytes or when reading fails (failed() then says why).
    std::size_t read(std::uint8_t* out, std::size_t n);
    // True when exactly n bytes were read.
    bool readAll(std::uint8_t* out, std::size_t n) { return read(out, n) == n; }
    // Moves to an offset; past the end reads give nothing.
    void seek(std::uint64_t offset) { position_ = offset; }

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; } // the system's words for a failed read
    // Why a read came up short, for a decoder's message: the system's words if it failed, else `ended`.
    std::string shortReadReason(std::string_view ended = "the file is truncated") const {
        return failed() ? "it could not be read (" + error_ + ")" : std::string(ended);
    }

  private:
    std::span<const std::uint8_t> memory_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
    // For a file: a window of it, [bufferStart, bufferStart + bufferFilled).
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::uint64_t bufferStart_ = 0;
    std::size_t bufferFilled_ = 0;
    std::string error_;
};

} // namespace quorvane::capture
