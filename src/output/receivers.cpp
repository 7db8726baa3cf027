#include "output/receivers.hpp"

#include <algorithm>
#include <cstddef>
#include <span>

#include "common/fourier.hpp"

namespace ef {

namespace {

// Frequency index runs fastest: the spectrum of one receiver is contiguous.
std::size_t spectrum_index(int jw, int k) {
    return static_cast<std::size_t>(jw - 1) +
           static_cast<std::size_t>(kMaxFrequencies) * static_cast<std::size_t>(k - 1);
}

constexpr std::size_t kSpectraSize =
    static_cast<std::size_t>(kMaxFrequencies) * static_cast<std::size_t>(kMaxReceivers);

// The working spectrum W(1 .. n), n = jw2, of receiver k and one component.
// Frequencies the sweep did not reach stay zero; with the standard sampling
// the zero frequency, never solved, repeats the first solved one: W(1) = W(2).
void working_spectrum(const ReceiverSpectra& spectra, bool horizontal, int k, int n, int jw1,
                      int jw2, int keyqua, Complex* w) {  // w[j-1] = W(j)
    for (int j = std::max(jw1, 1); j <= jw2; ++j)
        w[j - 1] = horizontal ? spectra.fu1(j, k) : spectra.fu2(j, k);
    if (keyqua == 1 && n >= 1) w[0] = n >= 2 ? w[1] : Complex{};
}

}  // namespace

ReceiverSpectra::ReceiverSpectra() : fu1_(kSpectraSize), fu2_(kSpectraSize) {}

Complex& ReceiverSpectra::fu1(int jw, int k) { return fu1_[spectrum_index(jw, k)]; }
Complex& ReceiverSpectra::fu2(int jw, int k) { return fu2_[spectrum_index(jw, k)]; }
const Complex& ReceiverSpectra::fu1(int jw, int k) const { return fu1_[spectrum_index(jw, k)]; }
const Complex& ReceiverSpectra::fu2(int jw, int k) const { return fu2_[spectrum_index(jw, k)]; }

void savtrace(const RunParams& p, int jw, const WaveField& field, ReceiverSpectra& spectra) {
    for (int k = 1; k <= p.nrec; ++k) {
        const int i = p.irx[k], j = p.iry[k];
        spectra.fu1(jw, k) = field.centre(1, i, j);
        spectra.fu2(jw, k) = field.centre(2, i, j);
    }
}

void write_traces(Units& units, const ReceiverSpectra& spectra, const RunParams& p) {
    static const Format sample("(g15.4)");
    const int nrec = p.nrec, jw1 = p.jw1, jw2 = p.jw2, keyqua = p.keyqua;
    if (nrec <= 0) return;
    // Both components of every receiver in one synthesis, so that each cosine
    // and sine of the inverse sum is evaluated once: series r < nrec is the
    // horizontal trace of receiver r + 1, series nrec + r the vertical one.
    const int n = std::max(jw2, 0);
    const int m = std::max(p.nt, 0);
    const std::size_t traces = 2 * static_cast<std::size_t>(nrec);
    std::vector<Complex> packed(static_cast<std::size_t>(n) * traces);
    for (int c = 0; c < 2; ++c)
        for (int k = 1; k <= nrec; ++k)
            working_spectrum(spectra, c == 0, k, n, jw1, jw2, keyqua,
                             packed.data() + static_cast<std::size_t>(n) *
                                                 (static_cast<std::size_t>(c) * nrec + (k - 1)));
    std::vector<double> uu(static_cast<std::size_t>(m) * traces);
    finvu_many(keyqua == 1 ? kStandardShift : kMidPointShift, packed, n, uu, m,
               static_cast<int>(traces), p.dt, p.delw);
    const std::size_t per_component = static_cast<std::size_t>(m) * static_cast<std::size_t>(nrec);
    for (std::size_t r = 0; r < per_component; ++r) units.write(98, sample, {uu[r]});
    for (std::size_t r = 0; r < per_component; ++r) units.write(99, sample, {uu[per_component + r]});
}

}  // namespace ef
