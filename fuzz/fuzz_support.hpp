// What the fuzz targets share: a stream that discards what is written to it
// (unit 6) and one scratch directory per fuzzing process for the files the
// readers write or read.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>

#include <unistd.h>

namespace ef::fuzz {

class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

class NullStream : public std::ostream {
public:
    NullStream() : std::ostream(&buffer_) {}

private:
    NullBuffer buffer_;
};

// Created on first use under $TMPDIR (or /tmp) and removed at exit.
class ScratchDirectory {
public:
    ScratchDirectory() {
        path_ = (std::filesystem::temp_directory_path() / "elastofreq_fuzz_XXXXXX").string();
        if (::mkdtemp(path_.data()) == nullptr) std::abort();
    }
    ~ScratchDirectory() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline const std::string& scratch_directory() {
    static const ScratchDirectory dir;
    return dir.path();
}

}  // namespace ef::fuzz
