// The material files made from the Liu model: their record layout, and that
// the solver's own reader gets back the values that were written.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "common/stop.hpp"
#include "common/units.hpp"
#include "driver/element_properties.hpp"
#include "model/liu_moduli.hpp"
#include "model/material_file_writer.hpp"
#include "model/sampling.hpp"
#include "support/scratch_dir.hpp"

namespace {

constexpr double kTwoPi = 6.28318530717958;

// Material 1 elastic, material 2 attenuating; five mid-point frequencies.
ef::RunParams two_materials(int jw1, int jw2) {
    ef::RunParams p;
    p.nmat = 2;
    p.keyqua = 2;
    p.delf = 0.01;
    p.jw1 = jw1;
    p.jw2 = jw2;
    p.ros = {0.0, 2.1e6, 2.4e6};
    p.xmr = {0.0, 1.2096e7, 3.1104e7};
    p.xmur = {0.0, 4.116e6, 9.6e6};
    p.deltp = {0.0, 0.0, 0.0314159};
    p.delts = {0.0, 0.0, 0.0628319};
    p.tau1 = {0.0, 1.0 / (kTwoPi * 0.001), 1.0 / (kTwoPi * 0.001)};
    p.tau2 = {0.0, 1.0 / (kTwoPi * 1.0), 1.0 / (kTwoPi * 1.0)};
    return p;
}

std::vector<double> frequencies(const ef::RunParams& p) {
    std::vector<double> f(static_cast<std::size_t>(p.jw2) + 1, 0.0);
    for (int jw = p.jw1; jw <= p.jw2; ++jw) f[jw] = ef::frequency_of(jw, p);
    return f;
}

void write_files(const std::string& dir, const ef::RunParams& p, const ef::MaterialModuli& moduli) {
    std::istringstream in;
    std::ostringstream out;
    ef::Units units(in, out, dir);
    units.open(1, "p_modulus.freq", ef::FileStatus::unknown);
    units.open(2, "s_modulus.freq", ef::FileStatus::unknown);
    units.open(7, "bulk_density.mat", ef::FileStatus::unknown);
    ef::write_material_files(units, moduli, p.nmat, p.jw1, p.jw2, frequencies(p));
    units.flush_all();
}

void expect_close(double read, double written) {
    EXPECT_NEAR(read, written, 5e-12 * std::fabs(written));
}

TEST(MaterialFileWriter, RecordsPerMaterialFromTheHighestFrequencyDown) {
    ef::test::ScratchDir dir;
    const ef::RunParams p = two_materials(1, 5);
    write_files(dir.str(), p, ef::liu_material_moduli(p, frequencies(p)));

    for (const char* name : {"p_modulus.freq", "s_modulus.freq"}) {
        const std::vector<std::string> lines = dir.lines(name);
        ASSERT_EQ(lines.size(), 12u) << name;  // 2 x (header + 5 frequencies)
        EXPECT_EQ(lines[0], "    1");
        EXPECT_EQ(lines[6], "    2");
        // "(3e20.12)": frequency, Re, Im; jw = 5 (0.045 kHz) first, jw = 1 last.
        EXPECT_EQ(lines[1].substr(0, 20), "  0.450000000000E-01");
        EXPECT_EQ(lines[5].substr(0, 20), "  0.500000000000E-02");
        for (int k : {1, 2, 3, 4, 5, 7, 8, 9, 10, 11}) EXPECT_EQ(lines[k].size(), 60u);
        // Material 1 is elastic: its imaginary parts are zero.
        EXPECT_EQ(lines[3].substr(40), "  0.000000000000E+00");
    }
    EXPECT_EQ(dir.read("bulk_density.mat"),
              "    1\n  0.210000000000E+07\n    2\n  0.240000000000E+07\n");
}

TEST(MaterialFileWriter, SolverReaderGetsTheWrittenValues) {
    ef::test::ScratchDir dir;
    for (int keyqua : {1, 2}) {
        ef::RunParams p = two_materials(keyqua == 1 ? 2 : 1, 7);
        p.keyqua = keyqua;
        const ef::MaterialModuli written = ef::liu_material_moduli(p, frequencies(p));
        write_files(dir.str(), p, written);

        std::istringstream in;
        std::ostringstream out;
        ef::Units units(in, out, dir.str());
        units.open(1, "p_modulus.freq", ef::FileStatus::old_file);
        units.open(2, "s_modulus.freq", ef::FileStatus::old_file);
        units.open(7, "bulk_density.mat", ef::FileStatus::old_file);
        const ef::MaterialModuli read = ef::read_material_files(units, p);
        for (int m = 1; m <= p.nmat; ++m) {
            EXPECT_EQ(read.densmat[m], p.ros[m]);
            for (int jw = p.jw1; jw <= p.jw2; ++jw) {
                expect_close(read.p_modulus(m, jw).re, written.p_modulus(m, jw).re);
                expect_close(read.p_modulus(m, jw).im, written.p_modulus(m, jw).im);
                expect_close(read.s_modulus(m, jw).re, written.s_modulus(m, jw).re);
                expect_close(read.s_modulus(m, jw).im, written.s_modulus(m, jw).im);
                EXPECT_GT(read.p_modulus(m, jw).im, m == 2 ? 0.0 : -1.0);
            }
        }
        // Nothing but what the reader consumes.
        EXPECT_THROW(units.read_i5(1, "beyond the last record"), ef::RunError);
    }
}

TEST(MaterialFileWriter, EmptyBandHoldsHeadersAndDensitiesOnly) {
    ef::test::ScratchDir dir;
    const ef::RunParams p = two_materials(2, 1);
    write_files(dir.str(), p, ef::liu_material_moduli(p, frequencies(p)));
    EXPECT_EQ(dir.read("p_modulus.freq"), "    1\n    2\n");
    EXPECT_EQ(dir.read("s_modulus.freq"), "    1\n    2\n");
    EXPECT_EQ(dir.lines("bulk_density.mat").size(), 4u);
}

TEST(MaterialFileWriter, RejectsADecrementTooLargeForItsBand) {
    // Q = 3 over eight decades: R, and the real part of the modulus, fall
    // below zero near the top of the band.
    ef::RunParams p = two_materials(1, 5);
    p.deltp[2] = 1.0;
    p.tau1[2] = 1.0 / (kTwoPi * 1e-6);
    p.tau2[2] = 1.0 / (kTwoPi * 100.0);
    try {
        ef::liu_material_moduli(p, frequencies(p));
        FAIL() << "accepted";
    } catch (const ef::RunError& e) {
        const std::string msg = e.what();
        EXPECT_NE(msg.find("material 2: the P modulus"), std::string::npos) << msg;
    }
}

}  // namespace
