// elastofreq_moduli: makes the material files of a deck.
//
// Reads the input deck on standard input exactly as the solver does and writes
// p_modulus.freq, s_modulus.freq and bulk_density.mat into the working
// directory for the frequency numbers the solver will ask for (jw2 down to
// jw1), with the nearly-constant-Q moduli of Liu, Anderson and Kanamori built
// from the relaxed moduli, decrements and relaxation frequencies of the deck.
//
// The deck reader also prints the run summary and writes the source and
// material-map files; here all of that goes to a private temporary directory
// and a discarded buffer, so the working directory only gains the three
// material files. A deck the solver would stop on stops here with the same
// exit status.
//
// After the files are written it reports on standard error how finely the
// grid samples the waves at the top of the band (elements per wavelength of
// the slowest S and P waves, and the phase-velocity error the element's
// measured dispersion predicts there), with a warning when S has fewer than
// 10 elements per wavelength and a loud one for each material whose slowest
// wave has fewer than 2 (a typo in its records). The deck reader's own
// warnings (a number cut by its field, a band above Nyquist) go there too.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/stop.hpp"
#include "driver/element_properties.hpp"
#include "driver/program.hpp"
#include "driver/quiet_deck.hpp"
#include "model/liu_moduli.hpp"
#include "model/material_file_writer.hpp"
#include "model/readata.hpp"
#include "model/sampling.hpp"
#include "model/sampling_advice.hpp"

namespace {

std::string last_line(const std::string& text) {
    std::istringstream lines(text);
    std::string line, last;
    while (std::getline(lines, line))
        if (line.find_first_not_of(' ') != std::string::npos) last = line;
    return last;
}

// Reads the deck with the project's own reader, out of the user's sight.
ef::RunParams read_deck(std::istream& deck, const ef::BuildLimits& limits) {
    std::ostringstream summary;
    try {
        return ef::read_deck_quietly(deck, limits, summary, &std::cerr, "elastofreq_moduli");
    } catch (const ef::PlainStop&) {
        // The solver ends such a deck silently with status 0; say why here,
        // since no material file is made.
        std::cerr << "elastofreq_moduli: the deck ends the run before the model is complete"
                     " (fewer than 2 receivers, or a material region outside the grid or"
                     " with a wrong material number); no material file written. Last line"
                     " of the run summary:\n"
                  << last_line(summary.str()) << '\n';
        throw;
    }
}

void make_material_files(ef::Units& units, std::istream& deck, std::ostream& err,
                         const ef::BuildLimits& limits) {
    static const ef::Format done(
        "(1x,'elastofreq_moduli: ',i5,' materials, frequency numbers ',i5,' down to ',i5,"
        "' (',e12.5,' to ',e12.5,' kHz)')");
    const ef::RunParams p = read_deck(deck, limits);
    ef::check_liu_band(p);

    std::vector<double> frequency_khz(static_cast<std::size_t>(std::max(p.jw2, 0)) + 1, 0.0);
    for (int jw = p.jw2; jw >= p.jw1; --jw) frequency_khz[jw] = ef::frequency_of(jw, p);
    const ef::MaterialModuli moduli = ef::liu_material_moduli(p, frequency_khz);

    units.open(1, "p_modulus.freq", ef::FileStatus::unknown);
    units.open(2, "s_modulus.freq", ef::FileStatus::unknown);
    units.open(7, "bulk_density.mat", ef::FileStatus::unknown);
    ef::write_material_files(units, moduli, p.nmat, p.jw1, p.jw2, frequency_khz);
    if (p.jw2 >= p.jw1) {
        units.write(6, done, {p.nmat, p.jw2, p.jw1, frequency_khz[p.jw2], frequency_khz[p.jw1]});
        units.flush_all();
        err << ef::sampling_report(ef::sampling_advice(p, moduli, frequency_khz)) << std::flush;
    }
}

}  // namespace

int main() {
    std::ios::sync_with_stdio(false);
    const ef::BuildLimits limits{ELASTOFREQ_ROW_LIMIT};
    return ef::run_guarded(std::cin, std::cout, std::cerr, [&](ef::Units& units) {
        make_material_files(units, std::cin, std::cerr, limits);
    });
}
