#include "support/records.hpp"

#include <sstream>
#include <stdexcept>

namespace ef::test {

std::vector<double> numbers(const std::string& record) {
    std::vector<double> out;
    std::istringstream s(record);
    for (std::string word; s >> word;) out.push_back(std::stod(word));
    return out;
}

namespace {
std::string label_of(const std::string& record) {
    std::istringstream words(record);
    std::string value, label;
    words >> value >> label;
    if (!label.empty() && label.back() == ':') label.pop_back();
    return label;
}
}  // namespace

std::string with_record(const std::string& deck, const std::string& label, const std::string& value) {
    std::istringstream in(deck);
    std::string result;
    bool found = false;
    for (std::string line; std::getline(in, line);) {
        if (!found && label_of(line) == label) {
            const std::size_t end = line.find(' ', line.find_first_not_of(' '));
            std::string field = value;
            if (line[0] == ' ' && field.size() < end) field.insert(0, end - field.size(), ' ');
            line = field + line.substr(end);
            found = true;
        }
        result += line + "\n";
    }
    if (!found) throw std::invalid_argument("the deck has no record labelled " + label);
    return result;
}

}  // namespace ef::test
