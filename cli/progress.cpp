#include "cli/progress.h"

#include <cmath>
#include <cstdio>

namespace quorvane::cli {

std::string progressText(const std::string& what, std::size_t done, std::size_t all, double seconds) {
    std::string text = "quorvane-cli pack: " + std::to_string(done) + "/" + std::to_string(all) + " " + what;
    if (done > 0 && seconds > 0) {
        const double rate = static_cast<double>(done) / seconds;
        char figures[64];
        std::snprintf(figures, sizeof figures, ", %.1f/s, %.0f s left", rate, std::ceil(static_cast<double>(all - done) / rate));
        text += figures;
    }
    return text;
}

ProgressLine::ProgressLine(std::ostream& err, bool enabled, std::string what)
    : err_(err), enabled_(enabled), what_(std::move(what)), start_(std::chrono::steady_clock::now()) {}

ProgressLine::~ProgressLine() { clear(); }

void ProgressLine::update(std::size_t done, std::size_t all) {
    if (!enabled_) return;
    const std::lock_guard guard(lock_);
    const auto now = std::chrono::steady_clock::now();
    // A line drawn more often than the eye reads it only costs time.
    if (done != all && width_ > 0 && now - drawn_ < std::chrono::milliseconds(100)) return;
    drawn_ = now;
    const std::string text = progressText(what_, done, all, std::chrono::duration<double>(now - start_).count());
    err_ << '\r' << text;
    if (text.size() < width_) err_ << std::string(width_ - text.size(), ' ');
    width_ = text.size();
    err_.flush();
}

void ProgressLine::clear() {
    const std::lock_guard guard(lock_);
    if (!enabled_ || width_ == 0) return;
    err_ << '\r' << std::string(width_, ' ') << '\r';
    err_.flush();
    width_ = 0;
}

} // namespace quorvane::cli
