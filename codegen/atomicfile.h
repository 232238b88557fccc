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

} // namespace quorvane::codegen
