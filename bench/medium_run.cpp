// End-to-end run of the standard solver on a deck, as elastofreq runs it
// (same routines, same files in the working directory, its standard output
// to run_stdout), with the wall-clock time of every phase measured:
// set-up, per frequency the factorisation (inbeta and coeflu of every row)
// and the outer iteration, the accumulation of the outputs, and outime.
//
// It prints seconds per outer iteration, per frequency and in total, the
// peak resident memory, and the memory traffic of one outer iteration
// divided by its time (the bandwidth the iteration achieves).
//
// usage: medium_run < deck     (in a directory holding the material files)
#include <omp.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "common/timer.hpp"
#include "common/units.hpp"
#include "driver/element_properties.hpp"
#include "driver/frequency_sweep.hpp"
#include "driver/program.hpp"
#include "model/boundary.hpp"
#include "model/material_files.hpp"
#include "model/readata.hpp"
#include "output/snapshots.hpp"
#include "solver/outer_iteration.hpp"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

struct PhaseTimes {
    double set_up = 0, factorise = 0, iterate = 0, sweep = 0, outime = 0, total = 0;
    long iterations = 0;
    int frequencies = 0;
};

// Bytes one outer iteration moves, counted as the routines touch memory: the
// factor storage once (solver15), and every element-indexed array once per
// step that reads it and once per step that writes it. From the second
// iteration of a frequency on there is no save of its own: the relaxation
// leaves the previous iterate behind.
double bytes_per_iteration(const ef::RunParams& p, const ef::RowFactors& f) {
    const double grid = 16.0 * (p.nx + 2.0) * (p.ny + 2.0);  // one complex grid
    const double factors = 16.0 * static_cast<double>(f.entries_per_row()) * p.ny;
    const double solve = 8 + 12 + 8 + 4;  // Robin coefficients, interface state; traces and multipliers written
    const double relax = 12 + 12 + 12 + 12;  // read current and previous, write both
    const double error_terms = 8 + 8;  // 16 reals per element, written, then summed
    return factors + grid * (solve + relax + error_terms);
}

}  // namespace

int main() {
    std::ofstream run_stdout("run_stdout");
    PhaseTimes t;
    double bytes = 0.0;
    const auto start = Clock::now();
    const int status = ef::run_guarded(std::cin, run_stdout, std::cerr, [&](ef::Units& units) {
        static const ef::Format cpu_line("(/1x,'tiempo=',g20.8)");
        ef::CpuTimer timer;
        ef::RunSetup run;
        ef::set_up_run(units, ef::ProgramKind::standard, ef::BuildLimits{602}, timer, run);
        const ef::RunParams& p = run.p;
        ef::SweepState s(p);
        ef::IterationState it(p.nx, p.ny);
        t.set_up = seconds_since(start);

        // the field solve of iterative_field_solve, timed in its two steps
        const ef::FieldSolve timed = [&](const ef::RunContext& context,
                                         const ef::FrequencyProblem& problem, ef::WaveField& field) {
            auto t0 = Clock::now();
            ef::prepare_rows(problem, it);
            t.factorise += seconds_since(t0);
            t0 = Clock::now();
            const ef::IterationResult r = ef::iterate_frequency(context, problem, it);
            t.iterate += seconds_since(t0);
            it.state.copy_traces(field);
            t.iterations += r.converged ? r.iter : r.iter - 1;
            ++t.frequencies;
            return r.iter;
        };
        auto t0 = Clock::now();
        ef::frequency_sweep({units, p, run.a1.prints()}, {run.a1, run.flags, run.moduli}, s, timed);
        t.sweep = seconds_since(t0);
        t0 = Clock::now();
        ef::outime(units, p, s.sums, s.spectra);
        t.outime = seconds_since(t0);
        units.write(6, cpu_line, {timer.lap()});
        bytes = bytes_per_iteration(p, it.factors);
    });
    t.total = seconds_since(start);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double per_iteration = t.iterations > 0 ? t.iterate / t.iterations : 0.0;
    std::printf("threads                      %d\n", omp_get_max_threads());
    std::printf("frequencies                  %d\n", t.frequencies);
    std::printf("outer iterations             %ld\n", t.iterations);
    std::printf("set-up                  s    %.3f\n", t.set_up);
    std::printf("factorisation, all      s    %.3f\n", t.factorise);
    std::printf("iteration phase         s    %.3f\n", t.iterate);
    std::printf("outime                  s    %.3f\n", t.outime);
    std::printf("total                   s    %.3f\n", t.total);
    std::printf("per frequency           s    %.4f\n", t.frequencies ? t.sweep / t.frequencies : 0.0);
    std::printf("per outer iteration     s    %.6f\n", per_iteration);
    std::printf("peak resident memory    MB   %.1f\n", usage.ru_maxrss / 1024.0);
    std::printf("traffic per iteration   MB   %.1f\n", bytes / 1e6);
    std::printf("iteration bandwidth     GB/s %.2f\n",
                per_iteration > 0 ? bytes / per_iteration / 1e9 : 0.0);
    return status;
}
