#include "solver/nested_dissection.hpp"

#include <metis.h>

namespace ef {

namespace {

// The seed of METIS's random choices, fixed: the ordering is then a function
// of the pattern alone (METIS draws from a generator of its own).
constexpr idx_t kSeed = 4321;

// The adjacency lists (0-based, no self loops) of the symmetric graph whose
// lower triangle `pattern` holds, in compressed form.
void adjacency(const CoordinateSystem& pattern, std::vector<idx_t>& start, std::vector<idx_t>& next) {
    const std::size_t n = static_cast<std::size_t>(pattern.n);
    start.assign(n + 1, 0);
    for (std::size_t e = 0; e < pattern.row.size(); ++e)
        if (pattern.row[e] != pattern.column[e]) {
            ++start[static_cast<std::size_t>(pattern.row[e])];
            ++start[static_cast<std::size_t>(pattern.column[e])];
        }
    for (std::size_t v = 0; v < n; ++v) start[v + 1] += start[v];
    next.resize(static_cast<std::size_t>(start[n]));
    std::vector<idx_t> fill(start.begin(), start.end() - 1);
    for (std::size_t e = 0; e < pattern.row.size(); ++e) {
        const idx_t r = pattern.row[e] - 1, c = pattern.column[e] - 1;
        if (r == c) continue;
        next[static_cast<std::size_t>(fill[static_cast<std::size_t>(r)]++)] = c;
        next[static_cast<std::size_t>(fill[static_cast<std::size_t>(c)]++)] = r;
    }
}

}  // namespace

std::optional<std::vector<int>> nested_dissection_order(const CoordinateSystem& pattern) {
    if (pattern.n < kMinimumNestedDissectionUnknowns) return std::nullopt;
    std::vector<idx_t> start, next;
    adjacency(pattern, start, next);
    if (next.empty()) return std::nullopt;

    idx_t options[METIS_NOPTIONS];
    METIS_SetDefaultOptions(options);
    options[METIS_OPTION_NUMBERING] = 0;
    options[METIS_OPTION_SEED] = kSeed;
    // The two components of an edge midpoint share every neighbour: METIS
    // merges such twins before it cuts (its default for orderings; said here
    // because it halves the graph of these systems).
    options[METIS_OPTION_COMPRESS] = 1;
    idx_t n = pattern.n;
    std::vector<idx_t> perm(static_cast<std::size_t>(n)), iperm(static_cast<std::size_t>(n));
    if (METIS_NodeND(&n, start.data(), next.data(), nullptr, options, perm.data(), iperm.data()) !=
        METIS_OK)
        return std::nullopt;

    // iperm[v]: the position of unknown v in the elimination order.
    std::vector<int> position(static_cast<std::size_t>(n));
    std::vector<char> taken(static_cast<std::size_t>(n), 0);
    for (std::size_t v = 0; v < position.size(); ++v) {
        const idx_t p = iperm[v];
        if (p < 0 || p >= n || taken[static_cast<std::size_t>(p)]) return std::nullopt;
        taken[static_cast<std::size_t>(p)] = 1;
        position[v] = static_cast<int>(p) + 1;
    }
    return position;
}

}  // namespace ef
