// The damping profile of a perfectly matched layer and its coordinate
// stretching factor.
//
// Time convention: a spectrum W stands for the signal Re(W e^{+i omega t})
// (the inverse transform sums it so), and the first-order absorbing term is
// +i omega rho v on the diagonal of K - omega^2 M: both describe a wave
// travelling towards +x as e^{i(omega t - k x)}. Stretching x into
// x~ = x + (1 / (i omega)) integral of d turns that wave into
// e^{-i k x} e^{-(k / omega) integral of d}: with d >= 0 it decays into the layer
// without any reflection at its inner face, for every k and every angle. The
// factor is therefore s = 1 + d / (i omega) = 1 - i d / omega; the opposite
// sign would make the wave grow.
#pragma once

#include "common/complex.hpp"

namespace ef {

class PmlProfile {
public:
    // A layer of `elements` elements of side h over material whose P velocity
    // is vp, aiming at the reflection coefficient `reflection` at normal
    // incidence.
    PmlProfile(int elements, double h, double vp, double reflection);

    int elements() const { return elements_; }
    double peak_damping() const { return d_max_; }

    // d of layer element n (1 next to the model, elements() outermost): the
    // quadratic profile d_max (depth / L)^2 at the element's centre, where the
    // depth is (n - 1/2) h; 0 for n < 1 (inside the model).
    double damping(int n) const;

    // s = 1 + d / (i omega) of layer element n at angular frequency omega > 0.
    Complex stretch(int n, double omega) const;

private:
    int elements_;
    double d_max_;
};

// For d = d_max (x / L)^2 a wave at normal incidence crosses the layer twice
// and comes back with amplitude exp(-2 (1 / v_p) integral_0^L d dx) =
// exp(-2 d_max L / (3 v_p)) = R, hence d_max = 3 v_p ln(1/R) / (2 L).
double pml_peak_damping(double vp, double thickness, double reflection);

}  // namespace ef
