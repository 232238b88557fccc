#pragma once
// One progress line on standard error, redrawn in place: items done of all, the rate and the time left.

#include <chrono>
#include <mutex>
#include <ostream>
#include <string>

namespace quorvane::cli {

class ProgressLine {
  public:
    ProgressLine(std::ostream& err, bool enabled, std::string what);
    ~ProgressLine(); // clears the line
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void update(std::size_t done, std::size_t all); // from any thread
    void clear();

  private:
    std::ostream& err_;
    bool enabled_;
    std::string what_;
    std::chrono::steady_clock::time_point start_, drawn_;
    std::size_t width_ = 0; // of the line on screen
    std::mutex lock_;
};

// The line's text: "pack: 12/200 assets, 31.0/s, 6 s left".
std::string progressText(const std::string& what, std::size_t done, std::size_t all, double seconds);

} // namespace quorvane::cli
