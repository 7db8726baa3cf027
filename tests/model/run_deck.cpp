#include "model/run_deck.hpp"

#include <atomic>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "common/stop.hpp"
#include "common/units.hpp"
#include "model/readata.hpp"

namespace ef::test {

namespace {
std::filesystem::path fresh_directory() {
    static std::atomic<int> counter{0};
    const auto dir = std::filesystem::temp_directory_path() /
                     ("elastofreq_deck_" + std::to_string(::getpid()) + "_" +
                      std::to_string(counter++));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}
}  // namespace

ScratchDir::ScratchDir() : path_(fresh_directory()) {}
ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string RunResult::file(const std::string& name) const {
    std::ifstream f(dir / name);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool RunResult::has_file(const std::string& name) const {
    return std::filesystem::exists(dir / name);
}

RunResult run_deck(const std::string& deck, std::int32_t row_limit, int iproc) {
    RunResult r;
    r.scratch = std::make_shared<ScratchDir>();
    r.dir = r.scratch->path();
    std::istringstream in(deck);
    std::ostringstream out;
    {
        Units units(in, out, r.dir.string());
        r.a1.iproc = iproc;
        try {
            readata(units, r.a1, BuildLimits{row_limit}, r.p);
        } catch (const StopRun& s) {
            r.ending = Ending::stop_code;
            r.code = s.code;
        } catch (const PlainStop&) {
            r.ending = Ending::plain_stop;
        } catch (const RunError& e) {
            r.ending = Ending::run_error;
            r.message = e.what();
        }
        units.flush_all();
    }
    r.out = out.str();
    return r;
}

bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace ef::test
