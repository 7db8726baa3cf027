// Storage of the row systems: the band work array, the profile of the factors
// and their per-row streaming layout, and the scratch of one row solve.
#include <algorithm>
#include <cassert>

#include "solver/row_system.hpp"

namespace ef {

Band::Band(int nx)
    : n_(row_unknowns(nx)), data_(static_cast<std::size_t>(row_unknowns(nx)) * 15) {}

void Band::clear() { std::fill(data_.begin(), data_.end(), Complex{}); }

int profile_limit(int k, int n) {
    const int block_end = 6 * ((k + 5) / 6) + 2;  // right edge of the element of unknown k
    return std::min({k + 7, block_end, n});
}

RowFactors::RowFactors(int nx, int ny) : nx_(nx), ny_(ny) {
    if (nx < 1 || ny < 1) return;
    n_ = row_unknowns(nx);
    const std::size_t n = static_cast<std::size_t>(n_);
    lower_count_.assign(n + 1, 0);
    upper_count_.assign(n + 1, 0);
    lower_start_.assign(n + 2, 0);
    upper_start_.assign(n + 2, 0);
    // Row k of L holds l(k, m) for the m < k whose column reaches k; P is
    // non-decreasing, so these are m = k - 1 down to the first m with P(m) < k.
    for (int k = 1; k <= n_; ++k) {
        int count = 0;
        for (int m = k - 1; m >= 1 && profile_limit(m, n_) >= k; --m) ++count;
        lower_count_[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(count);
        upper_count_[static_cast<std::size_t>(k)] =
            static_cast<std::uint8_t>(profile_limit(k, n_) - k);
    }
    // lower part in increasing k, each row followed by its pivot
    std::size_t offset = 0;
    for (std::size_t k = 1; k <= n; ++k) {
        lower_start_[k] = static_cast<std::uint32_t>(offset);
        offset += lower_count_[k] + 1u;
    }
    lower_size_ = offset;
    // upper part in decreasing k, the order of the back substitution
    offset = 0;
    for (std::size_t k = n; k >= 1; --k) {
        upper_start_[k] = static_cast<std::uint32_t>(offset);
        offset += upper_count_[k];
    }
    per_row_ = lower_size_ + offset;
    data_.assign(per_row_ * static_cast<std::size_t>(ny), Complex{});
}

RowWorkspace::RowWorkspace(int nx)
    : a(nx),
      rhs(static_cast<std::size_t>(row_unknowns(nx)) + 1),
      answer(static_cast<std::size_t>(row_unknowns(nx)) + 1),
      y(static_cast<std::size_t>(row_unknowns(nx)) + 1) {}

}  // namespace ef
