#include <exception>
#include <ostream>
#include <string>

#include "common/stop.hpp"
#include "driver/program.hpp"

namespace ef {

int run_guarded(std::istream& in, std::ostream& out, std::ostream& err,
                const std::function<void(Units&)>& body) {
    Units units(in, out);
    try {
        body(units);
        units.flush_all();
        return 0;
    } catch (const StopRun& stop) {
        units.flush_all();
        err << "STOP " << stop.code << '\n';
        err.flush();
        return stop.code;
    } catch (const PlainStop&) {
        units.flush_all();
        return 0;
    } catch (const RunError& e) {
        units.flush_all();
        err << "elastofreq: " << e.what() << '\n';
        err.flush();
        return kRunErrorStatus;
    }
}

}  // namespace ef
