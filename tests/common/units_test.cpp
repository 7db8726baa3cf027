// The unit table: files by status, fort.N on first write, rewriting on first
// write only, the standard streams, record counting and the messages of
// failed reads, and the run wrapper that flushes every unit before it reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "common/stop.hpp"
#include "common/units.hpp"
#include "driver/program.hpp"
#include "support/run_error.hpp"
#include "support/scratch_dir.hpp"

namespace {

namespace fs = std::filesystem;

class UnitsTest : public ::testing::Test {
protected:
    const ef::test::ScratchDir scratch_;
    const fs::path& dir_ = scratch_.path();
    std::istringstream in_;
    std::ostringstream out_;
};

TEST_F(UnitsTest, OldFileMustExist) {
    ef::Units units(in_, out_, dir_.string());
    const std::string msg =
        ef::test::run_error_of([&] { units.open(1, "p_modulus.freq", ef::FileStatus::old_file); });
    EXPECT_NE(msg.find("p_modulus.freq"), std::string::npos) << msg;
    EXPECT_FALSE(fs::exists(dir_ / "p_modulus.freq"));
}

TEST_F(UnitsTest, UnknownFileIsCreatedButRewrittenOnlyOnFirstWrite) {
    scratch_.write("kept", "old content\n");
    scratch_.write("replaced", "old content that is longer than the new one\n");
    {
        ef::Units units(in_, out_, dir_.string());
        units.open(10, "kept", ef::FileStatus::unknown);
        units.open(11, "replaced", ef::FileStatus::unknown);
        units.open(12, "created", ef::FileStatus::unknown);
        EXPECT_TRUE(fs::exists(dir_ / "created"));
        static const ef::Format f("(i5)");
        units.write(11, f, {7});
        units.write(11, f, {8});
        units.flush_all();
        EXPECT_EQ(scratch_.read("replaced"), "    7\n    8\n");
    }
    EXPECT_EQ(scratch_.read("kept"), "old content\n");
    EXPECT_EQ(scratch_.read("created"), "");
}

TEST_F(UnitsTest, UnopenedUnitWritesFortN) {
    scratch_.write("fort.40", "stale snapshot\nmore\n");
    {
        ef::Units units(in_, out_, dir_.string());
        EXPECT_EQ(units.name_of(40), "fort.40");
        units.list(40, {1, 2, 0.5});
        units.list(15, {});
    }
    EXPECT_EQ(scratch_.read("fort.40"),
              "           1           2  0.50000000000000000     \n");
    EXPECT_EQ(scratch_.read("fort.15"), "\n");
}

TEST_F(UnitsTest, StandardStreams) {
    std::istringstream in("   12 maxlow\n");
    ef::Units units(in, out_, dir_.string());
    static const ef::Format f("(/1x,' jsou = ',i5,'  ksou = ',i5)");
    units.write(6, f, {3, 4});
    units.put(6, " text\n");
    units.list(6, {" enters outime"});
    EXPECT_EQ(units.read_i5(5, "maxlow"), 12);
    units.flush_all();
    EXPECT_EQ(out_.str(), "\n  jsou =     3  ksou =     4\n text\n  enters outime\n");
    EXPECT_EQ(units.name_of(5), "standard input");
    EXPECT_EQ(units.name_of(6), "standard output");
}

TEST_F(UnitsTest, DeckOfMixedRecordKinds) {
    // (i5), (e20.8), list-directed reals after empty lines, (e20.8) lists
    std::istringstream in(
        "    2   comment after column 5\n"
        "5\n"
        "\n"
        "   \n"
        "  1500.0, ignored\n"
        "2.5                 xx\r\n"
        "   1.0e3\n");
    ef::Units units(in, out_, dir_.string());
    EXPECT_EQ(units.read_i5(5, "nmat"), 2);
    EXPECT_EQ(units.read_e20(5, 8, "perclow"), 5.0e-8);
    EXPECT_EQ(units.read_list(5, "ros"), 1500.0);
    EXPECT_EQ(units.read_e20(5, 8, "xkr"), 2.5);
    EXPECT_EQ(units.read_list(5, "ros"), 1000.0);
    const std::string msg = ef::test::run_error_of([&] { units.read_i5(5, "iaux"); });
    EXPECT_NE(msg.find("iaux"), std::string::npos) << msg;
    EXPECT_NE(msg.find("standard input"), std::string::npos) << msg;
    EXPECT_NE(msg.find("record 8"), std::string::npos) << msg;
}

TEST_F(UnitsTest, MaterialFileRecords) {
    scratch_.write("bulk_density.mat", "    1\n  0.220000000000E+04\n");
    scratch_.write("p_modulus.freq",
               "    1\n"
               "  0.100000000000E+00  0.250000000000E+02 -0.125000000000E+00\n"
               "  0.500000000000E-01  0.240000000000E+02\n");
    ef::Units units(in_, out_, dir_.string());
    units.open(7, "bulk_density.mat", ef::FileStatus::old_file);
    units.open(1, "p_modulus.freq", ef::FileStatus::old_file);
    EXPECT_EQ(units.read_i5(7, "material number"), 1);
    EXPECT_EQ(units.read_e20(7, 12, "density"), 2200.0);
    EXPECT_EQ(units.read_i5(1, "material number"), 1);
    double v[3];
    units.read_3e20(1, 12, v, "P-wave modulus");
    EXPECT_EQ(v[0], 0.1);
    EXPECT_EQ(v[1], 25.0);
    EXPECT_EQ(v[2], -0.125);
    units.read_3e20(1, 12, v, "P-wave modulus");  // short record: the third field is blank
    EXPECT_EQ(v[1], 24.0);
    EXPECT_EQ(v[2], 0.0);
    const std::string msg = ef::test::run_error_of([&] { units.read_3e20(1, 12, v, "P-wave modulus"); });
    EXPECT_NE(msg.find("end of file"), std::string::npos) << msg;
    EXPECT_NE(msg.find("p_modulus.freq"), std::string::npos) << msg;
    EXPECT_NE(msg.find("record 4"), std::string::npos) << msg;
}

TEST_F(UnitsTest, BadFieldMessageNamesValueFileAndRecord) {
    scratch_.write("deck", "    1\n  1.5x\n");
    ef::Units units(in_, out_, dir_.string());
    units.open(3, "deck", ef::FileStatus::old_file);
    units.read_i5(3, "maxlow");
    const std::string msg = ef::test::run_error_of([&] { units.read_e20(3, 8, "perclow"); });
    EXPECT_NE(msg.find("perclow"), std::string::npos) << msg;
    EXPECT_NE(msg.find("1.5x"), std::string::npos) << msg;
    EXPECT_NE(msg.find("deck, record 2"), std::string::npos) << msg;
}

TEST_F(UnitsTest, ManyRecordsReachTheFileInOrder) {
    static const ef::Format f("(g15.4)");
    constexpr int n = 300000;
    {
        ef::Units units(in_, out_, dir_.string());
        units.open(98, "vx_traces.su", ef::FileStatus::unknown);
        for (int k = 0; k < n; ++k) units.write(98, f, {k * 0.25});
        units.flush_all();
        EXPECT_EQ(fs::file_size(dir_ / "vx_traces.su"), static_cast<std::uintmax_t>(16 * n));
    }
    std::ifstream t(dir_ / "vx_traces.su");
    std::string line, last;
    int count = 0;
    while (std::getline(t, line)) {
        if (count == 4) {
            EXPECT_EQ(line, "      1.000    ");
        }
        last = line;
        ++count;
    }
    EXPECT_EQ(count, n);
    EXPECT_EQ(last, ef::edit_g((n - 1) * 0.25, 15, 4));
}

TEST_F(UnitsTest, ArbitraryDecksEndInValuesOrRunErrors) {
    std::mt19937 rng(11);
    const std::string alphabet = " 0123456789+-.,/*;eEdinf\t\r\n\n\n\0\xff";
    for (int deck = 0; deck < 300; ++deck) {
        std::string text(rng() % 400, ' ');
        for (char& c : text) c = alphabet[rng() % alphabet.size()];
        std::istringstream in(text);
        ef::Units units(in, out_, dir_.string());
        bool at_end = false;
        for (int k = 0; k < 1000 && !at_end; ++k) {
            try {
                double v[3];
                switch (rng() % 4) {
                case 0: (void)units.read_i5(5, "n"); break;
                case 1: (void)units.read_e20(5, 8, "x"); break;
                case 2: units.read_3e20(5, 12, v, "x"); break;
                default: (void)units.read_list(5, "x"); break;
                }
            } catch (const ef::RunError& e) {
                // a bad record is consumed; reading goes on to the end of the deck
                at_end = std::string(e.what()).find("end of file") != std::string::npos;
            }
        }
        EXPECT_TRUE(at_end) << "a deck of at most 400 bytes held 1000 records";
    }
}

TEST_F(UnitsTest, RunGuardedFlushesEveryUnitBeforeReporting) {
    std::istringstream in("  abc\n");
    std::ostringstream out, err;
    const std::string cwd = fs::current_path().string();
    fs::current_path(dir_);
    const int status = ef::run_guarded(in, out, err, [](ef::Units& units) {
        units.list(6, {" before"});
        units.list(42, {1});
        units.read_i5(5, "maxlow");
    });
    fs::current_path(cwd);
    EXPECT_EQ(status, ef::kRunErrorStatus);
    EXPECT_EQ(out.str(), "  before\n");
    EXPECT_EQ(scratch_.read("fort.42"), "           1\n");
    EXPECT_NE(err.str().find("maxlow"), std::string::npos) << err.str();

    std::ostringstream out2, err2;
    const int code = ef::run_guarded(in, out2, err2, [](ef::Units& units) {
        units.list(6, {" x"});
        throw ef::StopRun{777};
    });
    EXPECT_EQ(code, 777);
    EXPECT_EQ(out2.str(), "  x\n");
    EXPECT_EQ(err2.str(), "STOP 777\n");
}

}  // namespace
