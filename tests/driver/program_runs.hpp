// Runs the programs as a user does: in a directory of their own holding the
// material files, the deck on standard input, standard output and error kept.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ef::test {

struct LaunchedRun {
    int status = -1;        // exit status
    std::string out, err;   // standard output and error
    std::filesystem::path dir;

    std::string file(const std::string& name) const;
    // Names of the files the run left in its directory (material files included).
    std::vector<std::string> files() const;
};

// Runs `command` (a program of the build, with any launcher in front) in
// parent/name with the two-layer example's material files, `deck` on standard input.
LaunchedRun launch_in(const std::filesystem::path& parent, const std::string& name,
                          const std::string& command, const std::string& deck);

// The path of a program of the build, quoted for the shell.
std::string program(const std::string& name);

// The text of a file.
std::string read_text(const std::filesystem::path& path);

// The deck with the value field (the first `width` columns) of the first
// record whose comment begins with the word `label` replaced by `value`,
// right-aligned.
std::string with_record(const std::string& deck, const std::string& label, const std::string& value,
                        int width);

}  // namespace ef::test
