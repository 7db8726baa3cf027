// Reading the per-frequency moduli and the densities by position.
#include <cstdio>
#include <sstream>

#include <gtest/gtest.h>

#include "common/stop.hpp"
#include "common/units.hpp"
#include "model/material_files.hpp"
#include "support/scratch_dir.hpp"

namespace ef::test {
namespace {

// Moduli that encode their material and frequency number.
double code(int m, int jw) { return 100.0 * m + jw; }

struct MaterialFiles {
    ScratchDir dir;
    std::string p, s, density;

    // Header records hold any integer; the frequency column is ignored.
    MaterialFiles(int nmat, int jw1, int jw2) {
        char line[128];
        for (int m = 1; m <= nmat; ++m) {
            std::snprintf(line, sizeof line, "%5d\n", 90 + m);
            p += line;
            s += line;
            density += line;
            std::snprintf(line, sizeof line, "%20.12E\n", 1.5 + m);
            density += line;
            for (int jw = jw2; jw >= jw1; --jw) {
                std::snprintf(line, sizeof line, "%20.12E%20.12E%20.12E\n", 0.01 * jw, code(m, jw),
                              -code(m, jw));
                p += line;
                std::snprintf(line, sizeof line, "%20.12E%20.12E%20.12E\n", 0.01 * jw,
                              code(m, jw) + 0.5, 0.25);
                s += line;
            }
        }
    }
    MaterialModuli read(int nmat, int jw1, int jw2, const std::string& extra_p = "") {
        dir.write("p_modulus.freq", p + extra_p);
        dir.write("s_modulus.freq", s);
        dir.write("bulk_density.mat", density);
        std::istringstream in;
        std::ostringstream out;
        Units units(in, out, dir.path().string());
        units.open(1, "p_modulus.freq", FileStatus::old_file);
        units.open(2, "s_modulus.freq", FileStatus::old_file);
        units.open(7, "bulk_density.mat", FileStatus::old_file);
        RunParams params;
        params.nmat = nmat;
        params.jw1 = jw1;
        params.jw2 = jw2;
        return read_material_files(units, params);
    }
};

TEST(MaterialFiles, RecordsByPositionFromTheHighestFrequencyDown) {
    MaterialFiles files(2, 2, 5);
    const MaterialModuli mod = files.read(2, 2, 5);
    for (int m = 1; m <= 2; ++m) {
        EXPECT_EQ(mod.densmat[m], 1.5 + m);
        for (int jw = 2; jw <= 5; ++jw) {
            EXPECT_EQ(mod.p_modulus(m, jw).re, code(m, jw));
            EXPECT_EQ(mod.p_modulus(m, jw).im, -code(m, jw));
            EXPECT_EQ(mod.s_modulus(m, jw).re, code(m, jw) + 0.5);
            EXPECT_EQ(mod.s_modulus(m, jw).im, 0.25);
        }
        // Below jw1 nothing is read.
        EXPECT_EQ(mod.p_modulus(m, 1).re, 0.0);
    }
}

TEST(MaterialFiles, EmptyBandReadsOnlyHeadersAndNoMaterialReadsNothing) {
    MaterialFiles headers(2, 3, 2);  // jw2 < jw1: headers and densities only
    const MaterialModuli mod = headers.read(2, 3, 2);
    EXPECT_EQ(mod.densmat[2], 3.5);

    MaterialFiles none(0, 2, 5);  // empty files
    EXPECT_EQ(none.read(0, 2, 5).densmat.size(), 1u);
}

TEST(MaterialFiles, ShortFileNamesTheFileAndTheRecord) {
    MaterialFiles files(2, 2, 3);
    // Drop the last P record (material 2, frequency number 2).
    files.p.resize(files.p.rfind('\n', files.p.size() - 2) + 1);
    try {
        files.read(2, 2, 3);
        FAIL() << "short file accepted";
    } catch (const RunError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("p_modulus.freq"), std::string::npos) << message;
        EXPECT_NE(message.find("P-wave modulus of material 2, frequency number 2"),
                  std::string::npos)
            << message;
    }
}

}  // namespace
}  // namespace ef::test
