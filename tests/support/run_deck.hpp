// Runs readata on a deck held in a string, in a fresh scratch directory, and
// records how the run ended, what it printed and what it computed.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "common/run_params.hpp"
#include "support/scratch_dir.hpp"

namespace ef::test {

enum class Ending { normal, stop_code, plain_stop, run_error };

struct RunResult {
    Ending ending = Ending::normal;
    int code = 0;             // of a numeric stop
    std::string message;      // of a run error
    std::string out;          // unit 6
    ProcessGrid a1;
    RunParams p;
    std::filesystem::path dir;  // where the files were written
    std::shared_ptr<ScratchDir> scratch;  // removes dir with the last copy

    bool stopped_with(int c) const { return ending == Ending::stop_code && code == c; }
    // Contents of a file the run wrote ("" when absent).
    std::string file(const std::string& name) const;
    bool has_file(const std::string& name) const;
};

RunResult run_deck(const std::string& deck, std::int32_t row_limit = 602, int iproc = 0);

}  // namespace ef::test
