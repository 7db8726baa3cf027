// The run sequence shared by the programs.
#include <iostream>
#include <sstream>

#include "common/stop.hpp"
#include "common/timer.hpp"
#include "driver/convergence_warning.hpp"
#include "driver/element_properties.hpp"
#include "driver/frequency_sweep.hpp"
#include "driver/program.hpp"
#include "model/boundary.hpp"
#include "model/material_file_remedy.hpp"
#include "model/readata.hpp"
#include "model/sampling.hpp"
#include "output/snapshots.hpp"

namespace ef {

namespace {

// The named files of a run, in the order they are opened: the run's file
// table, one open per unit, written out verbatim on purpose.
void open_files(Units& units, ProgramKind kind) {
    open_material_files(units);
    units.open(10, "vp.freq", FileStatus::unknown);
    units.open(11, "inv_qp.freq", FileStatus::unknown);
    units.open(12, "vs.freq", FileStatus::unknown);
    units.open(13, "inv_qs.freq", FileStatus::unknown);
    units.open(14, "iter.freq", FileStatus::unknown);
    units.open(98, "vx_traces.su", FileStatus::unknown);
    units.open(99, "vz_traces.su", FileStatus::unknown);
    units.open(78, "lambda_gnu", FileStatus::unknown);
    units.open(88, "mu_gnu", FileStatus::unknown);
    units.open(68, "vp33_gnu", FileStatus::unknown);
    // The large build leaves the source records to fort.20 .. fort.23.
    if (kind != ProgramKind::large) {
        units.open(20, "source", FileStatus::unknown);
        units.open(21, "spectrum", FileStatus::unknown);
        units.open(23, "filtered_source", FileStatus::unknown);
        units.open(22, "filtered_spectrum", FileStatus::unknown);
    }
}

// Every file has been written as usual; the run still fails.
[[noreturn]] void report_nonfinite_field(const RunParams& p, int jw) {
    std::ostringstream message;
    message << "the wave field is not finite (NaN or infinity) from frequency number " << jw
            << " (" << frequency_of(jw, p)
            << " kHz) on, in sweep order: the traces and snapshots written are not usable; "
               "check the moduli of the material files and the densities";
    throw NonFiniteField(message.str());
}

void print_cpu_time(Units& units, CpuTimer& timer) {
    static const Format cpu_line("(/1x,'tiempo=',g20.8)");
    units.write(6, cpu_line, {timer.lap()});
}

void run_solver(Units& units, ProgramKind kind, const BuildLimits& limits,
                const FieldSolveFactory& make_solve) {
    CpuTimer timer;
    RunSetup run;
    set_up_run(units, kind, limits, timer, run);
    const RunParams& p = run.p;
    const RunContext context{units, p, run.a1.prints()};

    SweepState s(p);
    const FieldSolve solve =
        make_solve ? make_solve(run) : iterative_field_solve(p, s.convergence);
    frequency_sweep(context, {run.a1, run.flags, run.moduli}, s, solve);
    outime(units, p, s.sums, s.spectra);
    print_cpu_time(units, timer);
    warn_not_converged(units, p, s.convergence);
    if (s.first_nonfinite_jw != 0) report_nonfinite_field(p, s.first_nonfinite_jw);
}

// The model check: element properties, logs and model files of the first
// frequency, then stop 3435.
void run_check(Units& units, const BuildLimits& limits) {
    static const Format frequency_line("(/1x,' frequency number ',i5,' frequency : ',e20.8)");
    static const Format source_line("(1x,'jw  real sour, imag sour =',i7,2x,e15.5,2x,e15.5)");
    CpuTimer timer;
    RunSetup run;
    set_up_run(units, ProgramKind::check, limits, timer, run);
    const RunParams& p = run.p;

    if (p.jw2 >= p.jw1) {
        const int jw = p.jw2;
        const double fjw = frequency_of(jw, p);
        if (run.a1.prints()) {
            units.write(6, frequency_line, {jw, fjw});
            units.write(6, source_line, {jw, p.sour[jw].re, p.sour[jw].im});
        }
        ElementFields fields(p.nx, p.ny);
        set_element_properties(units, p, run.a1, run.moduli, jw, fjw, false, fields);
        write_model_files(units, p.nx, p.ny, fields);
        throw StopRun{3435};
    }
    // Empty band: the synthesis runs on accumulators nothing has filled.
    const SnapshotSums sums(p.nx, p.ny, p.nsnapt);
    const ReceiverSpectra spectra;
    outime(units, p, sums, spectra);
    print_cpu_time(units, timer);
}

}  // namespace

void read_run_deck(Units& units, const BuildLimits& limits, RunSetup& run) {
    RunParams& p = run.p;
    ProcessGrid& a1 = run.a1;
    a1.iproc = 0;
    readata(units, a1, limits, p);
    a1.iprocx = a1.iproc % a1.nsx;
    a1.iprocy = a1.iproc / a1.nsx;
    subtype(a1);
    setdelta(p.nx, p.ny, a1, run.flags);
}

void set_up_run(Units& units, ProgramKind kind, const BuildLimits& limits, CpuTimer& timer,
                RunSetup& run) {
    static const Format band_line("(/1x,' jw1 , jw2  in main = ',i5,4x,i5)");
    open_files(units, kind);
    timer.lap();
    read_run_deck(units, limits, run);
    run.moduli = read_material_files_of_deck(units, run.p);
    units.write(6, band_line, {run.p.jw1, run.p.jw2});
}

int run_program(ProgramKind kind, BuildLimits limits, std::istream& in, std::ostream& out,
                std::ostream& err, const FieldSolveFactory& make_solve) {
    return run_guarded(in, out, err, [&](Units& units) {
        if (kind == ProgramKind::check)
            run_check(units, limits);
        else
            run_solver(units, kind, limits, make_solve);
    });
}

}  // namespace ef
