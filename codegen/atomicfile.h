#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace quorvane::codegen {

// Writes bytes to path all or nothing: a temporary file in the same folder is written, flushed to disk
// and renamed over path, so a failure never leaves a half-written file, and an older, longer file of the
// same name is replaced whole. A file that exists and has no write permission for anyone is refused and
// kept as it is (root could otherwise replace it). A symbolic link stays a link: the file it points at is
// replaced. A device or a pipe that exists (/dev/null, a named pipe) is written into directly, since it
// cannot be replaced. Returns nothing on success, or a message that names the file and the reason.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::span<const std::uint8_t> bytes);

// The same, a piece at a time: the temporary file is made at once and each piece is written as it comes,
// the disk asked to start on it, so that little is left to wait for when the file is committed. A
// failure on the way is kept and said by commit(); a file not committed leaves nothing behind, nor,
// where the file system allows a file without a name until it is complete, a process that is stopped.
class AtomicFile {
  public:
    explicit AtomicFile(const std::filesystem::path& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(std::span<const std::uint8_t> bytes);
    // False for a device or a pipe, which is written into as it is: what is written there stays, even
    // if the file is never committed.
    bool replacesFile() const { return !inPlace_; }

    // Flushed to disk and put in place of the file: nothing, or writeFileAtomically's message.
    std::optional<std::string> commit();

  private:
    std::filesystem::path path_;      // the file replaced (a link's target), or the device written into
    std::filesystem::path temporary_; // empty for a device, and until an unnamed file is named
    bool unnamed_ = false;            // written with no name (O_TMPFILE), named only to be renamed
    int fd_ = -1;
    int error_ = 0;
    std::optional<std::string> refusal_; // why the file cannot be written at all
    bool inPlace_ = false;
    bool keepMode_ = false;
    unsigned mode_ = 0;
    std::uint64_t written_ = 0;
};

} // namespace quorvane::codegen
