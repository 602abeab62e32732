// The stimulus lines of the trailer: the sub-panel settings the fixed layout leaves out or
// rounds (frequency sweep, Poisson rate and pulse width, sine options, noise) and the stimulus
// a cell waveform is chained after.

#include <algorithm>

#include "params/parameter_trailer.h"

namespace trelvanix::params {

const char kCellFollowsKey[] = "CELL_FOLLOWS";
const char kCellFollowsPerMsKey[] = "CELL_FOLLOWS_PER_MS";

namespace {

constexpr int kMostValuesPerMs = 10;  // Ornstein-Uhlenbeck noise; every other kind has 1

// Stimulus kinds, as the file's Waveform value numbers them.
constexpr int kZapKind = 3, kPoissonKind = 4, kSineKind = 5, kNoiseKind = 6;

const TrailerControl* trailerControl(const std::string& name) {
    for (const TrailerControl& control : TrailerControls())
        if (name == control.name) return &control;
    return nullptr;
}

LineRead readCellFollows(const TrailerLine& line, ParameterSet* set, ReadFailure* failure) {
    const std::vector<std::string_view> words = WordsOf(line.value);
    int count = -1;
    if (!ParseWhole(words[0], &count))
        return RefuseLine(line, "the count of values is not a whole number", failure);
    if (count < 0 || count > kMostFollowedValues)
        return RefuseLine(line, OutsideRange(words[0], 0, kMostFollowedValues), failure);
    if (static_cast<int>(words.size()) - 1 != count)
        return RefuseLine(line,
                          "the line holds " + std::to_string(words.size() - 1) + " of its " +
                              std::to_string(count) + " values",
                          failure);
    std::vector<double> values(count);
    for (int i = 0; i < count; ++i)
        if (!ParseReal(words[i + 1], &values[i]))
            return RefuseLine(line,
                              "value " + std::to_string(i + 1) + ", \"" +
                                  std::string(words[i + 1]) + "\", is not a number",
                              failure);
    set->stimulusExtras.cellFollows = std::move(values);
    return LineRead::Taken;
}

}  // namespace

const std::vector<TrailerControl>& TrailerControls() {
    static const std::vector<TrailerControl> controls = {
        {"ZAP_PHASE", kZapKind, false},
        {"ZAP_FREQ_START", kZapKind, false},
        {"ZAP_FREQ_END", kZapKind, false},
        {"ZAP_CYCLES_START", kZapKind, true},
        {"ZAP_CYCLES_END", kZapKind, true},
        {"ZAP_SWEEP_TYPE", kZapKind, true},
        {"ZAP_REVERSE", kZapKind, true},
        {"ZAP_CELL_SHAPE", kZapKind, true},
        {"POISSON_FREQUENCY", kPoissonKind, false},
        {"POISSON_DURATION", kPoissonKind, false},
        {"SINE_SWEEP_DUTY", kSineKind, true},
        {"SINE_CENTRE", kSineKind, true},
        {"SINE_LOCK_BASELINE", kSineKind, true},
        {"NOISE_KIND", kNoiseKind, true},
        {"NOISE_DURATION", kNoiseKind, true},
        {"NOISE_STDEV", kNoiseKind, false},
        {"NOISE_STRENGTH", kNoiseKind, false},
        {"NOISE_TAU", kNoiseKind, false},
        {"NOISE_RECTIFY", kNoiseKind, true},
        {"NOISE_FROZEN", kNoiseKind, false},
    };
    return controls;
}

void WriteStimulusLines(const ParameterSet& set, std::string& out) {
    for (const auto& [name, value] : set.stimulusExtras.panelControls)
        out += name + " " + ShortestText(value) + "\n";
    if (const auto& follows = set.stimulusExtras.cellFollows) {
        out += std::string(kCellFollowsKey) + " " + std::to_string(follows->size());
        for (double value : *follows) out += " " + ShortestText(value);
        out += "\n";
    }
    if (set.stimulusExtras.cellFollowsPerMs != 1)
        out += std::string(kCellFollowsPerMsKey) + " " +
               std::to_string(set.stimulusExtras.cellFollowsPerMs) + "\n";
}

LineRead ReadStimulusLine(const TrailerLine& line, const ParameterLimits& limits, ParameterSet* set,
                          ReadFailure* failure) {
    if (line.key == kCellFollowsKey) return readCellFollows(line, set, failure);
    if (line.key == kCellFollowsPerMsKey) {
        int perMs = 0;
        if (!ParseWhole(line.value, &perMs))
            return RefuseLine(line, "\"" + line.value + "\" is not a whole number", failure);
        if (perMs < 1 || perMs > kMostValuesPerMs)
            return RefuseLine(line, OutsideRange(line.value, 1, kMostValuesPerMs), failure);
        set->stimulusExtras.cellFollowsPerMs = perMs;
        return LineRead::Taken;
    }
    const TrailerControl* control = trailerControl(line.key);
    if (!control) return LineRead::NotMine;
    double value = 0.0;
    int whole = 0;
    if (control->whole ? !ParseWhole(line.value, &whole) : !ParseReal(line.value, &value))
        return RefuseLine(
            line,
            "\"" + line.value + "\" is not " + (control->whole ? "a whole number" : "a number"),
            failure);
    if (control->whole) value = whole;
    if (std::string misfit = Misfit(value, line.value, control->name, limits); !misfit.empty())
        return RefuseLine(line, std::move(misfit), failure);
    set->stimulusExtras.panelControls[control->name] = value;
    return LineRead::Taken;
}

}  // namespace trelvanix::params
