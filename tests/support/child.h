#pragma once
// Runs a check in a child process and returns what it reported (empty when all held). As root, the
// child can drop to "nobody" first, so that file permissions mean for it what they mean for a user.

#include <cstring>
#include <functional>
#include <grp.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace childtest {

inline std::string runInChild(const std::function<std::string()>& check, bool unprivileged) {
    int channel[2];
    if (::pipe(channel) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        std::string report;
        if (unprivileged && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
                report = std::string("cannot become nobody: ") + std::strerror(errno);
            }
        }
        if (report.empty()) report = check();
        (void)!::write(channel[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) report.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status)) report += " (the check's process died)";
    return report;
}

} // namespace childtest
