#pragma once
// Runs a program and collects its exit status and output, for the tests that drive built binaries.

#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace proctest {

struct Result {
    int status = -1; // exit status, or -1 when the program did not exit normally
    std::string out, err;
};

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::vector<std::uint8_t> bytesOf(const std::filesystem::path& path) {
    const std::string text = slurp(path);
    return {text.begin(), text.end()};
}

inline Result run(const std::vector<std::string>& argv, const std::string& outPath = "") {
    const auto dir = std::filesystem::temp_directory_path();
    const auto tag = std::to_string(::getpid());
    const std::string out = outPath.empty() ? (dir / ("proc-out-" + tag)).string() : outPath;
    const std::string err = (dir / ("proc-err-" + tag)).string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(o, 1);
        ::dup2(e, 2);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    int wstatus = 0;
    ::waitpid(pid, &wstatus, 0);
    Result r;
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    r.out = slurp(out);
    r.err = slurp(err);
    if (outPath.empty()) std::filesystem::remove(out);
    std::filesystem::remove(err);
    return r;
}

// An object file's code bytes as a size program (arm-none-eabi-size) reports them: the figure under
// "text"; 0 when there is none.
inline std::size_t codeBytes(const std::string& sizeProgram, const std::string& object) {
    const Result size = run({sizeProgram, object});
    std::istringstream table(size.out.substr(size.out.find('\n') + 1));
    std::size_t text = 0;
    table >> text;
    return text;
}

} // namespace proctest
