// A built program (elastofreq, elastofreq_large, elastofreq_check) run as a
// process (run_program_in) in a fresh working directory that is removed
// afterwards, with the material files the test puts there, and the files the
// run left behind.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/run_deck.hpp"

namespace ef::test {

// The material files of a run, one text per file; a file marked absent is
// not written.
struct MaterialTexts {
    std::string p_modulus, s_modulus, bulk_density;
    bool with_p = true, with_s = true, with_density = true;
};

// Material files for nmat materials of the deck builder's default rock, each
// with `frequencies` frequency lines (more than the band reads are harmless:
// only the last material's extra lines follow it).
MaterialTexts default_material_files(int nmat = 1, int frequencies = 600);

// One frequency line "(3e20.12)" of a modulus file.
std::string modulus_line(double f, double re, double im);

class ProgramRun {
public:
    // The working directory exists (empty) once the object is made.
    ProgramRun();
    const std::filesystem::path& dir() const { return work_; }

    // Writes a file into the working directory.
    void put(const std::string& name, const std::string& content) const;
    void put(const MaterialTexts& files) const;
    // Runs the program with the deck on standard input.
    void run(const std::string& deck, const std::string& program = "elastofreq");

    int status = -1;  // -1 when killed by a signal
    std::string out, err;
    std::string file(const std::string& name) const;
    bool has_file(const std::string& name) const;
    // Names of the regular files in the working directory, sorted.
    std::vector<std::string> files() const;
    // Files whose last record is cut (not empty and not ending in a newline).
    std::vector<std::string> cut_files() const;

private:
    std::shared_ptr<ScratchDir> scratch_;
    std::filesystem::path work_;
};

}  // namespace ef::test
