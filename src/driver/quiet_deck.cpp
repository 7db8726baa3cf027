#include "driver/quiet_deck.hpp"

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <system_error>

#include "common/stop.hpp"
#include "common/units.hpp"
#include "model/readata.hpp"

namespace ef {

namespace {

// A stream buffer that accepts and drops everything.
class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// A fresh directory under the system's temporary directory, removed with
// everything in it when the owner goes out of scope.
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "elastofreq-deck-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw RunError("cannot create a temporary directory for reading the deck");
        }
        path_ = pattern;
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace

RunParams read_deck_quietly(std::istream& deck, const BuildLimits& limits) {
    NullBuffer nothing;
    std::ostream silent(&nothing);
    return read_deck_quietly(deck, limits, silent);
}

RunParams read_deck_quietly(std::istream& deck, const BuildLimits& limits, std::ostream& summary,
                            std::ostream* warnings, const std::string& program) {
    ScratchDirectory scratch;
    RunParams p;
    {
        // The units close their files before the directory goes.
        Units units(deck, summary, scratch.path().string());
        if (warnings != nullptr) units.warn_to(*warnings, program);
        ProcessGrid a1;
        a1.iproc = 0;
        readata(units, a1, limits, p);
        units.flush_all();
    }
    return p;
}

}  // namespace ef
