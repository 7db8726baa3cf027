// Runs a built program in a directory on a deck, as a user would from a
// shell, and reports its exit status, its output and its peak memory.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace ef::test {

struct ProgramResult {
    int status = -1;          // exit status, -1 when killed by a signal
    std::string out, err;     // standard output and standard error
    long peak_rss_kb = 0;     // peak resident set size of the program
};

inline std::string slurp(const std::filesystem::path& file) {
    std::ifstream f(file, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// `program` is a file name in the build directory; `env` holds NAME=VALUE
// entries added to the environment.
inline ProgramResult run_program_in(const std::filesystem::path& dir, const std::string& program,
                                    const std::string& deck,
                                    const std::vector<std::string>& env = {}) {
    const std::filesystem::path exe = std::filesystem::path(ELASTOFREQ_BIN_DIR) / program;
    const auto deck_file = dir / ".deck.in", out_file = dir / ".stdout", err_file = dir / ".stderr";
    std::ofstream(deck_file, std::ios::binary) << deck;
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        const int in = open(deck_file.c_str(), O_RDONLY);
        const int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int raw = 0;
    rusage usage{};
    wait4(pid, &raw, 0, &usage);
    ProgramResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.peak_rss_kb = usage.ru_maxrss;
    r.out = slurp(out_file);
    r.err = slurp(err_file);
    std::filesystem::remove(deck_file);
    std::filesystem::remove(out_file);
    std::filesystem::remove(err_file);
    return r;
}

}  // namespace ef::test
