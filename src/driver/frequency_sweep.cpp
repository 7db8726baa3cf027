#include "driver/frequency_sweep.hpp"

#include "driver/element_properties.hpp"
#include "driver/progress.hpp"
#include "solver/sweep.hpp"

namespace ef {

namespace {
constexpr double kTwoPi = 6.28318530717958;
}

SweepState::SweepState(const RunParams& p)
    : fields(p.nx, p.ny), beta(p.nx, p.ny), factors(p.nx, p.ny), state(p.nx, p.ny),
      sums(p.nx, p.ny, p.nsnapt), workspaces(p.nx) {}

IterationResult iterate_frequency(Units& units, const RunParams& p, const ProcessGrid& a1,
                                  int jw, const BoundaryFlags& flags, SweepState& s) {
    static const Format global_error_line(
        "(/1x,' global error = ',e20.7, ' iter. number = ',i5,       ' denomin. = ',e20.7)");
    static const Format converged_line(
        "(/1x,' convergence  for freq. # ',i5,                                  "
        "' achieved in ',i5,' inner iterations ',/,                        "
        "' relative error value = ',e20.8/)");
    static const Format not_converged_line(
        "(/1x,' NO convergence  for freq. # ',i5,                               "
        "' after  ',i5,' inner iterations ',/,                             "
        "' relative error value reduction = ',e20.8/)");

    const int nx = p.nx, ny = p.ny;
    const int itmax = (jw <= p.jwlow) ? p.maxlow : p.maxiter;
    const int nodd = (ny % 2 != 0) ? ny : ny - 1;
    const int neven = (ny % 2 == 0) ? ny : ny - 1;

    // Before any iteration the error is taken as 1 (no reduction yet).
    double gerror = 1.0;
    int iter = 1;
    while (iter <= itmax) {
        // Save the previous iterate, then the odd rows, then the even rows,
        // which see the odd rows' new traces. The odd pass saves the rows
        // itself as it goes.
        if (nodd < 1) s.state.save_previous();
        parity_pass(1, nodd, nx, jw, p.h, p.kdel, p.ksou, p.sour, s.beta, flags, s.factors,
                    s.state, s.workspaces, /*save_previous=*/true);
        parity_pass(2, neven, nx, jw, p.h, p.kdel, p.ksou, p.sour, s.beta, flags, s.factors,
                    s.state, s.workspaces);
        // relaxation, and from the second iteration on the global error
        s.state.relax_and_measure(iter > 1, gerror, s.denomin);
        if (iter == 1) gerror = 1.0;
        if (a1.prints() && iter % 100 == 0)
            units.write(6, global_error_line, {gerror, iter, s.denomin});
        if (p.reduc > gerror) {
            if (a1.prints()) units.write(6, converged_line, {jw, iter, gerror});
            return {iter, gerror, true};
        }
        ++iter;
    }
    if (a1.prints()) units.write(6, not_converged_line, {jw, iter, gerror});
    return {iter, gerror, false};
}

int iterative_field_solve(Units& units, const RunParams& p, const ProcessGrid& a1, int jw,
                          double omega, const BoundaryFlags& flags, SweepState& s) {
    inbeta(p.nx, p.ny, omega, s.fields.rho, s.fields.xln, s.fields.xmu, jw, s.beta);
    factorise_rows(p.ny, p.nx, omega, p.h, s.fields, s.beta, flags, s.workspaces, s.factors);
    return iterate_frequency(units, p, a1, jw, flags, s).iter;
}

void frequency_sweep(Units& units, const RunParams& p, const ProcessGrid& a1,
                     const BoundaryFlags& flags, const MaterialModuli& moduli, SweepState& s,
                     const FieldSolve& solve) {
    static const Format frequency_line("(/1x,' frequency number ',i5,' frequency : ',e20.8)");
    static const Format source_line("(1x,'jw  real sour, imag sour =',i7,2x,e15.5,2x,e15.5)");
    static const Format iteration_log("(i7,2x,i7)");

    if (p.jw2 >= p.jw1) check_border_velocities(p, a1, moduli);

    SweepProgress progress(p.jw1, p.jw2);
    for (int jw = p.jw2; jw >= p.jw1; --jw) {
        const double fjw = frequency_of(jw, p);
        const double omega = fjw * kTwoPi;
        if (a1.prints()) {
            units.write(6, frequency_line, {jw, fjw});
            units.write(6, source_line, {jw, p.sour[jw].re, p.sour[jw].im});
        }
        set_element_properties(units, p, a1, moduli, jw, fjw, true, s.fields);
        if (jw == p.jw2) write_model_files(units, p.nx, p.ny, s.fields);

        const int iter = solve(units, p, a1, jw, omega, flags, s);
        units.write(14, iteration_log, {jw, iter});
        progress.frequency_done(jw, iter);

        if (p.keyqua == 1)
            finvpic1(jw, p.nx, p.ny, s.state, s.sums, p.nsnapt, p.itsnap, p.dt, p.delw);
        else
            finvpic2(jw, p.nx, p.ny, s.state, s.sums, p.nsnapt, p.itsnap, p.dt, p.delw);
        savtrace(p.nrec, jw, p.irx, p.iry, s.spectra, s.state);
        write_frequency_snapshots(units, p, jw, s.state);
    }
    progress.finish();
}

}  // namespace ef
