#include "packs/inputs.h"

#include "capture/formats.h"
#include "capture/source.h"
#include "codegen/imagename.h"

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <unistd.h>

namespace quorvane::packs {
namespace {

namespace fs = std::filesystem;

// A picture by its first bytes, as every reader of this program decides it.
bool isPicture(const fs::path& path) {
    std::error_code ignored;
    if (!fs::is_regular_file(path, ignored)) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::uint8_t first[12] = {};
    const ssize_t n = ::read(fd, first, sizeof first);
    ::close(fd);
    if (n <= 0) return false;
    return capture::formatOf(std::span<const std::uint8_t>(first, static_cast<std::size_t>(n))) != capture::Format::Unknown;
}

std::string stem(const std::string& path) {
    fs::path p(path);
    if (!p.has_filename()) p = p.parent_path(); // "icons/" names the folder
    return p.stem().string();
}

} // namespace

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = std::isdigit(static_cast<unsigned char>(a[i])), db = std::isdigit(static_cast<unsigned char>(b[j]));
        if (da && db) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            // By value: without leading zeros, the longer run is the larger number.
            std::string_view x = a.substr(i, ei - i), y = b.substr(j, ej - j);
            const auto nonZero = [](std::string_view s) { return s.substr(std::min(s.find_first_not_of('0'), s.size())); };
            const std::string_view vx = nonZero(x), vy = nonZero(y);
            if (vx.size() != vy.size()) return vx.size() < vy.size();
            if (vx != vy) return vx < vy;
            if (x.size() != y.size()) return x.size() < y.size();
            i = ei, j = ej;
            continue;
        }
        if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i, ++j;
    }
    return a.size() - i < b.size() - j;
}

std::vector<std::string> picturesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (isPicture(entry.path())) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back((fs::path(folder) / name).string());
    return paths;
}

std::vector<std::string> assetNames(const std::vector<std::string>& wanted) {
    std::set<std::string> taken = {"COUNT"}; // the constants' names, in upper case
    const auto constants = [](const std::string& name) {
        const std::string u = codegen::upperCase(name);
        return std::vector<std::string>{u, u + "_WIDTH", u + "_HEIGHT", u + "_FRAMES"};
    };
    const auto free = [&](const std::string& name) {
        const auto mine = constants(name);
        return std::none_of(mine.begin(), mine.end(), [&](const std::string& c) { return taken.count(c) > 0; });
    };
    std::vector<std::string> names;
    for (const std::string& want : wanted) {
        const std::string base = codegen::cIdentifier(want);
        std::string name = base;
        for (int n = 2; !free(name); ++n) name = base + "_" + std::to_string(n);
        for (const std::string& c : constants(name)) taken.insert(c);
        names.push_back(name);
    }
    return names;
}

std::variant<std::vector<AssetSource>, std::string> assetSources(const std::vector<PackInput>& inputs) {
    std::vector<AssetSource> sources;
    std::vector<std::string> wanted;
    for (const PackInput& input : inputs) {
        std::error_code ignored;
        const bool folder = fs::is_directory(input.path, ignored);
        switch (input.kind) {
        case PackInput::Kind::Frames: {
            if (!folder) return "Cannot open " + input.path + ": --frames takes a folder of pictures.";
            AssetSource source{AssetSource::Kind::Frames, input.path, picturesIn(input.path), input.delayMs.value_or(100), 0, 0, {}};
            if (source.files.empty()) return "Cannot open " + input.path + ": the folder holds no picture.";
            sources.push_back(std::move(source));
            wanted.push_back(stem(input.path));
            break;
        }
        case PackInput::Kind::Sheet:
            sources.push_back({AssetSource::Kind::Sheet, input.path, {}, input.delayMs.value_or(0), input.tileWidth, input.tileHeight, {}});
            wanted.push_back(stem(input.path));
            break;
        case PackInput::Kind::Path:
            if (folder) {
                const std::vector<std::string> pictures = picturesIn(input.path);
                if (pictures.empty()) return "Cannot open " + input.path + ": the folder holds no picture.";
                for (const std::string& picture : pictures) {
                    sources.push_back({AssetSource::Kind::Picture, picture, {}, 0, 0, 0, {}});
                    wanted.push_back(stem(picture));
                }
            } else {
                sources.push_back({AssetSource::Kind::Picture, input.path, {}, 0, 0, 0, {}});
                wanted.push_back(stem(input.path));
            }
            break;
        }
    }
    const std::vector<std::string> names = assetNames(wanted);
    for (std::size_t i = 0; i < sources.size(); ++i) sources[i].name = names[i];
    return sources;
}

} // namespace quorvane::packs
