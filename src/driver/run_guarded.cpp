#include <exception>
#include <new>
#include <ostream>
#include <string>

#include "common/stop.hpp"
#include "driver/program.hpp"

namespace ef {

namespace {

// Flushes every unit, so that each file ends with a whole record; a unit that
// cannot be written any more is reported and turns a success into a failure.
int flush_units(Units& units, std::ostream& err, int status) {
    try {
        units.flush_all();
        return status;
    } catch (const RunError& e) {
        err << "elastofreq: " << e.what() << '\n';
        return status == 0 ? kRunErrorStatus : status;
    }
}

// The files first, then the reason on standard error.
int fail(Units& units, std::ostream& err, int status, const std::string& message) {
    status = flush_units(units, err, status);
    err << message << '\n';
    err.flush();
    return status;
}

}  // namespace

int run_guarded(std::istream& in, std::ostream& out, std::ostream& err,
                const std::function<void(Units&)>& body) {
    Units units(in, out);
    units.warn_to(err, "elastofreq");
    try {
        body(units);
    } catch (const StopRun& stop) {
        return fail(units, err, stop.code, "STOP " + std::to_string(stop.code));
    } catch (const PlainStop&) {
        // a normal end as far as the status goes
    } catch (const RunError& e) {
        return fail(units, err, kRunErrorStatus, std::string("elastofreq: ") + e.what());
    } catch (const NonFiniteField& e) {
        return fail(units, err, kNonFiniteFieldStatus, std::string("elastofreq: ") + e.what());
    } catch (const std::bad_alloc&) {
        return fail(units, err, kRunErrorStatus, "elastofreq: not enough memory for this model");
    } catch (const std::exception& e) {
        // a fault of the program itself
        return fail(units, err, kRunErrorStatus, std::string("elastofreq: internal error: ") + e.what());
    }
    const int status = flush_units(units, err, 0);
    err.flush();
    return status;
}

}  // namespace ef
