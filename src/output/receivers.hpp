// Receiver spectra, stored per frequency while the band is swept, and the
// synthesis of the receiver traces after the sweep.
#pragma once

#include <vector>

#include "common/complex.hpp"
#include "common/run_params.hpp"
#include "common/units.hpp"
#include "solver/wave_field.hpp"

namespace ef {

// fu1/fu2(jw, k): jw = 1 .. 600, k = 1 .. 150; zero until frequency jw is solved.
class ReceiverSpectra {
public:
    ReceiverSpectra();
    Complex& fu1(int jw, int k);
    Complex& fu2(int jw, int k);
    const Complex& fu1(int jw, int k) const;
    const Complex& fu2(int jw, int k) const;

private:
    std::vector<Complex> fu1_, fu2_;
};

// Store the element-centre value of both components of frequency jw's field
// at every receiver (p.nrec receivers in elements p.irx, p.iry).
void savtrace(const RunParams& p, int jw, const WaveField& field, ReceiverSpectra& spectra);

// Trace synthesis of the band p.jw1 .. p.jw2 into p.nt samples of step p.dt:
// write vx_traces.su (unit 98) and vz_traces.su (unit 99).
void write_traces(Units& units, const ReceiverSpectra& spectra, const RunParams& p);

}  // namespace ef
