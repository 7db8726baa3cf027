// A fresh directory for the files one test writes, removed afterwards, and
// helpers to read them back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace ef_test {

class ScratchDir {
public:
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() /
                ("elastofreq_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
                 std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string str() const { return path_.string(); }
    bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }
    std::string read(const std::string& name) const {
        std::ifstream f(path_ / name, std::ios::binary);
        std::ostringstream s;
        s << f.rdbuf();
        return s.str();
    }
    // The records of a file, without their line ends.
    std::vector<std::string> lines(const std::string& name) const {
        std::vector<std::string> out;
        std::istringstream s(read(name));
        for (std::string line; std::getline(s, line);) out.push_back(line);
        return out;
    }

private:
    std::filesystem::path path_;
};

// The real numbers of a record, in order.
inline std::vector<double> numbers(const std::string& record) {
    std::vector<double> out;
    std::istringstream s(record);
    for (std::string word; s >> word;) out.push_back(std::stod(word));
    return out;
}

}  // namespace ef_test
