// Rebuilding a recorded stimulus from the values of a header's stimulus section.

#include "recording/recorded_stimulus.h"

#include <cstdint>
#include <cstdio>

namespace trelvanix::vnx {

namespace {

// Positions of the values every kind starts with; Num_repeats (absent for Poisson trains) and
// the five duration and amplitude pairs of pulse and ramp trains follow them.
enum Value : int {
    kKindValue = 0,
    kConversionValue,
    kPreTimeValue,  // stored multiplied by 1000
    kPostTimeValue,
    kInterburstValue,
    kNumBurstValue,
    kBaselineValue,
    kInterbaselineValue,
    kNumRepeatsValue,
    kFirstStepValue,
};

bool fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

// Why a kind cannot be rebuilt from its section, or an empty text when it can.
std::string undeterminedKind(int kind) {
    switch (kind) {
        case kNoStimulus:
        case kPulse:
        case kRamp:
            return {};
        case kCell:
            return "a cell-waveform stimulus cannot be rebuilt exactly: the header keeps the "
                   "waveform only to 16 bits and holds neither its phase request nor a second "
                   "waveform file played before it";
        case kZap:
            return "a frequency-sweep stimulus cannot be rebuilt: the header holds neither its "
                   "start and end frequencies, lead cycles, sweep law and direction, phase nor "
                   "oscillation shape";
        case kPoisson:
            return "a Poisson-train stimulus cannot be rebuilt: its pulse times were drawn at "
                   "random when it was played and the header does not hold them";
        case kSine:
            return "a sine stimulus cannot be rebuilt: the header holds neither its phase, its "
                   "duty cycle nor its duty-cycle sweep and centring";
        case kNoise:
            return "a noise stimulus cannot be rebuilt: its values were drawn at random when it "
                   "was played and the header holds neither them nor the noise's kind, size "
                   "and seed";
        default:
            return "unknown stimulus kind " + std::to_string(kind);
    }
}

// The values the fill writes, pre-time and post-time included, of parameters whose durations
// and gap are whole and not negative: the stated length of the stimulus.
double valueCount(const StimulusParameters& p) {
    return p.preTime + StimulusLength(p, false) + p.postTime;
}

}  // namespace

std::optional<StimulusParameters> recordedStimulusParameters(const StimulusInfo& stimulus,
                                                             std::string* error) {
    const std::vector<std::int32_t>& v = stimulus.values;
    if (const std::string why = undeterminedKind(stimulus.kind); !why.empty()) {
        fail(error, why);
        return std::nullopt;
    }
    if (static_cast<int>(v.size()) != stimulusValueCount(stimulus.kind)) {
        fail(error, "malformed stimulus section: " + std::to_string(v.size()) +
                        " values for kind " + std::to_string(stimulus.kind));
        return std::nullopt;
    }
    // The program's pre-time and post-time are whole milliseconds of at least 0.
    if (v[kPreTimeValue] < 0 || v[kPreTimeValue] % 1000 != 0) {
        fail(error, "malformed stimulus section: a pre-time value of " +
                        std::to_string(v[kPreTimeValue]) + " (ms x 1000)");
        return std::nullopt;
    }
    if (v[kPostTimeValue] < 0) {
        fail(error, "malformed stimulus section: a post-time of " +
                        std::to_string(v[kPostTimeValue]) + " ms");
        return std::nullopt;
    }
    StimulusParameters p;
    p.waveform = stimulus.kind;
    p.preTime = v[kPreTimeValue] / 1000;
    p.postTime = v[kPostTimeValue];
    p.interburst = v[kInterburstValue];
    p.numBurst = v[kNumBurstValue];
    p.baseline = v[kBaselineValue];
    p.interbaseline = v[kInterbaselineValue];
    p.numRepeats = v[kNumRepeatsValue];
    if (p.waveform == kPulse || p.waveform == kRamp) {
        auto& durations = p.waveform == kPulse ? p.pulseDur : p.rampDur;
        auto& amplitudes = p.waveform == kPulse ? p.pulseAmp : p.rampAmp;
        bool negative = p.interburst < 0.0;
        for (int k = 0; k < 5; ++k) {
            durations[k] = v[kFirstStepValue + 2 * k];
            amplitudes[k] = v[kFirstStepValue + 2 * k + 1];
            negative = negative || durations[k] < 0.0;
        }
        // The sub-panels give at least one burst and one repeat, and no negative time.
        if (p.numBurst < 1 || p.numRepeats < 1) {
            fail(error, "malformed stimulus section: " + std::to_string(p.numBurst) +
                            " bursts of " + std::to_string(p.numRepeats) + " repeats");
            return std::nullopt;
        }
        if (negative) {
            fail(error, "malformed stimulus section: a negative duration or gap");
            return std::nullopt;
        }
    }
    return p;
}

std::optional<RebuiltStimulus> rebuildStimulus(const StimulusInfo& stimulus, std::string* error) {
    const std::optional<StimulusParameters> parameters =
        recordedStimulusParameters(stimulus, error);
    if (!parameters) return std::nullopt;
    // The program's conversion is above 0; anything else gives no volts.
    const std::int32_t conversion = stimulus.values[kConversionValue];
    if (conversion <= 0) {
        fail(error, "malformed stimulus section: a conversion of " + std::to_string(conversion) +
                        " units per volt");
        return std::nullopt;
    }
    if (const double count = valueCount(*parameters); count > kMaxRebuiltValues) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "the stimulus would be %.0f values long, more than the %d rebuilt at "
                      "most",
                      count, kMaxRebuiltValues);
        fail(error, text);
        return std::nullopt;
    }
    const AssembledStimulus built = AssembleStimulus(*parameters, StimulusSources{});
    if (built.outcome != AssembledStimulus::Outcome::Built) {
        fail(error, built.errorText);
        return std::nullopt;
    }
    RebuiltStimulus rebuilt;
    rebuilt.values.assign(built.values.get(), built.values.get() + built.numPoints);
    rebuilt.msPerValue = built.msPerValue;
    rebuilt.conversion = conversion;
    return rebuilt;
}

}  // namespace trelvanix::vnx
