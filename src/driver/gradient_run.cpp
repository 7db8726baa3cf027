#include "driver/gradient_run.hpp"

#include <omp.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <ostream>
#include <sstream>

#include "common/stop.hpp"
#include "driver/survey_gradient.hpp"
#include "model/sampling.hpp"
#include "output/pending_file.hpp"
#include "output/survey_hdf5.hpp"

namespace ef {

namespace {

constexpr const char* kUsage =
    "usage: elastofreq_gradient SURVEY.toml OBSERVED.h5 [--weights=W1,W2,...]  (run in the folder "
    "of the material files; one weight per frequency, 1 when not given)";

// "--weights=1,0.5,0": one finite, not negative number per frequency.
std::vector<double> weights_of(const std::string& option, int frequencies) {
    const std::string prefix = "--weights=";
    if (option.rfind(prefix, 0) != 0) throw RunError("unknown option '" + option + "'; " + kUsage);
    std::vector<double> w;
    std::stringstream list(option.substr(prefix.size()));
    std::string item;
    while (std::getline(list, item, ',')) {
        char* end = nullptr;
        const double v = std::strtod(item.c_str(), &end);
        if (item.empty() || *end != '\0' || !std::isfinite(v) || v < 0.0)
            throw RunError("--weights: '" + item + "' (weight " + std::to_string(w.size() + 1) +
                           ") is not a finite number of at least 0");
        w.push_back(v);
    }
    if (static_cast<int>(w.size()) != frequencies)
        throw RunError("--weights: " + std::to_string(w.size()) + " weights for " +
                       std::to_string(frequencies) + " frequencies");
    return w;
}

// A frequency's share as numbers to send: the misfit, then the gradient's three arrays.
std::vector<double> share_values(const SurveyMisfit& s) {
    std::vector<double> v{s.misfit};
    for (const auto* a : {&s.gradient.p_modulus, &s.gradient.s_modulus, &s.gradient.density})
        v.insert(v.end(), a->begin(), a->end());
    return v;
}

SurveyMisfit share_of(const std::vector<double>& v, std::size_t cells) {
    SurveyMisfit s = zero_misfit(cells);
    s.misfit = v[0];
    std::vector<double>* parts[] = {&s.gradient.p_modulus, &s.gradient.s_modulus, &s.gradient.density};
    for (std::size_t p = 0; p < 3; ++p)
        std::copy(v.begin() + 1 + static_cast<std::ptrdiff_t>(p * cells),
                  v.begin() + 1 + static_cast<std::ptrdiff_t>((p + 1) * cells), parts[p]->begin());
    return s;
}

struct Inputs {
    std::unique_ptr<SurveyModel> deck;
    std::unique_ptr<ArraySurveyModel> model;
    std::unique_ptr<SurveySolver> solver;
    SurveySpectra observed{0, 0, 0};
    std::vector<double> weights, frequency_khz;
};

Inputs read_inputs(int argc, char** argv) {
    Inputs in;
    in.deck = std::make_unique<SurveyModel>(argv[1], BuildLimits{801});
    in.model = std::make_unique<ArraySurveyModel>(in.deck->survey(), array_model_of(*in.deck),
                                                  band_of(*in.deck));
    const RunParams& p = in.model->params();
    for (int jw = p.jw1; jw <= p.jw2; ++jw) in.frequency_khz.push_back(frequency_of(jw, p));
    const int nf = static_cast<int>(in.frequency_khz.size());
    in.weights = argc == 4 ? weights_of(argv[3], nf) : std::vector<double>(static_cast<std::size_t>(nf), 1.0);
    in.observed = read_survey_spectra(argv[2], in.model->survey(), in.frequency_khz);
    in.solver = std::make_unique<SurveySolver>(*in.model, survey_block_columns());
    check_survey_memory(in.solver->estimated_megabytes());
    return in;
}

void print_summary(std::ostream& out, const Inputs& in, const std::string& observed,
                   const SurveyMisfit& sum, const std::string& written) {
    const RunParams& p = in.model->params();
    const Survey& survey = in.model->survey();
    int solved = 0;
    for (const double w : in.weights) solved += w > 0.0 ? 1 : 0;
    char misfit[64];
    std::snprintf(misfit, sizeof misfit, "%.17g", sum.misfit);
    out << "elastofreq_gradient: " << survey.file.string() << "\n";
    out << "model      " << p.nx << " x " << p.ny << " elements of " << p.h << " m (deck "
        << survey.deck.string() << ")\n";
    out << "observed   " << observed << "\n";
    out << "shots      " << survey.shots.size() << "\n";
    out << "receivers  " << survey.receiver_x.size() << "\n";
    out << "frequencies " << in.weights.size() << " (numbers " << p.jw1 << " to " << p.jw2 << "), "
        << solved << " with a weight above 0\n";
    out << "misfit     " << misfit << "\n";
    out << "wrote      " << written << "\n";
}

}  // namespace

// The run's course is elastofreq_survey's (run_survey): set-up on every rank,
// the rank's share of the sweep, the gather, rank 0 alone writing; its ending
// repeats that one's lines on purpose.
int run_gradient(int argc, char** argv, std::ostream& out, std::ostream& err,
                 const GradientShare& share) {
    if (argc != 3 && argc != 4) {
        if (share.rank == 0) err << kUsage << "\n";
        return 2;
    }
    const auto report = [&](const std::string& message) {
        if (share.rank == 0) err << "elastofreq_gradient: " << message << "\n";
        return 2;
    };
    Inputs in;
    std::string failure;
    try {
        in = read_inputs(argc, argv);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (!share.all_set_up(failure.empty()))
        return report(failure.empty() ? "another rank of the job could not set up the run" : failure);

    try {
        const RunParams& p = in.model->params();
        const std::size_t cells = in.model->arrays().density.size();
        std::vector<std::vector<double>> values(in.weights.size(),
                                                share_values(zero_misfit(cells)));
        const SweepFailure failed = sweep_rank_share(
            p, share.rank, share.ranks, in.model->survey().shots.size(), [&](int jw) {
                const std::size_t f = static_cast<std::size_t>(jw - p.jw1);
                if (in.weights[f] > 0.0)
                    values[f] = share_values(frequency_misfit_gradient(
                        *in.solver, *in.model, jw, in.observed, in.weights[f], omp_get_max_threads()));
            });
        failure = share.gather(values, p.jw1, p.jw2, failed.jw, failed.message);
        if (!failure.empty()) return report(failure);
        if (share.rank != 0) return 0;
        // the shares in increasing frequency, as one process adds them
        SurveyMisfit sum = zero_misfit(cells);
        GradientFile file;
        for (std::size_t f = 0; f < values.size(); ++f) {
            const SurveyMisfit s = share_of(values[f], cells);
            if (in.weights[f] > 0.0) add_frequency_share(sum, s);
            file.frequency_misfit.push_back(s.misfit);
        }
        file.nx = p.nx;
        file.ny = p.ny;
        file.h = p.h;
        file.misfit = sum.misfit;
        file.p_modulus = sum.gradient.p_modulus;
        file.s_modulus = sum.gradient.s_modulus;
        file.density = sum.gradient.density;
        file.frequency_khz = in.frequency_khz;
        file.weights = in.weights;
        file.observed = argv[2];
        const Survey& survey = in.model->survey();
        PendingFile pending(survey.output_name + "_gradient.h5");
        write_gradient_hdf5(pending.temporary(), survey, file);
        pending.commit();
        print_summary(out, in, argv[2], sum, pending.final_path().string());
        out.flush();
        return 0;
    } catch (const std::exception& e) {
        out.flush();
        return report(e.what());
    }
}

}  // namespace ef
