// The time traces of a survey as a SEG-Y revision 1 file per displacement
// component, written with the segyio C library: one record per shot (field
// record number = shot number from 1), in it one trace per receiver in
// receiver order; samples as 4-byte IEEE floats (format 5), big-endian.
// Source and receiver coordinates in centimetres (scalar -100) as in
// output/segy_export; the offset in whole metres, negative for a receiver left
// of the shot.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "model/survey_file.hpp"
#include "output/survey_results.hpp"
#include "output/survey_traces.hpp"

namespace ef {

// The source-receiver offset of the trace headers: the distance in whole
// metres, negative when the receiver lies left of the shot.
std::int32_t segy_offset_metres(double shot_x, double shot_y, double receiver_x,
                                double receiver_y);

// The 3200 characters of the textual header (40 lines of 80, ASCII).
std::string survey_segy_textual_header(SurveyComponent component, const Survey& survey,
                                       const SurveySampling& sampling);

// Writes `file` (created or replaced) from the traces of survey_time_traces.
// Throws RunError when segyio fails or a value does not fit its header field;
// the caller removes the file then (output/pending_file).
void write_survey_segy(const std::filesystem::path& file, SurveyComponent component,
                       const Survey& survey, const SurveySampling& sampling,
                       const std::vector<double>& traces);

}  // namespace ef
