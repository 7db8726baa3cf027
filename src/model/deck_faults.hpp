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
// The material map holds the whole global grid, of which this run solves
// one block. With many subdomains nx and ny pass the row limit check for a
// global grid of up to 10^10 elements; the map is allowed at most the
// elements of 4 x 4 blocks of the largest local grid, 16 N^2.
void check_global_grid(const BuildLimits& limits, std::int32_t ngx, std::int32_t ngy);
// xsize and ysize positive: they give the element size h, by which the grid,
// the time step and every position are divided.
void check_domain_sizes(double xsize, double ysize);
// A real of the deck: NaN and infinity are rejected where they are read,
// before they reach an integer conversion or the model. Returns value.
double require_finite(double value, std::string_view what);
// npf at least 1 and f4 positive, and f4 / npf not rounded to zero: together
// they set the frequency step.
void check_frequency_step(const RunParams& p);
// The time step dt = (h / ppmax) * 0.1 a positive finite number (not so when
// a density or modulus of zero or of extreme size makes ppmax zero or
// infinite): every time and every sample count is divided by it.
void check_time_step(const RunParams& p);
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
