#include "solver/grid_dissection.hpp"

namespace ef {

namespace {

// Rectangles of at most this many elements are not cut further: their edges
// are ordered as they come (MUMPS merges such small fronts anyway).
constexpr int kLeafElements = 4;

class GridDissection {
public:
    explicit GridDissection(const EdgeNumbering& numbering)
        : n_(numbering), position_(static_cast<std::size_t>(numbering.unknowns()), 0) {}

    std::vector<int> order() {
        if (n_.nx() > 0 && n_.ny() > 0) dissect(1, n_.nx(), 1, n_.ny());
        return std::move(position_);
    }

private:
    void place(int edge) {
        position_[static_cast<std::size_t>(2 * edge)] = next_++;
        position_[static_cast<std::size_t>(2 * edge + 1)] = next_++;
    }

    // Elements i0..i1 x j0..j1. The rectangle owns the edges between two of
    // its elements and those on the grid's outer boundary; the edges on its
    // own boundary inside the grid belong to the cuts around it.
    void dissect(int i0, int i1, int j0, int j1) {
        const int width = i1 - i0 + 1, height = j1 - j0 + 1;
        if (width * height <= kLeafElements) {
            place_owned(i0, i1, j0, j1);
        } else if (width >= height) {
            const int m = (i0 + i1) / 2;
            dissect(i0, m, j0, j1);
            dissect(m + 1, i1, j0, j1);
            for (int j = j0; j <= j1; ++j) place(n_.vertical(m, j));
        } else {
            const int m = (j0 + j1) / 2;
            dissect(i0, i1, j0, m);
            dissect(i0, i1, m + 1, j1);
            for (int i = i0; i <= i1; ++i) place(n_.horizontal(i, m));
        }
    }

    void place_owned(int i0, int i1, int j0, int j1) {
        const int first_i = i0 == 1 ? 0 : i0, last_i = i1 == n_.nx() ? i1 : i1 - 1;
        for (int j = j0; j <= j1; ++j)
            for (int i = first_i; i <= last_i; ++i) place(n_.vertical(i, j));
        const int first_j = j0 == 1 ? 0 : j0, last_j = j1 == n_.ny() ? j1 : j1 - 1;
        for (int j = first_j; j <= last_j; ++j)
            for (int i = i0; i <= i1; ++i) place(n_.horizontal(i, j));
    }

    const EdgeNumbering& n_;
    std::vector<int> position_;
    int next_ = 1;
};

}  // namespace

std::vector<int> grid_dissection_order(const EdgeNumbering& numbering) {
    return GridDissection(numbering).order();
}

DirectSolverOptions grid_solver_options(const EdgeNumbering& numbering) {
    DirectSolverOptions options = direct_options_from_environment();
    if (options.ordering == Ordering::grid_dissection) options.order = grid_dissection_order(numbering);
    return options;
}

}  // namespace ef
