// The scalar blocks are the exact integrals over [-1, 1]^2 of the basis
// 1/4 -+ x/2 -+ (3/8)(theta(x) - theta(y)) (left, right) and
// 1/4 -+ y/2 +- (3/8)(theta(x) - theta(y)) (bottom, top), theta(t) = t^2 - (5/3) t^4,
// worked out by hand and by computer algebra. The chain rule's (2/h)^2 meets
// the area (h/2)^2, which is why the derivative blocks are scale-free.
#include "solver/stretched_element.hpp"

namespace ef {

namespace {

// Numerators over 28 (derivative blocks) and 5040 (mass); order L, T, B, R.
constexpr int xx28[4][4] = {{65, -37, -37, 9}, {-37, 37, 37, -37}, {-37, 37, 37, -37}, {9, -37, -37, 65}};
constexpr int yy28[4][4] = {{37, -37, -37, 37}, {-37, 65, 9, -37}, {-37, 9, 65, -37}, {37, -37, -37, 37}};
// Only the x-derivative of a vertical edge's function meets the y-derivative
// of a horizontal edge's one: the bubble's derivatives integrate to zero.
constexpr int xy1[4][4] = {{0, -1, 1, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 1, -1, 0}};
constexpr int mass5040[4][4] = {
    {781, 269, 269, -59}, {269, 781, -59, 269}, {269, -59, 781, 269}, {-59, 269, 269, 781}};

ScalarBlocks make_blocks() {
    ScalarBlocks b{};
    for (int a = 0; a < 4; ++a)
        for (int c = 0; c < 4; ++c) {
            b.xx[a][c] = xx28[a][c] / 28.0;
            b.yy[a][c] = yy28[a][c] / 28.0;
            b.xy[a][c] = xy1[a][c];
            b.mass[a][c] = mass5040[a][c] / 5040.0;
        }
    return b;
}

}  // namespace

const ScalarBlocks& scalar_blocks() {
    static const ScalarBlocks blocks = make_blocks();
    return blocks;
}

ElementMatrix stretched_element_matrix(Complex lambda, Complex mu, double omega, double rho,
                                       double h, Complex sx, Complex sy) {
    const ScalarBlocks& b = scalar_blocks();
    const Complex y_over_x = sy / sx, x_over_y = sx / sy;
    const Complex p = lambda + 2.0 * mu;  // the P modulus
    const Complex mass = (((omega * omega) * rho) * (h * h)) * (sx * sy);

    ElementMatrix e{};
    for (int k = 0; k < 8; ++k) {
        for (int m = 0; m < 8; ++m) {
            const int a = k / 2, c = m / 2;
            const Complex xx = b.xx[a][c] * y_over_x, yy = b.yy[a][c] * x_over_y;
            Complex v;
            if (k % 2 == 0 && m % 2 == 0) {  // u1 with u1: (lambda + 2 mu) u1,x v1,x + mu u1,y v1,y
                v = p * xx + mu * yy - b.mass[a][c] * mass;
            } else if (k % 2 == 1 && m % 2 == 1) {  // u2 with u2
                v = p * yy + mu * xx - b.mass[a][c] * mass;
            } else if (k % 2 == 0) {  // u1 of k with u2 of m: lambda u1,x v2,y + mu u1,y v2,x
                v = lambda * b.xy[a][c] + mu * b.xy[c][a];
            } else {  // u2 of k with u1 of m
                v = lambda * b.xy[c][a] + mu * b.xy[a][c];
            }
            e[k][m] = v;
        }
    }
    return e;
}

}  // namespace ef
