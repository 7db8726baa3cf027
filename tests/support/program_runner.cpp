#include "support/program_runner.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace ef::test {

namespace fs = std::filesystem;

namespace {

// An anonymous file: standard input is a file, as with "< deck", and the
// output streams need no reader while the child runs.
int memory_file(const char* name, const std::string& content = "") {
    const int fd = ::memfd_create(name, MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
        throw std::runtime_error(std::string("memory file ") + name + ": " + std::strerror(errno));
    ::lseek(fd, 0, SEEK_SET);
    return fd;
}

std::string contents(int fd) {
    std::string text;
    char buffer[65536];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

// Appends what the terminal holds within wait_ms: 1 when something came, 0
// when nothing did, -1 once the child's side is closed (EIO).
int drain(int master, std::string& text, int wait_ms) {
    pollfd p{master, POLLIN, 0};
    if (::poll(&p, 1, wait_ms) <= 0) return 0;
    char buffer[4096];
    const ssize_t n = ::read(master, buffer, sizeof buffer);
    if (n <= 0) return -1;
    text.append(buffer, static_cast<std::size_t>(n));
    return 1;
}

// Forks a child in its own process group with the streams and environment
// of `options`, in `folder` unless it is empty, that runs `body`; waits for it
// or kills the group at the timeout.
ProgramResult launch(const fs::path& folder, const std::string& input, const RunOptions& options,
                     const std::string& what, const std::function<void()>& body) {
    const int in = memory_file("stdin", input), out = memory_file("stdout"), err = memory_file("stderr");
    int master = -1, slave = -1;
    if (options.terminal && ::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        throw std::runtime_error("no pseudo-terminal: " + std::string(std::strerror(errno)));
    std::vector<std::pair<std::string, std::string>> env;
    for (const std::string& entry : options.env) {
        const std::size_t eq = entry.find('=');
        env.emplace_back(entry.substr(0, eq), entry.substr(eq + 1));
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(options.terminal ? slave : err, 2);
        if (options.terminal) ::close(master);
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) {
            std::fprintf(stderr, "cannot enter %s: %s\n", folder.c_str(), std::strerror(errno));
            ::_exit(127);
        }
        for (const auto& [name, value] : env) ::setenv(name.c_str(), value.c_str(), 1);
        try {
            body();
        } catch (...) {
            // never back into the test framework's frames in the child
        }
        ::_exit(127);
    }
    ::setpgid(pid, pid);  // whichever of parent and child comes first
    if (options.terminal) ::close(slave);

    ProgramResult r;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
    int raw = 0;
    rusage usage{};
    bool open = options.terminal;
    while (::wait4(pid, &raw, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(-pid, SIGKILL);
            ::wait4(pid, &raw, 0, &usage);
            ADD_FAILURE() << what << " in " << folder << " still ran after " << options.timeout_seconds
                          << " s and was killed";
            break;
        }
        if (open) open = drain(master, r.err, 10) >= 0;
        else ::usleep(2000);
    }
    while (open && drain(master, r.err, 100) > 0) {
    }
    if (options.terminal) ::close(master);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.peak_rss_kb = usage.ru_maxrss;
    r.out = contents(out);
    if (!options.terminal) r.err = contents(err);
    for (const int fd : {in, out, err}) ::close(fd);
    return r;
}

}  // namespace

ProgramResult run_program(const fs::path& folder, const std::string& program, const std::string& input,
                          const RunOptions& options) {
    const std::string exe = (fs::path(ELASTOFREQ_BIN_DIR) / program).string();
    std::vector<std::string> words;
    if (options.ranks > 0)
        words = {ELASTOFREQ_MPIRUN, "--allow-run-as-root", "--oversubscribe", "-np", std::to_string(options.ranks)};
    words.push_back(exe);
    words.insert(words.end(), options.args.begin(), options.args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    return launch(folder, input, options, program, [&] {
        ::execv(argv[0], argv.data());
        std::fprintf(stderr, "cannot run %s: %s\n", argv[0], std::strerror(errno));
    });
}

ProgramResult run_in_child(const std::function<void()>& work, const RunOptions& options) {
    return launch({}, "", options, "a child process", [&] {
        work();
        std::fflush(nullptr);
        ::_exit(0);
    });
}

}  // namespace ef::test
