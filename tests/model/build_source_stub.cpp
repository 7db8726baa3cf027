// Temporary stand-in for build_source until the source wavelet lands: sizes
// the source arrays and prints nothing. Remove when merging the real one.
#include "model/source_wavelet.hpp"

namespace ef {

void build_source(Units&, const ProcessGrid&, RunParams& p) {
    p.source.assign(static_cast<std::size_t>(p.nt > 0 ? p.nt : 0) + 1, 0.0);
    p.sour.assign(static_cast<std::size_t>(p.jw2 > 0 ? p.jw2 : 0) + 1, Complex{});
}

}  // namespace ef
