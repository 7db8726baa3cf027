// The survey file of elastofreq_survey: which deck describes the model, how the
// model's edges behave, where the shots are and what they are, where the
// receivers are and what the outputs are called. TOML, read with toml++.
//
//   deck = "deck.in"          # path relative to the survey file's folder
//   [boundaries]
//   top = "free"              # or "absorbing"
//   absorbing = "pml"         # or "first-order"
//   pml_elements = 20         # layer thickness in elements, on every absorbing side
//   pml_reflection = 1e-3     # target reflection coefficient of the layer
//   pml_velocity = 3.0        # P velocity (m/ms) that sets the layer's damping;
//                             # the fastest on the model's borders when not given
//   [[shots]]                 # one table per shot, numbered from 1 in file order
//   x = 200.0                 # metres from the model's left edge
//   y = 250.0                 # metres up from the model's bottom edge
//   kind = "force_y"          # force_x, force_y, explosion or moment
//   amplitude = 1.0           # force, scalar moment, or the factor of mxx, myy, mxy
//   [receivers]
//   x = [10.0, 20.0]          # or from = [x0, y0], to = [x1, y1], count = n
//   y = [295.0, 295.0]
//   [output]
//   name = "survey"           # survey_vx.sgy, survey_vz.sgy, survey_spectra.h5
//
// Every fault ends in RunError (exit status 2) with a message
// "FILE:LINE: KEY: what is wrong", KEY the dotted path of the key with shots
// and array entries numbered from 1 (shots[2].kind, receivers.x[3]). Nothing
// is written by reading.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/run_params.hpp"

namespace ef {

enum class ShotKind { force_x, force_y, explosion, moment };

// The name of a kind as the survey file writes it ("force_x", ...).
std::string_view shot_kind_name(ShotKind kind);

struct Shot {
    double x = 0.0, y = 0.0;  // m, from the lower-left corner of the model
    ShotKind kind = ShotKind::explosion;
    // A force's size, an explosion's scalar moment (M = amplitude I), or the
    // factor of the moment tensor's components.
    double amplitude = 1.0;
    double mxx = 0.0, myy = 0.0, mxy = 0.0;  // kind moment only
    int line = 0;                            // of the shot's x key
};

enum class AbsorbingBoundary { pml, first_order };

struct SurveyBoundaries {
    bool free_top = true;  // top = "free": traction-free, no absorbing term
    AbsorbingBoundary absorbing = AbsorbingBoundary::pml;
    int pml_elements = 20;
    double pml_reflection = 1e-3;
    // The P velocity the layer's damping is designed for; 0: the fastest on
    // the model's borders. A fixed value keeps the damping from moving with
    // the model, as an inversion's misfit needs.
    double pml_velocity = 0.0;
};

struct Survey {
    std::filesystem::path file;  // the survey file as named to the reader
    std::filesystem::path deck;  // resolved: absolute, or relative to the working directory
    int deck_line = 0;
    SurveyBoundaries boundaries;
    std::vector<Shot> shots;
    std::vector<double> receiver_x, receiver_y;  // m
    std::vector<int> receiver_line;              // line each receiver was given on
    std::string receiver_key;                    // "receivers.x" or "receivers.from"
    std::string output_name = "survey";
};

// Parses the text of a survey file; `file` names it in messages and gives the
// folder the deck path is relative to.
Survey parse_survey(std::string_view text, const std::filesystem::path& file);

// Reads and parses the survey file.
Survey read_survey_file(const std::filesystem::path& file);

// Once the deck is read: every shot and receiver inside the model of
// p.xsize by p.ysize metres, its edges included.
void check_survey_positions(const Survey& survey, const RunParams& p);

}  // namespace ef
