#include "model/source_wavelet.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/stop.hpp"
#include "model/int_trunc.hpp"
#include "common/fourier.hpp"

namespace ef {

namespace {

// 1e-14 and 1.0001 as single-precision constants widened to real64.
constexpr double kSmallSample = 9.9999998245167e-15;
constexpr double kPulseRound = 1.000100016593933;

// The wavelet of type `key` at t = (j - 1) dt, j = 1 .. nt. A type other
// than 1, 2 or 3 leaves the series as it is.
void fill_wavelet(const RunParams& p, std::vector<double>& source) {
    for (int j = 1; j <= p.nt; ++j) {
        const double t = static_cast<double>(j - 1) * p.dt;
        switch (p.key) {
        case 1:  // damped sine
            source[j] = std::sin(p.w0 * t) * ((t * (4.0 * p.alfa)) * std::exp(-p.alfa * t));
            break;
        case 2: {  // derivative of a Gaussian centred on ts
            const double tau = t - p.ts;
            source[j] = -(std::exp(-((tau * tau) * p.psi)) * (tau * (2.0 * p.psi)));
            break;
        }
        case 3:  // damped sine with its first harmonic
            source[j] = (std::sin((2.0 * p.w0) * t) + std::sin(p.w0 * t)) *
                        ((t * (4.0 * p.alfa)) * std::exp(-p.alfa * t));
            break;
        default:
            break;
        }
    }
}

// Scale to peak magnitude 1; samples that end up below 1e-14 become exact zeros.
void normalise(int nt, std::vector<double>& source) {
    if (nt < 1) return;
    double amax = 0.0;
    for (int j = 1; j <= nt; ++j) amax = std::max(amax, std::fabs(source[j]));
    for (int j = 1; j <= nt; ++j) {
        const double r = source[j] / amax;
        source[j] = std::fabs(r) < kSmallSample ? 0.0 : r;
    }
}

// One write of the pairs (time, sample), one record per sample.
void write_series(Units& units, int unit, const RunParams& p) {
    static const Format pair("(2e20.8)");
    std::vector<Item> items;
    items.reserve(2 * static_cast<std::size_t>(std::max(p.nt, 0)));
    for (int j = 1; j <= p.nt; ++j) {
        items.emplace_back(static_cast<double>(j - 1) * p.dt);
        items.emplace_back(p.source[j]);
    }
    units.write(unit, pair, items);
}

// One write of the pairs (mid-point frequency, amplitude), k = 1 .. jw2.
void write_amplitudes(Units& units, int unit, const RunParams& p,
                      const std::vector<Complex>& sourspec) {
    static const Format pair("(2e20.8)");
    std::vector<Item> items;
    items.reserve(2 * static_cast<std::size_t>(std::max(p.jw2, 0)));
    for (int k = 1; k <= p.jw2; ++k) {
        items.emplace_back(static_cast<double>(k - 1) * p.delf + p.delf * 0.5);
        items.emplace_back(abs(sourspec[k]));
    }
    units.write(unit, pair, items);
}

// Linear fall of the spectrum from 1 at if3 to 0 at if4; nothing below if3.
// if4 is normally jw2 + 1, one past the last computed entry.
void taper(const RunParams& p, std::vector<Complex>& sourspec) {
    if (p.if3 == 1 || p.if3 > p.if4) return;
    // in 64 bits: a corner beyond the int32 range converts to -2147483648
    const double span = static_cast<double>(std::int64_t{p.if4} - p.if3);
    const int last = std::min(p.if4, p.jw2);
    for (int k = std::max(p.if3, 1); k <= last; ++k)
        sourspec[k] = (static_cast<double>(p.if4 - k) / span) * sourspec[k];
}

}  // namespace

void build_source(Units& units, const ProcessGrid& a1, RunParams& p) {
    if (p.key == 2) {
        static const Format pulse_length("(/1x,' pulse length in samples',i8)");
        static const Format psi_width("(/1x,'psi=',e20.8,'width=',e20.8,'msec')");
        static const Format ts_totpul("(/1x,'ts=',e20.8,'msec. totpul=',e20.8,'msec')");
        p.psi = (p.freq * p.freq) * 8.0;
        p.width = 0.5 / p.freq;
        p.ts = p.width * 2.5;
        p.totpul = p.ts * 3.0;
        // a pulse too long for an int32 (freq near 0) fails the check below
        p.npulse = int_trunc_count(p.totpul / p.dt + kPulseRound);
        units.write(6, pulse_length, {p.npulse});
        if (p.npulse > kMaxTimeSamples) throw StopRun{12345};
        if (a1.prints()) {
            units.write(6, psi_width, {p.psi, p.width});
            units.write(6, ts_totpul, {p.ts, p.totpul});
            units.write(6, pulse_length, {p.nt});
        }
        p.nt = std::max(p.nt, p.npulse);
    }

    const int nt = std::max(p.nt, 0);
    const int jw2 = std::max(p.jw2, 0);
    // A wavelet type other than 1, 2 or 3 keeps what the series held.
    const std::size_t length = static_cast<std::size_t>(std::max(nt, kMaxTimeSamples)) + 1;
    if (p.source.size() < length) p.source.resize(length, 0.0);
    fill_wavelet(p, p.source);
    normalise(p.nt, p.source);

    units.list(6, {" writes in 20 source in time"});
    write_series(units, 20, p);

    // Spectrum of the wavelet at the solved frequencies; one spare entry
    // past jw2 where the taper would reach with if4 = jw2 + 1.
    std::vector<Complex> sourspec(static_cast<std::size_t>(jw2) + 2);
    const std::span<const double> series(p.source.data() + 1, static_cast<std::size_t>(nt));
    const std::span<Complex> spectrum(sourspec.data() + 1, static_cast<std::size_t>(jw2));
    if (p.keyqua == 1)
        ffu1(series, spectrum, p.dt, p.delw);
    else if (p.keyqua == 2)
        ffu2(series, spectrum, p.dt, p.delw);

    units.list(6, {" writes in 21 amplitude source"});
    if (p.keyqua == 2) write_amplitudes(units, 21, p, sourspec);
    taper(p, sourspec);
    if (p.keyqua == 2) write_amplitudes(units, 22, p, sourspec);

    p.sour.assign(static_cast<std::size_t>(std::max(jw2, kMaxFrequencies)) + 1, Complex{});
    std::copy(sourspec.begin() + 1, sourspec.begin() + 1 + jw2, p.sour.begin() + 1);

    // The band-limited wavelet: the tapered spectrum back in time.
    const std::span<double> filtered(p.source.data() + 1, static_cast<std::size_t>(nt));
    if (p.keyqua == 1)
        finvu1(spectrum, filtered, p.dt, p.delw);
    else
        finvu2(spectrum, filtered, p.dt, p.delw);
    write_series(units, 23, p);
}

}  // namespace ef
