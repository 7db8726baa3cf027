#include "driver/survey_run.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <vector>

#include "common/stop.hpp"
#include "common/timer.hpp"
#include "driver/element_properties.hpp"
#include "driver/frequency_pipeline.hpp"
#include "driver/frequency_share.hpp"
#include "driver/progress.hpp"
#include "driver/survey_deck.hpp"
#include "driver/survey_solver_state.hpp"
#include "model/sampling.hpp"
#include "output/survey_files.hpp"
#include "solver/direct_solve.hpp"
#include "solver/frequency_problem.hpp"
#include "solver/global_system.hpp"
#include "solver/grid_dissection.hpp"
#include "solver/survey_system.hpp"

namespace ef {

namespace {

std::string read_whole_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A positive whole number from the environment variable `name`, else `fallback`.
double environment_number(const char* name, double fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (*end != '\0' || !(value > 0.0))
        throw RunError(std::string(name) + ": '" + text + "' is not a positive number");
    return value;
}

PointSourceTerm shot_term(const Shot& shot, const ElementPoint& at) {
    const double a = shot.amplitude;
    switch (shot.kind) {
        case ShotKind::force_x: return PointSourceTerm::force(at, a, 0.0);
        case ShotKind::force_y: return PointSourceTerm::force(at, 0.0, a);
        case ShotKind::explosion: return PointSourceTerm::explosion(at, a);
        case ShotKind::moment: break;
    }
    return PointSourceTerm::moment(at, a * shot.mxx, a * shot.myy, a * shot.mxy);
}

}  // namespace

SurveyModel::SurveyModel(const std::filesystem::path& survey_file, const BuildLimits& limits,
                         const std::string& folder)
    : survey_(read_survey_file(survey_file)) {
    // The deck's faults are told with the survey file's key and line ...
    read_survey_deck(survey_, limits);
    // ... and, once it is known to be sound, it is read again for the
    // process record and the material files, writing nowhere.
    deck_.str(read_whole_file(survey_.deck));
    units_ = std::make_unique<Units>(deck_, nowhere_, folder, FileOutput::discarded);
    const std::string where = survey_.file.string() + ":" + std::to_string(survey_.deck_line) +
                              ": deck: the material files of " + survey_.deck.string();
    try {
        CpuTimer timer;
        set_up_run(*units_, ProgramKind::direct, limits, timer, run_);
        check_border_velocities(run_.p, run_.a1, run_.moduli);
        if (run_.a1.nsx != 1 || run_.a1.nsy != 1)
            throw RunError("nsx = " + std::to_string(run_.a1.nsx) + " and nsy = " +
                           std::to_string(run_.a1.nsy) +
                           ": a survey solves the whole grid at once; give nsx = 1 and nsy = 1");
    } catch (const StopRun& stop) {
        throw RunError(where + ": the reader stops with code " + std::to_string(stop.code));
    } catch (const PlainStop&) {
        throw RunError(where + ": the reader ends the run");
    } catch (const RunError& e) {
        throw RunError(where + ": " + e.what());
    }
}

ElementFields SurveyModel::element_fields(int jw) {
    const RunParams& p = run_.p;
    ElementFields el(p.nx, p.ny);
    try {
        set_element_properties(*units_, p, run_.a1, run_.moduli, jw, frequency_of(jw, p), true, el);
    } catch (const StopRun& stop) {
        throw RunError("frequency number " + std::to_string(jw) + " (" +
                       std::to_string(frequency_of(jw, p)) +
                       " kHz): a negative phase velocity or inverse quality factor in the "
                       "material files (stop code " + std::to_string(stop.code) + ")");
    }
    return el;
}

int survey_block_columns() {
    return static_cast<int>(environment_number("ELASTOFREQ_SURVEY_BLOCK", 32.0));
}

namespace {

PaddedGrid survey_grid(const Survey& survey, const RunParams& p) {
    const SurveyBoundaries& b = survey.boundaries;
    const int layer = b.absorbing == AbsorbingBoundary::pml ? b.pml_elements : 0;
    return PaddedGrid(p.nx, p.ny, layer, AbsorbingSides{true, true, true, !b.free_top});
}

ElementPoint located(const PaddedGrid& grid, double x, double y, double h) {
    const std::optional<ElementPoint> at = grid.locate(x, y, h);
    if (!at) throw RunError("a point checked to lie in the model was not found in its grid");
    return *at;
}

}  // namespace

SurveySolver::SurveySolver(SurveyModel& model, int block_columns)
    : state_(std::make_unique<State>(model, std::max(1, block_columns),
                                     survey_grid(model.survey(), model.params()))) {
    const Survey& survey = model.survey();
    const double h = model.params().h;
    for (const Shot& s : survey.shots) state_->shots.push_back(located(state_->grid, s.x, s.y, h));
    for (std::size_t r = 0; r < survey.receiver_x.size(); ++r)
        state_->receivers.push_back(
            located(state_->grid, survey.receiver_x[r], survey.receiver_y[r], h));
    state_->solver = std::make_unique<DirectSolver>(state_->assembly.system(),
                                                    grid_solver_options(state_->assembly.numbering()));
}

SurveySolver::~SurveySolver() = default;

int SurveySolver::unknowns() const { return state_->assembly.system().n; }
int SurveySolver::padded_nx() const { return state_->grid.nx(); }
int SurveySolver::padded_ny() const { return state_->grid.ny(); }

double SurveySolver::estimated_megabytes() const {
    const double block = 2.0 * 16.0 * static_cast<double>(unknowns()) *
                         static_cast<double>(state_->block_columns) / 1e6;
    return state_->solver->estimated_megabytes() + block;
}

void SurveySolver::factorise(int jw) {
    State& s = *state_;
    const RunParams& p = s.model.params();
    FactorisedFrequency& now = s.current;
    now.jw = jw;
    now.model_fields = s.model.element_fields(jw);
    now.fields = padded_fields(s.grid, now.model_fields);
    const SurveyBoundaries& b = s.model.survey().boundaries;
    now.pml.reset();
    if (s.grid.layer() > 0)
        now.pml.emplace(PerfectlyMatchedLayer{
            s.grid, layer_profiles(s.grid, now.model_fields, p.h, b.pml_reflection, b.pml_velocity)});
    now.flags = outer_edges(s.grid);
    now.omega = angular_frequency(frequency_of(jw, p));
    s.assembly.assemble_matrix(s.problem());
    s.solver->factorise(s.assembly.system());
}

void SurveySolver::solve_shots(int jw, std::size_t first, std::size_t columns, std::vector<Complex>& block) {
    State& s = *state_;
    const Complex sour = s.model.params().sour.at(static_cast<std::size_t>(jw));
    const std::size_t n = static_cast<std::size_t>(s.assembly.system().n);
    const std::vector<Shot>& shots = s.model.survey().shots;
    const EdgeNumbering& numbering = s.assembly.numbering();
    // A point source loads the eight unknowns of one element: its column
    // is those loads alone (what assemble_rhs would give, without
    // sweeping the whole grid for each shot).
    block.assign(n * columns, Complex{});
    for (std::size_t c = 0; c < columns; ++c) {
        const SourceTerm source =
            SourceTerm::at_point(shot_term(shots[first + c], s.shots[first + c]), sour);
        const std::array<Complex, 8> load = source.point_load();
        const std::array<int, 8> dof = numbering.element_unknowns(source.at.i(), source.at.j());
        for (int k = 0; k < 8; ++k) block[c * n + static_cast<std::size_t>(dof[k])] += load[k];
    }
    s.solver->solve_factorised(block, static_cast<int>(columns), s.sparse);
}

void SurveySolver::solve_frequency(int jw, SurveySpectra& spectra) {
    State& s = *state_;
    factorise(jw);
    const int f = jw - s.model.params().jw1;
    const std::size_t n = static_cast<std::size_t>(s.assembly.system().n);
    const std::size_t shots = s.model.survey().shots.size();
    const EdgeNumbering& numbering = s.assembly.numbering();
    std::vector<Complex> block;
    for (std::size_t first = 0; first < shots; first += static_cast<std::size_t>(s.block_columns)) {
        const std::size_t columns = std::min(shots - first, static_cast<std::size_t>(s.block_columns));
        solve_shots(jw, first, columns, block);
        for (std::size_t c = 0; c < columns; ++c) {
            const int shot = static_cast<int>(first + c);
            for (std::size_t r = 0; r < s.receivers.size(); ++r) {
                const int receiver = static_cast<int>(r);
                spectra.u1(shot, receiver, f) = value_at(s.receivers[r], numbering, block.data() + c * n, 1);
                spectra.u2(shot, receiver, f) = value_at(s.receivers[r], numbering, block.data() + c * n, 2);
            }
        }
    }
}

void SurveySolver::solve_field(int jw, int shot, std::vector<Complex>& u1, std::vector<Complex>& u2) {
    State& s = *state_;
    const RunParams& p = s.model.params();
    factorise(jw);
    std::vector<Complex> block;
    solve_shots(jw, static_cast<std::size_t>(shot), 1, block);
    u1.clear();
    u2.clear();
    for (int j = 1; j <= p.ny; ++j)
        for (int i = 1; i <= p.nx; ++i) {
            const ElementPoint at = located(s.grid, (i - 0.5) * p.h, (j - 0.5) * p.h, p.h);
            u1.push_back(value_at(at, s.assembly.numbering(), block.data(), 1));
            u2.push_back(value_at(at, s.assembly.numbering(), block.data(), 2));
        }
}

void check_survey_memory(double estimated_megabytes) {
    const double limit = environment_number("ELASTOFREQ_MEMORY_LIMIT_MB", available_megabytes());
    if (limit > 0.0 && estimated_megabytes > limit) {
        char text[256];
        std::snprintf(text, sizeof text,
                      "the model needs about %.0f MB for one frequency's factorisation (MUMPS's "
                      "estimate after the analysis) and %.0f MB are available: use fewer "
                      "elements, a thinner layer or a machine with more memory",
                      estimated_megabytes, limit);
        throw RunError(text);
    }
}

namespace {

void print_summary(std::ostream& out, const SurveyModel& model, const SurveySolver& solver,
                   const std::vector<std::filesystem::path>& written) {
    const Survey& survey = model.survey();
    const RunParams& p = model.params();
    const SurveyBoundaries& b = survey.boundaries;
    out << "elastofreq_survey: " << survey.file.string() << "\n";
    out << "model      " << p.nx << " x " << p.ny << " elements of " << p.h << " m (deck "
        << survey.deck.string() << ")\n";
    out << "boundaries top " << (b.free_top ? "free" : "absorbing") << ", ";
    if (b.absorbing == AbsorbingBoundary::pml)
        out << "perfectly matched layer of " << b.pml_elements << " elements";
    else
        out << "first-order absorbing";
    out << "; grid " << solver.padded_nx() << " x " << solver.padded_ny() << ", "
        << solver.unknowns() << " unknowns\n";
    out << "shots      " << survey.shots.size() << "\n";
    out << "receivers  " << survey.receiver_x.size() << "\n";
    out << "frequencies " << (p.jw2 >= p.jw1 ? p.jw2 - p.jw1 + 1 : 0) << " (numbers " << p.jw1
        << " to " << p.jw2 << ")\n";
    for (const auto& file : written) out << "wrote      " << file.filename().string() << "\n";
}

}  // namespace

SweepFailure sweep_rank_share(const RunParams& p, int rank, int ranks, std::size_t shots,
                              const std::function<void(int jw)>& solve) {
    const std::vector<int> mine = frequencies_of_rank(p, rank, ranks);
    // rank 0 alone shows its share; the others stay silent
    const int count = static_cast<int>(mine.size());
    SweepProgress progress = rank == 0 ? SweepProgress(1, count)
                                       : SweepProgress(1, count, nullptr, SweepProgress::Clock::now());
    progress.count_name("shots");
    for (const int jw : mine) {
        try {
            solve(jw);
        } catch (const RunError& e) {
            return {jw, e.what()};
        }
        progress.frequency_done(jw, static_cast<int>(shots));
    }
    return {};
}

int run_survey(int argc, char** argv, std::ostream& out, std::ostream& err,
               const SurveyShare& share) {
    if (argc != 2) {
        if (share.rank == 0)
            err << "usage: elastofreq_survey SURVEY.toml  (run in the folder of the material files)\n";
        return 2;
    }
    const auto report = [&](const std::string& message) {
        if (share.rank == 0) err << "elastofreq_survey: " << message << "\n";
        return 2;
    };
    // Every rank reads the same files: a fault is found by all of them.
    std::unique_ptr<SurveyModel> model;
    std::unique_ptr<SurveySolver> solver;
    std::string failure;
    try {
        model = std::make_unique<SurveyModel>(argv[1], BuildLimits{801});
        solver = std::make_unique<SurveySolver>(*model, survey_block_columns());
        check_survey_memory(solver->estimated_megabytes());
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (!share.all_set_up(failure.empty()))
        return report(failure.empty() ? "another rank of the job could not set up the survey" : failure);

    try {
        const RunParams& p = model->params();
        const Survey& survey = model->survey();
        const SurveySampling sampling = survey_sampling(p);
        SurveySpectra spectra(static_cast<int>(survey.shots.size()),
                              static_cast<int>(survey.receiver_x.size()), sampling.frequencies());
        const SweepFailure failed = sweep_rank_share(p, share.rank, share.ranks, survey.shots.size(),
                                                     [&](int jw) { solver->solve_frequency(jw, spectra); });
        failure = share.gather(spectra, sampling, failed.jw, failed.message);
        if (!failure.empty()) return report(failure);
        if (share.rank != 0) return 0;
        const auto written = write_survey_files(".", survey, sampling, spectra);
        print_summary(out, *model, *solver, written);
        out.flush();
        return 0;
    } catch (const std::exception& e) {
        out.flush();
        return report(e.what());
    }
}

}  // namespace ef
