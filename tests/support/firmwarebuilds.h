#pragma once
// The three builds that firmware makes of generated source with the decoder, as the tests make them: the
// host's C compiler (the program runs there), a Cortex-M0 (where its code is measured) and an AVR, each
// at C99 with -Wall -Wextra -Werror -pedantic.

#include <filesystem>
#include <string>
#include <vector>

namespace firmwaretest {

struct Build {
    const char* target; // the --target the source is generated for
    std::vector<std::string> compiler;
    bool host;          // links and runs; the others only compile
};

inline std::vector<Build> builds(const std::filesystem::path& dir, const std::string& armGcc, const std::string& avrGcc) {
    return {{"arm", {QUORVANE_HOST_CC, "-DHOSTED", "-o", (dir / "firmware").string()}, true},
            {"arm", {armGcc, "-Os", "-mcpu=cortex-m0", "-mthumb", "-c", "-o", (dir / "m0.o").string()}, false},
            {"avr", {avrGcc, "-Os", "-mmcu=atmega328p", "-c", "-o", (dir / "unit.o").string()}, false}};
}

// The command that builds unit (with the generated source, on the host) against the headers in dir.
inline std::vector<std::string> command(const Build& build, const std::filesystem::path& dir, const std::string& unit,
                                        const std::string& source) {
    std::vector<std::string> compile = build.compiler;
    compile.insert(compile.end(), {"-std=c99", "-Wall", "-Wextra", "-Werror", "-pedantic", "-I", dir.string(), unit});
    if (build.host) compile.push_back(source);
    return compile;
}

} // namespace firmwaretest
