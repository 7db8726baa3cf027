#include "output/survey_segy.hpp"

#include <segyio/segy.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <utility>

#include "common/stop.hpp"
#include "output/segy_export.hpp"

namespace ef {

namespace {

constexpr std::size_t kLineWidth = 80;
constexpr std::size_t kTextLines = 40;

struct Field {
    int field;
    std::int32_t value;
};

struct SegyCloser {
    void operator()(segy_file* fp) const { segy_close(fp); }
};
using SegyFile = std::unique_ptr<segy_file, SegyCloser>;

class SegyWriter {
public:
    explicit SegyWriter(const std::filesystem::path& file)
        : name_(file.string()), fp_(segy_open(name_.c_str(), "w+b")) {
        if (fp_ == nullptr) throw RunError(name_ + ": cannot create the SEG-Y file");
    }
    void check(int status, const char* what) const {
        if (status != SEGY_OK)
            throw RunError(name_ + ": segyio cannot write the " + what + " (code " +
                           std::to_string(status) + ")");
    }
    segy_file* get() const { return fp_.get(); }
    void close() { check(segy_close(fp_.release()), "end of the file"); }

private:
    std::string name_;
    SegyFile fp_;
};

std::string value_text(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10G", v);
    return buf;
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Samples beyond single precision's range become infinities, not undefined.
float single(double v) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    return v > kLargest ? std::numeric_limits<float>::infinity()
                        : v < -kLargest ? -std::numeric_limits<float>::infinity()
                                        : static_cast<float>(v);
}

}  // namespace

std::int32_t segy_offset_metres(double shot_x, double shot_y, double receiver_x,
                                double receiver_y) {
    const double distance = std::round(std::hypot(receiver_x - shot_x, receiver_y - shot_y));
    if (!(distance <= static_cast<double>(std::numeric_limits<std::int32_t>::max())))
        throw RunError("the offset " + value_text(distance) + " m does not fit a SEG-Y header");
    const auto metres = static_cast<std::int32_t>(distance);
    return receiver_x < shot_x ? -metres : metres;
}

std::string survey_segy_textual_header(SurveyComponent component, const Survey& survey,
                                       const SurveySampling& sampling) {
    const bool u1 = component == SurveyComponent::u1;
    const SurveyBoundaries& b = survey.boundaries;
    std::vector<std::string> body = {
        "ELASTOFREQ_SURVEY: 2-D P-SV VISCOELASTIC WAVES, FREQUENCY-DOMAIN ELEMENTS",
        u1 ? "COMPONENT U1: HORIZONTAL DISPLACEMENT, X TO THE RIGHT"
           : "COMPONENT U2: VERTICAL DISPLACEMENT, Y UPWARD",
        "SHOTS " + std::to_string(survey.shots.size()) + ", RECEIVERS " +
            std::to_string(survey.receiver_x.size()) +
            ": ONE RECORD PER SHOT, ONE TRACE PER RECEIVER",
        "SAMPLES PER TRACE " + std::to_string(sampling.nt) + ", IEEE FLOAT (FORMAT 5)",
        "DT = " + value_text(sampling.dt) + " MSEC; SAMPLE N (FROM 1) AT TIME (N-1)*DT",
        "TIME TRACES FROM THE SPECTRA OF FREQUENCY NUMBERS " + std::to_string(sampling.jw1) +
            " TO " + std::to_string(sampling.jw2),
        "TOP " + upper(b.free_top ? "free" : "absorbing") + ", ABSORBING SIDES " +
            (b.absorbing == AbsorbingBoundary::pml
                 ? "PML OF " + std::to_string(b.pml_elements) + " ELEMENTS, TARGET R " +
                       value_text(b.pml_reflection)
                 : std::string("FIRST-ORDER")),
        "DECK " + survey.deck.string(),
        "COORDINATES IN M: X TO THE RIGHT, Y UPWARD, FROM THE LOWER LEFT CORNER",
        "TRACE HEADERS: FIELD RECORD (BYTE 9) = SHOT NUMBER FROM 1",
        "  TRACE IN RECORD (BYTE 13) = RECEIVER NUMBER FROM 1",
        "  OFFSET (BYTE 37) IN WHOLE METRES, NEGATIVE LEFT OF THE SHOT",
        "  SOURCE X,Y (BYTES 73, 77), GROUP X,Y (BYTES 81, 85) IN CM,",
        "  COORDINATE SCALAR (BYTE 71) -100",
    };
    // As many shots as the lines left hold; the HDF5 file lists them all.
    const std::size_t room = kTextLines - 2 - body.size();
    const std::size_t listed = survey.shots.size() <= room ? survey.shots.size() : room - 1;
    for (std::size_t k = 0; k < listed; ++k) {
        const Shot& s = survey.shots[k];
        body.push_back("SHOT " + std::to_string(k + 1) + " " +
                       upper(std::string(shot_kind_name(s.kind))) + " AT (" + value_text(s.x) +
                       ", " + value_text(s.y) + ") M, AMPLITUDE " + value_text(s.amplitude));
    }
    if (listed < survey.shots.size()) body.push_back("MORE SHOTS: SEE THE HDF5 FILE OF THE SURVEY");
    body.resize(kTextLines - 2);
    body.push_back("SEG Y REV1");
    body.push_back("END TEXTUAL HEADER");
    std::string text;
    for (std::size_t line = 0; line < kTextLines; ++line) {
        std::string record = (line < 9 ? "C " : "C") + std::to_string(line + 1) + " " + body[line];
        record.resize(kLineWidth, ' ');
        text += record;
    }
    return text;
}

void write_survey_segy(const std::filesystem::path& file, SurveyComponent component,
                       const Survey& survey, const SurveySampling& sampling,
                       const std::vector<double>& traces) {
    const int receivers = static_cast<int>(survey.receiver_x.size());
    const int shots = static_cast<int>(survey.shots.size());
    const int nt = sampling.nt;
    if (traces.size() != static_cast<std::size_t>(shots) * receivers * static_cast<std::size_t>(nt))
        throw RunError(file.string() + ": the traces do not match the survey");
    const std::int32_t interval = segy_interval_us(sampling.dt);

    SegyWriter out(file);
    out.check(segy_write_textheader(out.get(), 0,
                                    survey_segy_textual_header(component, survey, sampling).c_str()),
              "textual header");
    char bin[SEGY_BINARY_HEADER_SIZE] = {};
    const Field binary[] = {
        {SEGY_BIN_JOB_ID, 1},          {SEGY_BIN_LINE_NUMBER, 1},
        {SEGY_BIN_REEL_NUMBER, 1},     {SEGY_BIN_TRACES, receivers},
        {SEGY_BIN_INTERVAL, interval}, {SEGY_BIN_INTERVAL_ORIG, interval},
        {SEGY_BIN_SAMPLES, nt},        {SEGY_BIN_SAMPLES_ORIG, nt},
        {SEGY_BIN_FORMAT, SEGY_IEEE_FLOAT_4_BYTE},
        {SEGY_BIN_ENSEMBLE_FOLD, receivers},
        {SEGY_BIN_SORTING_CODE, 1},           // as recorded: shot gathers
        {SEGY_BIN_MEASUREMENT_SYSTEM, 1},     // metres
        {SEGY_BIN_SEGY_REVISION, 0x0100},     // revision 1.0
        {SEGY_BIN_TRACE_FLAG, 1},             // every trace nt samples
    };
    for (const Field& f : binary) out.check(segy_set_bfield(bin, f.field, f.value), "binary header");
    out.check(segy_write_binheader(out.get(), bin), "binary header");
    out.check(segy_set_format(out.get(), SEGY_IEEE_FLOAT_4_BYTE), "sample format");
    const long trace0 = segy_trace0(bin);
    const int trace_bytes = segy_trsize(SEGY_IEEE_FLOAT_4_BYTE, nt);

    // Trace identification: 14 in-line (x) component, 12 vertical.
    const std::int32_t trace_id = component == SurveyComponent::u1 ? 14 : 12;
    std::vector<float> samples(static_cast<std::size_t>(nt));
    for (int s = 0; s < shots; ++s) {
        const Shot& shot = survey.shots[s];
        for (int r = 0; r < receivers; ++r) {
            const int trace = s * receivers + r;
            const double rx = survey.receiver_x[r], ry = survey.receiver_y[r];
            const Field fields[] = {
                {SEGY_TR_SEQ_LINE, trace + 1},
                {SEGY_TR_SEQ_FILE, trace + 1},
                {SEGY_TR_FIELD_RECORD, s + 1},
                {SEGY_TR_NUMBER_ORIG_FIELD, r + 1},
                {SEGY_TR_ENERGY_SOURCE_POINT, s + 1},
                {SEGY_TR_TRACE_ID, trace_id},
                {SEGY_TR_DATA_USE, 1},  // production
                {SEGY_TR_OFFSET, segy_offset_metres(shot.x, shot.y, rx, ry)},
                {SEGY_TR_SOURCE_GROUP_SCALAR, kSegyCoordinateScalar},
                {SEGY_TR_SOURCE_X, segy_scaled_coordinate(shot.x)},
                {SEGY_TR_SOURCE_Y, segy_scaled_coordinate(shot.y)},
                {SEGY_TR_GROUP_X, segy_scaled_coordinate(rx)},
                {SEGY_TR_GROUP_Y, segy_scaled_coordinate(ry)},
                {SEGY_TR_COORD_UNITS, 1},  // lengths
                {SEGY_TR_SAMPLE_COUNT, nt},
                {SEGY_TR_SAMPLE_INTER, interval},
            };
            char header[SEGY_TRACE_HEADER_SIZE] = {};
            for (const Field& f : fields)
                out.check(segy_set_field(header, f.field, f.value), "trace header");
            out.check(segy_write_traceheader(out.get(), trace, header, trace0, trace_bytes),
                      "trace header");
            const double* series = traces.data() + static_cast<std::size_t>(trace) * nt;
            for (int n = 0; n < nt; ++n) samples[n] = single(series[n]);
            out.check(segy_from_native(SEGY_IEEE_FLOAT_4_BYTE, nt, samples.data()), "samples");
            out.check(segy_writetrace(out.get(), trace, samples.data(), trace0, trace_bytes),
                      "samples");
        }
    }
    out.check(segy_flush(out.get(), false), "file");
    out.close();
}

}  // namespace ef
