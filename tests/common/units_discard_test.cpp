// A unit table whose file output is discarded (the ranks of an MPI run other
// than 0): "unknown" files are neither created nor written, nothing reaches
// fort.N, and "old" files are still required and read.
#include <gtest/gtest.h>

#include <sstream>

#include "common/stop.hpp"
#include "common/units.hpp"
#include "support/scratch_dir.hpp"

namespace {

TEST(UnitsDiscarded, WritesNoFileButReadsOldFiles) {
    const ef::test::ScratchDir dir;
    dir.write("input.dat", "   42\n");
    dir.write("kept.dat", "old content\n");
    std::istringstream in("    7\n");
    std::ostream nowhere(nullptr);
    ef::Units units(in, nowhere, dir.str(), ef::FileOutput::discarded);

    units.open(1, "input.dat", ef::FileStatus::old_file);
    units.open(10, "created.dat", ef::FileStatus::unknown);
    units.open(11, "kept.dat", ef::FileStatus::unknown);
    static const ef::Format record("(i5)");
    units.write(10, record, {1});
    units.write(11, record, {2});
    units.write(15, record, {3});
    units.list(97, {1, 2.5});
    units.write(6, record, {4});
    units.flush_all();

    EXPECT_EQ(units.read_i5(1, "value"), 42);
    EXPECT_EQ(units.read_i5(5, "deck value"), 7);
    EXPECT_FALSE(dir.exists("created.dat"));
    EXPECT_FALSE(dir.exists("fort.15"));
    EXPECT_FALSE(dir.exists("fort.97"));
    EXPECT_EQ(dir.read("kept.dat"), "old content\n");
    EXPECT_THROW(units.open(2, "missing.dat", ef::FileStatus::old_file), ef::RunError);
}

}  // namespace
