// Wave-field snapshots: running inverse-Fourier sums of the element-centre
// field at chosen times (written after the sweep by outime), and
// frequency-domain snapshots written as their frequencies are solved.
#pragma once

#include <cstddef>
#include <vector>

#include "common/run_params.hpp"
#include "common/units.hpp"
#include "output/receivers.hpp"
#include "solver/wave_field.hpp"

namespace ef {

// tpic1/tpic2(i, j, k): i = 1..nx, j = 1..ny, k = 1..nsnapt (unscaled sums);
// k = 1 exists even when nsnapt is 0 (the small print reads it, all zero).
class SnapshotSums {
public:
    SnapshotSums() = default;
    SnapshotSums(int nx, int ny, int nsnapt);
    double& tpic1(int i, int j, int k);
    double& tpic2(int i, int j, int k);
    double tpic1(int i, int j, int k) const;
    double tpic2(int i, int j, int k) const;

private:
    std::size_t index(int i, int j, int k) const;

    int nx_ = 0, ny_ = 0, nsnapt_ = 0;
    std::vector<double> tpic1_, tpic2_;
};

// Add frequency jw's term of the inverse sum (standard / mid-point sampling)
// at the p.nsnapt snapshot times p.itsnap (steps of p.dt), frequency step p.delw.
void finvpic1(const RunParams& p, int jw, const WaveField& field, SnapshotSums& sums);
void finvpic2(const RunParams& p, int jw, const WaveField& field, SnapshotSums& sums);

// The frequency-domain snapshot blocks of frequency jw on units 15 to 18, one
// block per entry of jwsnap equal to jw.
void write_frequency_snapshots(Units& units, const RunParams& p, int jw, const WaveField& field);

// After the sweep: time-domain snapshots (units 40..59), the small print
// (unit 19), the receiver traces (units 98, 99), with the messages on unit 6.
void outime(Units& units, const RunParams& p, const SnapshotSums& sums,
            const ReceiverSpectra& spectra);

}  // namespace ef
