#include "driver/progress.hpp"

#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace ef {

namespace {
std::FILE* terminal_stderr() { return isatty(STDERR_FILENO) ? stderr : nullptr; }
}  // namespace

SweepProgress::SweepProgress(int jw1, int jw2)
    : SweepProgress(jw1, jw2, terminal_stderr(), Clock::now()) {}

SweepProgress::SweepProgress(int jw1, int jw2, std::FILE* sink, Clock::time_point start)
    : sink_(sink), start_(start), total_(jw2 >= jw1 ? jw2 - jw1 + 1 : 0) {}

SweepProgress::~SweepProgress() { finish(); }

std::string SweepProgress::clock_text(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0.0) seconds = 0.0;
    const long s = std::lround(seconds);
    char text[32];
    if (s >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, (s / 60) % 60, s % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    return text;
}

std::string SweepProgress::line(int jw, int done, int total, int iterations, double elapsed,
                                const std::string& count_name) {
    const int percent = total > 0 ? (100 * done) / total : 100;
    const double left = done > 0 ? elapsed / done * (total - done) : 0.0;
    char text[160];
    std::snprintf(text, sizeof text,
                  "frequency %d: %d of %d done (%d%%), %d %s, elapsed %s, left ~%s", jw, done,
                  total, percent, iterations, count_name.c_str(), clock_text(elapsed).c_str(),
                  clock_text(left).c_str());
    return text;
}

void SweepProgress::frequency_done(int jw, int iterations, Clock::time_point now) {
    ++done_;
    if (sink_ == nullptr) return;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const std::string text = line(jw, done_, total_, iterations, elapsed, count_name_);
    // Blank out what a longer previous line left behind, and leave the cursor
    // at the start of the line so that anything else written to the terminal
    // (the run summary, when standard output goes there too) starts on a
    // clean column.
    const std::size_t pad = shown_width_ > text.size() ? shown_width_ - text.size() : 0;
    std::fprintf(sink_, "\r%s%*s\r", text.c_str(), static_cast<int>(pad), "");
    std::fflush(sink_);
    shown_width_ = text.size();
}

void SweepProgress::finish() {
    if (sink_ != nullptr && shown_width_ > 0) {
        std::fputc('\n', sink_);
        std::fflush(sink_);
    }
    shown_width_ = 0;
}

}  // namespace ef
