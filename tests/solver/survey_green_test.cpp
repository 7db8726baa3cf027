// A point source in a homogeneous full space, solved on a model padded by a
// perfectly matched layer, against the closed-form Green's function: at 30
// elements per S wavelength and 1 to 3 S wavelengths from the source, the
// amplitude of u1 and u2 within 2 % and the phase within 0.05 rad, receivers
// one element from the layer included.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "support/elastic_green.hpp"
#include "support/homogeneous_shot.hpp"

namespace {

using ef::Complex;
using ef::test::Displacement;

const ef::test::ElasticMedium rock{2000.0 * (9e6 - 2.0 * 2.89e6), 2000.0 * 2.89e6, 2000.0};  // v_p 3000, v_s 1700
const double h = 10.0;
const double omega = 2.0 * std::numbers::pi * rock.vs() / (30.0 * h);  // 30 elements per S wavelength

struct Receiver {
    double x, y;
};

struct LayerSetup {
    int model = 100, layer = 15;  // elements: 3 S wavelengths and a little, half a wavelength
    double reflection = 1e-4;
};

// The solved field at the receivers, for a shot at (x0, y0) made by `make`.
template <class MakeShot>
std::vector<Displacement> solve(const LayerSetup& run, double x0, double y0, MakeShot make,
                                const std::vector<Receiver>& receivers) {
    const ef::PaddedGrid grid(run.model, run.model, run.layer, ef::AbsorbingSides{true, true, true, true});
    const ef::PmlProfile profile(run.layer, h, rock.vp(), run.reflection);
    const ef::PerfectlyMatchedLayer pml{grid, {profile, profile}};
    const ef::WaveField field = ef::test::solve_homogeneous_shot(rock, pml, h, omega, make(*grid.locate(x0, y0, h)));
    std::vector<Displacement> u;
    for (const Receiver& r : receivers) {
        const ef::ElementPoint at = *grid.locate(r.x, r.y, h);
        const Complex u1 = ef::test::field_at(field, at, 1), u2 = ef::test::field_at(field, at, 2);
        u.push_back({{u1.re, u1.im}, {u2.re, u2.im}});
    }
    return u;
}

// One component at one receiver: solved over closed form.
struct Comparison {
    Receiver at;
    const char* what;
    std::complex<double> ratio;
};

const double x0 = 9.5 * h, y0 = 9.5 * h, wavelength = 30.0 * h;

std::vector<Receiver> receivers() {
    std::vector<Receiver> r;
    for (const double d : {1.0, 1.5, 2.0, 2.5, 3.0}) {
        r.push_back({x0 + d * wavelength, y0});
        r.push_back({x0, y0 + d * wavelength});
        r.push_back({x0 + d * wavelength / std::sqrt(2.0), y0 + d * wavelength / std::sqrt(2.0)});
    }
    // one element from the layer, on each side
    r.push_back({99.0 * h, y0 + 10.0 * h});
    r.push_back({x0 + 40.0 * h, 99.0 * h});
    r.push_back({1.0 * h, y0 + 40.0 * h});
    r.push_back({x0 + 55.0 * h, 1.0 * h});
    return r;
}

// A force (0.6, -0.8) and an explosion at (x0, y0); components that vanish
// by symmetry (under 1 % of the other one) are left out.
std::vector<Comparison> compare(const LayerSetup& run) {
    const std::vector<Receiver> at = receivers();
    const auto force = [](const ef::ElementPoint& p) { return ef::PointSourceTerm::force(p, 0.6, -0.8); };
    const auto explosion = [](const ef::ElementPoint& p) { return ef::PointSourceTerm::explosion(p, 1.0); };
    const std::vector<Displacement> uf = solve(run, x0, y0, force, at), ue = solve(run, x0, y0, explosion, at);
    std::vector<Comparison> out;
    for (std::size_t r = 0; r < at.size(); ++r) {
        const double dx = at[r].x - x0, dy = at[r].y - y0;
        const Displacement cf = ef::test::point_force_field(rock, omega, 0.6, -0.8, dx, dy);
        const Displacement ce = ef::test::explosion_field(rock, omega, 1.0, dx, dy);
        const auto add = [&](std::complex<double> fe, std::complex<double> closed, std::complex<double> other, const char* what) {
            if (std::abs(closed) >= 1e-2 * std::abs(other)) out.push_back({at[r], what, fe / closed});
        };
        add(uf[r].u1, cf.u1, cf.u2, "force u1");
        add(uf[r].u2, cf.u2, cf.u1, "force u2");
        add(ue[r].u1, ce.u1, ce.u2, "explosion u1");
        add(ue[r].u2, ce.u2, ce.u1, "explosion u2");
    }
    return out;
}

TEST(SurveyGreen, ForceAndExplosionThroughAPerfectlyMatchedLayer) {
    const std::vector<Comparison> pml = compare(LayerSetup{});
    ASSERT_EQ(pml.size(), 19u * 4u - 10u);  // the explosion has no u2 along x, no u1 along y
    for (const Comparison& c : pml) {
        EXPECT_NEAR(std::abs(c.ratio), 1.0, 0.02) << c.what << " at " << c.at.x << ", " << c.at.y;
        EXPECT_NEAR(std::arg(c.ratio), 0.0, 0.05) << c.what << " at " << c.at.x << ", " << c.at.y;
    }
    // EF_SURVEY_ACCURACY_TABLE=1: the rows of docs/accuracy.md, beside the
    // first-order boundary on the model's edges
    if (!std::getenv("EF_SURVEY_ACCURACY_TABLE")) return;
    const std::vector<Comparison> first_order = compare(LayerSetup{100, 0, 1.0});
    for (std::size_t k = 0; k < pml.size(); ++k)
        std::printf("| %.2f, %.2f | %s | %.4f | %+.4f | %.4f | %+.4f |\n", (pml[k].at.x - x0) / wavelength,
                    (pml[k].at.y - y0) / wavelength, pml[k].what, std::abs(pml[k].ratio), std::arg(pml[k].ratio),
                    std::abs(first_order[k].ratio), std::arg(first_order[k].ratio));
}

}  // namespace
