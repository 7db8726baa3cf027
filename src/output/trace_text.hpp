// The receiver trace files as the solver writes them (vx_traces.su,
// vz_traces.su): plain text without headers, one "(g15.4)" record per sample,
// all nt samples of receiver 1, then receiver 2, and so on. The file alone does
// not say how many receivers or samples it holds; the deck does.
#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

namespace ef {

// nrec traces of nt samples each, receiver-major.
struct TraceGather {
    int nrec = 0;
    int nt = 0;
    std::vector<double> samples;  // nrec * nt values

    // Sample n (0-based, time n*dt) of receiver k (0-based).
    double at(int k, int n) const {
        return samples[static_cast<std::size_t>(k) * static_cast<std::size_t>(nt) +
                       static_cast<std::size_t>(n)];
    }
};

// Reads a trace file that must hold exactly nrec * nt records. Throws RunError
// naming the file when it is missing, holds fewer or more records than that,
// or a record is not a number.
TraceGather read_trace_text(const std::filesystem::path& file, int nrec, int nt);

}  // namespace ef
