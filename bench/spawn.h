#pragma once
// Runs a program to its end with its standard output thrown away, and says how long that took and the
// most memory it held: the whole-process benchmarks time start-up and all.

#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace benchspawn {

struct Run {
    double milliseconds = -1; // -1 when the program could not start or did not exit with 0
    double peakMegabytes = 0; // its peak resident set
};

inline Run run(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    rusage usage{};
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) wait4(pid, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    Run result;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return result;
    result.milliseconds = std::chrono::duration<double, std::milli>(end - start).count();
    result.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return result;
}

// Milliseconds from spawn to exit, or -1 when the program could not start or did not exit with 0.
inline double timedRun(std::vector<std::string> args) { return run(std::move(args)).milliseconds; }

} // namespace benchspawn
