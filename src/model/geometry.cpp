#include "model/geometry.hpp"

#include "model/int_trunc.hpp"

namespace ef {

MeshSize mesh_size(double xsize, double ysize, std::int32_t ngx, std::int32_t ngy) {
    const double hx = xsize / ngx;
    const double hy = ysize / ngy;
    const double h = (hy < hx) ? hy : hx;
    return {h, ngx * h, ngy * h};
}

LocalPosition locate(const BlockLayout& b, double x, double y) {
    // Block arithmetic in 64 bits, then wrapped to 32 bits as the int32
    // statement would.
    const std::int64_t row_from_top = std::int64_t{b.nsy} - 1 - int_trunc(y / b.hpy);
    const auto k = static_cast<std::int32_t>(row_from_top * b.nsx + int_trunc(x / b.hpx));
    const std::int32_t kx = k % b.nsx;
    const std::int32_t ky = k / b.nsx;
    const std::int32_t i = int_trunc((x - kx * b.hpx) / b.h + 1.0);
    const auto block_row = static_cast<std::int32_t>(std::int64_t{b.nsy} - 1 - ky);
    const std::int32_t j = int_trunc((y - block_row * b.hpy) / b.h + 1.0);
    return {k, i, j};
}

double clamp_source(double s, double size, double h) {
    if (h > s) s = h;
    if (s > size - h) s = size - h;
    return s;
}

std::int32_t global_column(const BlockLayout& b, std::int32_t kx, std::int32_t i) {
    return int_trunc((kx * b.hpx + (i - 1) * b.h + b.h / 2) / b.h + 1);
}

std::int32_t global_row(const BlockLayout& b, std::int32_t ky, std::int32_t j) {
    return int_trunc(((b.nsy - 1 - ky) * b.hpy + (j - 1) * b.h + b.h / 2) / b.h + 1);
}

ElementRange region_range(double xi, double xf, double yi, double yf, double h,
                          std::int32_t ngx, std::int32_t ngy) {
    xi += h / 2;
    xf -= h / 2;
    yi += h / 2;
    yf -= h / 2;
    const std::int32_t ixf = int_trunc(xf / h + 1);
    const std::int32_t iyf = int_trunc(yf / h + 1);
    return {int_trunc(xi / h + 1), ngx < ixf ? ngx : ixf, int_trunc(yi / h + 1),
            ngy < iyf ? ngy : iyf};
}

void extend_border(Grid2<std::int32_t>& matnum) {
    const int ngx = matnum.nx(), ngy = matnum.ny();
    for (int j = 0; j <= ngy + 1; ++j) {
        matnum(0, j) = matnum(1, j);
        matnum(ngx + 1, j) = matnum(ngx, j);
    }
    for (int i = 0; i <= ngx + 1; ++i) {
        matnum(i, 0) = matnum(i, 1);
        matnum(i, ngy + 1) = matnum(i, ngy);
    }
}

}  // namespace ef
