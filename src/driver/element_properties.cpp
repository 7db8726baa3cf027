#include "driver/element_properties.hpp"

#include <cmath>
#include <cstdint>
#include <sstream>

#include "common/stop.hpp"
#include "model/geometry.hpp"

namespace ef {

namespace {


// Global element holding the centre of local element (i, j) of this block.
int global_column(int i, const RunParams& p, const ProcessGrid& a1) {
    return global_column(BlockLayout{a1.nsx, a1.nsy, p.hpx, p.hpy, p.h}, a1.iprocx, i);
}
int global_row(int j, const RunParams& p, const ProcessGrid& a1) {
    return global_row(BlockLayout{a1.nsx, a1.nsy, p.hpx, p.hpy, p.h}, a1.iprocy, j);
}

// 2 Re c Im c / (Re c^2 - Im c^2), i.e. Im(c^2) / Re(c^2).
double inverse_quality(Complex c) {
    return ((2.0 * c.re) * c.im) / (c.re * c.re - c.im * c.im);
}

}  // namespace

ElasticVelocities gassmann_velocities(const RunParams& p, const MaterialModuli& moduli, int m) {
    const double a = 1.0 - p.xkr[m] / p.ks[m];
    const double t = (a - p.phi[m]) / p.ks[m] + p.phi[m] / p.kf[m];
    const double dens = moduli.densmat[m];
    return {std::sqrt((a * a / t + p.xkr[m]) / dens), std::sqrt(p.xmur[m] / dens)};
}

void check_border_velocities(const RunParams& p, const ProcessGrid& a1,
                             const MaterialModuli& moduli) {
    for (int j = 0; j <= p.ny + 1; ++j) {
        for (int i = 0; i <= p.nx + 1; ++i) {
            const int m = p.matnum(global_column(i, p, a1), global_row(j, p, a1));
            const ElasticVelocities v = gassmann_velocities(p, moduli, m);
            if (!std::isfinite(v.vpe) || !std::isfinite(v.vse)) {
                std::ostringstream msg;
                msg << "material " << m
                    << ": the elastic velocity of the absorbing boundary is not finite"
                       " (Gassmann's relation with phi, kf, ks and the density of"
                       " bulk_density.mat); check these values";
                throw RunError(msg.str());
            }
        }
    }
}

void set_element_properties(Units& units, const RunParams& p, const ProcessGrid& a1,
                            const MaterialModuli& moduli, int jw, double fjw,
                            bool border_velocities, ElementFields& el) {
    static const Format monitor("(2e15.6)");
    const int nx = p.nx, ny = p.ny;
    const int mid = nx / 2;
    for (int j = 0; j <= ny + 1; ++j) {
        for (int i = 0; i <= nx + 1; ++i) {
            const int m = p.matnum(global_column(i, p, a1), global_row(j, p, a1));
            const Complex pm = moduli.p_modulus(m, jw);
            const Complex sm = moduli.s_modulus(m, jw);
            const double dens = moduli.densmat[m];
            el.xmu(i, j) = sm;
            el.xln(i, j) = pm - 2.0 * sm;
            el.rho(i, j) = dens;

            const Complex cp = ef::sqrt(pm / dens);
            const Complex cs = ef::sqrt(sm / dens);
            const double vp = 1.0 / re_inv(cp);
            const double vs = 1.0 / re_inv(cs);
            const double iqp = inverse_quality(cp);
            const double iqs = inverse_quality(cs);
            if (vp < 0.0) throw StopRun{1};
            if (vs < 0.0) throw StopRun{2};
            if (iqp < 0.0) throw StopRun{3};
            if (iqs < 0.0) throw StopRun{4};

            if (i == mid && j == mid) {
                const double logf = std::log10(1000.0 * fjw);
                units.write(10, monitor, {logf, vp});
                units.write(11, monitor, {logf, iqp});
                units.write(12, monitor, {logf, vs});
                units.write(13, monitor, {logf, iqs});
            }

            if (border_velocities) {
                const ElasticVelocities v = gassmann_velocities(p, moduli, m);
                const Complex vpe{v.vpe, 0.0}, vse{v.vse, 0.0};
                if (i == 1) { el.vpleft[j] = vpe; el.vsleft[j] = vse; }
                if (i == nx) { el.vpright[j] = vpe; el.vsright[j] = vse; }
                if (j == 1) { el.vpbot[i] = vpe; el.vsbot[i] = vse; }
                if (j == ny) { el.vptop[i] = vpe; el.vstop[i] = vse; }
            }
        }
    }
}

void write_model_files(Units& units, int nx, int ny, const ElementFields& el) {
    for (int j = 1; j <= ny; ++j) {
        for (int i = 1; i <= nx; ++i) {
            const double lambda = el.xln(i, j).re;
            const double mu = el.xmu(i, j).re;
            units.list(78, {i, j, lambda / 1000000000.0});
            units.list(88, {i, j, mu / 1000000000.0});
            units.list(68, {i, j, (2.0 * mu + lambda) / el.rho(i, j)});
        }
    }
}

}  // namespace ef
