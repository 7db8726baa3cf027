#include "solver/pml_profile.hpp"

#include <cmath>

namespace ef {

double pml_peak_damping(double vp, double thickness, double reflection) {
    return 3.0 * vp * std::log(1.0 / reflection) / (2.0 * thickness);
}

PmlProfile::PmlProfile(int elements, double h, double vp, double reflection)
    : elements_(elements),
      d_max_(elements > 0 ? pml_peak_damping(vp, elements * h, reflection) : 0.0) {}

double PmlProfile::damping(int n) const {
    if (n < 1 || elements_ < 1) return 0.0;
    const double depth = (n - 0.5) / elements_;  // at the element's centre, in layer thicknesses
    return d_max_ * (depth * depth);
}

Complex PmlProfile::stretch(int n, double omega) const {
    const double d = damping(n);
    return Complex{1.0, d == 0.0 ? 0.0 : -d / omega};  // exactly 1 inside the model
}

}  // namespace ef
