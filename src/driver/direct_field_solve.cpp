#include "driver/direct_field_solve.hpp"

#include "solver/grid_dissection.hpp"

namespace ef {

DirectFieldSolver::DirectFieldSolver(const RunParams& p) : assembly_(p.nx, p.ny) {}

DirectFieldSolver::~DirectFieldSolver() = default;

double DirectFieldSolver::analyse() {
    if (!solver_)
        solver_ = std::make_unique<DirectSolver>(assembly_.system(),
                                                 grid_solver_options(assembly_.numbering()));
    return solver_->estimated_megabytes();
}

DirectSolution DirectFieldSolver::compute(const RunParams& p, int jw, double omega,
                                          const BoundaryFlags& flags, const ElementFields& el) {
    assembly_.assemble(omega, p.h, el, flags, jw, p.kdel, p.ksou, p.sour);
    const CoordinateSystem& system = assembly_.system();
    analyse();
    DirectSolution solution;
    solution.x = solver_->solve(system);
    solution.residual = relative_residual(system, solution.x);
    return solution;
}

int accept_direct_solution(Units& units, const ProcessGrid& a1, int jw,
                           const DirectSolution& solution, const EdgeNumbering& numbering,
                           InterfaceState& state) {
    static const Format residual_line(
        "(/1x,' direct solve for freq. # ',i5,' relative residual = ',e15.8)");
    if (a1.prints()) units.write(6, residual_line, {jw, solution.residual});
    store_traces(numbering, solution.x, state);
    return 0;
}

}  // namespace ef
