#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/stop.hpp"
#include "driver/program.hpp"

namespace ef {
namespace {

struct Ending {
    int status;
    std::string out, err;
};

Ending guarded(const std::function<void()>& failure) {
    std::istringstream in;
    std::ostringstream out, err;
    const int status = run_guarded(in, out, err, [&](Units& units) {
        units.list(6, {"before the end"});
        failure();
    });
    return {status, out.str(), err.str()};
}

TEST(RunGuarded, EveryEndingHasItsStatusAndMessageAfterTheOutput) {
    struct Case {
        std::function<void()> failure;
        int status;
        std::string err;
    };
    const std::vector<Case> cases{
        {[] {}, 0, ""},
        {[] { throw PlainStop{}; }, 0, ""},
        {[] { throw StopRun{88888}; }, 88888, "STOP 88888\n"},
        {[] { throw RunError("end of file reading nsx (record 3)"); }, 2,
         "elastofreq: end of file reading nsx (record 3)\n"},
        {[] { throw NonFiniteField("the wave field is not finite"); }, 5,
         "elastofreq: the wave field is not finite\n"},
        {[] { throw std::bad_alloc(); }, 2, "elastofreq: not enough memory for this model\n"},
        {[] { throw std::logic_error("broken"); }, 2, "elastofreq: internal error: broken\n"},
    };
    for (const Case& c : cases) {
        const Ending e = guarded(c.failure);
        EXPECT_EQ(e.status, c.status) << c.err;
        EXPECT_EQ(e.err, c.err);
        EXPECT_EQ(e.out, " before the end\n");
    }
}

}  // namespace
}  // namespace ef
