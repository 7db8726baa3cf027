// Iteration control of one frequency: iteration limits, the low-frequency
// range, convergence at the first iteration, the zero field, the messages.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "common/units.hpp"
#include "model/boundary.hpp"
#include "solver/outer_iteration.hpp"

namespace {

using ef::Complex;

struct Homogeneous {
    ef::RunParams p;
    ef::ProcessGrid a1;
    ef::BoundaryFlags flags;
    std::istringstream in;
    std::ostringstream out;

    Homogeneous(int nx, int ny, int kdel) {
        p.nx = nx;
        p.ny = ny;
        p.h = 10.0;
        p.kdel = kdel;
        p.ksou = (ny + 1) / 2;
        p.maxiter = 50;
        p.maxlow = 50;
        p.jwlow = 0;
        p.reduc = 1e-6;
        p.sour.assign(21, Complex{1.0, 0.0});
        a1.ncontrol = 1;
        a1.nsx = a1.nsy = 1;
        ef::subtype(a1);
        ef::setdelta(nx, ny, a1, flags);
    }

    ef::IterationResult run(int jw) {
        ef::ElementFields fields(p.nx, p.ny);
        ef::WaveField field;
        ef::IterationState it(p.nx, p.ny);
        for (int j = 0; j <= p.ny + 1; ++j)
            for (int i = 0; i <= p.nx + 1; ++i) {
                fields.rho(i, j) = 2000.0;
                fields.xmu(i, j) = Complex{5000.0, 10.0};
                fields.xln(i, j) = Complex{8000.0, 20.0};
                fields.vpleft[j] = fields.vpright[j] = Complex{3.0, 0.0};
                fields.vsleft[j] = fields.vsright[j] = Complex{1.6, 0.0};
                fields.vpbot[i] = fields.vptop[i] = Complex{3.0, 0.0};
                fields.vsbot[i] = fields.vstop[i] = Complex{1.6, 0.0};
            }
        const double omega = 6.28318530717958 * 0.02;
        ef::Units units(in, out, ::testing::TempDir());
        const auto r = ef::solve_by_iteration(
            {units, p, a1.prints()}, ef::frequency_problem(p, jw, omega, fields, flags), it,
            field);
        units.flush_all();
        return r;
    }
};

TEST(IterationControl, ReducAboveOneConvergesAtTheFirstIteration) {
    Homogeneous m(4, 3, 9);
    m.p.reduc = 1.5;
    const auto r = m.run(10);
    EXPECT_TRUE(r.converged);
    EXPECT_EQ(r.iter, 1);
    EXPECT_EQ(r.gerror, 1.0);
}

TEST(IterationControl, NonPositiveReducNeverConverges) {
    Homogeneous m(4, 3, 9);
    m.p.reduc = 0.0;
    m.p.maxiter = 7;
    const auto r = m.run(10);
    EXPECT_FALSE(r.converged);
    EXPECT_EQ(r.iter, 8);
}

TEST(IterationControl, LowFrequencyRangeUsesMaxlowUpToJwlow) {
    Homogeneous m(3, 2, 9);
    m.p.reduc = -1.0;
    m.p.maxlow = 2;
    m.p.maxiter = 5;
    m.p.jwlow = 10;
    EXPECT_EQ(m.run(10).iter, 3);
    EXPECT_EQ(m.run(11).iter, 6);
}

TEST(IterationControl, NoIterationBelowOne) {
    Homogeneous m(3, 2, 9);
    m.p.maxiter = 0;
    const auto r = m.run(10);
    EXPECT_FALSE(r.converged);
    EXPECT_EQ(r.iter, 1);
}

TEST(IterationControl, ZeroFieldConvergesAtTheSecondIteration) {
    // kdel 0 adds no source: the change is zero and the denominator falls back to 1.
    Homogeneous m(3, 3, 0);
    const auto r = m.run(10);
    EXPECT_TRUE(r.converged);
    EXPECT_EQ(r.iter, 2);
    EXPECT_EQ(r.gerror, 0.0);
}

TEST(IterationControl, SingleAndDoubleRowGridsConverge) {
    for (int ny : {1, 2}) {
        Homogeneous m(5, ny, 9);
        m.p.maxiter = 5000;
        m.p.reduc = 1e-10;
        const auto r = m.run(12);
        EXPECT_TRUE(r.converged) << "ny = " << ny << " gerror " << r.gerror;
    }
}

TEST(IterationControl, MessagesFollowThePrintGate) {
    Homogeneous m(4, 3, 9);
    m.p.reduc = 0.0;
    m.p.maxiter = 200;
    m.a1.ncontrol = 0;
    m.run(10);
    const std::string text = m.out.str();
    // a global error line at iterations 100 and 200, then the failure message
    EXPECT_NE(text.find(" iter. number =   100"), std::string::npos) << text;
    EXPECT_NE(text.find(" iter. number =   200"), std::string::npos);
    EXPECT_NE(text.find(" NO convergence  for freq. #    10 after    201 inner iterations "),
              std::string::npos);

    Homogeneous quiet(4, 3, 9);
    quiet.p.reduc = 0.0;
    quiet.p.maxiter = 200;
    quiet.run(10);
    EXPECT_EQ(quiet.out.str(), "");
}

}  // namespace
