// A source at a point as a consistent finite-element load on the one element
// that holds it.
//
// A force F delta(x - x0) does the work F . v(x0) on a test field v: degree
// of freedom k of component c gets F_c phi_k(x0). A moment tensor M acts as
// the body force -M grad delta(x - x0), whose work is, after one integration
// by parts, M_cl dv_c/dx_l (x0): degree of freedom k of component c gets
// M_c1 dphi_k/dx (x0) + M_c2 dphi_k/dy (x0). An explosion is M = A I. Both
// are scaled by the source spectrum sour of the frequency.
#pragma once

#include <array>

#include "common/complex.hpp"
#include "solver/element_point.hpp"

namespace ef {

class PointSourceTerm {
public:
    static PointSourceTerm force(const ElementPoint& at, double fx, double fy);
    static PointSourceTerm moment(const ElementPoint& at, double mxx, double myy, double mxy);
    static PointSourceTerm explosion(const ElementPoint& at, double amplitude);

    int i() const { return at_.i; }
    int j() const { return at_.j; }

    // The load vector of element (i, j) in the element's local order: zero
    // except for the element that holds the point.
    std::array<Complex, 8> element_load(int i, int j, Complex sour) const;

private:
    ElementPoint at_;
    double force_[2] = {};
    double moment_[2][2] = {};  // (component, derivative direction)
};

}  // namespace ef
