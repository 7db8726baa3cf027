// The message of the run error a piece of work throws.
#pragma once

#include <functional>
#include <string>

#include "common/stop.hpp"

namespace ef::test {

// What the RunError thrown by `work` says; "" when it throws none.
inline std::string run_error_of(const std::function<void()>& work) {
    try {
        work();
    } catch (const RunError& e) {
        return e.what();
    }
    return "";
}

}  // namespace ef::test
