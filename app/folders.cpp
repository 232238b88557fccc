#include "app/folders.h"

#include <array>
#include <string_view>
#include <unistd.h>

namespace quorvane::app {

bool keepsUserFiles(const std::filesystem::path& folder) {
    static constexpr std::array<std::string_view, 8> kProgramFolders = {
        "/bin",       "/sbin",          "/usr/bin",        "/usr/sbin",
        "/usr/games", "/usr/local/bin", "/usr/local/sbin", "/usr/local/games"};
    std::error_code error;
    const auto resolved = std::filesystem::weakly_canonical(folder, error);
    for (std::string_view system : kProgramFolders) {
        if (!error && resolved == std::filesystem::path(system)) return false;
    }
    return ::access(folder.c_str(), W_OK) == 0;
}

} // namespace quorvane::app
