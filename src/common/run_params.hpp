// The run-parameter set: everything the input deck defines or implies, filled
// once by readata and read-only afterwards. Tables by material number, receiver
// number or snapshot number are 1-based (index 0 unused).
#pragma once

#include <cstdint>
#include <vector>

#include "common/complex.hpp"
#include "common/grid2.hpp"

namespace ef {

// The processor record: the layout of nsx by nsy processes, of which this run
// is always process 0 owning the whole local grid.
struct ProcessGrid {
    std::int32_t ncontrol = 0;  // process that prints the run summary
    std::int32_t iproc = 0;     // this process
    std::int32_t iprocx = 0;    // its block column
    std::int32_t iprocy = 0;    // its block row, counted from the top
    std::int32_t itype = 0;     // block type (9: all four sides on the exterior)
    std::int32_t nsx = 0;
    std::int32_t nsy = 0;

    bool prints() const { return ncontrol == iproc; }
};

struct RunParams {
    // --- iteration control
    std::int32_t maxlow = 0;
    double perclow = 0.0;
    std::int32_t maxiter = 0;
    double reduc = 0.0;

    // --- grid (global ngx x ngy elements, local nx x ny)
    std::int32_t ngx = 0, ngy = 0, nx = 0, ny = 0;
    double xsize = 0.0, ysize = 0.0;  // rounded to whole elements
    double h = 0.0;                   // element side (m)
    double hpx = 0.0, hpy = 0.0;      // block size from the sizes as read
    Grid2<std::int32_t> matnum;       // material of global element (I, J), ring included

    // --- snapshots
    std::int32_t nsnapf = 0;
    std::vector<double> fsnap;         // kHz, 1..nsnapf
    std::vector<std::int32_t> jwsnap;  // frequency numbers, 1..nsnapf
    std::int32_t nsnapt = 0;
    std::vector<double> tsnap;         // msec, 1..nsnapt
    std::vector<std::int32_t> itsnap;  // time steps, 1..nsnapt

    // --- source wavelet, band-pass filter, sampling
    std::int32_t keyqua = 0;  // 1 standard, 2 mid-point frequency sampling
    std::int32_t npf = 0;
    std::int32_t key = 0;     // wavelet type 1, 2 or 3
    double freq = 0.0;        // kHz
    double stime = 0.0;       // msec
    double f1 = 0.0, f2 = 0.0, f3 = 0.0, f4 = 0.0;
    double w0 = 0.0, alfa = 0.0;
    double ppmax = 0.0;
    double dt = 0.0;
    std::int32_t nt = 0;
    double tmute = 0.0;
    std::int32_t ntmute = 0;
    double fnyquist = 0.0, delf = 0.0, delw = 0.0;
    std::int32_t if1 = 0, if2 = 0, if3 = 0, if4 = 0;
    std::int32_t jw1 = 0, jw2 = 0, jwlow = 0;
    double psi = 0.0, width = 0.0, ts = 0.0, totpul = 0.0;
    std::int32_t npulse = 0;
    std::vector<double> source;   // 1..nt: the band-limited wavelet once readata returns
    std::vector<Complex> sour;    // 1..jw2: source spectrum by frequency number

    // --- materials (1..nmat; moduli scaled as described where they are read)
    std::int32_t nmat = 0;
    std::vector<double> ros, xkr, xmur, deltp, delts, phi, rosaux, kf, ks, fq1, fq2;
    std::vector<double> xmr, ve, qp, const_, tau1, tau2;
    double bulmin = 0.0, bulmax = 0.0, umin = 0.0, umax = 0.0;
    double ppmin = 0.0, ssmin = 0.0, ssmax = 0.0;
    double pp1 = 0.0, pp2 = 0.0, ss1 = 0.0, ss2 = 0.0;

    // --- source position and receivers
    std::int32_t kdel = 0;  // spatial type of the source (1 or 9 act in the solver)
    double xsou = 0.0, ysou = 0.0;
    std::int32_t isdsou = 0, jsou = 0, ksou = 0;
    std::int32_t nrec = 0;
    double xinic = 0.0, yinic = 0.0, xfin = 0.0, yfin = 0.0;
    double deltarecx = 0.0, deltarecy = 0.0;
    std::vector<double> rx, ry;          // 1..nrec
    std::vector<std::int32_t> irx, iry;  // 1..nrec
};

// Build limits. The row limit is the one parameter that differs between the
// programs; everything else is common to all of them.
struct BuildLimits {
    std::int32_t row_limit = 602;  // largest nx and ny
};
inline constexpr std::int32_t kMaxFrequencies = 600;
inline constexpr std::int32_t kMaxReceivers = 150;
inline constexpr std::int32_t kMaxTimeSamples = 10000;
inline constexpr std::int32_t kMaxMaterials = 20;
inline constexpr std::int32_t kMaxSnapshots = 10;

}  // namespace ef
