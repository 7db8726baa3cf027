#include "output/survey_files.hpp"

#include <memory>
#include <system_error>

#include "output/pending_file.hpp"
#include "output/segy_export.hpp"
#include "output/survey_hdf5.hpp"
#include "output/survey_segy.hpp"
#include "output/survey_traces.hpp"

namespace ef {

std::vector<std::filesystem::path> write_survey_files(const std::filesystem::path& folder,
                                                      const Survey& survey,
                                                      const SurveySampling& sampling,
                                                      const SurveySpectra& spectra) {
    segy_interval_us(sampling.dt);  // refuse an unusable time step before any writing
    const std::string& name = survey.output_name;
    std::vector<std::unique_ptr<PendingFile>> pending;
    pending.push_back(std::make_unique<PendingFile>(folder / (name + "_vx.sgy")));
    pending.push_back(std::make_unique<PendingFile>(folder / (name + "_vz.sgy")));
    pending.push_back(std::make_unique<PendingFile>(folder / (name + "_spectra.h5")));

    const SurveyComponent components[] = {SurveyComponent::u1, SurveyComponent::u2};
    for (int c = 0; c < 2; ++c)
        write_survey_segy(pending[c]->temporary(), components[c], survey, sampling,
                          survey_time_traces(spectra, components[c], sampling));
    write_survey_hdf5(pending[2]->temporary(), survey, sampling, spectra);

    std::vector<std::filesystem::path> written;
    try {
        for (const auto& file : pending) {
            file->commit();
            written.push_back(file->final_path());
        }
    } catch (...) {
        std::error_code ignored;
        for (const auto& path : written) std::filesystem::remove(path, ignored);
        throw;
    }
    return written;
}

}  // namespace ef
