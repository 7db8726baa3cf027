// Fuzz target: the reader of p_modulus.freq, s_modulus.freq and
// bulk_density.mat. The first four bytes choose the number of materials and
// the band (jw1, jw2); the rest is cut at form feeds into the three files (a
// file whose part is missing is not written, so the open must fail cleanly).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>

#include "common/run_params.hpp"
#include "common/stop.hpp"
#include "common/units.hpp"
#include "fuzz_support.hpp"
#include "model/material_files.hpp"

namespace {

void put_file(const std::filesystem::path& path, std::string_view content, bool present) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (!present) return;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    ef::RunParams p;
    p.nmat = 1 + data[0] % ef::kMaxMaterials;
    p.jw1 = 1 + data[1] % 2;  // as the two quadratures set it
    p.jw2 = (data[2] | (data[3] << 8)) % (ef::kMaxFrequencies + 1);

    const std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    const std::size_t cut1 = rest.find('\f');
    const std::size_t cut2 = cut1 == std::string_view::npos ? cut1 : rest.find('\f', cut1 + 1);
    const std::filesystem::path dir = ef::fuzz::scratch_directory();
    put_file(dir / "p_modulus.freq", rest.substr(0, cut1), true);
    put_file(dir / "s_modulus.freq",
             cut1 == std::string_view::npos ? std::string_view() : rest.substr(cut1 + 1, cut2 - cut1 - 1),
             cut1 != std::string_view::npos);
    put_file(dir / "bulk_density.mat",
             cut2 == std::string_view::npos ? std::string_view() : rest.substr(cut2 + 1),
             cut2 != std::string_view::npos);

    std::istringstream no_deck;
    ef::fuzz::NullStream out;
    ef::Units units(no_deck, out, dir.string());
    try {
        units.open(1, "p_modulus.freq", ef::FileStatus::old_file);
        units.open(2, "s_modulus.freq", ef::FileStatus::old_file);
        units.open(7, "bulk_density.mat", ef::FileStatus::old_file);
        const ef::MaterialModuli moduli = read_material_files(units, p);
        (void)moduli;
    } catch (const ef::RunError&) {
    }
    return 0;
}
