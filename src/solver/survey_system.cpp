#include "solver/survey_system.hpp"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "solver/element_matrix.hpp"
#include "solver/stretched_element.hpp"

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

PmlProfiles layer_profiles(const PaddedGrid& grid, const ElementFields& model, double h,
                           double reflection) {
    double vx = 0.0, vy = 0.0;
    const std::size_t ny = model.vpleft.size() - 1, nx = model.vpbot.size() - 1;
    for (std::size_t j = 1; j < ny; ++j) vx = std::max({vx, model.vpleft[j].re, model.vpright[j].re});
    for (std::size_t i = 1; i < nx; ++i) vy = std::max({vy, model.vpbot[i].re, model.vptop[i].re});
    return {PmlProfile(grid.layer(), h, vx, reflection), PmlProfile(grid.layer(), h, vy, reflection)};
}

SurveyAssembly::SurveyAssembly(const PaddedGrid& grid)
    : grid_(grid), pattern_(grid.nx(), grid.ny()), system_(pattern_.system()) {
    const EdgeNumbering& num = pattern_.numbering();
    const std::int64_t n = system_.n;
    std::unordered_map<std::int64_t, int> entry_of;
    for (std::size_t e = 0; e < system_.row.size(); ++e)
        entry_of[(system_.row[e] - 1) * n + (system_.column[e] - 1)] = static_cast<int>(e);
    slot_.reserve(static_cast<std::size_t>(num.nx()) * num.ny() * 64);
    for (int j = 1; j <= num.ny(); ++j)
        for (int i = 1; i <= num.nx(); ++i) {
            const std::array<int, 8> dof = num.element_unknowns(i, j);
            for (int k = 0; k < 8; ++k)
                for (int m = 0; m < 8; ++m)
                    slot_.push_back(dof[k] < dof[m] ? -1 : entry_of.at(dof[k] * n + dof[m]));
        }
}

void SurveyAssembly::assemble(const SurveyFrequency& f, double h, const ElementFields& el,
                              const PmlProfiles& pml, const PointSourceTerm& shot) {
    system_.value.assign(system_.value.size(), Complex{});
    system_.rhs.assign(system_.rhs.size(), Complex{});
    const EdgeNumbering& num = pattern_.numbering();
    const double omega = f.omega;
    std::size_t e = 0;
    for (int j = 1; j <= num.ny(); ++j) {
        const std::size_t js = static_cast<std::size_t>(j);
        for (int i = 1; i <= num.nx(); ++i, ++e) {
            const std::size_t is = static_cast<std::size_t>(i);
            const double rho = el.rho(i, j);
            const auto [sx, sy] = element_stretch(grid_, pml.x, pml.y, i, j, omega);
            const bool plain = sx == Complex{1.0, 0.0} && sy == Complex{1.0, 0.0};
            ElementMatrix m = plain ? stiffness_minus_mass(el.xln(i, j), el.xmu(i, j), omega, rho, h)
                                    : stretched_element_matrix(el.xln(i, j), el.xmu(i, j), omega, rho, h, sx, sy);
            // i omega rho v h on an outer edge, times the stretching along it
            // (the edge's length in stretched coordinates); P for the normal
            // component, S for the tangential one
            auto absorb = [&](int k, Complex v, Complex along) {
                m[k][k] += edge_term(0.0, h, 1.0, Complex{}, omega, rho, v) * along;
            };
            if (grid_.absorbs_left(i)) { absorb(0, el.vpleft[js], sy); absorb(1, el.vsleft[js], sy); }
            if (grid_.absorbs_top(j)) { absorb(2, el.vstop[is], sx); absorb(3, el.vptop[is], sx); }
            if (grid_.absorbs_bottom(j)) { absorb(4, el.vsbot[is], sx); absorb(5, el.vpbot[is], sx); }
            if (grid_.absorbs_right(i)) { absorb(6, el.vpright[js], sy); absorb(7, el.vsright[js], sy); }

            const int* slot = &slot_[e * 64];
            for (int k = 0; k < 8; ++k)
                for (int c = 0; c < 8; ++c)
                    if (slot[8 * k + c] >= 0) system_.value[static_cast<std::size_t>(slot[8 * k + c])] += m[k][c];
        }
    }
    const std::array<Complex, 8> load = shot.element_load(shot.i(), shot.j(), f.sour);
    const std::array<int, 8> dof = num.element_unknowns(shot.i(), shot.j());
    for (int k = 0; k < 8; ++k) system_.rhs[static_cast<std::size_t>(dof[k])] += load[k];
}

Complex field_at(const EdgeNumbering& numbering, const std::vector<Complex>& x,
                 const ElementPoint& at, int c) {
    const std::array<int, 8> dof = numbering.element_unknowns(at.i, at.j);
    std::array<Complex, 8> u;
    for (int k = 0; k < 8; ++k) u[k] = x[static_cast<std::size_t>(dof[k])];
    return at.interpolate(u, c);
}

}  // namespace ef
