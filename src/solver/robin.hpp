// Robin transmission coefficients: the impedance i omega rho v of each element
// edge, averaged over the two elements that meet there.
#pragma once

#include "common/complex.hpp"
#include "common/grid2.hpp"

namespace ef {

struct RobinCoefficients {
    RobinCoefficients() = default;
    RobinCoefficients(int nx, int ny)
        : beta11b(nx, ny), beta11l(nx, ny), beta11r(nx, ny), beta11t(nx, ny),
          beta22b(nx, ny), beta22l(nx, ny), beta22r(nx, ny), beta22t(nx, ny) {}
    Grid2<Complex> beta11b, beta11l, beta11r, beta11t;  // component u1
    Grid2<Complex> beta22b, beta22l, beta22r, beta22t;  // component u2
};

// Fill the interior entries (1..nx x 1..ny) of every coefficient array for the
// frequency number jw at angular frequency omega.
void inbeta(int nx, int ny, double omega, const Grid2<double>& rho,
            const Grid2<Complex>& xln, const Grid2<Complex>& xmu, int jw,
            RobinCoefficients& beta);

}  // namespace ef
