#include "output/trace_text.hpp"

#include <fstream>
#include <string>

#include "common/format.hpp"
#include "common/stop.hpp"

namespace ef {

namespace {

constexpr std::size_t kFieldWidth = 15;  // (g15.4)
constexpr int kFieldDecimals = 4;

std::string record_count_message(const std::string& name, std::size_t found, int nrec, int nt,
                                 const char* relation) {
    return name + " holds " + relation + " " + std::to_string(found) +
           " records, but the deck's " + std::to_string(nrec) + " receivers of " +
           std::to_string(nt) + " samples need " +
           std::to_string(static_cast<long long>(nrec) * nt) +
           " (run the solver with this deck in this folder first)";
}

}  // namespace

TraceGather read_trace_text(const std::filesystem::path& file, int nrec, int nt) {
    const std::string name = file.filename().string();
    if (nrec < 1 || nt < 1) {
        throw RunError(name + ": the deck gives " + std::to_string(nrec) + " receivers and " +
                       std::to_string(nt) + " samples; there is no trace to convert");
    }
    std::ifstream in(file);
    if (!in) throw RunError(name + ": cannot open the trace file " + file.string());

    TraceGather gather;
    gather.nrec = nrec;
    gather.nt = nt;
    const std::size_t expected = static_cast<std::size_t>(nrec) * static_cast<std::size_t>(nt);
    gather.samples.reserve(expected);

    std::string line;
    while (std::getline(in, line)) {
        if (gather.samples.size() == expected) {
            // Trailing blank lines are harmless; anything else means the file
            // was written for another deck.
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            throw RunError(record_count_message(name, expected + 1, nrec, nt, "at least"));
        }
        std::string field = line.substr(0, kFieldWidth);
        if (!field.empty() && field.back() == '\r') field.pop_back();
        field.resize(kFieldWidth, ' ');
        const std::string what = name + " record " + std::to_string(gather.samples.size() + 1);
        gather.samples.push_back(read_real_field(field, kFieldDecimals, what));
    }
    if (gather.samples.size() < expected) {
        throw RunError(record_count_message(name, gather.samples.size(), nrec, nt, "only"));
    }
    return gather;
}

}  // namespace ef
