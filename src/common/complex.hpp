// Complex arithmetic with every operation written out, so that results are
// reproducible to the last bit whatever the compiler or library does with
// std::complex (whose multiplication and division add special-case handling).
#pragma once

#include <cmath>
#include <complex>

namespace ef {

struct Complex {
    double re = 0.0;
    double im = 0.0;
};

inline Complex operator+(Complex a, Complex b) { return {a.re + b.re, a.im + b.im}; }
inline Complex operator-(Complex a, Complex b) { return {a.re - b.re, a.im - b.im}; }
inline Complex operator-(Complex a) { return {-a.re, -a.im}; }
inline Complex& operator+=(Complex& a, Complex b) { a.re += b.re; a.im += b.im; return a; }
inline Complex& operator-=(Complex& a, Complex b) { a.re -= b.re; a.im -= b.im; return a; }

// (a + ib)(e + if) = (ae - bf) + i(af + be)
inline Complex operator*(Complex a, Complex b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
// real x complex and complex / real: component-wise
inline Complex operator*(double r, Complex a) { return {r * a.re, r * a.im}; }
inline Complex operator*(Complex a, double r) { return {a.re * r, a.im * r}; }
inline Complex operator/(Complex a, double r) { return {a.re / r, a.im / r}; }

// Scaled complex division z / p (Smith's form, with the tie |f| = |e| on the
// second branch).
inline Complex operator/(Complex z, Complex p) {
    const double a = z.re, b = z.im, e = p.re, f = p.im;
    if (std::fabs(f) > std::fabs(e)) {
        const double t = e / f;
        const double s = e * t + f;
        return {(a * t + b) / s, (b * t - a) / s};
    }
    const double t = f / e;
    const double s = f * t + e;
    return {(b * t + a) / s, (b - a * t) / s};
}

inline bool operator==(Complex a, Complex b) { return a.re == b.re && a.im == b.im; }

// Modulus without intermediate overflow (the C library's cabs, i.e. hypot).
inline double abs(Complex z) { return std::hypot(z.re, z.im); }

// Principal square root (the C library's csqrt).
inline Complex sqrt(Complex z) {
    const std::complex<double> r = std::sqrt(std::complex<double>(z.re, z.im));
    return {r.real(), r.imag()};
}

// Re(1/z) without overflow.
inline double re_inv(Complex z) {
    const double a = z.re, b = z.im;
    if (std::fabs(b) > std::fabs(a)) {
        const double r = a / b;
        return r / (r * a + b);
    }
    const double r = b / a;
    return 1.0 / (r * b + a);
}

}  // namespace ef
