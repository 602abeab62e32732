// The Results window's measurements in the trailer, one line each:
//   MEASUREMENT_n NAME CHANNEL KIND START END BASE_START BASE_END THRESHOLD
// regions in ms from the start of the recorded file, "- -" for no baseline, n from 1.

#include <string>
#include <vector>

#include "params/parameter_trailer.h"

namespace trelvanix::params {

const char kMeasurementKey[] = "MEASUREMENT_";

namespace {

using results::Measurement;

std::string kindWords() {
    std::string words;
    for (int k = 0; k < results::kMeasureKinds; ++k)
        words += (k ? ", " : "") + std::string(results::kindWord(results::MeasureKind(k)));
    return words;
}

bool readRegion(std::string_view start, std::string_view end, results::Region* region) {
    return ParseReal(start, &region->start) && ParseReal(end, &region->end);
}

}  // namespace

void WriteMeasurementLines(const ParameterSet& set, std::string& out) {
    if (set.measurements.empty()) return;
    out +=
        "//MEASUREMENT_n name channel kind start end baseline-start baseline-end threshold "
        "(ms from the file's start; - - without a baseline)\n";
    for (const auto& [number, m] : set.measurements) {
        out += kMeasurementKey + std::to_string(number) + " " + m.name + " " +
               std::to_string(m.channel) + " " + results::kindWord(m.kind) + " " +
               ShortestText(m.region.start) + " " + ShortestText(m.region.end) + " ";
        out += m.baseline ? ShortestText(m.baseline->start) + " " + ShortestText(m.baseline->end)
                          : std::string("- -");
        out += " " + ShortestText(m.threshold) + "\n";
    }
}

LineRead ReadMeasurementLine(const TrailerLine& line, const ParameterLimits&, ParameterSet* set,
                             ReadFailure* failure) {
    if (line.key.rfind(kMeasurementKey, 0) != 0) return LineRead::NotMine;
    int number = 0;
    if (!ParseWhole(line.key.substr(sizeof kMeasurementKey - 1), &number) || number < 1 ||
        number > results::kMaxMeasurements)
        return RefuseLine(
            line, "measurements are numbered 1 to " + std::to_string(results::kMaxMeasurements),
            failure);
    const std::vector<std::string_view> w = WordsOf(line.value);
    if (w.size() != 8)
        return RefuseLine(
            line,
            "expected NAME CHANNEL KIND START END BASE_START BASE_END THRESHOLD, not " +
                std::to_string(w.size()) + " words",
            failure);
    Measurement m;
    m.name = std::string(w[0]);
    const auto kind = results::kindFromWord(std::string(w[2]));
    if (!ParseWhole(w[1], &m.channel))
        return RefuseLine(line, "the channel is not 0 to 7", failure);
    if (!kind)
        return RefuseLine(line, "\"" + std::string(w[2]) + "\" is not a kind: " + kindWords(),
                          failure);
    m.kind = *kind;
    if (!readRegion(w[3], w[4], &m.region))
        return RefuseLine(line, "the region's start and end are not numbers", failure);
    if (w[5] != "-" || w[6] != "-") {
        m.baseline.emplace();
        if (!readRegion(w[5], w[6], &*m.baseline))
            return RefuseLine(line, "the baseline's start and end are not numbers (- - for none)",
                              failure);
    }
    if (!ParseReal(w[7], &m.threshold))
        return RefuseLine(line, "the threshold is not a number", failure);
    if (std::string problem = results::definitionProblem(m); !problem.empty())
        return RefuseLine(line, problem, failure);
    for (const auto& [other, defined] : set->measurements)
        if (defined.name == m.name)
            return RefuseLine(
                line,
                "the name " + m.name + " is given to measurement " + std::to_string(other) + " too",
                failure);
    set->measurements[number] = m;
    return LineRead::Taken;
}

}  // namespace trelvanix::params
