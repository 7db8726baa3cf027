#include "support/run_deck.hpp"

#include <sstream>

#include "common/stop.hpp"
#include "common/units.hpp"
#include "model/readata.hpp"

namespace ef::test {

std::string RunResult::file(const std::string& name) const { return read_file(dir / name); }

bool RunResult::has_file(const std::string& name) const {
    return std::filesystem::exists(dir / name);
}

RunResult run_deck(const std::string& deck, std::int32_t row_limit, int iproc) {
    RunResult r;
    r.scratch = std::make_shared<ScratchDir>();
    r.dir = r.scratch->path();
    std::istringstream in(deck);
    std::ostringstream out;
    {
        Units units(in, out, r.dir.string());
        r.a1.iproc = iproc;
        try {
            readata(units, r.a1, BuildLimits{row_limit}, r.p);
        } catch (const StopRun& s) {
            r.ending = Ending::stop_code;
            r.code = s.code;
        } catch (const PlainStop&) {
            r.ending = Ending::plain_stop;
        } catch (const RunError& e) {
            r.ending = Ending::run_error;
            r.message = e.what();
        }
        units.flush_all();
    }
    r.out = out.str();
    return r;
}

}  // namespace ef::test
