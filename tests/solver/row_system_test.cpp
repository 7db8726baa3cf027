// Row systems: assembly against a dense assembly, the profile factors against
// a dense Crout elimination, and the row solve against a pivoted dense solve.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iostream>
#include <random>

#include "solver/element_matrix.hpp"
#include "solver/row_system.hpp"
#include "solver_fixtures.hpp"

namespace {

using ef::Complex;
using ef::test::cd;
using ef::test::Dense;
using ef::test::GridProblem;

// The row system of row j assembled element by element into a dense matrix,
// with the edge terms written from their physical meaning.
Dense dense_row_system(const GridProblem& p, int j) {
    const int nx = p.nx;
    Dense a(6 * nx + 2);
    const auto js = static_cast<std::size_t>(j);
    const cd I{0.0, 1.0};
    for (int i = 1; i <= nx; ++i) {
        const auto is = static_cast<std::size_t>(i);
        const double rho = p.el.rho(i, j);
        const ef::ElementMatrix e = ef::stiffness_minus_mass(p.el.xln(i, j), p.el.xmu(i, j),
                                                             p.omega, rho, p.h);
        // Robin coupling on the row's interfaces (vertical ones only at the
        // row ends), absorption with the element's density on the boundary.
        const bool left_end = i == 1 && nx > 1, right_end = i == nx;
        struct Edge { bool robin; double delta; Complex beta; Complex v; };
        const Edge edges[8] = {
            {left_end, p.flags.deltal[is], p.beta.beta11l(i, j), p.el.vpleft[js]},
            {left_end, p.flags.deltal[is], p.beta.beta22l(i, j), p.el.vsleft[js]},
            {true, p.flags.deltat[js], p.beta.beta11t(i, j), p.el.vstop[is]},
            {true, p.flags.deltat[js], p.beta.beta22t(i, j), p.el.vptop[is]},
            {true, p.flags.deltab[js], p.beta.beta11b(i, j), p.el.vsbot[is]},
            {true, p.flags.deltab[js], p.beta.beta22b(i, j), p.el.vpbot[is]},
            {right_end, p.flags.deltar[is], p.beta.beta11r(i, j), p.el.vpright[js]},
            {right_end, p.flags.deltar[is], p.beta.beta22r(i, j), p.el.vsright[js]},
        };
        for (int k = 1; k <= 8; ++k) {
            for (int m = 1; m <= 8; ++m) {
                cd entry = ef::test::to_std(e[k - 1][m - 1]);
                if (k == m) {
                    const Edge& ed = edges[k - 1];
                    if (ed.delta == 1.0)
                        entry += I * p.omega * p.h * rho * ef::test::to_std(ed.v);
                    else if (ed.robin)
                        entry += p.h * ef::test::to_std(ed.beta);
                }
                a(6 * (i - 1) + k, 6 * (i - 1) + m) += entry;
            }
        }
    }
    return a;
}

// Crout elimination without pivoting on the dense matrix (every m < k, the
// products subtracted nearest first): the reference for the profile factors.
struct DenseCrout {
    Dense l, u;
};

DenseCrout dense_crout(const Dense& a) {
    const int n = a.n;
    DenseCrout f{Dense(n), Dense(n)};
    auto mul = [](cd x, cd y) { return ef::test::to_std(Complex{x.real(), x.imag()} * Complex{y.real(), y.imag()}); };
    for (int k = 1; k <= n; ++k) {
        for (int i = k; i <= n; ++i) {
            Complex v{a(i, k).real(), a(i, k).imag()};
            for (int m = k - 1; m >= 1; --m) {
                const cd pr = mul(f.l(i, m), f.u(m, k));
                v -= Complex{pr.real(), pr.imag()};
            }
            f.l(i, k) = ef::test::to_std(v);
        }
        const Complex pivot{f.l(k, k).real(), f.l(k, k).imag()};
        for (int c = k + 1; c <= n; ++c) {
            Complex v{a(k, c).real(), a(k, c).imag()};
            for (int m = k - 1; m >= 1; --m) {
                const cd pr = mul(f.l(k, m), f.u(m, c));
                v -= Complex{pr.real(), pr.imag()};
            }
            f.u(k, c) = ef::test::to_std(v / pivot);
        }
    }
    return f;
}

std::vector<cd> random_vector(int n, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> uni(-1.0, 1.0);
    std::vector<cd> b(static_cast<std::size_t>(n) + 1);
    for (int r = 1; r <= n; ++r) b[static_cast<std::size_t>(r)] = {uni(gen), uni(gen)};
    return b;
}

std::vector<Complex> to_ef(const std::vector<cd>& v) {
    std::vector<Complex> out(v.size());
    for (std::size_t r = 0; r < v.size(); ++r) out[r] = {v[r].real(), v[r].imag()};
    return out;
}

TEST(RowAssembly, BandEqualsDenseAssembly) {
    for (bool closed : {true, false}) {
        for (int nx : {1, 2, 5}) {
            const GridProblem p = ef::test::make_problem(nx, 3, 11u + static_cast<unsigned>(nx), closed);
            for (int j = 1; j <= 3; ++j) {
                ef::RowWorkspace ws(nx);
                ef::RowFactors f(nx, 3);
                ef::coeflu(j, p.problem(), p.beta, ws, f);
                const Dense ref = dense_row_system(p, j);
                const int n = 6 * nx + 2;
                for (int r = 1; r <= n; ++r) {
                    for (int col = 1; col <= 15; ++col) {
                        const int c = r + col - 8;
                        const Complex got = ws.a(r, col);
                        if (c < 1 || c > n || std::abs(c - r) > 7) {
                            // positions standing for columns outside the matrix
                            EXPECT_EQ(got.re, 0.0);
                            EXPECT_EQ(got.im, 0.0);
                            continue;
                        }
                        const cd want = ref(r, c);
                        EXPECT_LE(std::abs(ef::test::to_std(got) - want), 1e-13 * (1.0 + std::abs(want)))
                            << "nx " << nx << " row " << r << " col " << c;
                    }
                }
            }
        }
    }
}

TEST(RowAssembly, InnerVerticalEdgeSumsBothElements) {
    // two equal elements: the shared u1 unknown gets twice the element's diagonal
    GridProblem p = ef::test::make_problem(2, 1, 5u);
    for (int i = 0; i <= 3; ++i) {
        p.el.rho(i, 1) = 2000.0;
        p.el.xln(i, 1) = Complex{8000.0, 80.0};
        p.el.xmu(i, 1) = Complex{6000.0, 60.0};
    }
    ef::RowWorkspace ws(2);
    ef::RowFactors f(2, 1);
    ef::coeflu(1, p.problem(), p.beta, ws, f);
    const double fac = p.omega * p.omega * 2000.0 * p.h * p.h / 5040.0;
    const double want = 2.0 * (65.0 * 8000.0 + 167.0 * 6000.0) / 28.0 - 2.0 * 781.0 * fac;
    EXPECT_NEAR(ws.a(7, 8).re, want, 1e-9 * want);
    EXPECT_NEAR(ws.a(7, 8).im, 2.0 * (65.0 * 80.0 + 167.0 * 60.0) / 28.0, 1e-9);
}

TEST(RowFactorisation, ProfileFactorsEqualDenseCroutBitForBit) {
    for (int nx : {1, 2, 3, 7}) {
        const GridProblem p = ef::test::make_problem(nx, 2, 101u + static_cast<unsigned>(nx));
        ef::RowWorkspace ws(nx);
        ef::RowFactors f(nx, 2);
        for (int j = 1; j <= 2; ++j) {
            ef::coeflu(j, p.problem(), p.beta, ws, f);
            const DenseCrout ref = dense_crout(ef::test::dense_from_band(ws.a));
            const int n = 6 * nx + 2;
            for (int k = 1; k <= n; ++k) {
                const int pk = ef::profile_limit(k, n);
                for (int i = k; i <= n; ++i) {
                    if (i <= pk) {
                        const Complex lf = f.l(j, k, i - k);
                        EXPECT_EQ(lf.re, ref.l(i, k).real()) << "l(" << i << "," << k << ")";
                        EXPECT_EQ(lf.im, ref.l(i, k).imag()) << "l(" << i << "," << k << ")";
                        if (i > k) {
                            const Complex uf = f.u(j, k, i - k);
                            EXPECT_EQ(uf.re, ref.u(k, i).real()) << "u(" << k << "," << i << ")";
                            EXPECT_EQ(uf.im, ref.u(k, i).imag()) << "u(" << k << "," << i << ")";
                        }
                    } else {
                        // the elimination creates nothing outside the profile
                        EXPECT_EQ(ref.l(i, k), cd{}) << "fill-in l(" << i << "," << k << ")";
                        EXPECT_EQ(ref.u(k, i), cd{}) << "fill-in u(" << k << "," << i << ")";
                    }
                }
            }
        }
    }
}

TEST(RowFactorisation, ProfileShape) {
    // 7, 6, 5, 4, 3, 2 entries right of the diagonal within an element block,
    // the whole 8 x 8 element for a single element
    const int n = 6 * 4 + 2;
    const int expect[6] = {7, 6, 5, 4, 3, 2};
    for (int k = 1; k <= 24; ++k) EXPECT_EQ(ef::profile_limit(k, n) - k, expect[(k - 1) % 6]);
    EXPECT_EQ(ef::profile_limit(25, n), 26);
    EXPECT_EQ(ef::profile_limit(26, n), 26);
    for (int k = 1; k <= 8; ++k) EXPECT_EQ(ef::profile_limit(k, 8), 8);
    // 60 stored numbers per element and 4 for the closing edge
    EXPECT_EQ(ef::RowFactors(4, 3).entries_per_row(), 60u * 4u + 4u);
    EXPECT_EQ(ef::RowFactors(1, 1).entries_per_row(), 64u);  // the full 8 x 8 of one element
}

TEST(RowFactorisation, RowsDoNotOverwriteEachOther) {
    const GridProblem p = ef::test::make_problem(3, 3, 77u);
    ef::RowWorkspace ws(3);
    ef::RowFactors all(3, 3), single(3, 3);
    for (int j = 1; j <= 3; ++j) ef::coeflu(j, p.problem(), p.beta, ws, all);
    ef::coeflu(2, p.problem(), p.beta, ws, single);
    for (int k = 1; k <= 20; ++k)
        for (int d = 0; k + d <= ef::profile_limit(k, 20); ++d) {
            EXPECT_EQ(all.l(2, k, d), single.l(2, k, d));
            EXPECT_EQ(single.l(1, k, d), Complex{});
            EXPECT_EQ(single.l(3, k, d), Complex{});
        }
}

TEST(RowSolve, AgreesWithPivotedDenseSolve) {
    double worst_residual = 0.0, worst_difference = 0.0;
    for (int nx : {1, 2, 6, 40}) {
        for (bool closed : {true, false}) {
            const GridProblem p = ef::test::make_problem(nx, 3, 500u + static_cast<unsigned>(nx), closed);
            ef::RowWorkspace ws(nx);
            ef::RowFactors f(nx, 3);
            for (int j = 1; j <= 3; ++j) {
                ef::coeflu(j, p.problem(), p.beta, ws, f);
                const Dense a = ef::test::dense_from_band(ws.a);
                const int n = 6 * nx + 2;
                const std::vector<cd> b = random_vector(n, 9u * static_cast<unsigned>(j));
                const std::vector<cd> ref = ef::test::dense_solve(a, b);
                const std::vector<Complex> rhs = to_ef(b);
                ef::solver15(nx, j, rhs, f, ws.answer, ws.y);
                std::vector<cd> x(static_cast<std::size_t>(n) + 1);
                double scale = 0.0, diff = 0.0;
                for (int r = 1; r <= n; ++r) {
                    const auto rs = static_cast<std::size_t>(r);
                    x[rs] = ef::test::to_std(ws.answer[rs]);
                    scale = std::max(scale, std::abs(ref[rs]));
                    diff = std::max(diff, std::abs(x[rs] - ref[rs]));
                }
                const double residual = ef::test::relative_residual(a, x, b);
                EXPECT_LT(residual, 1e-12);
                EXPECT_LT(diff / scale, 1e-10);
                worst_residual = std::max(worst_residual, residual);
                worst_difference = std::max(worst_difference, diff / scale);
            }
        }
    }
    std::cout << "row solve: worst relative residual " << worst_residual
              << ", worst relative difference to the pivoted dense solve " << worst_difference << "\n";
}

TEST(RowSolve, RandomProfileMatrices) {
    // diagonally dominant random matrices with the row-system profile
    std::mt19937 gen(2024);
    std::uniform_real_distribution<double> uni(-1.0, 1.0);
    for (int nx : {1, 3, 9}) {
        const int n = 6 * nx + 2;
        ef::Band band(nx);
        for (int e = 1; e <= nx; ++e)
            for (int r = 6 * (e - 1) + 1; r <= 6 * e + 2; ++r)
                for (int c = 6 * (e - 1) + 1; c <= 6 * e + 2; ++c)
                    band(r, 8 + c - r) += r == c ? Complex{20.0 + uni(gen), 5.0 * uni(gen)}
                                                 : Complex{uni(gen), uni(gen)};
        ef::RowFactors f(nx, 1);
        ef::factor15(nx, 1, band, f);
        const Dense a = ef::test::dense_from_band(band);
        const std::vector<cd> b = random_vector(n, 3u);
        ef::RowWorkspace ws(nx);
        ef::solver15(nx, 1, to_ef(b), f, ws.answer, ws.y);
        std::vector<cd> x(static_cast<std::size_t>(n) + 1);
        for (int r = 1; r <= n; ++r) x[static_cast<std::size_t>(r)] = ef::test::to_std(ws.answer[static_cast<std::size_t>(r)]);
        EXPECT_LT(ef::test::relative_residual(a, x, b), 1e-14);
    }
}

TEST(RowSolve, EdgeCasesOfTheSubstitution) {
    for (int nx : {1, 4}) {
        const GridProblem p = ef::test::make_problem(nx, 1, 31u);
        const int n = 6 * nx + 2;
        ef::RowWorkspace ws(nx);
        ef::RowFactors f(nx, 1);
        ef::coeflu(1, p.problem(), p.beta, ws, f);
        const ef::RowFactors kept = f;

        // zero right-hand side: zero answer
        std::vector<Complex> zero(static_cast<std::size_t>(n) + 1);
        ws.answer.assign(ws.answer.size(), Complex{1.0, 1.0});
        ef::solver15(nx, 1, zero, f, ws.answer, ws.y);
        for (int r = 1; r <= n; ++r) EXPECT_EQ(ws.answer[static_cast<std::size_t>(r)], Complex{});

        // the first column of A gives the first unit vector
        std::vector<Complex> col(static_cast<std::size_t>(n) + 1);
        for (int r = 1; r <= std::min(n, 8); ++r) col[static_cast<std::size_t>(r)] = ws.a(r, 8 + 1 - r);
        ef::solver15(nx, 1, col, f, ws.answer, ws.y);
        for (int r = 1; r <= n; ++r) {
            const Complex x = ws.answer[static_cast<std::size_t>(r)];
            EXPECT_NEAR(x.re, r == 1 ? 1.0 : 0.0, 1e-12);
            EXPECT_NEAR(x.im, 0.0, 1e-12);
        }

        // repeat: bit-identical answer, factors and right-hand side unchanged
        const std::vector<Complex> b = to_ef(random_vector(n, 8u));
        const std::vector<Complex> b_copy = b;
        ef::solver15(nx, 1, b, f, ws.answer, ws.y);
        const std::vector<Complex> first = ws.answer;
        ef::solver15(nx, 1, b, f, ws.answer, ws.y);
        for (int r = 1; r <= n; ++r) {
            const auto rs = static_cast<std::size_t>(r);
            EXPECT_EQ(ws.answer[rs], first[rs]);
            EXPECT_EQ(b[rs], b_copy[rs]);
        }
        for (int k = 1; k <= n; ++k)
            for (int d = 0; k + d <= ef::profile_limit(k, n); ++d) {
                EXPECT_EQ(f.l(1, k, d), kept.l(1, k, d));
                if (d > 0) {
                    EXPECT_EQ(f.u(1, k, d), kept.u(1, k, d));
                }
            }
    }
}

}  // namespace

namespace {

// The substitutions written out plainly with the scalar operators, nearest
// product first: the reference for every code path of the row solves.
std::vector<Complex> reference_solve(const ef::RowFactors& f, int j, const std::vector<Complex>& b) {
    const int n = f.n();
    std::vector<Complex> y(static_cast<std::size_t>(n) + 1), x(y.size());
    for (int k = 1; k <= n; ++k) {
        Complex v = b[static_cast<std::size_t>(k)];
        for (int c = k - 1; c >= 1 && k <= ef::profile_limit(c, n); --c)
            v -= f.l(j, c, k - c) * y[static_cast<std::size_t>(c)];
        y[static_cast<std::size_t>(k)] = v / f.l(j, k, 0);
    }
    for (int k = n; k >= 1; --k) {
        Complex v = y[static_cast<std::size_t>(k)];
        for (int d = 1; k + d <= ef::profile_limit(k, n); ++d)
            v -= f.u(j, k, d) * x[static_cast<std::size_t>(k + d)];
        x[static_cast<std::size_t>(k)] = v;
    }
    return x;
}

bool same_bits(const Complex& a, const Complex& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

// One row alone and up to four rows together, in any order, give the bits of
// the plain substitution (on this processor's code path; a build without the
// wide paths is compared with this one by tools/compare_builds.sh).
TEST(RowSolve, GroupsOfRowsEqualThePlainSubstitutionBitForBit) {
    for (int nx : {1, 2, 7, 30}) {
        const int ny = 5, n = 6 * nx + 2;
        const GridProblem p = ef::test::make_problem(nx, ny, 900u + static_cast<unsigned>(nx), nx % 2 == 0);
        ef::RowFactors f(nx, ny);
        std::vector<ef::RowWorkspace> ws;
        for (int r = 0; r < ef::kRowGroup; ++r) ws.emplace_back(nx);
        for (int j = 1; j <= ny; ++j) ef::coeflu(j, p.problem(), p.beta, ws[0], f);

        std::vector<std::vector<Complex>> rhs(static_cast<std::size_t>(ny) + 1), expected(rhs.size());
        for (int j = 1; j <= ny; ++j) {
            rhs[static_cast<std::size_t>(j)] = to_ef(random_vector(n, 40u + static_cast<unsigned>(j)));
            rhs[static_cast<std::size_t>(j)][3] = Complex{0.0, -0.0};  // signed zeros too
            expected[static_cast<std::size_t>(j)] = reference_solve(f, j, rhs[static_cast<std::size_t>(j)]);
        }
        auto check = [&](const Complex* answer, int j, const char* how) {
            for (int r = 1; r <= n; ++r)
                ASSERT_TRUE(same_bits(answer[r], expected[static_cast<std::size_t>(j)][static_cast<std::size_t>(r)]))
                    << how << ": nx " << nx << " row " << j << " unknown " << r;
        };
        for (int j = 1; j <= ny; ++j) {
            ef::solver15(nx, j, rhs[static_cast<std::size_t>(j)], f, ws[0].answer, ws[0].y);
            check(ws[0].answer.data(), j, "solver15");
        }
        const std::vector<std::vector<int>> groups = {{2}, {5, 1}, {1, 3, 5}, {4, 2, 5, 1}, {1, 2, 3, 4}};
        for (const std::vector<int>& rows : groups) {
            ef::RowWorkspace* slots[ef::kRowGroup];
            for (std::size_t r = 0; r < rows.size(); ++r) {
                slots[r] = &ws[r];
                ws[r].rhs = rhs[static_cast<std::size_t>(rows[r])];
                ws[r].answer.assign(ws[r].answer.size(), Complex{9.0, 9.0});
            }
            ef::solver15_rows(nx, static_cast<int>(rows.size()), rows.data(), slots, f);
            for (std::size_t r = 0; r < rows.size(); ++r) check(ws[r].answer.data(), rows[r], "solver15_rows");
        }
    }
}
