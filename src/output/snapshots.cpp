#include "output/snapshots.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "common/constants.hpp"

namespace ef {

namespace {

// One frequency's term of the inverse sum at every snapshot time, added to
// the sums of both components: tpic gains Re U cos(theta) - Im U sin(theta),
// theta = ((itsnap(k) - 1) ((jw - 1 + s) dw)) dt.
void accumulate(double shift, const RunParams& p, int jw, const WaveField& field,
                SnapshotSums& sums) {
    const int nx = p.nx, ny = p.ny, nsnapt = p.nsnapt;
    const std::vector<int>& itsnap = p.itsnap;
    const double dt = p.dt, delw = p.delw;
    if (nsnapt <= 0) return;
    const double w = (static_cast<double>(jw - 1) + shift) * delw;
    std::vector<double> c(static_cast<std::size_t>(nsnapt) + 1), s(c.size());
    for (int k = 1; k <= nsnapt; ++k) {
        // itsnap - 1 in real64: a snapshot time beyond the int32 range
        // converts to -2147483648, whose predecessor would overflow
        const double theta = ((static_cast<double>(itsnap[k]) - 1.0) * w) * dt;
        c[k] = std::cos(theta);
        s[k] = std::sin(theta);
    }
    // Elements are independent: rows are shared out between threads, and the
    // cosine and sine of each snapshot time are evaluated once for all of them.
#pragma omp parallel for schedule(static) if (nx * ny * nsnapt >= 4096)
    for (int j = 1; j <= ny; ++j) {
        for (int i = 1; i <= nx; ++i) {
            const Complex u1 = field.centre(1, i, j);
            const Complex u2 = field.centre(2, i, j);
            for (int k = 1; k <= nsnapt; ++k) {
                double& t1 = sums.tpic1(i, j, k);
                t1 = t1 + (u1.re * c[k] - u1.im * s[k]);
                double& t2 = sums.tpic2(i, j, k);
                t2 = t2 + (u2.re * c[k] - u2.im * s[k]);
            }
        }
    }
}

// Scaled sums of one component and snapshot, one list record i, j, value per element.
void write_time_snapshot(Units& units, int unit, int nx, int ny, int k, double delw,
                         const SnapshotSums& sums, bool horizontal) {
    for (int j = 1; j <= ny; ++j)
        for (int i = 1; i <= nx; ++i) {
            const double t = horizontal ? sums.tpic1(i, j, k) : sums.tpic2(i, j, k);
            units.list(unit, {i, j, (t * delw) / kSnapshotPi});
        }
}

// The first vertical snapshot of a small grid as a table, one record per row.
void write_small_print(Units& units, int nx, int ny, double delw, const SnapshotSums& sums) {
    units.list(19, {});
    units.list(19, {" vertical comp snap number  nn= ", 1});
    units.list(19, {});
    std::vector<Item> row;
    for (int j = 1; j <= ny; ++j) {
        row.clear();
        for (int i = 1; i <= nx; ++i) {
            row.emplace_back(j);
            row.emplace_back((sums.tpic2(i, j, 1) * delw) / kSnapshotPi);
        }
        units.list(19, row);
    }
}

}  // namespace

SnapshotSums::SnapshotSums(int nx, int ny, int nsnapt)
    : nx_(std::max(nx, 0)), ny_(std::max(ny, 0)), nsnapt_(std::max(nsnapt, 1)),
      tpic1_(static_cast<std::size_t>(nx_) * ny_ * nsnapt_, 0.0), tpic2_(tpic1_.size(), 0.0) {}

// Snapshot number fastest: the per-frequency update of one element touches
// consecutive entries.
std::size_t SnapshotSums::index(int i, int j, int k) const {
    return static_cast<std::size_t>(k - 1) +
           static_cast<std::size_t>(nsnapt_) *
               (static_cast<std::size_t>(i - 1) +
                static_cast<std::size_t>(nx_) * static_cast<std::size_t>(j - 1));
}

double& SnapshotSums::tpic1(int i, int j, int k) { return tpic1_[index(i, j, k)]; }
double& SnapshotSums::tpic2(int i, int j, int k) { return tpic2_[index(i, j, k)]; }
double SnapshotSums::tpic1(int i, int j, int k) const { return tpic1_[index(i, j, k)]; }
double SnapshotSums::tpic2(int i, int j, int k) const { return tpic2_[index(i, j, k)]; }

void finvpic1(const RunParams& p, int jw, const WaveField& field, SnapshotSums& sums) {
    accumulate(0.0, p, jw, field, sums);
}

void finvpic2(const RunParams& p, int jw, const WaveField& field, SnapshotSums& sums) {
    accumulate(0.5, p, jw, field, sums);
}

void write_frequency_snapshots(Units& units, const RunParams& p, int jw, const WaveField& field) {
    static const Format value("(e12.5)");
    static const Format profile("(2e20.8)");
    const int nx = p.nx, ny = p.ny;
    for (int l = 1; l <= p.nsnapf; ++l) {
        if (p.jwsnap[l] != jw) continue;
        for (int j = 1; j <= ny; ++j)
            for (int i = 1; i <= nx; ++i) {
                units.write(15, value, {field.centre(1, i, j).re});
                units.write(16, value, {field.centre(2, i, j).re});
            }
        // Middle row and column; with ny = 1 (nx = 1) they are the ghost ring 0.
        const int jm = ny / 2, im = nx / 2;
        for (int i = 1; i <= nx; ++i)
            units.write(17, profile,
                        {static_cast<double>(i - 1) * p.h + 0.5 * p.h, field.centre(1, i, jm).re});
        for (int j = 1; j <= ny; ++j)
            units.write(18, profile,
                        {static_cast<double>(j - 1) * p.h + 0.5 * p.h, field.centre(2, im, j).re});
    }
}

void outime(Units& units, const RunParams& p, const SnapshotSums& sums,
            const ReceiverSpectra& spectra) {
    const int nx = p.nx, ny = p.ny, nsnapt = p.nsnapt;
    const double delw = p.delw;
    units.list(6, {" enters outime"});
    for (int k = 1; k <= nsnapt; ++k) write_time_snapshot(units, 39 + k, nx, ny, k, delw, sums, true);
    for (int k = 1; k <= nsnapt; ++k) write_time_snapshot(units, 49 + k, nx, ny, k, delw, sums, false);
    if (nx <= 7 && ny <= 7) write_small_print(units, nx, ny, delw, sums);
    write_traces(units, spectra, p);
    units.list(6, {" leaves outime"});
}

}  // namespace ef
