// The misfit of one frequency and its gradient by the adjoint state.
//
// With r = modelled - observed at the receivers and J = (w / 2) sum |r|^2,
// dJ = Re(sum w conj(r) dm), and a receiver's value m = sum_e phi_e(x_r) u_e
// reads the unknowns of its element through its basis. So dJ = Re(g^T du)
// with g the receivers' weighted conj(r) spread by the same basis, the
// adjoint field a solves K a = g (K is complex symmetric: K^T = K, the
// factors of the forward solve serve), and dJ/dp = -Re(a^T (dK/dp) u).
#include <algorithm>

#include "driver/survey_gradient.hpp"
#include "driver/survey_solver_state.hpp"
#include "solver/survey_system.hpp"

namespace ef {

namespace {

// Which observed values a forward solution is compared with.
struct ShotAtFrequency {
    const SurveySpectra& observed;
    int shot, f;
};

// One shot's adjoint loads: at each receiver weight x conj(residual) of
// both components, spread onto its element's unknowns by the basis values
// that read the receiver. Returns the sum of |residual|^2.
double add_adjoint_loads(const std::vector<ElementPoint>& receivers, const EdgeNumbering& numbering,
                         const Complex* u, const ShotAtFrequency& at_shot, double weight, Complex* load) {
    double squares = 0.0;
    for (std::size_t r = 0; r < receivers.size(); ++r) {
        const ElementPoint& at = receivers[r];
        const std::array<int, 8> dof = numbering.element_unknowns(at.i, at.j);
        const int receiver = static_cast<int>(r);
        const Complex residual[2] = {
            value_at(at, numbering, u, 1) - at_shot.observed.u1(at_shot.shot, receiver, at_shot.f),
            value_at(at, numbering, u, 2) - at_shot.observed.u2(at_shot.shot, receiver, at_shot.f)};
        for (int c = 0; c < 2; ++c) {
            const Complex rc = residual[c];
            squares += rc.re * rc.re + rc.im * rc.im;
            const Complex source{weight * rc.re, -(weight * rc.im)};
            for (int e = 0; e < 4; ++e) load[dof[2 * e + c]] += at.value[static_cast<std::size_t>(e)] * source;
        }
    }
    return squares;
}

}  // namespace

SurveySolver::Misfit SurveySolver::misfit_gradient(int jw, const SurveySpectra& observed,
                                                   double weight, int threads) {
    State& s = *state_;
    factorise(jw);
    const FrequencyProblem problem = s.problem();
    const EdgeNumbering& numbering = s.assembly.numbering();
    const int f = jw - s.model.params().jw1;
    const std::size_t n = static_cast<std::size_t>(s.assembly.system().n);
    const std::size_t shots = s.model.survey().shots.size();
    FieldGradient padded(s.grid.nx(), s.grid.ny());
    double squares = 0.0;
    std::vector<Complex> forward, adjoint;
    for (std::size_t first = 0; first < shots; first += static_cast<std::size_t>(s.block_columns)) {
        const std::size_t columns = std::min(shots - first, static_cast<std::size_t>(s.block_columns));
        solve_shots(jw, first, columns, forward);
        adjoint.assign(n * columns, Complex{});
        for (std::size_t c = 0; c < columns; ++c) {
            const ShotAtFrequency shot{observed, static_cast<int>(first + c), f};
            squares += add_adjoint_loads(s.receivers, numbering, forward.data() + c * n, shot, weight,
                                         adjoint.data() + c * n);
        }
        s.solver->solve_factorised(adjoint, static_cast<int>(columns), s.sparse);
        add_element_sensitivities(
            problem, numbering,
            FieldPairs{forward.data(), adjoint.data(), n, static_cast<int>(columns)}, threads,
            padded);
    }
    return {0.5 * weight * squares, model_gradient(s.grid, padded)};
}

SurveyMisfit zero_misfit(std::size_t cells) {
    return {0.0, {std::vector<double>(cells, 0.0), std::vector<double>(cells, 0.0),
                  std::vector<double>(cells, 0.0)}};
}

SurveyMisfit frequency_misfit_gradient(SurveySolver& solver, const ArraySurveyModel& model, int jw,
                                       const SurveySpectra& observed, double weight, int threads) {
    const SurveySolver::Misfit m = solver.misfit_gradient(jw, observed, weight, threads);
    SurveyMisfit share = zero_misfit(model.arrays().density.size());
    share.misfit = m.misfit;
    model.add_parameter_gradient(m.gradient, share.gradient);
    return share;
}

void add_frequency_share(SurveyMisfit& sum, const SurveyMisfit& share) {
    sum.misfit += share.misfit;
    const std::size_t cells = share.gradient.density.size();
    ParameterGradient& g = sum.gradient;
    for (std::size_t k = 0; k < cells; ++k) {
        g.p_modulus[k] += share.gradient.p_modulus[k];
        g.s_modulus[k] += share.gradient.s_modulus[k];
        g.density[k] += share.gradient.density[k];
    }
}

SurveyMisfit survey_misfit_gradient(ArraySurveyModel& model, const SurveySpectra& observed,
                                    const std::vector<double>& weights, int threads) {
    const RunParams& p = model.params();
    SurveySolver solver(model, survey_block_columns());
    check_survey_memory(solver.estimated_megabytes());
    SurveyMisfit sum = zero_misfit(model.arrays().density.size());
    for (int jw = p.jw1; jw <= p.jw2; ++jw) {
        const double weight = weights.at(static_cast<std::size_t>(jw - p.jw1));
        if (weight == 0.0) continue;
        add_frequency_share(sum, frequency_misfit_gradient(solver, model, jw, observed, weight, threads));
    }
    return sum;
}

}  // namespace ef
