// Stimulus assembly: pre-time, the stimulus built from bursts, repeats and gaps, post-time.

#include "stimulus/assembly.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "platform/analysis/analysis.h"

namespace trelvanix {

namespace {

// Writes values at growing positions. The buffer grows to whatever the fill writes, so a
// fractional duration can never write past its end; growth beyond the limit fails instead.
class Filler {
  public:
    explicit Filler(std::size_t limit) : limit_(limit) {}

    void set(long long position, double value) {
        if (failed_ || position < 0) return;
        const std::size_t needed = static_cast<std::size_t>(position) + 1;
        if (needed > values_.size() && !grow(needed)) return;
        values_[position] = value;
        extent_ = std::max(extent_, needed);
    }
    bool failed() const { return failed_; }
    std::size_t extent() const { return extent_; }
    const std::vector<double>& values() const { return values_; }

  private:
    bool grow(std::size_t needed) {
        if (needed > limit_) return fail();
        try {
            values_.resize(std::min(limit_, std::max(needed, values_.size() * 2)), 0.0);
        } catch (const std::bad_alloc&) {
            return fail();
        }
        return true;
    }
    bool fail() {
        failed_ = true;
        return false;
    }
    std::size_t limit_;
    std::vector<double> values_;
    std::size_t extent_ = 0;
    bool failed_ = false;
};

// How a gap moves the position on: pulse, ramp, sine and zap continue at the truncated end
// (overwriting the last gap value of a fractional gap), cell and Poisson after the last value.
enum class GapEnd { Truncated, AfterLastValue };

void fillGap(Filler& f, long long& p, const StimulusParameters& s, GapEnd end) {
    if (!(s.interburst > 0.0)) return;
    long long i = p;
    for (; i < p + s.interburst; ++i) f.set(i, s.interbaseline);
    p = end == GapEnd::Truncated ? static_cast<long long>(p + s.interburst) : i;
}

void fillPulse(Filler& f, long long& p, const StimulusParameters& s) {
    auto step = [&](int k) {
        if (!(s.pulseDur[k] > 0.0)) return;
        const long long n = static_cast<long long>(std::ceil(s.pulseDur[k]));
        for (long long j = 0; j < n; ++j) f.set(p + j, s.pulseAmp[k] + s.baseline);
        p += n;
    };
    for (int b = 0; b < s.numBurst && !f.failed(); ++b) {
        for (int r = 0; r < s.numRepeats; ++r)
            for (int k = 0; k < 3; ++k) step(k);
        step(3);
        step(4);
        fillGap(f, p, s, GapEnd::Truncated);
    }
}

void fillRamp(Filler& f, long long& p, const StimulusParameters& s) {
    std::vector<double> segment;
    for (int b = 0; b < s.numBurst && !f.failed(); ++b) {
        for (int r = 0; r < s.numRepeats; ++r) {
            double level = 0.0;
            for (int k = 0; k < 5; ++k) {
                if (!(s.rampDur[k] > 0.0)) continue;
                const int n = static_cast<int>(std::ceil(s.rampDur[k]));
                segment.assign(n, 0.0);
                Ramp(n, level, s.rampAmp[k], segment.data());
                for (int j = 0; j < n; ++j) f.set(p + j, segment[j] + s.baseline);
                p += n;
                level = s.rampAmp[k];
            }
        }
        fillGap(f, p, s, GapEnd::Truncated);
    }
}

// Returns false when the phase shift is refused.
bool fillCell(Filler& f, long long& p, const StimulusParameters& s, const StimulusSources& src,
              int* cellPhaseAfter) {
    std::vector<double> period(s.duration > 0 ? s.duration : 0);
    for (int j = 0; j < s.duration; ++j)
        period[j] =
            s.baseline + s.wfAmp * src.cellArray[(static_cast<long long>(j) * 1000) / s.duration];
    if (s.cellPhase != 0 && !period.empty()) {
        const int shift = src.cellPhase(period.data(), s.duration, s.cellPhase);
        if (shift > s.duration) return false;
        if (shift > 0) std::rotate(period.begin(), period.begin() + shift, period.end());
        *cellPhaseAfter = 0;
    }
    for (int b = 0; b < s.numBurst && !f.failed(); ++b) {
        for (int r = 0; r < s.numRepeats; ++r) {
            for (int j = 0; j < s.duration; ++j) f.set(p + j, period[j]);
            p += period.size();
        }
        if (src.secondFileLoaded) break;
        fillGap(f, p, s, GapEnd::AfterLastValue);
    }
    return true;
}

void fillZap(Filler& f, long long& p, const StimulusParameters& s, const StimulusSources& src) {
    if (s.duration <= 0) return;
    std::vector<double> sweep(s.duration);
    ZapWave(s.duration, s.wfAmp, sweep.data(), s.zapCellShape, s.zap, s.phase, src.cellArray);
    for (int b = 0; b < s.numBurst && !f.failed(); ++b) {
        fillGap(f, p, s, GapEnd::Truncated);
        for (int r = 0; r < s.numRepeats; ++r) {
            for (int j = 0; j < s.duration; ++j) f.set(p + j, sweep[j] + s.baseline);
            p += s.duration;
        }
    }
}

void fillPoisson(Filler& f, long long& p, const StimulusParameters& s) {
    if (s.duration <= 0) return;
    const std::vector<double> train = Generate_poisson(s.duration, s.dur, s.wfAmp, s.frequency);
    for (int b = 0; b < s.numBurst && !f.failed(); ++b) {
        for (int j = 0; j < s.duration; ++j) f.set(p + j, train[j] + s.baseline);
        p += s.duration;
        fillGap(f, p, s, GapEnd::AfterLastValue);
    }
}

// One sine period of n values whose first (int)(n * d) values are a half-wave at the shorter
// or longer frequency that fits, read from `offset` on.
struct SinePeriod {
    std::vector<double> values;
    int offset = 0;
};

SinePeriod buildSinePeriod(const StimulusParameters& s, double d) {
    const int n = s.duration;
    const double f = 1.0 / n;
    SinePeriod period;
    period.values.assign(n, 0.0);
    const int first = static_cast<int>(n * d), second = n - first;
    double phase = s.phase;
    if (first > 0) SineWave(first, s.wfAmp, 0.5 * f / d, &phase, period.values.data());
    if (second > 0)
        SineWave(second, s.wfAmp, 0.5 * f / (1.0 - d), &phase, period.values.data() + first);
    period.offset = s.sineCentre == 1 ? first + second / 2 : 0;
    return period;
}

void fillSine(Filler& f, long long& p, const StimulusParameters& s) {
    if (s.duration <= 0) return;
    const double duty = s.dutyCycle > 0.0 && s.dutyCycle < 1.0 ? s.dutyCycle : 0.5;
    SinePeriod period = buildSinePeriod(s, duty);
    const int n = s.duration;
    for (int b = 0; b < s.numBurst && !f.failed(); ++b) {
        if (s.sineSweepDuty == 1 && s.numBurst > 1)
            period = buildSinePeriod(s, 0.8 * b / (s.numBurst - 1) + 0.1);
        for (int r = 0; r < s.numRepeats; ++r) {
            for (int j = 0; j < n; ++j)
                f.set(p + j, period.values[(j + period.offset) % n] + s.baseline);
            p += n;
        }
        fillGap(f, p, s, GapEnd::Truncated);
    }
}

void fillNoise(Filler& f, long long p, const StimulusParameters& s, const StimulusSources& src,
               double valuesPerMs) {
    if (s.duration <= 0) return;
    const int m = static_cast<int>(s.duration * valuesPerMs);
    std::vector<double> noise(m, 0.0);
    NoiseSettings settings{s.noiseStdev, s.noiseStrength, s.noiseTau, s.noiseRectify,
                           src.noiseSeed};
    generateNoise(noise.data(), s.noiseKind, m, 1.0 / valuesPerMs, settings);
    for (int j = 0; j < m; ++j) f.set(p + j, noise[j] + s.baseline);
}

AssembledStimulus refusal(const char* title, std::string text) {
    AssembledStimulus result;
    result.outcome = AssembledStimulus::Outcome::Refused;
    result.errorTitle = title;
    result.errorText = std::move(text);
    return result;
}

AssembledStimulus tooLarge(double values) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Not enough memory for a stimulus of %.0f values; the previous stimulus is kept.",
                  values);
    return refusal("Error!", text);
}

// Parameter values the sub-panels never offer; refused here rather than divided by.
std::string invalidParameter(const StimulusParameters& s) {
    if (s.waveform == kPoisson && !(s.frequency > 0.0))
        return "The Poisson frequency must be above 0 Hz.";
    if (s.waveform == kZap && !IsValidSweepType(s.zap.sweepType))
        return "The sweep type must be 0, 1 or 2.";
    if (s.waveform == kNoise && (s.noiseKind < 0 || s.noiseKind > 2))
        return "The noise kind must be 0 (white), 1 (Gaussian) or 2 (Ornstein-Uhlenbeck).";
    if (s.waveform == kNoise && s.noiseKind == 2 && !(s.noiseTau >= 0.1))
        return "The noise time constant must be at least 0.1 ms.";
    return {};
}

// Copies what was filled into a buffer of `count` values (zeros after the filled part).
bool finish(AssembledStimulus& result, const std::vector<double>& filled, std::size_t count) {
    result.values.reset(new (std::nothrow) double[count]);
    if (!result.values) return false;
    const std::size_t copied = std::min(count, filled.size());
    std::copy(filled.begin(), filled.begin() + copied, result.values.get());
    std::fill(result.values.get() + copied, result.values.get() + count, 0.0);
    result.numPoints = static_cast<int>(count);
    return true;
}

}  // namespace

std::size_t& StimulusValueLimit() {
    static std::size_t limit = INT_MAX;
    return limit;
}

void CorrectParameters(StimulusParameters& p) {
    if (p.waveform == kZap) {
        double length = p.zapSweepDuration;
        if (p.zap.freqStart > 0.0) length += 1000 * p.zap.cyclesStart / p.zap.freqStart;
        if (p.zap.freqEnd > 0.0) length += 1000 * p.zap.cyclesEnd / p.zap.freqEnd;
        p.duration = static_cast<int>(length);
    }
    if (p.waveform == kSine) {
        if (p.phase == 360.0) p.phase = 0.0;
        if (!(p.dutyCycle > 0.0 && p.dutyCycle < 1.0)) p.dutyCycle = 0.5;
        if (p.sineLockBaseline == 1) p.baseline = p.wfAmp;
    }
}

double StimulusLength(const StimulusParameters& p, bool secondFileLoaded) {
    const double repeats = p.numRepeats, bursts = p.numBurst;
    switch (p.waveform) {
        case kPulse: {
            const double shape = p.pulseDur[0] + p.pulseDur[1] + p.pulseDur[2];
            return (shape * repeats + p.pulseDur[3] + p.pulseDur[4] + p.interburst) * bursts;
        }
        case kRamp: {
            double shape = 0.0;
            for (double d : p.rampDur) shape += d;
            return (shape * repeats + p.interburst) * bursts;
        }
        case kCell:
            if (secondFileLoaded) return static_cast<double>(p.duration) * repeats;
            return (static_cast<double>(p.duration) * repeats + p.interburst) * bursts;
        case kZap: {
            double sweep = p.zapSweepDuration;
            if (p.zap.freqStart > 0.0) sweep += 1000 * p.zap.cyclesStart / p.zap.freqStart;
            if (p.zap.freqEnd > 0.0) sweep += 1000 * p.zap.cyclesEnd / p.zap.freqEnd;
            return (sweep * repeats + p.interburst) * bursts;
        }
        case kPoisson:
            return (p.duration + p.interburst) * bursts;
        case kSine:
            return (static_cast<double>(p.duration) * repeats + p.interburst) * bursts;
        case kNoise:
            return p.duration;
        default:
            return 0.0;
    }
}

int CellPhaseShift(const double* period, int count, int kind) {
    if (count < 1 || (kind != 1 && kind != 2)) return 0;
    double extreme = period[0];
    for (int i = 0; i < count; ++i)
        if (kind == 1 ? period[i] > extreme : period[i] < extreme) extreme = period[i];
    for (int i = 0; i < count; ++i)
        if (period[i] == extreme) return i;
    return 0;
}

AssembledStimulus AssembleStimulus(const StimulusParameters& s, const StimulusSources& src) {
    if (const std::string problem = invalidParameter(s); !problem.empty())
        return refusal("Error!", problem);

    const bool composing = src.secondFileLoaded && s.waveform == kCell;
    const double length = StimulusLength(s, src.secondFileLoaded);
    const double pre = composing ? 0.0 : s.preTime, post = composing ? 0.0 : s.postTime;
    const bool ornsteinUhlenbeck = s.waveform == kNoise && s.noiseKind == 2;
    const double valuesPerMs = ornsteinUhlenbeck ? 10.0 : 1.0;

    // A stated length beyond the limit is refused at once instead of being filled; the
    // ceilings of fractional durations are caught by the filler as it grows.
    const double stated = (pre + std::max(0.0, length) + post) * valuesPerMs;
    if (!(stated <= static_cast<double>(StimulusValueLimit()))) return tooLarge(stated);

    AssembledStimulus result;
    result.cellPhaseAfter = s.cellPhase;
    result.samplesPerSec = 1000.0 * valuesPerMs;
    result.msPerValue = 1.0 / valuesPerMs;
    Filler f(StimulusValueLimit());
    long long p = static_cast<long long>(pre * valuesPerMs);
    bool complete = true;
    switch (s.waveform) {
        case kPulse:
            fillPulse(f, p, s);
            break;
        case kRamp:
            fillRamp(f, p, s);
            break;
        case kCell:
            if (!src.cellArray) {
                complete = false;
            } else if (!fillCell(f, p, s, src, &result.cellPhaseAfter)) {
                return refusal("Error!", "Phase shift cannot be greater than duration.");
            }
            break;
        case kZap:
            fillZap(f, p, s, src);
            break;
        case kPoisson:
            fillPoisson(f, p, s);
            break;
        case kSine:
            fillSine(f, p, s);
            break;
        case kNoise:
            fillNoise(f, p, s, src, valuesPerMs);
            break;
        default:
            break;
    }
    if (f.failed()) return tooLarge(static_cast<double>(f.extent()));

    // The stimulus ends at its stated length or at the last value written, whichever is later.
    const double end = std::max(pre + length, f.extent() / valuesPerMs);
    result.totalTime = end + post;
    const auto count = static_cast<std::size_t>(std::ceil(result.totalTime * valuesPerMs));
    if (count > StimulusValueLimit() || !finish(result, f.values(), count))
        return tooLarge(static_cast<double>(count));
    result.previewCount = ornsteinUhlenbeck ? result.numPoints : static_cast<int>(result.totalTime);
    result.outcome =
        complete ? AssembledStimulus::Outcome::Built : AssembledStimulus::Outcome::NoCellWaveform;
    if (composing && complete) {
        AssembledStimulus composed = ComposeWithSecondFile(result.values.get(), result.numPoints,
                                                           src.secondFile, src.secondFileCount, s);
        composed.cellPhaseAfter = result.cellPhaseAfter;
        return composed;
    }
    return result;
}

AssembledStimulus ComposeWithSecondFile(const double* stimulus, int stimulusCount,
                                        const double* saved, int savedCount,
                                        const StimulusParameters& s) {
    const long long gap = s.interburst > 0.0 ? static_cast<long long>(std::ceil(s.interburst)) : 0;
    const double count = static_cast<double>(std::max(0, s.numBurst)) *
                             (std::max(0, savedCount) + std::max(0, stimulusCount) + gap) +
                         s.preTime + s.postTime;
    if (!(count <= static_cast<double>(StimulusValueLimit()))) return tooLarge(count);

    AssembledStimulus result;
    result.values.reset(new (std::nothrow) double[static_cast<std::size_t>(count)]());
    if (!result.values) return tooLarge(count);
    double* out = result.values.get();
    long long p = s.preTime;
    for (int b = 0; b < s.numBurst; ++b) {
        p = std::copy(saved, saved + std::max(0, savedCount), out + p) - out;
        p = std::copy(stimulus, stimulus + std::max(0, stimulusCount), out + p) - out;
        std::fill(out + p, out + p + gap, s.interbaseline);
        p += gap;
    }
    result.numPoints = static_cast<int>(count);
    result.totalTime = count;
    result.previewCount = result.numPoints;
    result.cellPhaseAfter = s.cellPhase;
    result.outcome = AssembledStimulus::Outcome::Built;
    return result;
}

}  // namespace trelvanix
