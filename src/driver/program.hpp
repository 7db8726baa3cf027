// The programs built from the shared routines. Each main hands its kind and
// its row limit to run_program, which runs the sequence and turns the ways a
// run can end (normal end, numeric stop, plain stop, run error) into the
// process's exit status after flushing every unit.
#pragma once

#include <functional>
#include <iosfwd>

#include "common/run_params.hpp"
#include "common/timer.hpp"
#include "common/units.hpp"
#include "driver/frequency_sweep.hpp"
#include "model/material_files.hpp"
#include "solver/element_fields.hpp"

namespace ef {

enum class ProgramKind {
    standard,  // elastofreq
    large,     // elastofreq_large: no named source files
    check,     // elastofreq_check: stops after the model set-up of the first frequency
    direct,    // elastofreq_direct: the files of elastofreq, each field from a direct solve
};

// What the set-up of a run fills: the run parameters, the process record, the
// boundary indicators and the material moduli.
struct RunSetup {
    RunParams p;
    ProcessGrid a1;
    BoundaryFlags flags;
    MaterialModuli moduli;
};

// The deck read on unit 5 (readata), the block geometry and the boundary
// indicators: the part of the set-up that needs no file of the run.
void read_run_deck(Units& units, const BuildLimits& limits, RunSetup& run);

// The set-up common to every program: the named files opened, the timer
// started, the deck read, the block geometry, the material files read and the
// band line printed.
void set_up_run(Units& units, ProgramKind kind, const BuildLimits& limits, CpuTimer& timer,
                RunSetup& run);

// Makes the field solve of a run once its set-up is done (for a solver sized
// from the grid).
using FieldSolveFactory = std::function<FieldSolve(const RunSetup& run)>;

// Runs `body` with a unit table on the given streams and returns the exit
// status: 0 on a normal end or plain stop, the code of a numeric stop (with
// "STOP <code>" on err), 2 on a run error (with its message on err), 5 when
// the run ended normally but its wave field was not finite (NonFiniteField).
// Every unit is flushed first in every case.
int run_guarded(std::istream& in, std::ostream& out, std::ostream& err,
                const std::function<void(Units&)>& body);

// The whole run of one program in the working directory. The frequency sweep
// of the solvers takes its fields from `make_solve` when given, else from the
// domain-decomposition iteration.
int run_program(ProgramKind kind, BuildLimits limits, std::istream& in, std::ostream& out,
                std::ostream& err, const FieldSolveFactory& make_solve = {});

}  // namespace ef
