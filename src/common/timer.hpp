// CPU time of the process (user plus system), in single precision as the
// runtime's etime gives it, measured from the previous call.
#pragma once

namespace ef {

class CpuTimer {
public:
    // Seconds of CPU time since the previous call (since 0 at the first).
    double lap();

private:
    float previous_ = 0.0f;
};

}  // namespace ef
