// A measuring instrument built from the solver's own pieces: the converged
// complex wave field of chosen frequencies along one element column, at full
// precision. The dispersion measurement (tools/dispersion) and its test use it
// to fit numerical wavenumbers; the programs do not.
#pragma once

#include <vector>

#include "common/complex.hpp"
#include "common/run_params.hpp"
#include "common/units.hpp"
#include "driver/program.hpp"
#include "solver/element_fields.hpp"
#include "solver/outer_iteration.hpp"

namespace ef {

// Everything set up once from a deck: run parameters, block geometry and
// the per-frequency moduli of the deck's materials (computed in memory with
// the Liu model, as elastofreq_moduli writes them).
using ProbeModel = RunSetup;

// What the probe works on from one frequency to the next: the element
// properties and the iteration's working storage.
struct ProbeState {
    explicit ProbeState(const RunParams& p) : fields(p.nx, p.ny), iteration(p.nx, p.ny) {}
    ElementFields fields;
    IterationState iteration;
};

// Reads the deck on unit 5 (the run summary goes to unit 6) and sets up the
// model. The deck reader's stops and errors propagate.
ProbeModel read_probe_model(Units& units, const BuildLimits& limits);

// What the left and right sides of the model do. The solver's own boundary
// absorbs there, but a laterally uniform plane wave does not satisfy that
// condition: the sides send edge waves into the model. The two mirror settings
// replace the absorbing coefficients of the sides (only there; top and bottom
// keep theirs) so that the sides act as symmetry planes of an infinitely wide
// model for one kind of plane wave:
//  - s_wave_mirror: no normal term (u1 free) and a very stiff tangential one
//    (u2 held at zero): exact for the horizontally polarised S wave;
//  - p_wave_mirror: a very stiff normal term (u1 held at zero) and no
//    tangential one: exact for the vertically polarised P wave.
enum class LateralBoundary { absorbing, s_wave_mirror, p_wave_mirror };

// The element-centre field of one column i, rows j = 1..ny.
struct ColumnField {
    int jw = 0;
    double fjw = 0.0;  // kHz
    int iter = 0;
    double gerror = 0.0;
    bool converged = false;
    std::vector<double> y;  // element-centre heights (m), j = 1..ny at index j - 1
    std::vector<Complex> u1, u2;
};

// Solves frequency number jw (any number from 1 to jw2 of the deck) with the
// domain-decomposition iteration, starting from the interface state that s
// holds, and returns the column's field. The centre values are the plain
// averages of the four edge values, without the small-value cut-off of the
// snapshot files. The monitoring records go to units 10 to 13.
ColumnField solve_column(Units& units, const ProbeModel& model, ProbeState& s, int jw,
                         int column, LateralBoundary sides = LateralBoundary::absorbing);

}  // namespace ef
