// elastofreq_survey's solve: shots solved together from one factorisation
// against each shot solved alone, and the memory check.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "driver/survey_run.hpp"
#include "model/sampling.hpp"
#include "solver/direct_solve.hpp"
#include "solver/frequency_problem.hpp"
#include "solver/global_system.hpp"
#include "solver/survey_system.hpp"
#include "solver/wave_field.hpp"
#include "support/run_error.hpp"
#include "support/scratch_dir.hpp"

namespace ef {
namespace {

namespace fs = std::filesystem;

// A layered model of 30 x 24 elements of 10 m with its material files, and a
// survey of five shots of every kind, some on element edges and model edges.
void write_survey(const test::ScratchDir& dir) {
    const fs::path model = fs::path(ELASTOFREQ_TEST_DATA) / "direct_reference" / "layered_30x24";
    for (const char* name : {"p_modulus.freq", "s_modulus.freq", "bulk_density.mat", "model.deck"})
        fs::copy(model / name, dir.path());
    dir.write("s.toml",
              "deck = \"model.deck\"\n[boundaries]\npml_elements = 6\n"
              "[[shots]]\nx = 100.0\ny = 200.0\nkind = \"explosion\"\namplitude = 2.0\n"
              "[[shots]]\nx = 155.5\ny = 240.0\nkind = \"force_y\"\n"
              "[[shots]]\nx = 0.0\ny = 120.0\nkind = \"force_x\"\n"
              "[[shots]]\nx = 212.3\ny = 37.7\nkind = \"moment\"\nmxx = 1.0\nmyy = -0.5\nmxy = 0.25\n"
              "[[shots]]\nx = 300.0\ny = 0.0\nkind = \"explosion\"\n"
              "[receivers]\nfrom = [0.0, 240.0]\nto = [300.0, 230.0]\ncount = 7\n");
}

SurveySpectra solve_all(const test::ScratchDir& dir, int block_columns) {
    SurveyModel model(dir.path() / "s.toml", BuildLimits{801}, dir.str());
    SurveySolver solver(model, block_columns);
    const RunParams& p = model.params();
    SurveySpectra spectra(5, 7, p.jw2 - p.jw1 + 1);
    for (int jw = p.jw1; jw <= p.jw2; ++jw) solver.solve_frequency(jw, spectra);
    return spectra;
}

double relative_difference(const std::vector<Complex>& a, const std::vector<Complex>& b) {
    double difference = 0.0, peak = 0.0;
    for (std::size_t k = 0; k < a.size(); ++k) {
        difference = std::max(difference, std::hypot(a[k].re - b[k].re, a[k].im - b[k].im));
        peak = std::max(peak, std::hypot(a[k].re, a[k].im));
    }
    EXPECT_GT(peak, 0.0);
    return difference / peak;
}

// Blocks of 16 (all five at once) and of 2 (a last block of one) against
// every shot solved alone: the substitutions of a block are the same
// operations column by column, up to the order of their sums.
TEST(SurveyRun, ShotsSolvedInABlockEqualEachShotSolvedAlone) {
    const test::ScratchDir dir;
    write_survey(dir);
    const SurveySpectra alone = solve_all(dir, 1);
    for (const int columns : {16, 2}) {
        const SurveySpectra block = solve_all(dir, columns);
        EXPECT_LE(relative_difference(block.u1(), alone.u1()), 1e-12) << columns;
        EXPECT_LE(relative_difference(block.u2(), alone.u2()), 1e-12) << columns;
    }
}

// The explosion of shot 1 at receiver 3 by the deck programs' path: the
// whole right-hand side assembled, one solve, the field type read at the
// receiver's point. The block path loads the element's eight unknowns alone
// and reads the receivers from the solution vector.
TEST(SurveyRun, ReceiverValuesAreTheFieldAtTheReceiverPoint) {
    const test::ScratchDir dir;
    write_survey(dir);
    SurveySpectra spectra = solve_all(dir, 16);
    SurveyModel model(dir.path() / "s.toml", BuildLimits{801}, dir.str());
    const RunParams& p = model.params();
    const int jw = p.jw2;
    const PaddedGrid grid(p.nx, p.ny, 6, AbsorbingSides{true, true, true, false});
    const ElementFields own = model.element_fields(jw);
    const ElementFields fields = padded_fields(grid, own);
    const PerfectlyMatchedLayer pml{grid, layer_profiles(grid, own, p.h, 1e-3)};
    const BoundaryFlags flags = outer_edges(grid);
    const PointSourceTerm shot = PointSourceTerm::explosion(*grid.locate(100.0, 200.0, p.h), 2.0);
    const FrequencyProblem problem{grid.nx(), grid.ny(), p.h, jw, angular_frequency(frequency_of(jw, p)),
                                   fields, flags, SourceTerm::at_point(shot, p.sour.at(jw)), &pml};
    GlobalAssembly assembly(grid.nx(), grid.ny());
    assembly.assemble(problem);
    DirectSolver solver(assembly.system());
    const WaveField u(assembly.numbering(), solver.solve(assembly.system()));
    const ElementPoint at = *grid.locate(100.0, 240.0 - 10.0 / 3.0, p.h);  // receiver 3 of the line
    const Complex u1 = u.at(1, at.i, at.j, at.xi, at.eta), u2 = u.at(2, at.i, at.j, at.xi, at.eta);
    const Complex v1 = spectra.u1(0, 2, jw - p.jw1), v2 = spectra.u2(0, 2, jw - p.jw1);
    const double scale = std::hypot(u2.re, u2.im);
    ASSERT_GT(scale, 0.0);
    EXPECT_LE(std::hypot(v1.re - u1.re, v1.im - u1.im), 1e-10 * scale);
    EXPECT_LE(std::hypot(v2.re - u2.re, v2.im - u2.im), 1e-10 * scale);
}

TEST(SurveyRun, MemoryCheckRefusesAModelAboveTheLimit) {
    const test::ScratchDir dir;
    write_survey(dir);
    SurveyModel model(dir.path() / "s.toml", BuildLimits{801}, dir.str());
    const SurveySolver solver(model, 16);
    ASSERT_GT(solver.estimated_megabytes(), 0.0);
    setenv("ELASTOFREQ_MEMORY_LIMIT_MB", "0.01", 1);
    const std::string refused = test::run_error_of([&] { check_survey_memory(solver.estimated_megabytes()); });
    setenv("ELASTOFREQ_MEMORY_LIMIT_MB", "100000", 1);
    const std::string accepted = test::run_error_of([&] { check_survey_memory(solver.estimated_megabytes()); });
    unsetenv("ELASTOFREQ_MEMORY_LIMIT_MB");
    EXPECT_NE(refused.find("MUMPS's estimate after the analysis"), std::string::npos) << refused;
    EXPECT_EQ(accepted, "");
}

}  // namespace
}  // namespace ef
