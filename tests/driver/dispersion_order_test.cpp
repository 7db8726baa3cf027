// A small run of the dispersion measurement of tools/dispersion: plane S and P
// waves travelling up a homogeneous elastic model from a plane source, fitted
// along the middle column. Their phase-velocity error must fall by a factor
// of about four when the number of elements per wavelength doubles (the
// element is second order) and agree with the measured table that
// elastofreq_moduli quotes; the reflection of the absorbing top falls the same
// way. A change to the element matrices, the absorbing terms or the iteration
// that costs accuracy fails here.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "driver/column_probe.hpp"
#include "model/dispersion_table.hpp"
#include "support/deck_builder.hpp"
#include "support/scratch_dir.hpp"

namespace {

using ef::Complex;
using ef::test::DeckBuilder;

constexpr int kRows = 100;
constexpr int kSourceRow = 11;
constexpr int kMargin = 15;  // rows left out next to the source and the top

// 1 x 100 elements of 1 m, a Poisson solid with vs = 1 and vp = sqrt(3)
// m/msec (density and moduli a millionth of a rock's, so that the field is
// far above the iteration's absolute error floor), a plane source in row 11,
// frequency numbers jw at (jw - 1) * 0.001 kHz.
std::string plane_wave_deck() {
    DeckBuilder deck;
    deck.ngx = 1;
    deck.ngy = kRows;
    deck.xsize = 1.0;
    deck.ysize = kRows;
    deck.fsnap = {};
    deck.tsnap = {};
    deck.keyqua = 1;
    deck.npf = 600;
    deck.key = 2;
    deck.freq = 0.4;
    deck.stime = 100.0;
    deck.f1 = deck.f2 = 0.0;
    deck.f3 = deck.f4 = 0.6;
    deck.maxiter = deck.maxlow = 60000;
    deck.reduc = 1e-10;
    DeckBuilder::Material m;
    m.ros = 2.0e-6;
    m.xmur = 2.0e4;
    m.xkr = 2.0e4 * 5.0 / 3.0;
    m.deltp = m.delts = 0.0;
    m.phi = 0.0;
    m.ks = 6.0e4;
    deck.materials = {m};
    deck.kdel = 9;
    deck.xsou = 0.5;
    deck.ysou = kSourceRow - 0.5;
    deck.nrec = 2;
    deck.xinic = deck.xfin = 0.5;
    deck.yinic = 0.5;
    deck.yfin = kRows - 0.5;
    return deck.text();
}

Complex conj(Complex z) { return {z.re, -z.im}; }

struct TwoWaveFit {
    double k;           // wavenumber (1/m)
    double reflection;  // |weaker wave| / |stronger wave|
};

// u(j+1) + u(j-1) = 2 cos(kh) u(j) for any sum of exp(iky) and exp(-iky):
// cos(kh) by least squares over the window, then the two amplitudes.
TwoWaveFit fit_two_waves(const std::vector<double>& y, const std::vector<Complex>& u, double h) {
    const int lo = kSourceRow + kMargin, hi = kRows - kMargin;
    Complex num{0.0, 0.0};
    double den = 0.0;
    for (int n = lo + 1; n < hi - 1; ++n) {
        num += conj(u[n]) * (u[n - 1] + u[n + 1]);
        den += u[n].re * u[n].re + u[n].im * u[n].im;
    }
    const double k = std::acos(num.re / (2.0 * den)) / h;
    // Normal equations of u = A e + B conj(e), e = exp(iky).
    Complex see{0.0, 0.0}, seu{0.0, 0.0}, scu{0.0, 0.0};
    double n2 = 0.0;
    for (int n = lo; n < hi; ++n) {
        const Complex e{std::cos(k * y[n]), std::sin(k * y[n])};
        see += e * e;
        seu += conj(e) * u[n];
        scu += e * u[n];
        n2 += 1.0;
    }
    // [n2, conj(see); see, n2] [A; B] = [seu; scu]
    const Complex det = Complex{n2 * n2, 0.0} - conj(see) * see;
    const Complex a = (n2 * seu - conj(see) * scu) / det;
    const Complex b = (n2 * scu - see * seu) / det;
    const double ma = std::hypot(a.re, a.im), mb = std::hypot(b.re, b.im);
    return {k, std::min(ma, mb) / std::max(ma, mb)};
}

struct Measured {
    double g, error, reflection;
};

// Phase-velocity error and top reflection of one wave type at the given
// frequency numbers, with the sides set as its symmetry planes.
std::vector<Measured> measure(ef::WaveType wave, const std::vector<int>& frequency_numbers) {
    ef::test::ScratchDir dir;
    std::istringstream deck(plane_wave_deck());
    std::ostringstream summary;
    ef::Units units(deck, summary, dir.str());
    const ef::ProbeModel model = ef::read_probe_model(units, ef::BuildLimits{602});
    ef::ProbeState s(model.p);
    const bool shear = wave == ef::WaveType::s;
    const double v = shear ? 1.0 : std::sqrt(3.0);
    std::vector<Measured> out;
    for (const int jw : frequency_numbers) {
        const ef::ColumnField f = ef::solve_column(
            units, model, s, jw, 1,
            shear ? ef::LateralBoundary::s_wave_mirror : ef::LateralBoundary::p_wave_mirror);
        EXPECT_TRUE(f.converged) << jw;
        const TwoWaveFit fit = fit_two_waves(f.y, shear ? f.u1 : f.u2, model.p.h);
        const double omega = 6.28318530717958 * f.fjw;
        out.push_back({v / (f.fjw * model.p.h), omega / (fit.k * v) - 1.0, fit.reflection});
    }
    return out;
}

void expect_second_order(ef::WaveType wave, const std::vector<Measured>& m) {
    ASSERT_EQ(m.size(), 2u);
    const Measured& coarse = m[0];
    const Measured& fine = m[1];
    EXPECT_NEAR(coarse.g / fine.g, 0.5, 0.01);
    // The numerical wave is too fast, by about 1 % at 10 elements per wavelength.
    EXPECT_GT(coarse.error, 0.005);
    EXPECT_LT(coarse.error, 0.02);
    // Second order: doubling G divides the error by about four.
    const double order = std::log(coarse.error / fine.error) / std::log(fine.g / coarse.g);
    EXPECT_NEAR(order, 2.0, 0.1) << coarse.error << " " << fine.error;
    // The same as the table elastofreq_moduli quotes.
    for (const Measured& x : m)
        EXPECT_NEAR(x.error, ef::predicted_phase_velocity_error(wave, x.g), 0.01 * x.error)
            << x.g;
    // The first-order absorbing top reflects a few per mille at 10 elements per
    // wavelength and four times less at 20.
    EXPECT_LT(coarse.reflection, 0.01);
    EXPECT_NEAR(coarse.reflection / fine.reflection, 4.0, 0.4);
}

TEST(ElementDispersion, ShearWaveErrorIsSecondOrder) {
    // vs = 1 m/msec, h = 1 m: G = 1 / f; frequency numbers 101 and 51 give
    // G = 10 and 20.
    expect_second_order(ef::WaveType::s, measure(ef::WaveType::s, {101, 51}));
}

TEST(ElementDispersion, PressureWaveErrorIsSecondOrder) {
    // vp = sqrt(3): frequency numbers 174 and 87 give G = 10.01 and 20.14.
    expect_second_order(ef::WaveType::p, measure(ef::WaveType::p, {174, 87}));
}

}  // namespace
