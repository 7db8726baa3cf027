#include "driver/survey_ranks.hpp"


#include <string>
#include <vector>

#include "driver/frequency_gather.hpp"
#include "driver/survey_run.hpp"

namespace ef {

namespace {

// u1 then u2 of frequency index f, [shot][receiver], as doubles (re, im).
std::vector<double> frequency_values(SurveySpectra& s, int f) {
    std::vector<double> v;
    v.reserve(4 * static_cast<std::size_t>(s.shots()) * static_cast<std::size_t>(s.receivers()));
    for (int c = 1; c <= 2; ++c)
        for (int shot = 0; shot < s.shots(); ++shot)
            for (int r = 0; r < s.receivers(); ++r) {
                const Complex u = c == 1 ? s.u1(shot, r, f) : s.u2(shot, r, f);
                v.push_back(u.re);
                v.push_back(u.im);
            }
    return v;
}

void store_frequency_values(SurveySpectra& s, int f, const std::vector<double>& v) {
    std::size_t k = 0;
    for (int c = 1; c <= 2; ++c)
        for (int shot = 0; shot < s.shots(); ++shot)
            for (int r = 0; r < s.receivers(); ++r, k += 2)
                (c == 1 ? s.u1(shot, r, f) : s.u2(shot, r, f)) = Complex{v[k], v[k + 1]};
}

std::string gather(SurveySpectra& spectra, int failed_jw, const std::string& failure,
                   const SweepRanks& sweep) {
    if (const auto first = first_failure(sweep, failed_jw, failure)) return *first;
    std::vector<std::vector<double>> values;
    for (int f = 0; f < spectra.frequencies(); ++f) values.push_back(frequency_values(spectra, f));
    gather_frequency_values(sweep, values);
    if (sweep.rank == 0)
        for (int f = 0; f < spectra.frequencies(); ++f) store_frequency_values(spectra, f, values[static_cast<std::size_t>(f)]);
    return "";
}

}  // namespace

int run_survey_on_ranks(int argc, char** argv, std::ostream& out, std::ostream& err) {
    SurveyShare share;
    start_mpi(argc, argv, share.rank, share.ranks);
    share.all_set_up = all_ranks_set_up;
    share.gather = [&share](SurveySpectra& spectra, const SurveySampling& band, int failed_jw,
                            const std::string& failure) {
        return gather(spectra, failed_jw, failure, SweepRanks{share.rank, share.ranks, band.jw1, band.jw2});
    };
    const int status = run_survey(argc, argv, out, err, share);
    finish_mpi();
    return status;
}

}  // namespace ef
