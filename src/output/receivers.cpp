#include "output/receivers.hpp"

#include <algorithm>
#include <cstddef>
#include <span>

#include "output/fourier.hpp"
#include "output/snapshots.hpp"

namespace ef {

namespace {

// Frequency index runs fastest: the spectrum of one receiver is contiguous.
std::size_t spectrum_index(int jw, int k) {
    return static_cast<std::size_t>(jw - 1) +
           static_cast<std::size_t>(kMaxFrequencies) * static_cast<std::size_t>(k - 1);
}

constexpr std::size_t kSpectraSize =
    static_cast<std::size_t>(kMaxFrequencies) * static_cast<std::size_t>(kMaxReceivers);

// The traces of one component, receiver after receiver, written to `unit`
// one sample per record.
void write_component(Units& units, int unit, bool horizontal, const ReceiverSpectra& spectra,
                     int nrec, int jw1, int jw2, int nt, double dt, double delw, int keyqua) {
    static const Format sample("(g15.4)");
    // Working spectrum W(1 .. n), n = jw2, of each receiver. Frequencies the
    // sweep did not reach stay zero; with the standard sampling the zero
    // frequency, never solved, repeats the first solved one: W(1) = W(2).
    const int n = std::max(jw2, 0);
    std::vector<Complex> packed(static_cast<std::size_t>(n) * static_cast<std::size_t>(nrec));
    for (int k = 1; k <= nrec; ++k) {
        Complex* w = packed.data() + static_cast<std::size_t>(n) * (k - 1);  // w[j-1] = W(j)
        for (int j = std::max(jw1, 1); j <= jw2; ++j)
            w[j - 1] = horizontal ? spectra.fu1(j, k) : spectra.fu2(j, k);
        if (keyqua == 1 && n >= 1) w[0] = n >= 2 ? w[1] : Complex{};
    }

    const int m = std::max(nt, 0);
    std::vector<double> uu(static_cast<std::size_t>(m) * static_cast<std::size_t>(nrec));
    finvu_many(keyqua == 1 ? kStandardShift : kMidPointShift, packed, n, uu, m, nrec, dt, delw);
    for (const double v : uu) units.write(unit, sample, {v});
}

}  // namespace

ReceiverSpectra::ReceiverSpectra() : fu1_(kSpectraSize), fu2_(kSpectraSize) {}

Complex& ReceiverSpectra::fu1(int jw, int k) { return fu1_[spectrum_index(jw, k)]; }
Complex& ReceiverSpectra::fu2(int jw, int k) { return fu2_[spectrum_index(jw, k)]; }
const Complex& ReceiverSpectra::fu1(int jw, int k) const { return fu1_[spectrum_index(jw, k)]; }
const Complex& ReceiverSpectra::fu2(int jw, int k) const { return fu2_[spectrum_index(jw, k)]; }

void savtrace(int nrec, int jw, const std::vector<int>& irx, const std::vector<int>& iry,
              ReceiverSpectra& spectra, const InterfaceState& s) {
    for (int k = 1; k <= nrec; ++k) {
        const int i = irx[k], j = iry[k];
        spectra.fu1(jw, k) = element_centre(s.u1tn(i, j), s.u1ln(i, j), s.u1bn(i, j), s.u1rn(i, j));
        spectra.fu2(jw, k) = element_centre(s.u2tn(i, j), s.u2ln(i, j), s.u2bn(i, j), s.u2rn(i, j));
    }
}

void write_traces(Units& units, const ReceiverSpectra& spectra, int nrec, int jw1, int jw2,
                  int nt, double dt, double delw, int keyqua) {
    if (nrec <= 0) return;
    write_component(units, 98, true, spectra, nrec, jw1, jw2, nt, dt, delw, keyqua);
    write_component(units, 99, false, spectra, nrec, jw1, jw2, nt, dt, delw, keyqua);
}

}  // namespace ef
