// The receiver traces as SEG-Y revision 1 files, written with the segyio C
// library: a textual header describing the run, a binary header, and one trace
// per receiver, samples as 4-byte IEEE floats (format 5), big-endian.
//
// Coordinates in the trace headers are centimetres with the coordinate scalar
// -100 (divide by 100 to get metres): receiver group X, Y = (rx, ry) and
// source X, Y = (xsou, ysou), x to the right and y upward from the lower-left
// corner of the model, as in the deck. The sample interval is whole
// microseconds (dt rounded); the exact dt is written in the textual header,
// with the model's grid and the times of the run's snapshot files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/run_params.hpp"
#include "output/trace_text.hpp"

namespace ef {

inline constexpr std::int32_t kSegyCoordinateScalar = -100;

// What a SEG-Y file says about the run besides the samples.
struct SegySurvey {
    std::string component;     // "vx" or "vz"
    std::string trace_file;    // the text file the samples come from
    int nrec = 0;
    int nt = 0;
    double dt = 0.0;           // msec
    double xsou = 0.0, ysou = 0.0;
    std::vector<double> rx, ry;  // 0-based, nrec entries (m)
    int ngx = 0, ngy = 0;
    double h = 0.0, xsize = 0.0, ysize = 0.0;
    std::vector<double> snapshot_times;  // msec, of the time-domain snapshots in order
};

// The survey of component "vx" or "vz" from the deck's run parameters.
SegySurvey segy_survey(const RunParams& p, const std::string& component);

// Sample interval in whole microseconds, dt (msec) rounded to nearest. Throws
// RunError when it does not fit the 16-bit header fields (1 .. 32767 us).
std::int32_t segy_interval_us(double dt_msec);

// A coordinate in metres as the scaled integer of the trace headers
// (centimetres, rounded to nearest). Throws RunError when it does not fit.
std::int32_t segy_scaled_coordinate(double metres);

// The 3200 characters of the textual header (40 lines of 80, ASCII; the
// library stores them as EBCDIC).
std::string segy_textual_header(const SegySurvey& survey);

// Writes the gather to `file` (created or replaced). Throws RunError when the
// file cannot be written or the gather does not match the survey; a partly
// written file is removed.
void write_segy(const std::filesystem::path& file, const SegySurvey& survey,
                const TraceGather& gather);

// Converts both trace files of a finished run in `dir` (vx_traces.su and
// vz_traces.su) into vx_traces.sgy and vz_traces.sgy. Both text files are read
// before anything is written. Returns the files written.
std::vector<std::filesystem::path> export_segy_traces(const RunParams& p,
                                                      const std::filesystem::path& dir);

}  // namespace ef
