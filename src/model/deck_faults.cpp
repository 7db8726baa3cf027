#include "model/deck_faults.hpp"

#include <sstream>
#include <string>

#include "common/stop.hpp"

namespace ef {

namespace {

std::string real_text(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

[[noreturn]] void reject(const std::string& message) { throw RunError("input deck: " + message); }

void require_not_negative(std::string_view name, double value) {
    if (value < 0.0)
        reject(std::string(name) + " = " + real_text(value) +
               " (record 19): band-pass frequencies must not be negative");
}

}  // namespace

void require_at_least_one(std::string_view name, std::string_view record, std::int32_t value,
                          std::string_view meaning) {
    if (value < 1)
        reject(std::string(name) + " = " + std::to_string(value) + " (" + std::string(record) +
               "): " + std::string(meaning) + " must be at least 1");
}

void check_grid_counts(const ProcessGrid& a1, std::int32_t ngx, std::int32_t ngy) {
    require_at_least_one("nsx", "record 3", a1.nsx, "the number of subdomains in x");
    require_at_least_one("nsy", "record 4", a1.nsy, "the number of subdomains in y");
    require_at_least_one("ngx", "record 6", ngx, "the number of global elements in x");
    require_at_least_one("ngy", "record 7", ngy, "the number of global elements in y");
}

void check_frequency_step(const RunParams& p) {
    require_at_least_one("npf", "record 15", p.npf, "the number of frequency points");
    if (!(p.f4 > 0.0))
        reject("f4 = " + real_text(p.f4) +
               " (record 19): the highest band-pass frequency must be positive; it sets the "
               "frequency step f4/npf");
}

void check_band_pass(const RunParams& p) {
    require_not_negative("f1", p.f1);
    require_not_negative("f2", p.f2);
    require_not_negative("f3", p.f3);
}

void check_quadrature(const RunParams& p) {
    if (p.keyqua != 1 && p.keyqua != 2)
        reject("keyqua = " + std::to_string(p.keyqua) +
               " (record 14): the frequency quadrature must be 1 (standard) or 2 (mid point)");
}

void check_wavelet_type(const RunParams& p) {
    if (p.key < 1 || p.key > 3)
        reject("key = " + std::to_string(p.key) +
               " (record 16): the source wavelet type must be 1, 2 or 3");
}

void check_coverage(const Grid2<std::int32_t>& matnum) {
    for (int j = 1; j <= matnum.ny(); ++j)
        for (int i = 1; i <= matnum.nx(); ++i)
            if (matnum(i, j) == 0)
                reject("no material region covers global element (I, J) = (" +
                       std::to_string(i) + ", " + std::to_string(j) +
                       "); every element needs a material");
}

void check_block_in_grid(const ProcessGrid& a1, const RunParams& p) {
    const BlockLayout b{a1.nsx, a1.nsy, p.hpx, p.hpy, p.h};
    const std::int32_t kx = a1.iproc % a1.nsx;
    const std::int32_t ky = a1.iproc / a1.nsx;
    const std::int32_t first_column = global_column(b, kx, 0);
    const std::int32_t last_column = global_column(b, kx, p.nx + 1);
    const std::int32_t first_row = global_row(b, ky, 0);
    const std::int32_t last_row = global_row(b, ky, p.ny + 1);
    if (first_column < 0 || last_column > p.ngx + 1)
        reject("the subdomain (ring included) covers global columns " +
               std::to_string(first_column) + " to " + std::to_string(last_column) +
               ", outside 0 to ngx + 1 = " + std::to_string(p.ngx + 1) +
               ": subdomains are hpx = " + real_text(p.hpx) +
               " m wide from the size as read, but the grid was rounded to xsize = " +
               real_text(p.xsize) + " m");
    if (first_row < 0 || last_row > p.ngy + 1)
        reject("the subdomain (ring included) covers global rows " + std::to_string(first_row) +
               " to " + std::to_string(last_row) + ", outside 0 to ngy + 1 = " +
               std::to_string(p.ngy + 1) + ": subdomains are hpy = " + real_text(p.hpy) +
               " m high from the size as read, but the grid was rounded to ysize = " +
               real_text(p.ysize) + " m");
}

}  // namespace ef
