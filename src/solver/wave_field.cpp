#include "solver/wave_field.hpp"

#include <algorithm>
#include <cmath>

namespace ef {

namespace {

// 1e-14 as a single-precision constant widened to real64.
constexpr double kSmallCentre = 9.9999998245167e-15;

// The quartic that makes the four edge functions of the basis orthogonal
// in the mean: th(t) = t^2 - (5/3) t^4.
double th(double t) {
    const double t2 = t * t;
    return t2 - (5.0 / 3.0) * (t2 * t2);
}

}  // namespace

WaveField::WaveField(int nx, int ny) {
    for (auto& component : u_)
        for (Grid2<Complex>& g : component) g = Grid2<Complex>(nx, ny);
}

WaveField::WaveField(const EdgeNumbering& numbering, std::span<const Complex> x)
    : WaveField(numbering.nx(), numbering.ny()) {
    static constexpr Edge kLocalEdge[4] = {Edge::left, Edge::top, Edge::bottom, Edge::right};
    for (int j = 1; j <= numbering.ny(); ++j)
        for (int i = 1; i <= numbering.nx(); ++i) {
            const std::array<int, 8> dof = numbering.element_unknowns(i, j);
            for (int k = 0; k < 8; ++k)
                trace(k % 2 + 1, kLocalEdge[k / 2], i, j) = x[static_cast<std::size_t>(dof[k])];
        }
}

Complex WaveField::centre_mean(int c, int i, int j) const {
    const Complex t = trace(c, Edge::top, i, j), l = trace(c, Edge::left, i, j);
    const Complex b = trace(c, Edge::bottom, i, j), r = trace(c, Edge::right, i, j);
    return 0.25 * (((t + l) + b) + r);
}

Complex WaveField::centre(int c, int i, int j) const {
    const Complex mean = centre_mean(c, i, j);
    return abs(mean) < kSmallCentre ? Complex{0.0, 0.0} : mean;
}

Complex WaveField::at(int c, int i, int j, double x, double y) const {
    const double d = 0.375 * (th(x) - th(y));
    const double top = (0.25 + 0.5 * y) + d, bottom = (0.25 - 0.5 * y) + d;
    const double left = (0.25 - 0.5 * x) - d, right = (0.25 + 0.5 * x) - d;
    // the centre mean's order: top, left, bottom, right
    return ((top * trace(c, Edge::top, i, j) + left * trace(c, Edge::left, i, j)) +
            bottom * trace(c, Edge::bottom, i, j)) +
           right * trace(c, Edge::right, i, j);
}

Complex WaveField::at_point(int c, double x, double y, double h) const {
    auto locate = [h](double s, int n, int& k) {
        k = std::clamp(static_cast<int>(std::floor(s / h)) + 1, 1, std::max(n, 1));
        return 2.0 * (s / h - (k - 1)) - 1.0;  // reference coordinate
    };
    int i = 1, j = 1;
    const double xr = locate(x, nx(), i);
    const double yr = locate(y, ny(), j);
    return at(c, i, j, xr, yr);
}

bool WaveField::finite() const {
    for (const auto& component : u_)
        for (const Grid2<Complex>& g : component)
            for (std::size_t k = 0; k < g.size(); ++k)
                if (!std::isfinite(g.data()[k].re) || !std::isfinite(g.data()[k].im)) return false;
    return true;
}

}  // namespace ef
