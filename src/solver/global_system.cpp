// Assembly of the global system from the element routines of the row
// systems, and its residual.
#include "solver/global_system.hpp"

#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "solver/element_matrix.hpp"
#include "solver/source_terms.hpp"

namespace ef {

GlobalAssembly::GlobalAssembly(int nx, int ny) : numbering_(nx, ny) {
    const int n = numbering_.unknowns();
    const int elements = numbering_.nx() * numbering_.ny();
    system_.n = n;
    slot_.assign(static_cast<std::size_t>(elements) * 64, -1);

    // Each lower-triangle position gets one entry, in the order the elements
    // first touch it. An unknown lies on one edge, shared by at most two
    // elements of eight unknowns each: its row has at most 15 positions, kept
    // in a short list per row (a hash map of all positions costs ten times
    // as much on large grids).
    constexpr std::size_t kRowPositions = 16;
    std::vector<int> column_of(static_cast<std::size_t>(n) * kRowPositions);
    std::vector<int> entry_of(column_of.size());
    std::vector<std::uint8_t> positions(static_cast<std::size_t>(n), 0);
    std::size_t e = 0;
    for (int j = 1; j <= numbering_.ny(); ++j) {
        for (int i = 1; i <= numbering_.nx(); ++i, ++e) {
            const std::array<int, 8> dof = numbering_.element_unknowns(i, j);
            for (int k = 0; k < 8; ++k) {
                for (int m = 0; m < 8; ++m) {
                    const int r = dof[k], c = dof[m];
                    if (r < c) continue;
                    const std::size_t row = static_cast<std::size_t>(r) * kRowPositions;
                    std::size_t t = 0;
                    while (t < positions[static_cast<std::size_t>(r)] && column_of[row + t] != c) ++t;
                    if (t == positions[static_cast<std::size_t>(r)]) {
                        if (t == kRowPositions) throw std::logic_error("global system: a row with more than 16 positions");
                        column_of[row + t] = c;
                        entry_of[row + t] = static_cast<int>(system_.row.size());
                        ++positions[static_cast<std::size_t>(r)];
                        system_.row.push_back(r + 1);
                        system_.column.push_back(c + 1);
                    }
                    slot_[e * 64 + static_cast<std::size_t>(8 * k + m)] = entry_of[row + t];
                }
            }
        }
    }
    system_.value.assign(system_.row.size(), Complex{});
    system_.rhs.assign(static_cast<std::size_t>(n), Complex{});
}

void GlobalAssembly::assemble_matrix(const FrequencyProblem& pb) {
    system_.value.assign(system_.value.size(), Complex{});
    const EdgeRobin no_robin;  // the global system has no Robin terms
    std::size_t e = 0;
    for (int j = 1; j <= numbering_.ny(); ++j) {
        for (int i = 1; i <= numbering_.nx(); ++i, ++e) {
            ElementMatrix m = element_matrix(pb, i, j);
            add_edge_terms(pb, i, j, no_robin, m);
            const int* slot = &slot_[e * 64];
            for (int k = 0; k < 8; ++k)
                for (int c = 0; c < 8; ++c)
                    if (slot[8 * k + c] >= 0) system_.value[static_cast<std::size_t>(slot[8 * k + c])] += m[k][c];
        }
    }
}

void GlobalAssembly::assemble_rhs(const FrequencyProblem& pb) {
    system_.rhs.assign(system_.rhs.size(), Complex{});
    for (int j = 1; j <= numbering_.ny(); ++j) {
        const RowSource source = pb.source.row_loads(j, pb.h);
        if (source.kind == SourceKind::none) continue;
        for (int i = 1; i <= numbering_.nx(); ++i) {
            Complex contribution[8] = {};
            add_element_source(source, contribution);
            const std::array<int, 8> dof = numbering_.element_unknowns(i, j);
            for (int k = 0; k < 8; ++k)
                system_.rhs[static_cast<std::size_t>(dof[k])] += contribution[k];
        }
    }
    if (pb.source.kind == SourceKind::point) {
        const std::array<Complex, 8> load = pb.source.point_load();
        const std::array<int, 8> dof = numbering_.element_unknowns(pb.source.at.i(), pb.source.at.j());
        for (int k = 0; k < 8; ++k) system_.rhs[static_cast<std::size_t>(dof[k])] += load[k];
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

}  // namespace ef
