// A fresh folder for the files of one test, removed with everything in it
// when the object goes, and the ways tests write and read files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ef::test {

// The bytes of a file; "" when it cannot be read.
std::string read_file(const std::filesystem::path& file);

// A file of the source tree, by its path from the top ("docs/deck.md").
std::string source_file(const std::string& relative);

class ScratchDir {
public:
    // Named after the running test, and unique among tests running at once.
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

    void write(const std::string& name, const std::string& text) const;
    std::string read(const std::string& name) const;
    // The records of a file, without their line ends.
    std::vector<std::string> lines(const std::string& name) const;
    bool exists(const std::string& name) const;
    // The names of everything in the folder, sorted.
    std::vector<std::string> files() const;

private:
    std::filesystem::path path_;
};

}  // namespace ef::test
