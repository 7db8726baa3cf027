#include "model/dispersion_table.hpp"

#include <array>
#include <cmath>

namespace ef {

namespace {

// Measured by tools/dispersion/dispersion.py on a Poisson solid (lambda = mu)
// with h = 1 m: the S wave from u1, the P wave from u2, along the middle
// column of a vertically travelling plane wave (docs/accuracy/dispersion.csv).
constexpr std::array<DispersionPoint, 13> kShear{{
    {3.0030, 1.217191e-01},
    {4.0000, 7.631073e-02},
    {5.0000, 5.136802e-02},
    {5.9880, 3.682582e-02},
    {8.0000, 2.123518e-02},
    {10.0000, 1.377487e-02},
    {12.0482, 9.561227e-03},
    {16.1290, 5.374845e-03},
    {20.0000, 3.507148e-03},
    {25.0000, 2.249549e-03},
    {32.2581, 1.353265e-03},
    {40.0000, 8.808455e-04},
    {50.0000, 5.640545e-04},
}};

constexpr std::array<DispersionPoint, 13> kPressure{{
    {3.0018, 8.871909e-02},
    {4.0001, 5.363520e-02},
    {5.0059, 3.542156e-02},
    {5.9933, 2.517102e-02},
    {7.9818, 1.446184e-02},
    {10.0119, 9.275158e-03},
    {12.0281, 6.457659e-03},
    {16.0375, 3.650093e-03},
    {19.9086, 2.373832e-03},
    {25.1022, 1.495431e-03},
    {32.0750, 9.168278e-04},
    {40.2803, 5.816843e-04},
    {49.4872, 3.855076e-04},
}};

}  // namespace

std::span<const DispersionPoint> dispersion_table(WaveType wave) {
    if (wave == WaveType::s) return kShear;
    return kPressure;
}

double smallest_tabulated_g(WaveType wave) { return dispersion_table(wave).front().g; }

double predicted_phase_velocity_error(WaveType wave, double g) {
    const auto table = dispersion_table(wave);
    if (!(g > table.front().g)) return table.front().error;
    const DispersionPoint& last = table.back();
    if (g >= last.g) return last.error * (last.g / g) * (last.g / g);
    std::size_t k = 1;
    while (table[k].g < g) ++k;
    const DispersionPoint& a = table[k - 1];
    const DispersionPoint& b = table[k];
    const double t = std::log(g / a.g) / std::log(b.g / a.g);
    return std::exp(std::log(a.error) + t * std::log(b.error / a.error));
}

}  // namespace ef
