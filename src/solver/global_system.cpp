// Assembly of the global system from the element routines of the row
// systems, its residual, and the element traces of its solution.
#include "solver/global_system.hpp"

#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "solver/element_matrix.hpp"
#include "solver/source_terms.hpp"

namespace ef {

EdgeNumbering::EdgeNumbering(int nx, int ny) {
    const bool empty = nx < 1 || ny < 1;  // no element, no edge
    nx_ = empty ? 0 : nx;
    ny_ = empty ? 0 : ny;
    vertical_edges_ = (nx_ + 1) * ny_;
}

std::array<int, 8> EdgeNumbering::element_unknowns(int i, int j) const {
    const int left = vertical(i - 1, j);
    const int top = horizontal(i, j);
    const int bottom = horizontal(i, j - 1);
    const int right = vertical(i, j);
    return {2 * left, 2 * left + 1, 2 * top, 2 * top + 1,
            2 * bottom, 2 * bottom + 1, 2 * right, 2 * right + 1};
}

GlobalAssembly::GlobalAssembly(int nx, int ny) : numbering_(nx, ny) {
    const int n = numbering_.unknowns();
    const int elements = numbering_.nx() * numbering_.ny();
    system_.n = n;
    slot_.assign(static_cast<std::size_t>(elements) * 64, -1);

    // Each lower-triangle position gets one entry, in the order the elements
    // first touch it.
    std::unordered_map<std::int64_t, int> entry_of;
    entry_of.reserve(static_cast<std::size_t>(elements) * 40);
    std::size_t e = 0;
    for (int j = 1; j <= numbering_.ny(); ++j) {
        for (int i = 1; i <= numbering_.nx(); ++i, ++e) {
            const std::array<int, 8> dof = numbering_.element_unknowns(i, j);
            for (int k = 0; k < 8; ++k) {
                for (int m = 0; m < 8; ++m) {
                    const int r = dof[k], c = dof[m];
                    if (r < c) continue;
                    const std::int64_t key = static_cast<std::int64_t>(r) * n + c;
                    auto [it, added] = entry_of.try_emplace(key, static_cast<int>(system_.row.size()));
                    if (added) {
                        system_.row.push_back(r + 1);
                        system_.column.push_back(c + 1);
                    }
                    slot_[e * 64 + static_cast<std::size_t>(8 * k + m)] = it->second;
                }
            }
        }
    }
    system_.value.assign(system_.row.size(), Complex{});
    system_.rhs.assign(static_cast<std::size_t>(n), Complex{});
}

void GlobalAssembly::assemble(double omega, double h, const ElementFields& el,
                              const BoundaryFlags& flags, int jw, int kdel, int ksou,
                              const std::vector<Complex>& sour) {
    system_.value.assign(system_.value.size(), Complex{});
    system_.rhs.assign(system_.rhs.size(), Complex{});
    // Only the absorbing part of the edge terms: the Robin part is off (e = 0).
    const Complex no_robin{};
    std::size_t e = 0;
    for (int j = 1; j <= numbering_.ny(); ++j) {
        const std::size_t js = static_cast<std::size_t>(j);
        const double dt = flags.deltat[js];
        const double db = flags.deltab[js];
        const RowSource source = row_source(j, jw, h, kdel, ksou, sour);
        for (int i = 1; i <= numbering_.nx(); ++i, ++e) {
            const std::size_t is = static_cast<std::size_t>(i);
            const double rho = el.rho(i, j);
            const double dl = flags.deltal[is];
            const double dr = flags.deltar[is];
            ElementMatrix m = stiffness_minus_mass(el.xln(i, j), el.xmu(i, j), omega, rho, h);
            // The absorbing term takes the P velocity for the normal component.
            const Complex d[8] = {
                edge_term(0.0, h, dl, no_robin, omega, rho, el.vpleft[js]),
                edge_term(0.0, h, dl, no_robin, omega, rho, el.vsleft[js]),
                edge_term(0.0, h, dt, no_robin, omega, rho, el.vstop[is]),
                edge_term(0.0, h, dt, no_robin, omega, rho, el.vptop[is]),
                edge_term(0.0, h, db, no_robin, omega, rho, el.vsbot[is]),
                edge_term(0.0, h, db, no_robin, omega, rho, el.vpbot[is]),
                edge_term(0.0, h, dr, no_robin, omega, rho, el.vpright[js]),
                edge_term(0.0, h, dr, no_robin, omega, rho, el.vsright[js]),
            };
            for (int k = 0; k < 8; ++k) m[k][k] += d[k];

            const int* slot = &slot_[e * 64];
            for (int k = 0; k < 8; ++k)
                for (int c = 0; c < 8; ++c)
                    if (slot[8 * k + c] >= 0) system_.value[static_cast<std::size_t>(slot[8 * k + c])] += m[k][c];

            if (source.kdel != 0) {
                Complex contribution[8] = {};
                add_element_source(source, contribution);
                const std::array<int, 8> dof = numbering_.element_unknowns(i, j);
                for (int k = 0; k < 8; ++k)
                    system_.rhs[static_cast<std::size_t>(dof[k])] += contribution[k];
            }
        }
    }
}

double relative_residual(const CoordinateSystem& s, const std::vector<Complex>& x) {
    std::vector<Complex> ax(static_cast<std::size_t>(s.n), Complex{});
    for (std::size_t e = 0; e < s.value.size(); ++e) {
        const std::size_t r = static_cast<std::size_t>(s.row[e] - 1);
        const std::size_t c = static_cast<std::size_t>(s.column[e] - 1);
        ax[r] += s.value[e] * x[c];
        if (r != c) ax[c] += s.value[e] * x[r];
    }
    double residual = 0.0, rhs = 0.0;
    for (std::size_t r = 0; r < ax.size(); ++r) {
        const Complex d = s.rhs[r] - ax[r];
        residual += d.re * d.re + d.im * d.im;
        rhs += s.rhs[r].re * s.rhs[r].re + s.rhs[r].im * s.rhs[r].im;
    }
    return rhs > 0.0 ? std::sqrt(residual / rhs) : std::sqrt(residual);
}

void store_traces(const EdgeNumbering& numbering, const std::vector<Complex>& x,
                  InterfaceState& s) {
    for (int j = 1; j <= numbering.ny(); ++j) {
        for (int i = 1; i <= numbering.nx(); ++i) {
            const std::array<int, 8> dof = numbering.element_unknowns(i, j);
            auto at = [&](int k) { return x[static_cast<std::size_t>(dof[k])]; };
            s.u1ln(i, j) = at(0);
            s.u2ln(i, j) = at(1);
            s.u1tn(i, j) = at(2);
            s.u2tn(i, j) = at(3);
            s.u1bn(i, j) = at(4);
            s.u2bn(i, j) = at(5);
            s.u1rn(i, j) = at(6);
            s.u2rn(i, j) = at(7);
        }
    }
}

}  // namespace ef
