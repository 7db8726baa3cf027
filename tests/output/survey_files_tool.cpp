// Writes the output files of a small survey with known spectra into a folder,
// for tests/output/survey_files_test.py to read back with h5py and segyio:
//
//   survey_files_tool FOLDER KEYQUA JW1
//
// Three shots (an explosion, a horizontal force, a moment tensor), four
// receivers, frequency numbers JW1 .. 6 with spectra of exact binary values:
//   u1 = (s + r/2 + f/4) + i (s - r f / 8),  u2 = -f + i (s r + 1),
//   source spectrum of index f = (1 + f/2) - i f/4,
// s, r, f the shot, receiver and frequency indices from 0.
#include <cstdlib>
#include <iostream>

#include "common/stop.hpp"
#include "model/survey_file.hpp"
#include "output/survey_files.hpp"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: survey_files_tool FOLDER KEYQUA JW1\n";
        return 64;
    }
    const ef::Survey survey = ef::parse_survey(R"(deck = "deck.in"
[[shots]]
x = 100.25
y = 300.0
kind = "explosion"
amplitude = 2.0
[[shots]]
x = 0.0
y = 0.0
kind = "force_x"
[[shots]]
x = 300.0
y = 150.0
kind = "moment"
mxx = 1.0
myy = -1.0
mxy = 0.5
[receivers]
x = [0.0, 12.34, 150.5, 300.0]
y = [300.0, 299.99, 250.0, 0.0]
[output]
name = "line"
)", "survey.toml");
    ef::SurveySampling sampling;
    sampling.keyqua = std::atoi(argv[2]);
    sampling.jw1 = std::atoi(argv[3]);
    sampling.jw2 = 6;
    sampling.nt = 64;
    sampling.dt = 0.25;
    const double delf = 0.0625;  // kHz
    sampling.delw = delf * 6.28318530717958;
    const double shift = sampling.keyqua == 1 ? 1.0 : 0.5;
    for (int f = 0; f < sampling.frequencies(); ++f) {
        sampling.frequency_khz.push_back((sampling.jw1 + f - shift) * delf);
        sampling.source_spectrum.push_back({1.0 + f / 2.0, -f / 4.0});
    }
    ef::SurveySpectra spectra(3, 4, sampling.frequencies());
    for (int s = 0; s < 3; ++s)
        for (int r = 0; r < 4; ++r)
            for (int f = 0; f < sampling.frequencies(); ++f) {
                spectra.u1(s, r, f) = {s + r / 2.0 + f / 4.0, s - r * f / 8.0};
                spectra.u2(s, r, f) = {-1.0 * f, s * r + 1.0};
            }
    try {
        ef::write_survey_files(argv[1], survey, sampling, spectra);
    } catch (const ef::RunError& e) {
        std::cerr << e.what() << '\n';
        return ef::kRunErrorStatus;
    }
    return 0;
}
