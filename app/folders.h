#pragma once
// Where "Make Header File" may put the raw file.

#include <filesystem>

namespace quorvane::app {

// True when the user can write into folder and it is not one of the system's program folders
// (/usr/bin and the like), where an installed copy lives: even root must not leave pictures' files there.
bool keepsUserFiles(const std::filesystem::path& folder);

} // namespace quorvane::app
