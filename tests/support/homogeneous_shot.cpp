#include "support/homogeneous_shot.hpp"

#include "solver/direct_solve.hpp"
#include "solver/frequency_problem.hpp"
#include "solver/global_system.hpp"

namespace ef::test {

WaveField solve_homogeneous_shot(const ElasticMedium& m, const PerfectlyMatchedLayer& pml,
                                 double h, double omega, const PointSourceTerm& shot) {
    const PaddedGrid& g = pml.grid;
    ElementFields el(g.nx(), g.ny());
    el.xln.fill(Complex{m.lambda, 0.0});
    el.xmu.fill(Complex{m.mu, 0.0});
    el.rho.fill(m.rho);
    for (auto* v : {&el.vpleft, &el.vpright, &el.vpbot, &el.vptop}) v->assign(v->size(), Complex{m.vp(), 0.0});
    for (auto* v : {&el.vsleft, &el.vsright, &el.vsbot, &el.vstop}) v->assign(v->size(), Complex{m.vs(), 0.0});
    const BoundaryFlags flags = outer_edges(g);
    const FrequencyProblem problem{g.nx(), g.ny(), h, 0, omega, el, flags,
                                   SourceTerm::at_point(shot, Complex{1.0, 0.0}), &pml};
    GlobalAssembly assembly(g.nx(), g.ny());
    assembly.assemble(problem);
    DirectSolver solver(assembly.system());
    return WaveField(assembly.numbering(), solver.solve(assembly.system()));
}

Complex field_at(const WaveField& u, const ElementPoint& at, int c) {
    return u.at(c, at.i, at.j, at.xi, at.eta);
}

}  // namespace ef::test
