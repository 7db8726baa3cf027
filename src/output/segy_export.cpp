#include "output/segy_export.hpp"

#include <segyio/segy.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>

#include "common/stop.hpp"

namespace ef {

namespace {

constexpr int kTextLines = 40;
constexpr int kTextColumns = 80;
constexpr std::int32_t kRevision1 = 0x0100;  // SEG-Y revision 1.0
constexpr std::int32_t kFixedLengthTraces = 1;
constexpr std::int32_t kMetres = 1;          // measurement system
constexpr std::int32_t kAsRecorded = 1;      // trace sorting code
constexpr std::int32_t kCoordinatesAreLengths = 1;
constexpr std::int32_t kProductionData = 1;
// Trace identification codes of multicomponent sensors: the model's x axis is
// the in-line direction of the receiver line, y the vertical.
constexpr std::int32_t kVerticalComponent = 12;
constexpr std::int32_t kInlineComponent = 14;

std::string upper(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

// Shortest text that reads back to the same double.
std::string exact(double v) {
    char buf[40];
    for (int digits = 15; digits <= 17; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*G", digits, v);
        if (std::strtod(buf, nullptr) == v) break;
    }
    return buf;
}

std::string metres(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10G", v);
    return buf;
}

const char* segy_error_name(int code) {
    switch (code) {
        case SEGY_FOPEN_ERROR: return "cannot open";
        case SEGY_FSEEK_ERROR: return "seek failed";
        case SEGY_FREAD_ERROR: return "read failed";
        case SEGY_FWRITE_ERROR: return "write failed";
        case SEGY_INVALID_FIELD: return "invalid header field";
        case SEGY_INVALID_ARGS: return "invalid arguments";
        default: return "segyio error";
    }
}

// Owns an open segyio handle; closes it on every path.
class SegyHandle {
public:
    explicit SegyHandle(const std::filesystem::path& file) : name_(file.string()) {
        fp_ = segy_open(name_.c_str(), "w+b");
        if (fp_ == nullptr) throw RunError(name_ + ": cannot create the SEG-Y file");
    }
    ~SegyHandle() {
        if (fp_ != nullptr) segy_close(fp_);
    }
    SegyHandle(const SegyHandle&) = delete;
    SegyHandle& operator=(const SegyHandle&) = delete;

    segy_file* get() { return fp_; }
    void check(int status, const char* what) const {
        if (status != SEGY_OK) {
            throw RunError(name_ + ": " + what + ": " + segy_error_name(status) + " (segyio code " +
                           std::to_string(status) + ")");
        }
    }
    void close() {
        const int status = segy_close(fp_);
        fp_ = nullptr;
        check(status, "closing");
    }

private:
    std::string name_;
    segy_file* fp_ = nullptr;
};

// Nearest single-precision value; magnitudes beyond its range become infinite.
float to_ieee_single(double v) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (v > kLargest) return std::numeric_limits<float>::infinity();
    if (v < -kLargest) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

void set_binary(SegyHandle& fh, char* bin, int field, std::int32_t value) {
    fh.check(segy_set_bfield(bin, field, value), "binary header");
}

void set_trace(SegyHandle& fh, char* header, int field, std::int32_t value) {
    fh.check(segy_set_field(header, field, value), "trace header");
}

void write_into(SegyHandle& fh, const SegySurvey& s, const TraceGather& gather) {
    const std::int32_t interval = segy_interval_us(s.dt);
    const std::string text = segy_textual_header(s);
    fh.check(segy_write_textheader(fh.get(), 0, text.c_str()), "textual header");

    char bin[SEGY_BINARY_HEADER_SIZE] = {};
    set_binary(fh, bin, SEGY_BIN_JOB_ID, 1);
    set_binary(fh, bin, SEGY_BIN_LINE_NUMBER, 1);
    set_binary(fh, bin, SEGY_BIN_REEL_NUMBER, 1);
    set_binary(fh, bin, SEGY_BIN_TRACES, s.nrec);
    set_binary(fh, bin, SEGY_BIN_AUX_TRACES, 0);
    set_binary(fh, bin, SEGY_BIN_INTERVAL, interval);
    set_binary(fh, bin, SEGY_BIN_INTERVAL_ORIG, interval);
    set_binary(fh, bin, SEGY_BIN_SAMPLES, s.nt);
    set_binary(fh, bin, SEGY_BIN_SAMPLES_ORIG, s.nt);
    set_binary(fh, bin, SEGY_BIN_FORMAT, SEGY_IEEE_FLOAT_4_BYTE);
    set_binary(fh, bin, SEGY_BIN_ENSEMBLE_FOLD, 1);
    set_binary(fh, bin, SEGY_BIN_SORTING_CODE, kAsRecorded);
    set_binary(fh, bin, SEGY_BIN_MEASUREMENT_SYSTEM, kMetres);
    set_binary(fh, bin, SEGY_BIN_SEGY_REVISION, kRevision1);
    set_binary(fh, bin, SEGY_BIN_TRACE_FLAG, kFixedLengthTraces);
    set_binary(fh, bin, SEGY_BIN_EXT_HEADERS, 0);
    fh.check(segy_write_binheader(fh.get(), bin), "binary header");

    fh.check(segy_set_format(fh.get(), SEGY_IEEE_FLOAT_4_BYTE), "sample format");
    const long trace0 = segy_trace0(bin);
    const int trace_bytes = segy_trsize(SEGY_IEEE_FLOAT_4_BYTE, s.nt);

    const std::int32_t source_x = segy_scaled_coordinate(s.xsou);
    const std::int32_t source_y = segy_scaled_coordinate(s.ysou);
    const std::int32_t trace_id = s.component == "vz" ? kVerticalComponent : kInlineComponent;
    std::vector<float> samples(static_cast<std::size_t>(s.nt));
    for (int k = 0; k < s.nrec; ++k) {
        char header[SEGY_TRACE_HEADER_SIZE] = {};
        set_trace(fh, header, SEGY_TR_SEQ_LINE, k + 1);
        set_trace(fh, header, SEGY_TR_SEQ_FILE, k + 1);
        set_trace(fh, header, SEGY_TR_FIELD_RECORD, 1);
        set_trace(fh, header, SEGY_TR_NUMBER_ORIG_FIELD, k + 1);
        set_trace(fh, header, SEGY_TR_ENERGY_SOURCE_POINT, 1);
        set_trace(fh, header, SEGY_TR_TRACE_ID, trace_id);
        set_trace(fh, header, SEGY_TR_DATA_USE, kProductionData);
        set_trace(fh, header, SEGY_TR_SOURCE_GROUP_SCALAR, kSegyCoordinateScalar);
        set_trace(fh, header, SEGY_TR_SOURCE_X, source_x);
        set_trace(fh, header, SEGY_TR_SOURCE_Y, source_y);
        set_trace(fh, header, SEGY_TR_GROUP_X, segy_scaled_coordinate(s.rx[k]));
        set_trace(fh, header, SEGY_TR_GROUP_Y, segy_scaled_coordinate(s.ry[k]));
        set_trace(fh, header, SEGY_TR_COORD_UNITS, kCoordinatesAreLengths);
        set_trace(fh, header, SEGY_TR_SAMPLE_COUNT, s.nt);
        set_trace(fh, header, SEGY_TR_SAMPLE_INTER, interval);
        fh.check(segy_write_traceheader(fh.get(), k, header, trace0, trace_bytes), "trace header");

        for (int n = 0; n < s.nt; ++n) samples[n] = to_ieee_single(gather.at(k, n));
        fh.check(segy_from_native(SEGY_IEEE_FLOAT_4_BYTE, s.nt, samples.data()), "samples");
        fh.check(segy_writetrace(fh.get(), k, samples.data(), trace0, trace_bytes), "samples");
    }
    fh.check(segy_flush(fh.get(), false), "flushing");
}

}  // namespace

SegySurvey segy_survey(const RunParams& p, const std::string& component) {
    SegySurvey s;
    s.component = component;
    s.trace_file = component + "_traces.su";
    s.nrec = p.nrec;
    s.nt = p.nt;
    s.dt = p.dt;
    s.xsou = p.xsou;
    s.ysou = p.ysou;
    for (int k = 1; k <= p.nrec; ++k) {
        s.rx.push_back(p.rx.at(k));
        s.ry.push_back(p.ry.at(k));
    }
    s.ngx = p.ngx;
    s.ngy = p.ngy;
    s.h = p.h;
    s.xsize = p.xsize;
    s.ysize = p.ysize;
    // Snapshot k shows the field at time step itsnap(k), that is at (itsnap(k) - 1) dt.
    for (int k = 1; k <= p.nsnapt; ++k) s.snapshot_times.push_back((p.itsnap.at(k) - 1) * p.dt);
    return s;
}

std::int32_t segy_interval_us(double dt_msec) {
    const double us = std::round(dt_msec * 1000.0);
    if (!(us >= 1.0 && us <= 32767.0)) {
        throw RunError("the time step dt = " + exact(dt_msec) +
                       " msec does not fit the SEG-Y sample interval (1 to 32767 microseconds)");
    }
    return static_cast<std::int32_t>(us);
}

std::int32_t segy_scaled_coordinate(double metres_value) {
    const double cm = std::round(metres_value * 100.0);
    if (!(std::fabs(cm) <= static_cast<double>(std::numeric_limits<std::int32_t>::max()))) {
        throw RunError("the coordinate " + exact(metres_value) +
                       " m does not fit a SEG-Y header in centimetres");
    }
    return static_cast<std::int32_t>(cm);
}

std::string segy_textual_header(const SegySurvey& s) {
    const std::string comp = upper(s.component);
    const std::string what = s.component == "vz" ? "VERTICAL COMPONENT U2 (Y UPWARD)"
                                                 : "HORIZONTAL COMPONENT U1 (X TO THE RIGHT)";
    const double last_rx = s.rx.empty() ? 0.0 : s.rx.back();
    const double last_ry = s.ry.empty() ? 0.0 : s.ry.back();
    const double first_rx = s.rx.empty() ? 0.0 : s.rx.front();
    const double first_ry = s.ry.empty() ? 0.0 : s.ry.front();
    std::int32_t interval = 0;
    try {
        interval = segy_interval_us(s.dt);
    } catch (const RunError&) {
        interval = 0;
    }
    std::vector<std::string> lines = {
        "ELASTOFREQ: 2-D P-SV VISCOELASTIC WAVES, FREQUENCY-DOMAIN FINITE ELEMENTS",
        "PROGRAM elastofreq_segy, SAMPLES FROM THE TEXT TRACES " + s.trace_file,
        "COMPONENT " + comp + ": " + what,
        "RECEIVERS NREC = " + std::to_string(s.nrec) + ", ONE TRACE EACH, IN RECEIVER ORDER",
        "SAMPLES PER TRACE NT = " + std::to_string(s.nt) + ", IEEE FLOAT (FORMAT 5)",
        "DT = " + exact(s.dt) + " MSEC EXACTLY; HEADERS HOLD " + std::to_string(interval) +
            " US (ROUNDED)",
        "SAMPLE N (FROM 1) IS AT TIME (N-1)*DT",
        "SOURCE XSOU = " + metres(s.xsou) + " M, YSOU = " + metres(s.ysou) + " M",
        "RECEIVER LINE FROM (" + metres(first_rx) + ", " + metres(first_ry) + ") M",
        "                TO (" + metres(last_rx) + ", " + metres(last_ry) + ") M",
        "GRID NGX = " + std::to_string(s.ngx) + ", NGY = " + std::to_string(s.ngy) +
            " ELEMENTS, SIDE H = " + exact(s.h) + " M",
        "DOMAIN XSIZE = " + metres(s.xsize) + " M, YSIZE = " + metres(s.ysize) + " M",
        "COORDINATES: X TO THE RIGHT, Y UPWARD, FROM THE LOWER LEFT CORNER",
        "TRACE HEADERS: SOURCE X,Y (BYTES 73, 77) = XSOU, YSOU;",
        "               GROUP X,Y (BYTES 81, 85) = RECEIVER RX, RY;",
        "COORDINATE SCALAR (BYTE 71) -100: HEADER COORDINATES IN CENTIMETRES",
        "AMPLITUDES IN SOLVER UNITS (SOURCE WAVELET OF PEAK 1)",
    };
    // The times of the snapshot files of the same run, as many per line as fit.
    const std::string times_label = "SNAPSHOT TIMES (MSEC):";
    std::string times_line = times_label;
    for (double t : s.snapshot_times) {
        char value[32];
        std::snprintf(value, sizeof value, " %.6G", t);
        if (times_line.size() + std::strlen(value) > kTextColumns - 4) {
            lines.push_back(times_line);
            times_line = times_label;
        }
        times_line += value;
    }
    if (!s.snapshot_times.empty()) lines.push_back(times_line);
    std::string text;
    text.reserve(kTextLines * kTextColumns);
    for (int line = 1; line <= kTextLines; ++line) {
        std::string body;
        if (line <= static_cast<int>(lines.size())) body = lines[line - 1];
        if (line == kTextLines - 1) body = "SEG Y REV1";
        if (line == kTextLines) body = "END TEXTUAL HEADER";
        char prefix[8];
        std::snprintf(prefix, sizeof prefix, "C%2d ", line);
        std::string record = prefix + body;
        record.resize(kTextColumns, ' ');
        text += record;
    }
    return text;
}

void write_segy(const std::filesystem::path& file, const SegySurvey& survey,
                const TraceGather& gather) {
    if (gather.nrec != survey.nrec || gather.nt != survey.nt ||
        static_cast<int>(survey.rx.size()) != survey.nrec ||
        static_cast<int>(survey.ry.size()) != survey.nrec) {
        throw RunError(file.string() + ": the traces do not match the receivers of the deck");
    }
    try {
        SegyHandle fh(file);
        write_into(fh, survey, gather);
        fh.close();
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        throw;
    }
}

std::vector<std::filesystem::path> export_segy_traces(const RunParams& p,
                                                      const std::filesystem::path& dir) {
    segy_interval_us(p.dt);  // refuse an unusable time step before any reading
    const char* components[] = {"vx", "vz"};
    std::vector<SegySurvey> surveys;
    std::vector<TraceGather> gathers;
    for (const char* component : components) {
        surveys.push_back(segy_survey(p, component));
        gathers.push_back(read_trace_text(dir / surveys.back().trace_file, p.nrec, p.nt));
    }
    std::vector<std::filesystem::path> written;
    for (std::size_t c = 0; c < surveys.size(); ++c) {
        written.push_back(dir / (surveys[c].component + "_traces.sgy"));
        write_segy(written.back(), surveys[c], gathers[c]);
    }
    return written;
}

}  // namespace ef
