// Frequencies side by side: the direct solves of the next frequencies of the
// sweep run at once, each in a worker process of its own (element
// properties, assembly, factorisation, solve), while the sweep takes the
// solutions in its own order. Each solve is the computation the sweep would
// do itself, from the same analysis and the same inputs, so every file is
// the same as when the frequencies are solved one at a time.
//
// Processes, not threads: Debian's MUMPS 5.5 keeps the state of its
// factorisation's memory bookkeeping in module variables, so two instances
// factorising at once in one process corrupt each other. The ordering and
// the analysis are done once, before the workers are forked, and each worker
// inherits them. MUMPS's dense kernels run on one thread in every worker.
//
// How many at once: the thread count (OMP_NUM_THREADS, else every core the
// process may use), no more than the frequencies, and no more factorisations
// than the memory available at the start holds by the analysis's estimate.
// Worker w of W solves the frequencies w, w + W, ... of the list, in order;
// a worker whose solution has not been taken yet waits for that.
#pragma once

#include <istream>
#include <memory>
#include <ostream>
#include <sstream>
#include <vector>

#include "driver/direct_field_solve.hpp"
#include "driver/program.hpp"

namespace ef {

// MemAvailable of /proc/meminfo in megabytes (0 when it cannot be read).
double available_megabytes();

class FrequencyPipeline {
public:
    // Analyses the grid and starts solving `frequencies` (frequency numbers,
    // in the order in which they will be taken) with up to `threads` workers;
    // with one, each frequency is solved in this process when it is taken.
    FrequencyPipeline(const RunSetup& run, std::vector<int> frequencies, int threads);
    // Ends the workers, whatever they still do.
    ~FrequencyPipeline();
    FrequencyPipeline(const FrequencyPipeline&) = delete;
    FrequencyPipeline& operator=(const FrequencyPipeline&) = delete;

    // The solution of frequency jw, the next one of the list, once solved.
    // Throws the RunError of its solve.
    DirectSolution take(int jw);

    const EdgeNumbering& numbering() const { return solver_.numbering(); }
    // Worker processes (0: every frequency is solved in this process).
    int workers() const { return static_cast<int>(workers_.size()); }

private:
    struct Worker {
        int pid;
        int fd;  // read end of the pipe the worker writes its solutions to
    };
    struct Outcome;
    Outcome solve(std::size_t position);
    [[noreturn]] void serve(std::size_t first, std::size_t stride, int fd);
    void end_workers();

    RunSetup run_;
    std::vector<int> frequencies_;
    std::size_t next_ = 0;  // position of the next frequency to take
    std::istringstream no_input_;
    std::ostream nowhere_{nullptr};
    Units units_;  // the monitoring records of the element properties go nowhere
    DirectFieldSolver solver_;
    ElementFields fields_;
    std::vector<Worker> workers_;
};

// Threads for the frequencies of one process: OMP_NUM_THREADS when set, else
// every core the process may use.
int frequency_threads();

// The field solve of elastofreq_direct on one process: the frequencies of the
// sweep in a pipeline of frequency_threads() workers.
FieldSolve pipelined_direct_field_solve(const RunSetup& run);

}  // namespace ef
