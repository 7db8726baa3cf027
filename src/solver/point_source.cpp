#include "solver/point_source.hpp"

namespace ef {

PointSourceTerm PointSourceTerm::force(const ElementPoint& at, double fx, double fy) {
    PointSourceTerm s;
    s.at_ = at;
    s.force_[0] = fx;
    s.force_[1] = fy;
    return s;
}

PointSourceTerm PointSourceTerm::moment(const ElementPoint& at, double mxx, double myy,
                                        double mxy) {
    PointSourceTerm s;
    s.at_ = at;
    s.moment_[0][0] = mxx;
    s.moment_[0][1] = mxy;
    s.moment_[1][0] = mxy;
    s.moment_[1][1] = myy;
    return s;
}

PointSourceTerm PointSourceTerm::explosion(const ElementPoint& at, double amplitude) {
    return moment(at, amplitude, amplitude, 0.0);
}

std::array<Complex, 8> PointSourceTerm::element_load(int i, int j, Complex sour) const {
    std::array<Complex, 8> load{};
    if (i != at_.i || j != at_.j) return load;
    for (int k = 0; k < 8; ++k) {
        const int a = k / 2, c = k % 2;
        const double weight = force_[c] * at_.value[a] + moment_[c][0] * at_.dx[a] +
                              moment_[c][1] * at_.dy[a];
        load[k] = weight * sour;
    }
    return load;
}

}  // namespace ef
