#include "solver/survey_system.hpp"

#include <algorithm>


namespace ef {

ElementFields padded_fields(const PaddedGrid& grid, const ElementFields& model) {
    ElementFields el(grid.nx(), grid.ny());
    for (int j = 0; j <= grid.ny() + 1; ++j)
        for (int i = 0; i <= grid.nx() + 1; ++i) {
            const auto [mi, mj] = grid.model_element(i, j);
            el.xln(i, j) = model.xln(mi, mj);
            el.xmu(i, j) = model.xmu(mi, mj);
            el.rho(i, j) = model.rho(mi, mj);
        }
    for (int j = 0; j <= grid.ny() + 1; ++j) {
        const std::size_t js = static_cast<std::size_t>(j);
        const std::size_t mj = static_cast<std::size_t>(grid.model_element(1, j).second);
        el.vpleft[js] = model.vpleft[mj];
        el.vsleft[js] = model.vsleft[mj];
        el.vpright[js] = model.vpright[mj];
        el.vsright[js] = model.vsright[mj];
    }
    for (int i = 0; i <= grid.nx() + 1; ++i) {
        const std::size_t is = static_cast<std::size_t>(i);
        const std::size_t mi = static_cast<std::size_t>(grid.model_element(i, 1).first);
        el.vpbot[is] = model.vpbot[mi];
        el.vsbot[is] = model.vsbot[mi];
        el.vptop[is] = model.vptop[mi];
        el.vstop[is] = model.vstop[mi];
    }
    return el;
}

FieldGradient model_gradient(const PaddedGrid& grid, const FieldGradient& padded) {
    FieldGradient g(grid.model_nx(), grid.model_ny());
    for (int j = 1; j <= grid.ny(); ++j)
        for (int i = 1; i <= grid.nx(); ++i) {
            const auto [mi, mj] = grid.model_element(i, j);
            g.xln(mi, mj) += padded.xln(i, j);
            g.xmu(mi, mj) += padded.xmu(i, j);
            g.rho(mi, mj) += padded.rho(i, j);
        }
    for (int j = 1; j <= grid.ny(); ++j) {
        const std::size_t js = static_cast<std::size_t>(j);
        const std::size_t mj = static_cast<std::size_t>(grid.model_element(1, j).second);
        g.vpleft[mj] += padded.vpleft[js];
        g.vsleft[mj] += padded.vsleft[js];
        g.vpright[mj] += padded.vpright[js];
        g.vsright[mj] += padded.vsright[js];
    }
    for (int i = 1; i <= grid.nx(); ++i) {
        const std::size_t is = static_cast<std::size_t>(i);
        const std::size_t mi = static_cast<std::size_t>(grid.model_element(i, 1).first);
        g.vpbot[mi] += padded.vpbot[is];
        g.vsbot[mi] += padded.vsbot[is];
        g.vptop[mi] += padded.vptop[is];
        g.vstop[mi] += padded.vstop[is];
    }
    return g;
}

PmlProfiles layer_profiles(const PaddedGrid& grid, const ElementFields& model, double h,
                           double reflection, double velocity) {
    if (velocity > 0.0)
        return {PmlProfile(grid.layer(), h, velocity, reflection),
                PmlProfile(grid.layer(), h, velocity, reflection)};
    double vx = 0.0, vy = 0.0;
    const std::size_t ny = model.vpleft.size() - 1, nx = model.vpbot.size() - 1;
    for (std::size_t j = 1; j < ny; ++j) vx = std::max({vx, model.vpleft[j].re, model.vpright[j].re});
    for (std::size_t i = 1; i < nx; ++i) vy = std::max({vy, model.vpbot[i].re, model.vptop[i].re});
    return {PmlProfile(grid.layer(), h, vx, reflection), PmlProfile(grid.layer(), h, vy, reflection)};
}

}  // namespace ef
