#include "driver/frequency_share.hpp"

namespace ef {

int owner_of(int jw, int jw2, int ranks) { return (jw2 - jw) % ranks; }

std::vector<int> frequencies_of_rank(const RunParams& p, int rank, int ranks) {
    std::vector<int> frequencies;
    for (int jw = p.jw2 - rank; jw >= p.jw1; jw -= ranks) frequencies.push_back(jw);
    return frequencies;
}

}  // namespace ef
