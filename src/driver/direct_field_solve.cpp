#include "driver/direct_field_solve.hpp"

#include "solver/grid_dissection.hpp"

namespace ef {

DirectFieldSolver::DirectFieldSolver(int nx, int ny) : assembly_(nx, ny) {}

DirectFieldSolver::~DirectFieldSolver() = default;

double DirectFieldSolver::analyse() {
    if (!solver_)
        solver_ = std::make_unique<DirectSolver>(assembly_.system(),
                                                 grid_solver_options(assembly_.numbering()));
    return solver_->estimated_megabytes();
}

DirectSolution DirectFieldSolver::compute(const FrequencyProblem& problem) {
    assembly_.assemble(problem);
    const CoordinateSystem& system = assembly_.system();
    analyse();
    DirectSolution solution;
    solution.x = solver_->solve(system);
    solution.residual = relative_residual(system, solution.x);
    return solution;
}

FieldSolve direct_field_solve(const RunParams& p, RemoteSolution remote) {
    // The assembly and its analysis only when a frequency is solved here: a
    // field solve whose frequencies all come from elsewhere never needs them.
    auto solver = std::make_shared<std::unique_ptr<DirectFieldSolver>>();
    const auto numbering = std::make_shared<EdgeNumbering>(p.nx, p.ny);
    return [nx = p.nx, ny = p.ny, solver, numbering, remote](
               const RunContext& run, const FrequencyProblem& problem, WaveField& field) {
        static const Format residual_line(
            "(/1x,' direct solve for freq. # ',i5,' relative residual = ',e15.8)");
        std::optional<DirectSolution> solution;
        if (remote) solution = remote(problem.jw);
        if (!solution) {
            if (!*solver) *solver = std::make_unique<DirectFieldSolver>(nx, ny);
            solution = (*solver)->compute(problem);
        }
        if (run.prints) run.units.write(6, residual_line, {problem.jw, solution->residual});
        // a grid without elements has no unknowns: its field stays zero
        field = numbering->nx() == problem.nx && numbering->ny() == problem.ny
                    ? WaveField(*numbering, solution->x)
                    : WaveField(problem.nx, problem.ny);
        return 0;
    };
}

}  // namespace ef
