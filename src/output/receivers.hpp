// Receiver spectra, stored per frequency while the band is swept, and the
// synthesis of the receiver traces after the sweep.
#pragma once

#include <vector>

#include "common/complex.hpp"
#include "common/units.hpp"
#include "solver/interface_state.hpp"

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

// Store the element-centre value of both components at every receiver.
void savtrace(int nrec, int jw, const std::vector<int>& irx, const std::vector<int>& iry,
              ReceiverSpectra& spectra, const InterfaceState& state);

// Trace synthesis: write vx_traces.su (unit 98) and vz_traces.su (unit 99).
void write_traces(Units& units, const ReceiverSpectra& spectra, int nrec, int jw1, int jw2,
                  int nt, double dt, double delw, int keyqua);

}  // namespace ef
