// Records of the text files tests read and edit: the numbers of an output
// record, and a deck with the value of one record changed.
#pragma once

#include <string>
#include <vector>

namespace ef::test {

// The real numbers of a record, in order.
std::vector<double> numbers(const std::string& record);

// The deck with the value of its first record labelled `label` replaced by
// `value`. A record's label is the first word after its value, without a
// trailing ':' ("  500   maxlow: iteration limit"). A value that begins the
// record (list-directed) is replaced as it stands; any other is right-aligned
// to end in the column where the old one ended, so that "(i5)" and "(e20.8)"
// fields keep their columns. Throws std::invalid_argument when no record has
// that label.
std::string with_record(const std::string& deck, const std::string& label, const std::string& value);

}  // namespace ef::test
