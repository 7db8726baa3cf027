#include "support/scratch_dir.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace ef::test {

namespace fs = std::filesystem;

std::string read_file(const fs::path& file) {
    std::ifstream f(file, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string source_file(const std::string& relative) {
    const fs::path file = fs::path(ELASTOFREQ_SOURCE_DIR) / relative;
    EXPECT_TRUE(fs::is_regular_file(file)) << file;
    return read_file(file);
}

namespace {
// temp/elastofreq_<suite>_<test>_XXXXXX, made by mkdtemp so that two test
// processes never share one; parameterised names hold '/'.
fs::path fresh_folder() {
    std::string name = "elastofreq";
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
        name += std::string("_") + info->test_suite_name() + "_" + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    std::string path = (fs::temp_directory_path() / (name + "_XXXXXX")).string();
    if (::mkdtemp(path.data()) == nullptr) throw std::runtime_error("cannot create " + path);
    return path;
}
}  // namespace

ScratchDir::ScratchDir() : path_(fresh_folder()) {}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void ScratchDir::write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
}

std::string ScratchDir::read(const std::string& name) const { return read_file(path_ / name); }

std::vector<std::string> ScratchDir::lines(const std::string& name) const {
    std::vector<std::string> out;
    std::istringstream s(read(name));
    for (std::string line; std::getline(s, line);) out.push_back(line);
    return out;
}

bool ScratchDir::exists(const std::string& name) const { return fs::exists(path_ / name); }

std::vector<std::string> ScratchDir::files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace ef::test
