#include "driver/program_runs.hpp"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace ef::test {

namespace fs = std::filesystem;

std::string read_text(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string LaunchedRun::file(const std::string& name) const { return read_text(dir / name); }

std::vector<std::string> LaunchedRun::files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string program(const std::string& name) {
    return "'" + (fs::path(ELASTOFREQ_BIN_DIR) / name).string() + "'";
}

LaunchedRun launch_in(const fs::path& parent, const std::string& name,
                          const std::string& command, const std::string& deck) {
    LaunchedRun run;
    run.dir = parent / name;
    fs::create_directories(run.dir);
    const fs::path materials = fs::path(ELASTOFREQ_TEST_DATA) / "decks" / "two_layer";
    for (const auto& entry : fs::directory_iterator(materials))
        fs::copy_file(entry.path(), run.dir / entry.path().filename(),
                      fs::copy_options::overwrite_existing);
    const fs::path deck_file = parent / (name + ".deck");
    const fs::path out_file = parent / (name + ".out");
    const fs::path err_file = parent / (name + ".err");
    std::ofstream(deck_file, std::ios::binary) << deck;
    const std::string line = "cd '" + run.dir.string() + "' && " + command + " < '" +
                             deck_file.string() + "' > '" + out_file.string() + "' 2> '" +
                             err_file.string() + "'";
    const int raw = std::system(line.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = read_text(out_file);
    run.err = read_text(err_file);
    return run;
}

std::string with_record(const std::string& deck, const std::string& label, const std::string& value,
                        int width) {
    std::istringstream in(deck);
    std::string result;
    bool found = false;
    for (std::string line; std::getline(in, line);) {
        // the label is the first word after the value field
        const std::size_t at = line.find_first_not_of(' ', static_cast<std::size_t>(width));
        const std::size_t end = at == std::string::npos ? at : at + label.size();
        const bool labelled = at != std::string::npos && line.compare(at, label.size(), label) == 0 &&
                              (end == line.size() || line[end] == ':' || line[end] == ' ');
        if (!found && labelled) {
            std::string field = value;
            if (static_cast<int>(field.size()) < width)
                field.insert(0, static_cast<std::size_t>(width) - field.size(), ' ');
            line = field + line.substr(static_cast<std::size_t>(width));
            found = true;
        }
        result += line + "\n";
    }
    if (!found) throw std::runtime_error("no record labelled " + label);
    return result;
}

}  // namespace ef::test
