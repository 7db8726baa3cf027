// The SEG-Y writer and the reader of the solver's text traces. The written
// file is read back here with segyio's own C reader; tests/output/
// segy_client_test.py reads the program's output with the Python client.
#include <segyio/segy.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "common/stop.hpp"
#include "output/segy_export.hpp"
#include "output/trace_text.hpp"
#include "support/run_error.hpp"
#include "support/scratch_dir.hpp"

namespace fs = std::filesystem;

using ef::test::run_error_of;
using ef::test::ScratchDir;

TEST(TraceText, ReadsFortranFieldsReceiverMajor) {
    ScratchDir dir;
    // Forms a (g15.4) record takes: fixed point, exponent form, a three-digit
    // exponent without its letter, negative zero.
    dir.write("t.su",
              "  0.1235        \n"
              " -0.4500E-02\n"
              "  0.1000-119\n"
              " -0.000    \n"
              "   12.00    \n"
              "  0.2500E+10\n");
    const ef::TraceGather g = ef::read_trace_text(dir.path() / "t.su", 2, 3);
    ASSERT_EQ(g.samples.size(), 6u);
    EXPECT_DOUBLE_EQ(g.at(0, 0), 0.1235);
    EXPECT_DOUBLE_EQ(g.at(0, 1), -0.45e-2);
    EXPECT_DOUBLE_EQ(g.at(0, 2), 0.1e-119);
    EXPECT_EQ(g.at(1, 0), 0.0);
    EXPECT_DOUBLE_EQ(g.at(1, 1), 12.0);
    EXPECT_DOUBLE_EQ(g.at(1, 2), 0.25e10);
}

TEST(TraceText, RefusesFilesThatDoNotMatchTheDeck) {
    ScratchDir dir;
    const fs::path file = dir.path() / "vx_traces.su";
    EXPECT_NE(run_error_of([&] { ef::read_trace_text(file, 2, 2); }).find("cannot open"),
              std::string::npos);

    dir.write("vx_traces.su", "  0.1000    \n  0.2000    \n  0.3000    \n");
    const std::string short_file = run_error_of([&] { ef::read_trace_text(file, 2, 2); });
    EXPECT_NE(short_file.find("vx_traces.su holds only 3 records"), std::string::npos) << short_file;
    EXPECT_NE(short_file.find("need 4"), std::string::npos) << short_file;

    const std::string long_file = run_error_of([&] { ef::read_trace_text(file, 1, 2); });
    EXPECT_NE(long_file.find("at least 3"), std::string::npos) << long_file;

    dir.write("vx_traces.su", "  0.1000    \n  0.2000    \n\n  \n");
    EXPECT_EQ(ef::read_trace_text(file, 1, 2).samples.size(), 2u);  // trailing blank lines

    dir.write("vx_traces.su", "  0.1000    \n  garbage     \n");
    const std::string bad = run_error_of([&] { ef::read_trace_text(file, 1, 2); });
    EXPECT_NE(bad.find("vx_traces.su record 2"), std::string::npos) << bad;

    EXPECT_NE(run_error_of([&] { ef::read_trace_text(file, 0, 2); }).find("no trace"),
              std::string::npos);
}

TEST(SegyHeaders, IntervalAndCoordinatesRoundToTheirUnits) {
    EXPECT_EQ(ef::segy_interval_us(0.26570), 266);
    EXPECT_EQ(ef::segy_interval_us(0.0005), 1);  // half a microsecond rounds up
    EXPECT_EQ(ef::segy_interval_us(32.767), 32767);
    EXPECT_NE(run_error_of([] { ef::segy_interval_us(0.0004); }).find("does not fit"),
              std::string::npos);
    EXPECT_NE(run_error_of([] { ef::segy_interval_us(32.768); }).find("does not fit"),
              std::string::npos);
    EXPECT_NE(run_error_of([] { ef::segy_interval_us(std::nan("")); }).find("does not fit"),
              std::string::npos);

    EXPECT_EQ(ef::segy_scaled_coordinate(12.5), 1250);
    EXPECT_EQ(ef::segy_scaled_coordinate(0.125), 13);
    EXPECT_EQ(ef::segy_scaled_coordinate(-3.504), -350);
    EXPECT_EQ(ef::segy_scaled_coordinate(21474836.47), 2147483647);
    EXPECT_NE(run_error_of([] { ef::segy_scaled_coordinate(21474836.48); }).find("does not fit"),
              std::string::npos);
}

namespace {

ef::SegySurvey small_survey() {
    ef::SegySurvey s;
    s.component = "vz";
    s.trace_file = "vz_traces.su";
    s.nrec = 3;
    s.nt = 5;
    s.dt = 0.2657025034285187;
    s.xsou = 100.25;
    s.ysou = 49.99;
    s.rx = {20.0, 100.0, 180.125};
    s.ry = {80.0, 80.5, -1.0};
    s.ngx = 20;
    s.ngy = 10;
    s.h = 10.0;
    s.xsize = 200.0;
    s.ysize = 100.0;
    s.snapshot_times = {1000.25, 2000.25, 3000.25, 4000.25, 5000.25,
                        6000.25, 7000.25, 8000.25, 9000.25, 123.456789};
    return s;
}

ef::TraceGather small_gather(const ef::SegySurvey& s) {
    ef::TraceGather g;
    g.nrec = s.nrec;
    g.nt = s.nt;
    for (int k = 0; k < s.nrec; ++k) {
        for (int n = 0; n < s.nt; ++n) g.samples.push_back((k + 1) * 0.1 - n * 1.0e-3 + 1e-120);
    }
    return g;
}

std::int32_t field(const char* header, int f, bool binary) {
    std::int32_t v = 0;
    EXPECT_EQ(binary ? segy_get_bfield(header, f, &v) : segy_get_field(header, f, &v), SEGY_OK);
    return v;
}

}  // namespace

TEST(SegyExport, TextualHeaderHoldsTheRunDescription) {
    const std::string text = ef::segy_textual_header(small_survey());
    ASSERT_EQ(text.size(), 3200u);
    for (int line = 0; line < 40; ++line) {
        char prefix[8];
        std::snprintf(prefix, sizeof prefix, "C%2d ", line + 1);
        EXPECT_EQ(text.substr(line * 80, 4), prefix);
    }
    EXPECT_EQ(text.substr(38 * 80, 14), "C39 SEG Y REV1");
    EXPECT_EQ(text.substr(39 * 80, 22), "C40 END TEXTUAL HEADER");
    const auto dt_at = text.find("DT = ");
    ASSERT_NE(dt_at, std::string::npos);
    EXPECT_EQ(std::strtod(text.c_str() + dt_at + 5, nullptr), 0.2657025034285187);  // exactly
    for (const char* piece : {"elastofreq_segy", "COMPONENT VZ", "NREC = 3", "NT = 5",
                              "HOLD 266 US", "XSOU = 100.25 M, YSOU = 49.99 M", "H = 10 M",
                              "SCALAR (BYTE 71) -100",
                              // ten times take two lines
                              "SNAPSHOT TIMES (MSEC): 1000.25 2000.25 3000.25 4000.25 5000.25 "
                              "6000.25  ",
                              "SNAPSHOT TIMES (MSEC): 7000.25 8000.25 9000.25 123.457  "}) {
        EXPECT_NE(text.find(piece), std::string::npos) << piece;
    }
}

TEST(SegyExport, SegyioReadsBackHeadersAndSamples) {
    ScratchDir dir;
    const fs::path file = dir.path() / "vz_traces.sgy";
    const ef::SegySurvey s = small_survey();
    const ef::TraceGather g = small_gather(s);
    ef::write_segy(file, s, g);
    EXPECT_EQ(fs::file_size(file), 3600u + 3u * (240u + 5u * 4u));

    segy_file* fp = segy_open(file.c_str(), "rb");
    ASSERT_NE(fp, nullptr);
    char text[SEGY_TEXT_HEADER_SIZE + 1] = {};
    ASSERT_EQ(segy_read_textheader(fp, text), SEGY_OK);
    EXPECT_EQ(std::string(text, 3200), ef::segy_textual_header(s));  // EBCDIC round trip

    char bin[SEGY_BINARY_HEADER_SIZE];
    ASSERT_EQ(segy_binheader(fp, bin), SEGY_OK);
    EXPECT_EQ(segy_format(bin), SEGY_IEEE_FLOAT_4_BYTE);
    EXPECT_EQ(segy_samples(bin), 5);
    EXPECT_EQ(field(bin, SEGY_BIN_INTERVAL, true), 266);
    EXPECT_EQ(field(bin, SEGY_BIN_SEGY_REVISION, true), 0x0100);
    EXPECT_EQ(field(bin, SEGY_BIN_TRACE_FLAG, true), 1);
    EXPECT_EQ(field(bin, SEGY_BIN_EXT_HEADERS, true), 0);

    ASSERT_EQ(segy_set_format(fp, SEGY_IEEE_FLOAT_4_BYTE), SEGY_OK);
    const long trace0 = segy_trace0(bin);
    const int bsize = segy_trsize(SEGY_IEEE_FLOAT_4_BYTE, 5);
    int traces = 0;
    ASSERT_EQ(segy_traces(fp, &traces, trace0, bsize), SEGY_OK);
    ASSERT_EQ(traces, 3);
    for (int k = 0; k < 3; ++k) {
        char th[SEGY_TRACE_HEADER_SIZE];
        ASSERT_EQ(segy_traceheader(fp, k, th, trace0, bsize), SEGY_OK);
        EXPECT_EQ(field(th, SEGY_TR_SEQ_LINE, false), k + 1);
        EXPECT_EQ(field(th, SEGY_TR_SEQ_FILE, false), k + 1);
        EXPECT_EQ(field(th, SEGY_TR_TRACE_ID, false), 12);  // vertical component
        EXPECT_EQ(field(th, SEGY_TR_SAMPLE_COUNT, false), 5);
        EXPECT_EQ(field(th, SEGY_TR_SAMPLE_INTER, false), 266);
        EXPECT_EQ(field(th, SEGY_TR_SOURCE_GROUP_SCALAR, false), -100);
        EXPECT_EQ(field(th, SEGY_TR_SOURCE_X, false), 10025);
        EXPECT_EQ(field(th, SEGY_TR_SOURCE_Y, false), 4999);
        EXPECT_EQ(field(th, SEGY_TR_GROUP_X, false), std::lround(s.rx[k] * 100));
        EXPECT_EQ(field(th, SEGY_TR_GROUP_Y, false), std::lround(s.ry[k] * 100));

        float samples[5];
        ASSERT_EQ(segy_readtrace(fp, k, samples, trace0, bsize), SEGY_OK);
        ASSERT_EQ(segy_to_native(SEGY_IEEE_FLOAT_4_BYTE, 5, samples), SEGY_OK);
        for (int n = 0; n < 5; ++n) EXPECT_EQ(samples[n], static_cast<float>(g.at(k, n)));
    }
    segy_close(fp);
}

TEST(SegyExport, FailuresLeaveNoFileBehind) {
    ScratchDir dir;
    ef::SegySurvey s = small_survey();
    const ef::TraceGather g = small_gather(s);

    const fs::path nowhere = dir.path() / "missing" / "vz_traces.sgy";
    EXPECT_NE(run_error_of([&] { ef::write_segy(nowhere, s, g); }).find("cannot create"),
              std::string::npos);

    const fs::path file = dir.path() / "vz_traces.sgy";
    s.dt = 1.0e-5;  // far below a microsecond
    EXPECT_NE(run_error_of([&] { ef::write_segy(file, s, g); }).find("sample interval"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(file));

    s = small_survey();
    s.rx.pop_back();
    EXPECT_NE(run_error_of([&] { ef::write_segy(file, s, g); }).find("do not match"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(file));
}
