// Robin transmission coefficients i omega rho v of every element edge, with
// density and phase velocity averaged over the two elements of the edge.
#include "solver/robin.hpp"

namespace ef {

namespace {

struct PhaseVelocities {
    double vp;
    double vs;
};

// Phase velocities 1 / Re(1/c) of the complex P and S velocities of one element.
PhaseVelocities phase_velocities(double rho, Complex lambda, Complex mu) {
    const Complex cp = ef::sqrt((lambda + 2.0 * mu) / rho);
    const Complex cs = ef::sqrt(mu / rho);
    return {1.0 / re_inv(cp), 1.0 / re_inv(cs)};
}

// The purely imaginary impedance of an edge: ((rho_bar * v_bar) * f) * omega.
Complex impedance(double rho_bar, double v_bar, double boost, double omega) {
    return {0.0, ((rho_bar * v_bar) * boost) * omega};
}

}  // namespace

void inbeta(int nx, int ny, double omega, const Grid2<double>& rho,
            const Grid2<Complex>& xln, const Grid2<Complex>& xmu, int jw,
            RobinCoefficients& beta) {
    if (nx < 1 || ny < 1) return;
    // Low frequency numbers get a ten times stronger coupling.
    const double boost = jw <= 5 ? 10.0 : 1.0;

    // Velocities of the extended grid (ring included), computed once per element.
    Grid2<PhaseVelocities> v(nx, ny);
    for (int j = 0; j <= ny + 1; ++j)
        for (int i = 0; i <= nx + 1; ++i)
            v(i, j) = phase_velocities(rho(i, j), xln(i, j), xmu(i, j));

    // One side of element (i, j) shared with element (k, l).
    auto side = [&](int i, int j, int k, int l, Grid2<Complex>& b11, Grid2<Complex>& b22) {
        const double rho_bar = 0.5 * (rho(i, j) + rho(k, l));
        const double vp_bar = 0.5 * (v(i, j).vp + v(k, l).vp);
        const double vs_bar = 0.5 * (v(i, j).vs + v(k, l).vs);
        b11(i, j) = impedance(rho_bar, vp_bar, boost, omega);
        b22(i, j) = impedance(rho_bar, vs_bar, boost, omega);
    };

    for (int i = 1; i <= nx; ++i)
        for (int j = 1; j <= ny; ++j) side(i, j, i - 1, j, beta.beta11l, beta.beta22l);
    for (int i = 1; i <= nx; ++i)
        for (int j = 1; j <= ny; ++j) side(i, j, i + 1, j, beta.beta11r, beta.beta22r);
    for (int i = 1; i <= nx; ++i)
        for (int j = 1; j <= ny; ++j) side(i, j, i, j - 1, beta.beta11b, beta.beta22b);
    for (int i = 1; i <= nx; ++i)
        for (int j = 1; j <= ny; ++j) side(i, j, i, j + 1, beta.beta11t, beta.beta22t);
}

}  // namespace ef
