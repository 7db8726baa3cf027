// What elastofreq_survey hands to its outputs: the displacement at every
// receiver for every shot and solved frequency, and the frequency sampling
// that turns those spectra into time traces.
#pragma once

#include <cstddef>
#include <vector>

#include "common/complex.hpp"

namespace ef {

// The solved band: frequency numbers jw1 .. jw2, index f standing for number
// jw1 + f, in increasing frequency.
struct SurveySampling {
    int jw1 = 1, jw2 = 0;
    int keyqua = 1;                     // 1: number jw at (jw - 1) delf; 2: at (jw - 0.5) delf
    int nt = 0;                         // time samples, at (k - 1) dt
    double dt = 0.0;                    // msec
    double delw = 0.0;                  // angular frequency step (rad/msec)
    std::vector<double> frequency_khz;  // by index f
    std::vector<Complex> source_spectrum;  // sour of each index f

    int frequencies() const { return jw2 >= jw1 ? jw2 - jw1 + 1 : 0; }
};

// The solved displacement u1 and u2 (x to the right, y upward) by
// [shot][receiver][frequency index], the last index fastest.
class SurveySpectra {
public:
    SurveySpectra(int shots, int receivers, int frequencies)
        : shots_(shots), receivers_(receivers), frequencies_(frequencies),
          u1_(size()), u2_(size()) {}

    int shots() const { return shots_; }
    int receivers() const { return receivers_; }
    int frequencies() const { return frequencies_; }
    std::size_t size() const {
        return static_cast<std::size_t>(shots_) * static_cast<std::size_t>(receivers_) *
               static_cast<std::size_t>(frequencies_);
    }

    Complex& u1(int shot, int receiver, int f) { return u1_[index(shot, receiver, f)]; }
    Complex& u2(int shot, int receiver, int f) { return u2_[index(shot, receiver, f)]; }
    const Complex& u1(int shot, int receiver, int f) const { return u1_[index(shot, receiver, f)]; }
    const Complex& u2(int shot, int receiver, int f) const { return u2_[index(shot, receiver, f)]; }
    const std::vector<Complex>& u1() const { return u1_; }
    const std::vector<Complex>& u2() const { return u2_; }

private:
    std::size_t index(int shot, int receiver, int f) const {
        return (static_cast<std::size_t>(shot) * static_cast<std::size_t>(receivers_) +
                static_cast<std::size_t>(receiver)) *
                   static_cast<std::size_t>(frequencies_) +
               static_cast<std::size_t>(f);
    }

    int shots_, receivers_, frequencies_;
    std::vector<Complex> u1_, u2_;
};

}  // namespace ef
