// Runs a built program as a user does from a shell: in a folder, with a deck
// on standard input, alone or as an MPI job, and reports its exit status, its
// standard output and error and its peak memory. A run that outlives its
// timeout is killed and fails the test.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/scratch_dir.hpp"

namespace ef::test {

struct RunOptions {
    std::vector<std::string> args{};  // after the program's name
    std::vector<std::string> env{};   // NAME=VALUE entries added to the environment
    int ranks = 0;                  // > 0: an MPI job of that many ranks (ELASTOFREQ_MPIRUN)
    bool terminal = false;          // standard error on a pseudo-terminal
    int timeout_seconds = 900;
};

struct ProgramResult {
    int status = -1;       // exit status, -1 when killed by a signal
    std::string out, err;  // standard output and standard error
    long peak_rss_kb = 0;  // peak resident set size of the process
};

// Runs `program`, a file name in the build folder (ELASTOFREQ_BIN_DIR), in
// `folder` with `input` on standard input.
ProgramResult run_program(const std::filesystem::path& folder, const std::string& program,
                          const std::string& input, const RunOptions& options = {});

// A run with the scratch folder it ran in and the files it left there; copies
// share the folder, which goes with the last of them.
struct FolderRun : ProgramResult {
    std::shared_ptr<const ScratchDir> folder = std::make_shared<const ScratchDir>();

    void run(const std::string& program, const std::string& input, const RunOptions& options = {}) {
        ProgramResult::operator=(run_program(folder->path(), program, input, options));
    }
};

// Runs `work` in a child process set up as run_program sets up a program:
// for library code whose behaviour depends on its standard streams.
ProgramResult run_in_child(const std::function<void()>& work, const RunOptions& options = {});

}  // namespace ef::test
