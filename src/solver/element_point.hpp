// A point of the model in metres, seen from the element that holds it: which
// element, where inside it, and the element's basis there. Receivers read the
// field through it, point sources load through it.
#pragma once

#include <array>
#include <optional>

namespace ef {

// The four scalar basis functions on the reference square [-1, 1]^2, edge
// order L, T, B, R, with their derivatives along the reference axes.
struct ReferenceBasis {
    std::array<double, 4> value, d_xi, d_eta;
};

ReferenceBasis reference_basis(double xi, double eta);

// Element (i, j) spans x in [(i - 1) h, i h], y in [(j - 1) h, j h] (the
// model's bottom-left corner at the origin). Degree of freedom k of the
// element (order u1 L, u2 L, u1 T, u2 T, u1 B, u2 B, u1 R, u2 R) is scalar
// function k / 2 times unit vector k % 2, so value[k / 2] is its value. A
// field's value there is WaveField::at(c, i, j, xi, eta).
struct ElementPoint {
    int i = 0, j = 0;
    double xi = 0.0, eta = 0.0;            // reference coordinates in [-1, 1]
    std::array<double, 4> value{}, dx{}, dy{};  // basis and its derivatives in 1/m
};

// The element that holds (x, y) in an nx x ny grid of side h: a point on an
// element edge belongs to the element above and to the right, except on the
// model's top and right edges, where it belongs to the element below and to
// the left. A point within 1e-9 element sides of an edge counts as on it
// (decimal metres rarely divide exactly). Empty outside the model.
std::optional<ElementPoint> locate_point(double x, double y, int nx, int ny, double h);

}  // namespace ef
