#include "driver/survey_deck.hpp"

#include <fstream>

#include "common/stop.hpp"
#include "driver/quiet_deck.hpp"
#include "model/sampling.hpp"

namespace ef {

std::string deck_stop_meaning(int code) {
    switch (code) {
        case 77: return "more elements in a row or column of a block than the program takes";
        case 5183: return "more than 10 frequency-domain snapshots";
        case 6183: return "more than 10 time-domain snapshots";
        case 222: return "more than 20 materials";
        case 999: return "more than 10000 time samples (stime / dt)";
        case 9920: return "more than 150 receivers";
        case 666: return "the deck's source lies outside the computed block";
        case 88888: return "one of the deck's receivers lies outside the grid";
        case 33377: return "more than 600 frequencies";
        case 12345: return "the wavelet needs more than 10000 samples";
        default: return "";
    }
}

RunParams read_survey_deck(const Survey& survey, const BuildLimits& limits) {
    const std::string where =
        survey.file.string() + ":" + std::to_string(survey.deck_line) + ": deck: ";
    const std::string deck_name = survey.deck.string();
    std::ifstream deck(survey.deck, std::ios::binary);
    if (!deck) throw RunError(where + "cannot open the deck " + deck_name);
    RunParams p;
    try {
        p = read_deck_quietly(deck, limits);
    } catch (const RunError& e) {
        throw RunError(where + "the deck " + deck_name + " is rejected: " + e.what());
    } catch (const StopRun& stop) {
        const std::string meaning = deck_stop_meaning(stop.code);
        throw RunError(where + "the deck reader stops on " + deck_name + " with code " +
                       std::to_string(stop.code) + (meaning.empty() ? "" : ": " + meaning) +
                       " (docs/deck.md, exit statuses)");
    } catch (const PlainStop&) {
        throw RunError(where + "the deck reader ends the run on " + deck_name +
                       " before the model is complete: fewer than 2 receivers in its"
                       " receiver record, or a material region outside the grid or with a"
                       " wrong material number");
    }
    check_survey_positions(survey, p);
    return p;
}

SurveySampling survey_sampling(const RunParams& p) {
    SurveySampling s;
    s.jw1 = p.jw1;
    s.jw2 = p.jw2;
    s.keyqua = p.keyqua;
    s.nt = p.nt;
    s.dt = p.dt;
    s.delw = p.delw;
    for (int jw = p.jw1; jw <= p.jw2; ++jw) {
        s.frequency_khz.push_back(frequency_of(jw, p));
        s.source_spectrum.push_back(p.sour.at(jw));
    }
    return s;
}

}  // namespace ef
