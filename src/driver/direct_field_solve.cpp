#include "driver/direct_field_solve.hpp"

namespace ef {

DirectFieldSolver::DirectFieldSolver(const RunParams& p) : assembly_(p.nx, p.ny) {}

DirectFieldSolver::~DirectFieldSolver() = default;

DirectSolution DirectFieldSolver::compute(const FrequencyProblem& problem) {
    assembly_.assemble(problem);
    const CoordinateSystem& system = assembly_.system();
    if (!solver_) solver_ = std::make_unique<DirectSolver>(system);
    DirectSolution solution;
    solution.x = solver_->solve(system);
    solution.residual = relative_residual(system, solution.x);
    return solution;
}

FieldSolve direct_field_solve(const RunParams& p, RemoteSolution remote) {
    auto solver = std::make_shared<DirectFieldSolver>(p);
    return [solver, remote](const RunContext& run, const FrequencyProblem& problem,
                            WaveField& field) {
        static const Format residual_line(
            "(/1x,' direct solve for freq. # ',i5,' relative residual = ',e15.8)");
        std::optional<DirectSolution> solution;
        if (remote) solution = remote(problem.jw);
        if (!solution) solution = solver->compute(problem);
        if (run.prints) run.units.write(6, residual_line, {problem.jw, solution->residual});
        const EdgeNumbering& numbering = solver->numbering();
        // a grid without elements has no unknowns: its field stays zero
        field = numbering.nx() == problem.nx && numbering.ny() == problem.ny
                    ? WaveField(numbering, solution->x)
                    : WaveField(problem.nx, problem.ny);
        return 0;
    };
}

}  // namespace ef
