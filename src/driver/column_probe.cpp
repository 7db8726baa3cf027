#include "driver/column_probe.hpp"

#include <algorithm>
#include <stdexcept>

#include "common/stop.hpp"
#include "driver/element_properties.hpp"
#include "model/boundary.hpp"
#include "model/liu_moduli.hpp"
#include "model/readata.hpp"
#include "model/sampling.hpp"

namespace ef {

namespace {

// A velocity so large that its absorbing term holds the displacement at zero.
constexpr double kHoldingVelocity = 1e8;

void set_lateral_boundary(LateralBoundary sides, int ny, ElementFields& el) {
    if (sides == LateralBoundary::absorbing) return;
    const bool s_wave = sides == LateralBoundary::s_wave_mirror;
    const Complex normal{s_wave ? 0.0 : kHoldingVelocity, 0.0};
    const Complex tangential{s_wave ? kHoldingVelocity : 0.0, 0.0};
    for (int j = 1; j <= ny; ++j) {
        el.vpleft[j] = normal;
        el.vpright[j] = normal;
        el.vsleft[j] = tangential;
        el.vsright[j] = tangential;
    }
}

}  // namespace

ProbeModel read_probe_model(Units& units, const BuildLimits& limits) {
    ProbeModel m;
    read_run_deck(units, limits, m);
    check_liu_band(m.p);
    std::vector<double> frequency_khz(static_cast<std::size_t>(std::max(m.p.jw2, 0)) + 1, 0.0);
    for (int jw = 1; jw <= m.p.jw2; ++jw) frequency_khz[jw] = frequency_of(jw, m.p);
    m.moduli = liu_material_moduli(m.p, frequency_khz);
    return m;
}

ColumnField solve_column(Units& units, const ProbeModel& model, ProbeState& s, int jw,
                         int column, LateralBoundary sides) {
    const RunParams& p = model.p;
    if (jw < 1 || jw > p.jw2) throw RunError("frequency number outside 1 .. jw2 of the deck");
    if (column < 1 || column > p.nx) throw RunError("column outside 1 .. nx of the deck");
    ColumnField f;
    f.jw = jw;
    f.fjw = frequency_of(jw, p);
    check_border_velocities(p, model.a1, model.moduli);
    set_element_properties(units, p, model.a1, model.moduli, jw, f.fjw, true, s.fields);
    set_lateral_boundary(sides, p.ny, s.fields);
    const FrequencyProblem problem =
        frequency_problem(p, jw, angular_frequency(f.fjw), s.fields, model.flags);
    WaveField field;
    const IterationResult r =
        solve_by_iteration(RunContext{units, p, model.a1.prints()}, problem, s.iteration, field);
    f.iter = r.iter;
    f.gerror = r.gerror;
    f.converged = r.converged;
    for (int j = 1; j <= p.ny; ++j) {
        f.y.push_back((j - 1) * p.h + 0.5 * p.h);
        f.u1.push_back(field.centre_mean(1, column, j));
        f.u2.push_back(field.centre_mean(2, column, j));
    }
    return f;
}

}  // namespace ef
