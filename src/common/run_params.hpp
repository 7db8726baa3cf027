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

// Names as the deck and its summary spell them (docs/deck.md); each
// abbreviation is spelled out beside it.
struct RunParams {
    // --- iteration control
    std::int32_t maxlow = 0;  // iteration limit in the low-frequency range
    double perclow = 0.0;     // share of the band that is the low-frequency range
    std::int32_t maxiter = 0; // iteration limit elsewhere
    double reduc = 0.0;       // convergence threshold of the global relative error

    // --- grid (global ngx x ngy elements, local nx x ny)
    std::int32_t ngx = 0, ngy = 0, nx = 0, ny = 0;
    double xsize = 0.0, ysize = 0.0;  // rounded to whole elements
    double h = 0.0;                   // element side (m)
    double hpx = 0.0, hpy = 0.0;      // block size from the sizes as read
    Grid2<std::int32_t> matnum;       // material of global element (I, J), ring included

    // --- snapshots
    std::int32_t nsnapf = 0;           // number of frequency-domain snapshots
    std::vector<double> fsnap;         // their frequencies, kHz, 1..nsnapf
    std::vector<std::int32_t> jwsnap;  // their frequency numbers, 1..nsnapf
    std::int32_t nsnapt = 0;           // number of time-domain snapshots
    std::vector<double> tsnap;         // their times, msec, 1..nsnapt
    std::vector<std::int32_t> itsnap;  // their time steps, 1..nsnapt

    // --- source wavelet, band-pass filter, sampling
    std::int32_t keyqua = 0;  // frequency sampling: 1 standard, 2 mid-point
    std::int32_t npf = 0;     // number of frequencies of the band 0 .. f4
    std::int32_t key = 0;     // wavelet type 1, 2 or 3
    double freq = 0.0;        // wavelet frequency, kHz
    double stime = 0.0;       // trace length, msec
    double f1 = 0.0, f2 = 0.0, f3 = 0.0, f4 = 0.0;  // band-pass corners, kHz
    double w0 = 0.0, alfa = 0.0;  // wavelet angular frequency and damping
    double ppmax = 0.0;       // largest P velocity of the materials
    double dt = 0.0;          // time step, msec
    std::int32_t nt = 0;      // samples per trace
    double tmute = 0.0;       // mute time, msec
    std::int32_t ntmute = 0;  // mute time in samples
    double fnyquist = 0.0, delf = 0.0, delw = 0.0;  // Nyquist frequency, frequency step, its angular step
    std::int32_t if1 = 0, if2 = 0, if3 = 0, if4 = 0;  // frequency numbers of f1 .. f4
    std::int32_t jw1 = 0, jw2 = 0, jwlow = 0;  // first, last, last low-range frequency number
    double psi = 0.0, width = 0.0, ts = 0.0, totpul = 0.0;  // Gaussian pulse: psi, width, centre, length
    std::int32_t npulse = 0;  // pulse length in samples
    std::vector<double> source;   // 1..nt: the band-limited wavelet once readata returns
    std::vector<Complex> sour;    // 1..jw2: source spectrum by frequency number

    // --- materials (1..nmat; moduli scaled as described where they are read)
    std::int32_t nmat = 0;
    // density (ros), relaxed bulk and shear moduli (xkr, xmur), P and S
    // decrements (deltp, delts), porosity (phi), rosaux (unused), fluid and
    // grain bulk moduli (kf, ks), relaxation band (fq1, fq2)
    std::vector<double> ros, xkr, xmur, deltp, delts, phi, rosaux, kf, ks, fq1, fq2;
    // relaxed P modulus (xmr), its velocity (ve), P quality (qp), 2 / (qp pi)
    // (const_), relaxation times (tau1, tau2)
    std::vector<double> xmr, ve, qp, const_, tau1, tau2;
    // bounds of the bulk and shear moduli (bul*, u*), P and S velocities
    // (pp*, ss*), and the velocities of materials 1 and 2 (pp1, pp2, ss1, ss2)
    double bulmin = 0.0, bulmax = 0.0, umin = 0.0, umax = 0.0;
    double ppmin = 0.0, ssmin = 0.0, ssmax = 0.0;
    double pp1 = 0.0, pp2 = 0.0, ss1 = 0.0, ss2 = 0.0;

    // --- source position and receivers
    std::int32_t kdel = 0;  // spatial type of the source (1 or 9 act in the solver)
    double xsou = 0.0, ysou = 0.0;  // source position, m
    std::int32_t isdsou = 0, jsou = 0, ksou = 0;  // its block, column and row
    std::int32_t nrec = 0;  // number of receivers
    double xinic = 0.0, yinic = 0.0, xfin = 0.0, yfin = 0.0;  // receiver line: first and last
    double deltarecx = 0.0, deltarecy = 0.0;  // receiver spacing in x and y
    std::vector<double> rx, ry;          // 1..nrec: receiver positions
    std::vector<std::int32_t> irx, iry;  // 1..nrec: their elements
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
