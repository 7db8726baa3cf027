// Progress of the frequency sweep for a person watching a long run: one line
// on standard error, rewritten in place ("\r") after every frequency, with the
// frequency number, how much of the band is done, the iterations of the last
// frequency, the elapsed time and an estimate of the time left; a newline ends
// it when the sweep is over (or left early by a stop). It is shown only when
// standard error is a terminal, so redirected runs and every output file stay
// exactly as they are; nothing ever goes to standard output.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>

namespace ef {

class SweepProgress {
public:
    using Clock = std::chrono::steady_clock;

    // Shown on standard error when it is a terminal, else silent.
    SweepProgress(int jw1, int jw2);
    // Shown on `sink` (nullptr: silent), with the time taken from `start`.
    SweepProgress(int jw1, int jw2, std::FILE* sink, Clock::time_point start);
    ~SweepProgress();
    SweepProgress(const SweepProgress&) = delete;
    SweepProgress& operator=(const SweepProgress&) = delete;

    // Frequency number jw has been solved in `iterations` outer iterations.
    void frequency_done(int jw, int iterations) { frequency_done(jw, iterations, Clock::now()); }
    void frequency_done(int jw, int iterations, Clock::time_point now);
    // What the count of frequency_done counts ("iterations", or "shots" for
    // a survey, whose every frequency solves each shot once).
    void count_name(std::string name) { count_name_ = std::move(name); }
    // Ends the line (once; nothing when nothing was shown).
    void finish();

    // The text of the line after `done` of `total` frequencies, the last one
    // number jw with `iterations` iterations, `elapsed` seconds after the
    // start of the sweep.
    static std::string line(int jw, int done, int total, int iterations, double elapsed,
                            const std::string& count_name = "iterations");
    // h:mm:ss, or m:ss under an hour.
    static std::string clock_text(double seconds);

private:
    std::FILE* sink_;
    Clock::time_point start_;
    int total_;
    int done_ = 0;
    std::string count_name_ = "iterations";
    std::size_t shown_width_ = 0;  // length of the line on screen, for blanking
};

}  // namespace ef
