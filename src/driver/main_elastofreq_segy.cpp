// elastofreq_segy: run in a finished run's folder with the run's deck on
// standard input; converts the text traces vx_traces.su and vz_traces.su into
// the SEG-Y files vx_traces.sgy and vz_traces.sgy. Exit status 0, or 2 with a
// message on standard error when the deck or the traces cannot be used.
#include <exception>
#include <iostream>

#include "common/stop.hpp"
#include "driver/quiet_deck.hpp"
#include "output/segy_export.hpp"

int main() {
    std::ios::sync_with_stdio(false);
    try {
        const ef::RunParams p =
            ef::read_deck_quietly(std::cin, ef::BuildLimits{ELASTOFREQ_ROW_LIMIT});
        for (const auto& file : ef::export_segy_traces(p, ".")) {
            std::cout << "elastofreq_segy: wrote " << file.filename().string() << " (" << p.nrec
                      << " traces of " << p.nt << " samples, interval "
                      << ef::segy_interval_us(p.dt) << " us)\n";
        }
        return 0;
    } catch (const ef::StopRun& stop) {
        std::cerr << "elastofreq_segy: the deck stops the run (STOP " << stop.code
                  << "), so it has no traces to convert\n";
    } catch (const ef::PlainStop&) {
        std::cerr << "elastofreq_segy: the deck ends the run early (fewer than 2 receivers or a "
                     "wrong material region), so it has no traces to convert\n";
    } catch (const std::exception& e) {
        std::cerr << "elastofreq_segy: " << e.what() << '\n';
    }
    return ef::kRunErrorStatus;
}
