// The run of elastofreq_survey: the survey file, its deck and the material
// files read; then, per frequency, the model's element properties, the grid
// padded by the layer, one assembly and one factorisation of the matrix, and
// every shot solved from that factorisation in blocks of right-hand sides,
// of which only the receivers' values are kept.
//
// Why blocks: once the matrix is factorised, a shot costs one forward and one
// backward substitution; MUMPS does those for several right-hand sides at
// once at little more than the price of one. The block width bounds the
// memory of the right-hand sides (n complex numbers per column).
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "common/run_params.hpp"
#include "driver/program.hpp"
#include "model/survey_file.hpp"
#include "output/survey_results.hpp"
#include "solver/element_sensitivity.hpp"

namespace ef {

// A survey's model once its files are read: the survey, the deck's set-up
// (parameters, process record, material moduli) and a silent unit table for
// the element properties of each frequency. The Python module's model from
// arrays (driver/array_model.hpp) is one too: it gives its own element
// properties, and the solver below cannot tell the two apart.
class SurveyModel {
public:
    // Reads the survey file, its deck and the material files of `folder`
    // (the run's working directory). Every fault is a RunError naming the
    // file, key and line.
    SurveyModel(const std::filesystem::path& survey_file, const BuildLimits& limits,
                const std::string& folder = ".");

    const Survey& survey() const { return survey_; }
    const RunParams& params() const { return run_.p; }
    // The deck's set-up: material map and moduli (empty for a model from arrays).
    const RunSetup& setup() const { return run_; }

    virtual ~SurveyModel() = default;

    // The element properties of the model's grid at frequency number jw.
    virtual ElementFields element_fields(int jw);

protected:
    SurveyModel() = default;  // for a model that fills survey_ and run_.p itself

    Survey survey_;
    std::istringstream deck_;
    std::ostream nowhere_{nullptr};
    std::unique_ptr<Units> units_;
    RunSetup run_;
};

// Right-hand sides per MUMPS solve: ELASTOFREQ_SURVEY_BLOCK, else 32 (bench/README.md).
int survey_block_columns();

class SurveySolver {
public:
    // The padded grid, its pattern and the analysis of that pattern (the
    // ordering of the grid's nested dissection), once for every frequency.
    SurveySolver(SurveyModel& model, int block_columns);
    ~SurveySolver();
    SurveySolver(const SurveySolver&) = delete;
    SurveySolver& operator=(const SurveySolver&) = delete;

    // What the analysis expects one frequency to hold: the factors and the
    // working space of MUMPS, and the block of right-hand sides.
    double estimated_megabytes() const;
    int unknowns() const;
    int padded_nx() const;
    int padded_ny() const;

    // Solves frequency number jw for every shot; stores u1 and u2 at every
    // receiver in `spectra` at frequency index jw - jw1.
    void solve_frequency(int jw, SurveySpectra& spectra);

    // Solves frequency number jw for shot number `shot` (from 0) alone; gives
    // u1 and u2 at the centre of every model element, row by row from the
    // bottom (ny * nx values each).
    void solve_field(int jw, int shot, std::vector<Complex>& u1, std::vector<Complex>& u2);

    // The misfit of frequency number jw, weight/2 times the sum over shots,
    // receivers and components of |modelled - observed|^2 (observed at
    // frequency index jw - jw1), and its gradient with respect to the model's
    // element properties at this frequency (driver/survey_gradient.cpp).
    // Each block of shots is solved, then its adjoint fields with the same
    // factors, and their products summed element by element on `threads`
    // threads; the result does not depend on their number.
    struct Misfit {
        double misfit = 0.0;
        FieldGradient gradient;  // on the model's grid (not padded)
    };
    Misfit misfit_gradient(int jw, const SurveySpectra& observed, double weight, int threads);

private:
    // Assembles and factorises the matrix of frequency number jw.
    void factorise(int jw);
    // Solves shots first .. first + columns - 1 of the factorised frequency
    // jw into `block`, one column of n unknowns per shot.
    void solve_shots(int jw, std::size_t first, std::size_t columns, std::vector<Complex>& block);

    struct State;
    std::unique_ptr<State> state_;
};

// Refuses (RunError) a run whose estimate exceeds the memory at hand: the
// limit of ELASTOFREQ_MEMORY_LIMIT_MB when set, else the machine's available
// memory.
void check_survey_memory(double estimated_megabytes);

// How the frequencies of a survey are shared among the ranks of an MPI job
// (driver/survey_ranks.hpp); the default is one process that solves them all.
struct SurveyShare {
    int rank = 0, ranks = 1;
    // After the set-up of every rank: true when all of them succeeded.
    std::function<bool(bool set_up)> all_set_up = [](bool set_up) { return set_up; };
    // After the solves: brings the values of every rank's frequencies into
    // rank 0's `spectra` (frequencies `band.jw1` to `band.jw2`). `failed_jw` is the first frequency of this rank
    // whose solve failed, in sweep order (0: none), `failure` its message;
    // returns the message of the first failure of the whole sweep ("" for
    // none), the one a single process would have reported.
    std::function<std::string(SurveySpectra& spectra, const SurveySampling& band, int failed_jw,
                              const std::string& failure)>
        gather = [](SurveySpectra&, const SurveySampling&, int, const std::string& failure) {
            return failure;
        };
};

// This rank's share of a sweep (driver/frequency_share.hpp), each frequency
// number given to `solve`, with the progress line on rank 0 (on a terminal).
// Stops at the first frequency whose solve throws a RunError: its number and
// message (number 0: none failed).
struct SweepFailure {
    int jw = 0;
    std::string message;
};
SweepFailure sweep_rank_share(const RunParams& p, int rank, int ranks, std::size_t shots,
                              const std::function<void(int jw)>& solve);

// The whole program, from its command line (the survey file its one
// argument). Returns the exit status: 0, or 2 with a message on `err` for
// a usage error or any bad input, with no output file left behind. Only
// rank 0 writes files, its summary and messages.
int run_survey(int argc, char** argv, std::ostream& out, std::ostream& err,
               const SurveyShare& share = {});

}  // namespace ef
