#include "support/dense_global_system.hpp"

#include <cmath>

#include "model/boundary.hpp"

namespace ef::test {

namespace {

// Stiffness as (a lambda + b mu) / 28 per entry, local order
// u1 L, u2 L, u1 T, u2 T, u1 B, u2 B, u1 R, u2 R.
struct LamePair { int a, b; };
constexpr LamePair kStiffness[8][8] = {
    {{65, 167}, {0, 0}, {-37, -111}, {-28, 0}, {-37, -111}, {28, 0}, {9, 55}, {0, 0}},
    {{0, 0}, {37, 139}, {0, -28}, {-37, -111}, {0, 28}, {-37, -111}, {0, 0}, {37, 83}},
    {{-37, -111}, {0, -28}, {37, 139}, {0, 0}, {37, 83}, {0, 0}, {-37, -111}, {0, 28}},
    {{-28, 0}, {-37, -111}, {0, 0}, {65, 167}, {0, 0}, {9, 55}, {28, 0}, {-37, -111}},
    {{-37, -111}, {0, 28}, {37, 83}, {0, 0}, {37, 139}, {0, 0}, {-37, -111}, {0, -28}},
    {{28, 0}, {-37, -111}, {0, 0}, {9, 55}, {0, 0}, {65, 167}, {-28, 0}, {-37, -111}},
    {{9, 55}, {0, 0}, {-37, -111}, {28, 0}, {-37, -111}, {-28, 0}, {65, 167}, {0, 0}},
    {{0, 0}, {37, 83}, {0, 28}, {-37, -111}, {0, -28}, {-37, -111}, {0, 0}, {37, 139}},
};
constexpr int kMass[8][8] = {
    {781, 0, 269, 0, 269, 0, -59, 0}, {0, 781, 0, 269, 0, 269, 0, -59},
    {269, 0, 781, 0, -59, 0, 269, 0}, {0, 269, 0, 781, 0, -59, 0, 269},
    {269, 0, -59, 0, 781, 0, 269, 0}, {0, 269, 0, -59, 0, 781, 0, 269},
    {-59, 0, 269, 0, 269, 0, 781, 0}, {0, -59, 0, 269, 0, 269, 0, 781},
};

std::complex<double> to_std(Complex z) { return {z.re, z.im}; }

}  // namespace

SmallModel two_layer_model(int nx, int ny, int kdel) {
    SmallModel m;
    RunParams& p = m.p;
    p.nx = nx;
    p.ny = ny;
    p.h = 10.0;
    p.kdel = kdel;
    p.ksou = (ny + 1) / 2;
    p.sour.assign(static_cast<std::size_t>(m.jw) + 1, Complex{});
    p.sour[static_cast<std::size_t>(m.jw)] = Complex{1.0, 0.5};
    m.a1.ncontrol = 1;  // silent
    m.a1.nsx = m.a1.nsy = 1;
    subtype(m.a1);
    setdelta(p.nx, p.ny, m.a1, m.flags);
    m.omega = 6.28318530717958 * 0.03;

    ElementFields& f = m.fields;
    f = ElementFields(nx, ny);
    for (int j = 0; j <= ny + 1; ++j) {
        for (int i = 0; i <= nx + 1; ++i) {
            const bool top = j > ny / 2;
            const double rho = top ? 1800.0 : 2400.0;
            const Complex mu = top ? Complex{3000.0, 60.0} : Complex{9000.0, 0.0};
            const Complex pmod = top ? Complex{11000.0, 150.0} : Complex{27000.0, 0.0};
            f.rho(i, j) = rho;
            f.xmu(i, j) = mu;
            f.xln(i, j) = pmod - 2.0 * mu;
            const Complex vp{std::sqrt(pmod.re / rho), 0.0}, vs{std::sqrt(mu.re / rho), 0.0};
            const auto js = static_cast<std::size_t>(j), is = static_cast<std::size_t>(i);
            if (i == 1) { f.vpleft[js] = vp; f.vsleft[js] = vs; }
            if (i == nx) { f.vpright[js] = vp; f.vsright[js] = vs; }
            if (j == 1) { f.vpbot[is] = vp; f.vsbot[is] = vs; }
            if (j == ny) { f.vptop[is] = vp; f.vstop[is] = vs; }
        }
    }
    return m;
}

DenseSystem dense_global_system(const SmallModel& m) {
    const RunParams& p = m.p;
    const ElementFields& f = m.fields;
    DenseSystem s;
    s.nx = p.nx;
    s.ny = p.ny;
    s.n = 2 * ((p.nx + 1) * p.ny + p.nx * (p.ny + 1));
    s.a.assign(static_cast<std::size_t>(s.n) * s.n, {});
    s.b.assign(static_cast<std::size_t>(s.n), {});
    const std::complex<double> I(0.0, 1.0);
    const std::complex<double> src = to_std(p.sour[static_cast<std::size_t>(m.jw)]);
    const double omega = m.omega;
    for (int j = 1; j <= p.ny; ++j) {
        for (int i = 1; i <= p.nx; ++i) {
            const int edge[4] = {s.vertical(i - 1, j), s.horizontal(i, j), s.horizontal(i, j - 1),
                                 s.vertical(i, j)};
            int dof[8];
            for (int k = 0; k < 8; ++k) dof[k] = 2 * edge[k / 2] + k % 2;
            const auto lam = to_std(f.xln(i, j)), mu = to_std(f.xmu(i, j));
            const double rho = f.rho(i, j);
            for (int k = 0; k < 8; ++k)
                for (int c = 0; c < 8; ++c)
                    s.at(dof[k], dof[c]) +=
                        (double(kStiffness[k][c].a) * lam + double(kStiffness[k][c].b) * mu) / 28.0 -
                        omega * omega * rho * p.h * p.h * kMass[k][c] / 5040.0;
            // first-order absorbing terms: P velocity for the normal component
            auto absorb = [&](int k, Complex v) { s.at(dof[k], dof[k]) += I * omega * p.h * rho * v.re; };
            const auto js = static_cast<std::size_t>(j), is = static_cast<std::size_t>(i);
            if (i == 1) { absorb(0, f.vpleft[js]); absorb(1, f.vsleft[js]); }
            if (i == p.nx) { absorb(6, f.vpright[js]); absorb(7, f.vsright[js]); }
            if (j == 1) { absorb(4, f.vsbot[is]); absorb(5, f.vpbot[is]); }
            if (j == p.ny) { absorb(2, f.vstop[is]); absorb(3, f.vptop[is]); }
            if (j == p.ksou) {
                if (p.kdel == 9) {
                    for (int k = 0; k < 8; ++k) s.b[static_cast<std::size_t>(dof[k])] += 0.25 * p.h * p.h * src;
                } else if (p.kdel == 1) {
                    const auto force = src / p.h * 1000000.0;
                    s.b[static_cast<std::size_t>(dof[0])] += force;
                    s.b[static_cast<std::size_t>(dof[6])] -= force;
                    s.b[static_cast<std::size_t>(dof[5])] += force;
                    s.b[static_cast<std::size_t>(dof[3])] -= force;
                }
            }
        }
    }
    return s;
}

std::vector<std::complex<double>> dense_solve(DenseSystem s) {
    const int n = s.n;
    auto& b = s.b;
    for (int k = 0; k < n; ++k) {
        int piv = k;
        for (int r = k + 1; r < n; ++r)
            if (std::abs(s.at(r, k)) > std::abs(s.at(piv, k))) piv = r;
        for (int c = 0; c < n; ++c) std::swap(s.at(k, c), s.at(piv, c));
        std::swap(b[static_cast<std::size_t>(k)], b[static_cast<std::size_t>(piv)]);
        for (int r = k + 1; r < n; ++r) {
            const auto factor = s.at(r, k) / s.at(k, k);
            if (factor == std::complex<double>{}) continue;
            for (int c = k; c < n; ++c) s.at(r, c) -= factor * s.at(k, c);
            b[static_cast<std::size_t>(r)] -= factor * b[static_cast<std::size_t>(k)];
        }
    }
    std::vector<std::complex<double>> x(static_cast<std::size_t>(n));
    for (int k = n - 1; k >= 0; --k) {
        auto sum = b[static_cast<std::size_t>(k)];
        for (int c = k + 1; c < n; ++c) sum -= s.at(k, c) * x[static_cast<std::size_t>(c)];
        x[static_cast<std::size_t>(k)] = sum / s.at(k, k);
    }
    return x;
}

}  // namespace ef::test
