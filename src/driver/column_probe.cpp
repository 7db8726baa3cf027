#include "model/sampling.hpp"
#include "driver/column_probe.hpp"
#include "common/constants.hpp"

#include <algorithm>
#include <stdexcept>

#include "common/stop.hpp"
#include "driver/element_properties.hpp"
#include "model/boundary.hpp"
#include "model/liu_moduli.hpp"
#include "model/readata.hpp"
#include "solver/robin.hpp"
#include "solver/row_system.hpp"

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

Complex centre(Complex t, Complex l, Complex b, Complex r) {
    return 0.25 * (((t + l) + b) + r);
}
}  // namespace

ProbeModel read_probe_model(Units& units, const BuildLimits& limits) {
    ProbeModel m;
    m.a1.iproc = 0;
    readata(units, m.a1, limits, m.p);
    m.a1.iprocx = m.a1.iproc % m.a1.nsx;
    m.a1.iprocy = m.a1.iproc / m.a1.nsx;
    subtype(m.a1);
    setdelta(m.p.nx, m.p.ny, m.a1, m.flags);
    check_liu_band(m.p);
    std::vector<double> frequency_khz(static_cast<std::size_t>(std::max(m.p.jw2, 0)) + 1, 0.0);
    for (int jw = 1; jw <= m.p.jw2; ++jw) frequency_khz[jw] = frequency_of(jw, m.p);
    m.moduli = liu_material_moduli(m.p, frequency_khz);
    return m;
}

ColumnField solve_column(Units& units, const ProbeModel& model, SweepState& s, int jw,
                         int column, LateralBoundary sides) {
    const RunParams& p = model.p;
    if (jw < 1 || jw > p.jw2) throw RunError("frequency number outside 1 .. jw2 of the deck");
    if (column < 1 || column > p.nx) throw RunError("column outside 1 .. nx of the deck");
    ColumnField f;
    f.jw = jw;
    f.fjw = frequency_of(jw, p);
    const double omega = f.fjw * kTwoPi;
    check_border_velocities(p, model.a1, model.moduli);
    set_element_properties(units, p, model.a1, model.moduli, jw, f.fjw, true, s.fields);
    set_lateral_boundary(sides, p.ny, s.fields);
    inbeta(p.nx, p.ny, omega, s.fields.rho, s.fields.xln, s.fields.xmu, jw, s.beta);
    RowWorkspace ws(p.nx);
    for (int j = 1; j <= p.ny; ++j)
        coeflu(j, p.nx, omega, p.h, s.fields, s.beta, model.flags, ws, s.factors);
    const IterationResult r = iterate_frequency(units, p, model.a1, jw, model.flags, s);
    f.iter = r.iter;
    f.gerror = r.gerror;
    f.converged = r.converged;
    const InterfaceState& st = s.state;
    const int i = column;
    for (int j = 1; j <= p.ny; ++j) {
        f.y.push_back((j - 1) * p.h + 0.5 * p.h);
        f.u1.push_back(centre(st.u1tn(i, j), st.u1ln(i, j), st.u1bn(i, j), st.u1rn(i, j)));
        f.u2.push_back(centre(st.u2tn(i, j), st.u2ln(i, j), st.u2bn(i, j), st.u2rn(i, j)));
    }
    return f;
}

}  // namespace ef
