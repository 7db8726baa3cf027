// dispersion_probe: prints the converged complex element-centre field of
// chosen frequencies along one element column, at full precision.
//
//   dispersion_probe SIDES COLUMN JW [JW ...] < deck
//
// SIDES is what the left and right sides of the model do: "absorbing" (the
// solver's boundary), "s-mirror" or "p-mirror" (symmetry planes for the
// horizontally polarised S or the vertically polarised P plane wave; see
// driver/column_probe.hpp).
//
// The deck is read as elastofreq reads it (its run summary is discarded; the
// source and material-map files land in the working directory) and the
// moduli of its materials are made in memory with the Liu model, so no
// material file is needed. The frequency numbers are solved in the order
// given, each starting from the interface state the previous one left, as in
// the solver's sweep. For each one the output holds a header line
//   # jw fjw(kHz) iterations global-error converged(0/1)
// and ny lines
//   y(m) Re(u1) Im(u1) Re(u2) Im(u2)
// followed by an empty line.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/stop.hpp"
#include "driver/column_probe.hpp"

namespace {

int run(ef::LateralBoundary sides, int column, const std::vector<int>& frequencies) {
    std::ostringstream summary;
    ef::Units units(std::cin, summary);
    const ef::ProbeModel model = ef::read_probe_model(units, ef::BuildLimits{801});
    ef::ProbeState s(model.p);
    for (const int jw : frequencies) {
        const ef::ColumnField f = ef::solve_column(units, model, s, jw, column, sides);
        std::printf("# %d %.17e %d %.17e %d\n", f.jw, f.fjw, f.iter, f.gerror,
                    f.converged ? 1 : 0);
        for (std::size_t k = 0; k < f.y.size(); ++k)
            std::printf("%.17e %.17e %.17e %.17e %.17e\n", f.y[k], f.u1[k].re, f.u1[k].im,
                        f.u2[k].re, f.u2[k].im);
        std::printf("\n");
        std::fflush(stdout);
    }
    units.flush_all();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string side_name = argc > 1 ? argv[1] : "";
    ef::LateralBoundary sides = ef::LateralBoundary::absorbing;
    if (side_name == "s-mirror")
        sides = ef::LateralBoundary::s_wave_mirror;
    else if (side_name == "p-mirror")
        sides = ef::LateralBoundary::p_wave_mirror;
    if (argc < 4 || (side_name != "absorbing" && sides == ef::LateralBoundary::absorbing)) {
        std::cerr << "usage: dispersion_probe absorbing|s-mirror|p-mirror COLUMN JW [JW ...]"
                     " < deck\n";
        return 2;
    }
    std::vector<int> frequencies;
    for (int k = 3; k < argc; ++k) frequencies.push_back(std::atoi(argv[k]));
    try {
        return run(sides, std::atoi(argv[2]), frequencies);
    } catch (const ef::StopRun& stop) {
        std::cerr << "dispersion_probe: the deck stops the run with code " << stop.code << '\n';
    } catch (const ef::PlainStop&) {
        std::cerr << "dispersion_probe: the deck ends the run before the model is complete\n";
    } catch (const std::exception& e) {
        std::cerr << "dispersion_probe: " << e.what() << '\n';
    }
    return 2;
}
