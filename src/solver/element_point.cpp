#include "solver/element_point.hpp"

#include <cmath>

namespace ef {

namespace {

constexpr double edge_tolerance = 1e-9;  // in element sides

// theta(t) = t^2 - (5/3) t^4 and its derivative
double theta(double t) { return t * t - (5.0 / 3.0) * (t * t) * (t * t); }
double dtheta(double t) { return 2.0 * t - (20.0 / 3.0) * (t * t) * t; }

// Position t in element sides along one axis of n elements: the element
// number (1-based) and the reference coordinate, or nothing outside [0, n].
std::optional<std::pair<int, double>> locate_axis(double t, int n) {
    if (n < 1 || !(t >= -edge_tolerance && t <= n + edge_tolerance)) return std::nullopt;  // NaN too
    const double nearest = std::round(t);
    if (std::fabs(t - nearest) <= edge_tolerance) t = nearest;
    int e = static_cast<int>(std::floor(t)) + 1;  // an edge belongs to the element after it
    if (e > n) e = n;                             // except the last edge
    if (e < 1) e = 1;
    return std::pair<int, double>{e, 2.0 * (t - (e - 1)) - 1.0};
}

}  // namespace

ReferenceBasis reference_basis(double xi, double eta) {
    const double bubble = 0.375 * (theta(xi) - theta(eta));
    const double bx = 0.375 * dtheta(xi), by = -0.375 * dtheta(eta);
    ReferenceBasis b;
    b.value = {0.25 - 0.5 * xi - bubble, 0.25 + 0.5 * eta + bubble, 0.25 - 0.5 * eta + bubble,
               0.25 + 0.5 * xi - bubble};
    b.d_xi = {-0.5 - bx, bx, bx, 0.5 - bx};
    b.d_eta = {-by, 0.5 + by, -0.5 + by, -by};
    return b;
}

std::optional<ElementPoint> locate_point(double x, double y, int nx, int ny, double h) {
    const auto column = locate_axis(x / h, nx);
    const auto row = locate_axis(y / h, ny);
    if (!column || !row) return std::nullopt;
    ElementPoint p;
    p.i = column->first;
    p.xi = column->second;
    p.j = row->first;
    p.eta = row->second;
    const ReferenceBasis b = reference_basis(p.xi, p.eta);
    const double scale = 2.0 / h;  // d(xi)/dx
    p.value = b.value;
    for (int a = 0; a < 4; ++a) {
        p.dx[a] = b.d_xi[a] * scale;
        p.dy[a] = b.d_eta[a] * scale;
    }
    return p;
}

}  // namespace ef
