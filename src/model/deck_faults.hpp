// Deck values the model cannot use although no numbered check of the deck
// rejects them (divisions by zero, undefined frequency numbers, reads outside
// the material map). Each function throws RunError with a message naming the
// value and its record when the value is unusable, and returns otherwise.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/grid2.hpp"
#include "common/run_params.hpp"
#include "model/geometry.hpp"

namespace ef {

// A count that divides or bounds a loop: at least 1.
void require_at_least_one(std::string_view name, std::string_view record, std::int32_t value,
                          std::string_view meaning);
// nsx, nsy, ngx, ngy, in record order.
void check_grid_counts(const ProcessGrid& a1, std::int32_t ngx, std::int32_t ngy);
// npf at least 1 and f4 positive: together they set the frequency step.
void check_frequency_step(const RunParams& p);
// f1, f2, f3 not negative (f4 is checked with the frequency step).
void check_band_pass(const RunParams& p);
// keyqua 1 or 2.
void check_quadrature(const RunParams& p);
// key 1, 2 or 3.
void check_wavelet_type(const RunParams& p);
// Every global element 1..ngx x 1..ngy has a material (no region left it 0);
// the first element without one, rows from the bottom and columns from the
// left, is named.
void check_coverage(const Grid2<std::int32_t>& matnum);
// The block of process a1.iproc, border ring included, maps into the global
// grid 0..ngx+1 x 0..ngy+1 (blocks are hpx by hpy metres from the sizes as
// read, the grid ngx*h by ngy*h after rounding).
void check_block_in_grid(const ProcessGrid& a1, const RunParams& p);

}  // namespace ef
