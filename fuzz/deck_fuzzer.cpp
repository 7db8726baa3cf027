// Fuzz target: the input deck reader. Any byte sequence on standard input
// must end in a normal return, a numeric or plain stop, or a RunError; never
// in a crash, a hang, an out-of-bounds access, undefined behaviour or an
// allocation out of proportion to the grid limits.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "common/run_params.hpp"
#include "common/stop.hpp"
#include "common/units.hpp"
#include "fuzz_support.hpp"
#include "model/readata.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream deck(std::string(reinterpret_cast<const char*>(data), size));
    ef::fuzz::NullStream out;
    ef::Units units(deck, out, ef::fuzz::scratch_directory());
    ef::ProcessGrid a1;
    ef::RunParams p;
    try {
        readata(units, a1, ef::BuildLimits{602}, p);
    } catch (const ef::StopRun&) {
    } catch (const ef::PlainStop&) {
    } catch (const ef::RunError&) {
    }
    try {
        units.flush_all();
    } catch (const ef::RunError&) {
    }
    return 0;
}
