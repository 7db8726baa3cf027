#include "driver/frequency_pipeline.hpp"

#include <omp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <string>

#include "common/stop.hpp"
#include "driver/element_properties.hpp"
#include "model/sampling.hpp"
#include "solver/frequency_problem.hpp"

namespace ef {

namespace {

// Megabytes of memory available to new work (MemAvailable); 0 when the
// system does not say.

// Of the available memory, the share the factorisations may take: the rest
// is for the assemblies, the sweep's own arrays and the estimate's error.
constexpr double kMemoryShare = 0.8;

// What a worker writes before the solution or the message of a failure.
struct Header {
    std::int32_t failed = 0;  // 1: the payload is the message of a failure
    std::int64_t length = 0;  // bytes of the payload
    double residual = 0.0;
};

// All `bytes` through ::read or ::write, however many calls that takes.
template <class Byte, class Transfer>
bool transfer_all(Transfer transfer, int fd, Byte* data, std::size_t bytes) {
    while (bytes > 0) {
        const ssize_t n = transfer(fd, data, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        bytes -= static_cast<std::size_t>(n);
    }
    return true;
}

bool write_all(int fd, const void* data, std::size_t bytes) {
    return transfer_all(::write, fd, static_cast<const char*>(data), bytes);
}

bool read_all(int fd, void* data, std::size_t bytes) {
    return transfer_all(::read, fd, static_cast<char*>(data), bytes);
}

}  // namespace

double available_megabytes() {
    std::ifstream meminfo("/proc/meminfo");
    for (std::string line; std::getline(meminfo, line);) {
        std::istringstream words(line);
        std::string key;
        double kilobytes = 0.0;
        if (words >> key >> kilobytes && key == "MemAvailable:") return kilobytes / 1024.0;
    }
    return 0.0;
}

struct FrequencyPipeline::Outcome {
    DirectSolution solution;
    std::string failure;  // not empty: the solve failed with this message
};

int frequency_threads() { return omp_get_max_threads(); }

FrequencyPipeline::FrequencyPipeline(const RunSetup& run, std::vector<int> frequencies, int threads)
    : run_(run),
      frequencies_(std::move(frequencies)),
      units_(no_input_, nowhere_, ".", FileOutput::discarded),
      solver_(run.p.nx, run.p.ny),
      fields_(run.p.nx, run.p.ny) {
    if (frequencies_.empty()) return;
    const double megabytes = solver_.analyse();
    int count = std::min<int>(threads, static_cast<int>(frequencies_.size()));
    if (megabytes > 0.0)
        count = std::min(count, static_cast<int>(kMemoryShare * available_megabytes() / megabytes));
    if (count < 2) return;  // one at a time, in this process

    for (int w = 0; w < count; ++w) {
        int ends[2];
        if (::pipe(ends) != 0) break;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ends[0]);
            for (const Worker& other : workers_) ::close(other.fd);
            serve(static_cast<std::size_t>(w), static_cast<std::size_t>(count), ends[1]);
        }
        ::close(ends[1]);
        if (pid < 0) {
            ::close(ends[0]);
            break;
        }
        workers_.push_back({pid, ends[0]});
    }
    if (workers_.size() < static_cast<std::size_t>(count)) end_workers();  // one at a time after all
}

FrequencyPipeline::~FrequencyPipeline() { end_workers(); }

void FrequencyPipeline::end_workers() {
    for (const Worker& w : workers_) {
        ::close(w.fd);
        ::kill(w.pid, SIGKILL);  // a worker that is done has exited already
        ::waitpid(w.pid, nullptr, 0);
    }
    workers_.clear();
}

FrequencyPipeline::Outcome FrequencyPipeline::solve(std::size_t position) {
    Outcome outcome;
    const int jw = frequencies_[position];
    try {
        const RunParams& p = run_.p;
        const double fjw = frequency_of(jw, p);
        set_element_properties(units_, p, run_.a1, run_.moduli, jw, fjw, true, fields_);
        outcome.solution =
            solver_.compute(frequency_problem(p, jw, angular_frequency(fjw), fields_, run_.flags));
    } catch (const std::exception& e) {
        // A stop in the element properties is the sweep's own to make: it
        // computes them too, before it asks for this frequency.
        outcome.failure = e.what();
    } catch (...) {
        outcome.failure = "frequency " + std::to_string(jw) + ": the direct solve failed";
    }
    return outcome;
}

// A worker process: its frequencies in order, each written to the pipe (which
// holds it until the sweep reads it). It leaves by _exit, so that nothing the
// parent had buffered is written twice.
void FrequencyPipeline::serve(std::size_t first, std::size_t stride, int fd) {
    ::signal(SIGPIPE, SIG_IGN);  // a closed pipe ends the worker by its write failing
    for (std::size_t k = first; k < frequencies_.size(); k += stride) {
        const Outcome outcome = solve(k);
        Header header;
        header.failed = outcome.failure.empty() ? 0 : 1;
        header.residual = outcome.solution.residual;
        const void* payload = outcome.failure.empty()
                                  ? static_cast<const void*>(outcome.solution.x.data())
                                  : static_cast<const void*>(outcome.failure.data());
        header.length = static_cast<std::int64_t>(
            outcome.failure.empty() ? outcome.solution.x.size() * sizeof(Complex) : outcome.failure.size());
        if (!write_all(fd, &header, sizeof header) ||
            !write_all(fd, payload, static_cast<std::size_t>(header.length)))
            break;
    }
    ::close(fd);
    ::_exit(0);
}

DirectSolution FrequencyPipeline::take(int jw) {
    const std::size_t position = next_;
    if (position >= frequencies_.size() || frequencies_[position] != jw)
        throw RunError("frequency " + std::to_string(jw) + " was asked of the direct solves out of turn");
    ++next_;
    if (workers_.empty()) {
        Outcome outcome = solve(position);
        if (!outcome.failure.empty()) throw RunError(outcome.failure);
        return std::move(outcome.solution);
    }
    const Worker& worker = workers_[position % workers_.size()];
    Header header;
    if (!read_all(worker.fd, &header, sizeof header) || header.length < 0)
        throw RunError("frequency " + std::to_string(jw) + ": the worker process of its direct solve ended");
    if (header.failed != 0) {
        std::string message(static_cast<std::size_t>(header.length), '\0');
        if (!read_all(worker.fd, message.data(), message.size())) message = "the direct solve failed";
        throw RunError(message);
    }
    DirectSolution solution;
    solution.residual = header.residual;
    solution.x.resize(static_cast<std::size_t>(header.length) / sizeof(Complex));
    if (!read_all(worker.fd, solution.x.data(), solution.x.size() * sizeof(Complex)))
        throw RunError("frequency " + std::to_string(jw) + ": the worker process of its direct solve ended");
    return solution;
}

FieldSolve pipelined_direct_field_solve(const RunSetup& run) {
    std::vector<int> frequencies;
    for (int jw = run.p.jw2; jw >= run.p.jw1; --jw) frequencies.push_back(jw);
    auto pipeline = std::make_shared<FrequencyPipeline>(run, frequencies, frequency_threads());
    return direct_field_solve(run.p, [pipeline](int jw) { return pipeline->take(jw); });
}

}  // namespace ef
