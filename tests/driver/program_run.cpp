#include "driver/program_run.hpp"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "driver/program_runner.hpp"

namespace ef::test {

std::string modulus_line(double f, double re, double im) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%20.12E%20.12E%20.12E", f, re, im);
    return std::string(buf) + "\n";
}

MaterialTexts default_material_files(int nmat, int frequencies) {
    MaterialTexts t;
    for (int m = 1; m <= nmat; ++m) {
        char header[16];
        std::snprintf(header, sizeof header, "%5d\n", m);
        t.p_modulus += header;
        t.s_modulus += header;
        t.bulk_density += std::string(header) + "  2.000000000000E+06\n";
        for (int k = frequencies; k >= 1; --k) {
            t.p_modulus += modulus_line(0.1 * k, 1.666666666667e7, 5.307855626327e5);
            t.s_modulus += modulus_line(0.1 * k, 5.0e6, 2.392344497608e5);
        }
    }
    return t;
}

ProgramRun::ProgramRun() : scratch_(std::make_shared<ScratchDir>()), work_(scratch_->path() / "work") {
    std::filesystem::create_directories(work_);
}

void ProgramRun::put(const std::string& name, const std::string& content) const {
    std::ofstream(work_ / name, std::ios::binary) << content;
}

void ProgramRun::put(const MaterialTexts& files) const {
    if (files.with_p) put("p_modulus.freq", files.p_modulus);
    if (files.with_s) put("s_modulus.freq", files.s_modulus);
    if (files.with_density) put("bulk_density.mat", files.bulk_density);
}

void ProgramRun::run(const std::string& deck, const std::string& program) {
    const ProgramResult r = run_program_in(work_, program, deck);
    status = r.status;
    out = r.out;
    err = r.err;
}

std::string ProgramRun::file(const std::string& name) const { return slurp(work_ / name); }

bool ProgramRun::has_file(const std::string& name) const {
    return std::filesystem::exists(work_ / name);
}

std::vector<std::string> ProgramRun::files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(work_))
        if (e.is_regular_file()) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ProgramRun::cut_files() const {
    std::vector<std::string> cut;
    for (const std::string& name : files()) {
        const std::string text = file(name);
        if (!text.empty() && text.back() != '\n') cut.push_back(name);
    }
    return cut;
}

}  // namespace ef::test
