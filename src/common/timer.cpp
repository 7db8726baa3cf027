#include "common/timer.hpp"

#include <sys/resource.h>

namespace ef {

namespace {
float cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const float user = static_cast<float>(usage.ru_utime.tv_sec) +
                       static_cast<float>(usage.ru_utime.tv_usec) * 1.0e-6f;
    const float system = static_cast<float>(usage.ru_stime.tv_sec) +
                         static_cast<float>(usage.ru_stime.tv_usec) * 1.0e-6f;
    return user + system;
}
}  // namespace

double CpuTimer::lap() {
    const float now = cpu_seconds();
    const float difference = now - previous_;
    previous_ = now;
    return static_cast<double>(difference);
}

}  // namespace ef
