// Memory bandwidth of this machine as a simple loop reaches it: the triad
// a(i) = b(i) + s c(i) over arrays far larger than the caches, with the
// thread count from OMP_NUM_THREADS. The best of several repetitions is
// reported in GB/s, counting 24 bytes per index (two reads, one write).
//
// usage: triad [megabytes per array, default 256]
#include <omp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256;
    const std::size_t n = megabytes * 1000000 / sizeof(double);
    std::unique_ptr<double[]> a(new double[n]), b(new double[n]), c(new double[n]);
    // first touch by the threads that use the pages later
#pragma omp parallel for schedule(static)
    for (std::size_t i = 0; i < n; ++i) {
        a[i] = 0.0;
        b[i] = 1.0;
        c[i] = 2.0;
    }
    const double s = 3.0;
    double best = 1e30;
    for (int rep = 0; rep < 8; ++rep) {
        const auto t0 = std::chrono::steady_clock::now();
#pragma omp parallel for schedule(static)
        for (std::size_t i = 0; i < n; ++i) a[i] = b[i] + s * c[i];
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    }
    const double bytes = 3.0 * sizeof(double) * static_cast<double>(n);
    std::printf("triad: %d thread(s), 3 x %zu MB, best of 8: %.4f s, %.2f GB/s (check %g)\n",
                omp_get_max_threads(), megabytes, best, bytes / best / 1e9, a[n / 2]);
    return 0;
}
