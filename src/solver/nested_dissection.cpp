#include "solver/nested_dissection.hpp"

#include <metis.h>

#include <algorithm>

namespace ef {

namespace {

// The seed of METIS's random choices, fixed: the ordering is then a function
// of the pattern alone (METIS draws from a generator of its own).
constexpr idx_t kSeed = 4321;

// A graph in compressed adjacency form (0-based).
struct Graph {
    std::vector<idx_t> start, next;
    idx_t vertices() const { return static_cast<idx_t>(start.size()) - 1; }
};

// The symmetric graph whose lower triangle `pattern` holds, without self
// loops, each list sorted.
Graph pattern_graph(const CoordinateSystem& pattern) {
    const std::size_t n = static_cast<std::size_t>(pattern.n);
    Graph g;
    g.start.assign(n + 1, 0);
    for (std::size_t e = 0; e < pattern.row.size(); ++e)
        if (pattern.row[e] != pattern.column[e]) {
            ++g.start[static_cast<std::size_t>(pattern.row[e])];
            ++g.start[static_cast<std::size_t>(pattern.column[e])];
        }
    for (std::size_t v = 0; v < n; ++v) g.start[v + 1] += g.start[v];
    g.next.resize(static_cast<std::size_t>(g.start[n]));
    std::vector<idx_t> fill(g.start.begin(), g.start.end() - 1);
    for (std::size_t e = 0; e < pattern.row.size(); ++e) {
        const idx_t r = pattern.row[e] - 1, c = pattern.column[e] - 1;
        if (r == c) continue;
        g.next[static_cast<std::size_t>(fill[static_cast<std::size_t>(r)]++)] = c;
        g.next[static_cast<std::size_t>(fill[static_cast<std::size_t>(c)]++)] = r;
    }
    // each position of the lower triangle is there once: no duplicates
    for (std::size_t v = 0; v < n; ++v)
        std::sort(g.next.begin() + g.start[v], g.next.begin() + g.start[v + 1]);
    return g;
}

// Whether unknowns a and b have the same neighbours, each other and
// themselves included: they then take part in every elimination together.
bool twins(const Graph& g, idx_t a, idx_t b) {
    auto begin = [&](idx_t v) { return g.next.begin() + g.start[static_cast<std::size_t>(v)]; };
    auto end = [&](idx_t v) { return g.next.begin() + g.start[static_cast<std::size_t>(v) + 1]; };
    if (end(a) - begin(a) != end(b) - begin(b)) return false;
    if (!std::binary_search(begin(a), end(a), b)) return false;
    // a's list without b equals b's list without a
    auto i = begin(a), j = begin(b);
    while (i != end(a) || j != end(b)) {
        if (i != end(a) && *i == b) { ++i; continue; }
        if (j != end(b) && *j == a) { ++j; continue; }
        if (i == end(a) || j == end(b) || *i != *j) return false;
        ++i;
        ++j;
    }
    return true;
}

}  // namespace

std::optional<std::vector<int>> nested_dissection_order(const CoordinateSystem& pattern) {
    if (pattern.n < kMinimumNestedDissectionUnknowns) return std::nullopt;
    const Graph g = pattern_graph(pattern);
    if (g.next.empty()) return std::nullopt;

    // Runs of consecutive twins (the two components at an edge midpoint)
    // become one vertex: METIS then cuts a graph half the size, in half the
    // time, with the same separators.
    const idx_t n = g.vertices();
    std::vector<idx_t> group(static_cast<std::size_t>(n));
    std::vector<idx_t> first;  // first unknown of each group, and n
    for (idx_t v = 0; v < n; ++v) {
        if (first.empty() || !twins(g, first.back(), v)) first.push_back(v);
        group[static_cast<std::size_t>(v)] = static_cast<idx_t>(first.size()) - 1;
    }
    const idx_t groups = static_cast<idx_t>(first.size());
    first.push_back(n);
    Graph quotient;
    quotient.start.assign(1, 0);
    for (idx_t q = 0; q < groups; ++q) {
        const idx_t v = first[static_cast<std::size_t>(q)];
        for (idx_t k = g.start[static_cast<std::size_t>(v)]; k < g.start[static_cast<std::size_t>(v) + 1]; ++k) {
            const idx_t w = group[static_cast<std::size_t>(g.next[static_cast<std::size_t>(k)])];
            if (w != q && (quotient.next.size() == static_cast<std::size_t>(quotient.start.back()) ||
                           quotient.next.back() != w))
                quotient.next.push_back(w);
        }
        quotient.start.push_back(static_cast<idx_t>(quotient.next.size()));
    }

    idx_t options[METIS_NOPTIONS];
    METIS_SetDefaultOptions(options);
    options[METIS_OPTION_NUMBERING] = 0;
    options[METIS_OPTION_SEED] = kSeed;
    idx_t vertices = groups;
    std::vector<idx_t> perm(static_cast<std::size_t>(groups)), iperm(static_cast<std::size_t>(groups));
    if (quotient.next.empty() ||
        METIS_NodeND(&vertices, quotient.start.data(), quotient.next.data(), nullptr, options,
                     perm.data(), iperm.data()) != METIS_OK)
        return std::nullopt;

    // perm[p]: the group in position p of the elimination order; its
    // unknowns follow one another there.
    std::vector<int> position(static_cast<std::size_t>(n), 0);
    std::vector<char> placed(static_cast<std::size_t>(groups), 0);
    int next_position = 1;
    for (idx_t p = 0; p < groups; ++p) {
        const idx_t q = perm[static_cast<std::size_t>(p)];
        if (q < 0 || q >= groups || placed[static_cast<std::size_t>(q)]) return std::nullopt;
        placed[static_cast<std::size_t>(q)] = 1;
        for (idx_t v = first[static_cast<std::size_t>(q)]; v < first[static_cast<std::size_t>(q) + 1]; ++v)
            position[static_cast<std::size_t>(v)] = next_position++;
    }
    return position;
}

}  // namespace ef
