#include "support/elastic_green.hpp"

#include <cmath>

namespace ef::test {

namespace {

using cd = std::complex<double>;
const cd I{0.0, 1.0};

cd hankel2(int n, double z) { return {std::cyl_bessel_j(n, z), -std::cyl_neumann(n, z)}; }

// d_i d_j g for wavenumber k at distance r, direction (c, s).
struct Hessian {
    cd xx, yy, xy;
};

Hessian scalar_hessian(double k, double r, double c, double s) {
    const double z = k * r;
    const cd h0 = hankel2(0, z), h1z = hankel2(1, z) / z;
    const cd f = I / 4.0 * (k * k);
    return {f * (h0 * (c * c) + h1z * (1.0 - 2.0 * c * c)), f * (h0 * (s * s) + h1z * (1.0 - 2.0 * s * s)),
            f * (h0 * (c * s) - h1z * (2.0 * c * s))};
}

}  // namespace

double ElasticMedium::vp() const { return std::sqrt((lambda + 2.0 * mu) / rho); }
double ElasticMedium::vs() const { return std::sqrt(mu / rho); }

Displacement point_force_field(const ElasticMedium& m, double omega, double fx, double fy,
                               double dx, double dy) {
    const double r = std::hypot(dx, dy), c = dx / r, s = dy / r;
    const double kp = omega / m.vp(), ks = omega / m.vs();
    const cd gs = -I / 4.0 * hankel2(0, ks * r);
    const Hessian hs = scalar_hessian(ks, r, c, s), hp = scalar_hessian(kp, r, c, s);
    const double scale = 1.0 / (m.rho * omega * omega);
    const cd gxx = scale * (ks * ks * gs + hs.xx - hp.xx);
    const cd gyy = scale * (ks * ks * gs + hs.yy - hp.yy);
    const cd gxy = scale * (hs.xy - hp.xy);
    return {gxx * fx + gxy * fy, gxy * fx + gyy * fy};
}

Displacement explosion_field(const ElasticMedium& m, double omega, double amplitude, double dx,
                             double dy) {
    const double r = std::hypot(dx, dy);
    const double kp = omega / m.vp();
    const cd radial = -I / 4.0 * amplitude * kp * hankel2(1, kp * r) / (m.lambda + 2.0 * m.mu);
    return {radial * (dx / r), radial * (dy / r)};
}

double rayleigh_velocity(double vp, double vs) {
    const double g = (vs * vs) / (vp * vp);
    // in xi = c^2 / v_s^2: negative just below the root, 1 at xi = 1; the root
    // lies above 0.76 for every Poisson ratio, so [0.5, 1] brackets it alone
    auto f = [g](double xi) {
        return (2.0 - xi) * (2.0 - xi) - 4.0 * std::sqrt(1.0 - g * xi) * std::sqrt(1.0 - xi);
    };
    double lo = 0.5, hi = 1.0;
    for (int n = 0; n < 200 && hi - lo > 1e-16; ++n) {
        const double mid = 0.5 * (lo + hi);
        (f(mid) < 0.0 ? lo : hi) = mid;
    }
    return vs * std::sqrt(0.5 * (lo + hi));
}

}  // namespace ef::test
