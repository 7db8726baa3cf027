// What a SurveySolver holds, shared by its forward solves (survey_run.cpp)
// and its gradient (survey_gradient.cpp): the padded grid and its assembly,
// the factorisation, the located shots and receivers, and the problem of the
// frequency last factorised.
#pragma once

#include <array>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "driver/survey_run.hpp"
#include "solver/direct_solve.hpp"
#include "solver/element_point.hpp"
#include "solver/frequency_problem.hpp"
#include "solver/global_system.hpp"
#include "solver/pml_padding.hpp"

namespace ef {

// The pieces a FrequencyProblem refers to, kept while the frequency's factors are.
struct FactorisedFrequency {
    int jw = 0;
    double omega = 0.0;
    ElementFields model_fields, fields;  // the model's, and those of the padded grid
    BoundaryFlags flags;
    std::optional<PerfectlyMatchedLayer> pml;
};

struct SurveySolver::State {
    SurveyModel& model;
    int block_columns;
    // ELASTOFREQ_SURVEY_DENSE_RHS set: dense blocks, for measuring
    bool sparse = std::getenv("ELASTOFREQ_SURVEY_DENSE_RHS") == nullptr;
    PaddedGrid grid;
    GlobalAssembly assembly;
    std::unique_ptr<DirectSolver> solver;
    std::vector<ElementPoint> shots, receivers;
    FactorisedFrequency current;

    State(SurveyModel& m, int columns, const PaddedGrid& g)
        : model(m), block_columns(columns), grid(g), assembly(g.nx(), g.ny()) {}

    // The problem of the frequency factorised last, without a source.
    FrequencyProblem problem() const {
        return {grid.nx(), grid.ny(), model.params().h, current.jw, current.omega,
                current.fields, current.flags, SourceTerm{},
                current.pml ? &*current.pml : nullptr};
    }
};

// Component c (1: u1, 2: u2) of the global solution x at a point, from the
// basis of the element that holds it: the values at the midpoints of its
// edges (L, T, B, R) weighted by the basis there.
inline Complex value_at(const ElementPoint& at, const EdgeNumbering& numbering, const Complex* x,
                        int c) {
    const std::array<int, 8> dof = numbering.element_unknowns(at.i, at.j);
    Complex u{};
    for (int e = 0; e < 4; ++e) u += at.value[static_cast<std::size_t>(e)] * x[dof[2 * e + c - 1]];
    return u;
}

}  // namespace ef
