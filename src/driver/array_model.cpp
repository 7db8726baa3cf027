#include "driver/array_model.hpp"

#include <algorithm>

#include "common/stop.hpp"
#include "driver/element_properties.hpp"

namespace ef {

ArrayModel array_model_of(const SurveyModel& model) {
    const RunParams& p = model.params();
    const RunSetup& run = model.setup();
    const FrequencyBand band = band_of(model);
    ArrayModel m;
    m.nx = p.nx;
    m.ny = p.ny;
    m.h = p.h;
    m.moduli_sets = band.count;
    const std::size_t cells = static_cast<std::size_t>(p.nx) * static_cast<std::size_t>(p.ny);
    m.p_modulus.resize(cells * static_cast<std::size_t>(band.count));
    m.s_modulus.resize(m.p_modulus.size());
    for (int j = 1; j <= p.ny; ++j)
        for (int i = 1; i <= p.nx; ++i) {
            const int material = p.matnum(i, j);
            const ElasticVelocities v = gassmann_velocities(p, run.moduli, material);
            m.density.push_back(run.moduli.densmat[material]);
            m.vp.push_back(v.vpe);
            m.vs.push_back(v.vse);
            const std::size_t k = m.density.size() - 1;
            for (int f = 0; f < band.count; ++f) {
                m.p_modulus[static_cast<std::size_t>(f) * cells + k] = run.moduli.p_modulus(material, p.jw1 + f);
                m.s_modulus[static_cast<std::size_t>(f) * cells + k] = run.moduli.s_modulus(material, p.jw1 + f);
            }
        }
    return m;
}

FrequencyBand band_of(const SurveyModel& model) {
    const RunParams& p = model.params();
    const bool midpoint = p.keyqua == 2;
    if (p.jw1 != (midpoint ? 1 : 2))
        throw RunError(model.survey().file.string() + ": the deck's band does not start at its first frequency");
    FrequencyBand band{p.delf, p.jw2 - p.jw1 + 1, midpoint, {}};
    for (int jw = p.jw1; jw <= p.jw2; ++jw) band.source_spectrum.push_back(p.sour.at(static_cast<std::size_t>(jw)));
    return band;
}

ArraySurveyModel::ArraySurveyModel(Survey survey, ArrayModel model, const FrequencyBand& band)
    : model_(std::move(model)) {
    survey_ = std::move(survey);
    RunParams& p = run_.p;
    p.nx = p.ngx = model_.nx;
    p.ny = p.ngy = model_.ny;
    p.h = model_.h;
    p.xsize = model_.nx * model_.h;
    p.ysize = model_.ny * model_.h;
    // frequency number jw stands for (jw - 1) * delf (numbers 2 .. count + 1),
    // or (jw - 1/2) * delf with the mid-point sampling (numbers 1 .. count)
    p.keyqua = band.midpoint ? 2 : 1;
    p.delf = band.step_khz;
    p.jw1 = band.midpoint ? 1 : 2;
    p.jw2 = p.jw1 + band.count - 1;
    p.sour.assign(static_cast<std::size_t>(p.jw2) + 1, Complex{});
    for (int f = 0; f < band.count; ++f)
        p.sour[static_cast<std::size_t>(p.jw1 + f)] = band.source_spectrum[static_cast<std::size_t>(f)];
}

ElementFields ArraySurveyModel::element_fields(int jw) {
    const int nx = model_.nx, ny = model_.ny;
    const std::size_t set = model_.moduli_sets == 1 ? 0 : static_cast<std::size_t>(jw - run_.p.jw1);
    const std::size_t cells = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
    ElementFields el(nx, ny);
    // the ring around the grid repeats its edge elements
    for (int j = 0; j <= ny + 1; ++j) {
        for (int i = 0; i <= nx + 1; ++i) {
            const std::size_t k = static_cast<std::size_t>(std::clamp(j, 1, ny) - 1) * nx +
                                  static_cast<std::size_t>(std::clamp(i, 1, nx) - 1);
            const Complex pm = model_.p_modulus[set * cells + k];
            const Complex sm = model_.s_modulus[set * cells + k];
            el.xmu(i, j) = sm;
            el.xln(i, j) = pm - 2.0 * sm;
            el.rho(i, j) = model_.density[k];
            const Complex vpe{model_.vp[k], 0.0}, vse{model_.vs[k], 0.0};
            if (i == 1) { el.vpleft[j] = vpe; el.vsleft[j] = vse; }
            if (i == nx) { el.vpright[j] = vpe; el.vsright[j] = vse; }
            if (j == 1) { el.vpbot[i] = vpe; el.vsbot[i] = vse; }
            if (j == ny) { el.vptop[i] = vpe; el.vstop[i] = vse; }
        }
    }
    return el;
}

void ArraySurveyModel::add_parameter_gradient(const FieldGradient& g, ParameterGradient& out) const {
    const int nx = model_.nx, ny = model_.ny;
    const std::size_t cells = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
    // the border velocities' derivatives gathered on their elements first
    std::vector<double> by_vp(cells, 0.0), by_vs(cells, 0.0);
    const auto at = [nx](int i, int j) { return static_cast<std::size_t>(j - 1) * nx + static_cast<std::size_t>(i - 1); };
    for (int j = 1; j <= ny; ++j) {
        const std::size_t js = static_cast<std::size_t>(j);
        by_vp[at(1, j)] += g.vpleft[js];
        by_vs[at(1, j)] += g.vsleft[js];
        by_vp[at(nx, j)] += g.vpright[js];
        by_vs[at(nx, j)] += g.vsright[js];
    }
    for (int i = 1; i <= nx; ++i) {
        const std::size_t is = static_cast<std::size_t>(i);
        by_vp[at(i, 1)] += g.vpbot[is];
        by_vs[at(i, 1)] += g.vsbot[is];
        by_vp[at(i, ny)] += g.vptop[is];
        by_vs[at(i, ny)] += g.vstop[is];
    }
    out.p_modulus.resize(cells, 0.0);
    out.s_modulus.resize(cells, 0.0);
    out.density.resize(cells, 0.0);
    for (int j = 1; j <= ny; ++j)
        for (int i = 1; i <= nx; ++i) {
            const std::size_t k = at(i, j);
            const double rho = model_.density[k], vp = model_.vp[k], vs = model_.vs[k];
            // d vp / d(density vp^2) = 1 / (2 density vp); d vp / d density = -vp / (2 density)
            out.p_modulus[k] += g.xln(i, j) + by_vp[k] / (2.0 * rho * vp);
            out.s_modulus[k] += (g.xmu(i, j) - 2.0 * g.xln(i, j)) + by_vs[k] / (2.0 * rho * vs);
            out.density[k] += g.rho(i, j) - (by_vp[k] * vp + by_vs[k] * vs) / (2.0 * rho);
        }
}

}  // namespace ef
