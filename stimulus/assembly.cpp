// Stimulus assembly: pre-time, the stimulus built from bursts, repeats and gaps, post-time.

#include "stimulus/assembly.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <new>
#include <string>

#include "platform/analysis/analysis.h"

namespace trelvanix {

namespace {

// Values a duration in ms writes: its ceiling when above 0, else none.
double valuesFor(double duration) {
    return duration > 0.0 ? std::ceil(duration) : 0.0;
}

// How far a gap moves the position on for pulse, ramp, sine and zap: its truncated length, so
// the next burst overwrites the last value of a fractional gap.
double truncatedGap(double interburst) {
    return interburst > 0.0 ? std::floor(interburst) : 0.0;
}

// Where the values written end (0 when none are), for the three ways a train is laid out:
// per burst `burst` values then a gap that moves on by its truncated length (pulse, ramp,
// sine); the gap first (zap); or a gap that moves on past its last value (cell, Poisson).
double endAfterTruncatedGaps(double start, double bursts, double burst, double interburst) {
    const double gap = valuesFor(interburst);
    if (bursts < 1 || burst + gap == 0) return 0;
    return start + (bursts - 1) * (burst + truncatedGap(interburst)) + burst + gap;
}

double endAfterLeadingGaps(double start, double bursts, double burst, double interburst) {
    const double last = std::max(valuesFor(interburst), truncatedGap(interburst) + burst);
    if (bursts < 1 || last == 0) return 0;
    return start + (bursts - 1) * (truncatedGap(interburst) + burst) + last;
}

double endAfterWholeGaps(double start, double bursts, double burst, double interburst) {
    const double perBurst = burst + valuesFor(interburst);
    if (bursts < 1 || perBurst == 0) return 0;
    return start + bursts * perBurst;
}

// The position after the last value the fill of this kind writes from `start`, 0 when it
// writes none; worked out in double, so that absurd parameters give a huge number, never an
// overflow.
double filledEnd(const StimulusParameters& s, const StimulusSources& src, double start,
                 double valuesPerMs) {
    const double repeats = std::max(0, s.numRepeats), bursts = std::max(0, s.numBurst);
    const double n = std::max(0, s.duration), gap = s.interburst;
    switch (s.waveform) {
        case kPulse: {
            const double shape =
                valuesFor(s.pulseDur[0]) + valuesFor(s.pulseDur[1]) + valuesFor(s.pulseDur[2]);
            const double tail = valuesFor(s.pulseDur[3]) + valuesFor(s.pulseDur[4]);
            return endAfterTruncatedGaps(start, bursts, repeats * shape + tail, gap);
        }
        case kRamp: {
            double shape = 0.0;
            for (double d : s.rampDur) shape += valuesFor(d);
            return endAfterTruncatedGaps(start, bursts, repeats * shape, gap);
        }
        case kCell:
            if (!src.cellArray) return 0;
            if (src.secondFileLoaded)
                return bursts >= 1 && repeats * n > 0 ? start + repeats * n : 0;
            return endAfterWholeGaps(start, bursts, repeats * n, gap);
        case kZap:
            return n > 0 ? endAfterLeadingGaps(start, bursts, repeats * n, gap) : 0;
        case kPoisson:
            return n > 0 ? endAfterWholeGaps(start, bursts, n, gap) : 0;
        case kSine:
            return n > 0 ? endAfterTruncatedGaps(start, bursts, repeats * n, gap) : 0;
        case kNoise: {
            const double m = std::floor(n * valuesPerMs);
            return m > 0 ? start + m : 0;
        }
        default:
            return 0;
    }
}

// The stimulus buffer being filled. Every value the fill writes was counted before the buffer
// was allocated; the checks keep a miscount from ever writing outside it.
class Buffer {
  public:
    Buffer(double* values, long long count) : values_(values), count_(count) {}

    bool fits(long long at, long long n) const { return at >= 0 && n >= 0 && at + n <= count_; }
    double* at(long long i) const { return values_ + i; }
    void set(long long i, double value) {
        if (fits(i, 1)) values_[i] = value;
    }
    void fill(long long at, long long n, double value) {
        if (fits(at, n)) std::fill(values_ + at, values_ + at + n, value);
    }
    void add(long long at, long long n, double value) {
        if (!fits(at, n) || value == 0.0) return;
        for (long long i = at; i < at + n; ++i) values_[i] += value;
    }
    // Copies the n values from `from` to `to`, further on.
    void copy(long long from, long long n, long long to) {
        if (fits(from, n) && fits(to, n) && to >= from + n)
            std::copy(values_ + from, values_ + from + n, values_ + to);
    }

  private:
    double* values_;
    long long count_;
};

// Bursts worth filling: none when there are none, and one when a burst does not move the
// position on (every burst then writes the same values at the same place).
int burstsToFill(int bursts, double advance) {
    if (bursts < 1) return 0;
    return advance > 0 ? bursts : 1;
}

// How a gap moves the position on: pulse, ramp, sine and zap continue at the truncated end
// (overwriting the last gap value of a fractional gap), cell and Poisson after the last value.
enum class GapEnd { Truncated, AfterLastValue };

void fillGap(Buffer& f, long long& p, const StimulusParameters& s, GapEnd end) {
    if (!(s.interburst > 0.0)) return;
    long long i = p;
    for (; i < p + s.interburst; ++i) f.set(i, s.interbaseline);
    p = end == GapEnd::Truncated ? static_cast<long long>(p + s.interburst) : i;
}

void fillPulse(Buffer& f, long long& p, const StimulusParameters& s) {
    auto step = [&](int k) {
        if (!(s.pulseDur[k] > 0.0)) return;
        const auto n = static_cast<long long>(std::ceil(s.pulseDur[k]));
        f.fill(p, n, s.pulseAmp[k] + s.baseline);
        p += n;
    };
    const double shape =
        valuesFor(s.pulseDur[0]) + valuesFor(s.pulseDur[1]) + valuesFor(s.pulseDur[2]);
    const int repeats = shape > 0 ? s.numRepeats : 0;
    const double burst =
        std::max(0, repeats) * shape + valuesFor(s.pulseDur[3]) + valuesFor(s.pulseDur[4]);
    const int bursts = burstsToFill(s.numBurst, burst + truncatedGap(s.interburst));
    for (int b = 0; b < bursts; ++b) {
        for (int r = 0; r < repeats; ++r)
            for (int k = 0; k < 3; ++k) step(k);
        step(3);
        step(4);
        fillGap(f, p, s, GapEnd::Truncated);
    }
}

void fillRamp(Buffer& f, long long& p, const StimulusParameters& s) {
    double shape = 0.0;
    for (double d : s.rampDur) shape += valuesFor(d);
    const int repeats = shape > 0 ? s.numRepeats : 0;
    const int bursts =
        burstsToFill(s.numBurst, std::max(0, repeats) * shape + truncatedGap(s.interburst));
    for (int b = 0; b < bursts; ++b) {
        for (int r = 0; r < repeats; ++r) {
            double level = 0.0;
            for (int k = 0; k < 5; ++k) {
                if (!(s.rampDur[k] > 0.0)) continue;
                const int n = static_cast<int>(std::ceil(s.rampDur[k]));
                if (f.fits(p, n)) Ramp(n, level, s.rampAmp[k], f.at(p));
                f.add(p, n, s.baseline);
                p += n;
                level = s.rampAmp[k];
            }
        }
        fillGap(f, p, s, GapEnd::Truncated);
    }
}

// Returns false when the phase shift is refused. The first period is built in place and the
// others are copied from it.
bool fillCell(Buffer& f, long long& p, const StimulusParameters& s, const StimulusSources& src,
              int* cellPhaseAfter) {
    const int n = std::max(0, s.duration);
    const int repeats = n > 0 ? s.numRepeats : 0;
    const int bursts = burstsToFill(
        s.numBurst, std::max(0, repeats) * static_cast<double>(n) + valuesFor(s.interburst));
    long long first = -1;
    for (int b = 0; b < bursts; ++b) {
        for (int r = 0; r < repeats; ++r) {
            if (first >= 0) {
                f.copy(first, n, p);
            } else if (f.fits(p, n)) {
                double* period = f.at(p);
                for (int j = 0; j < n; ++j)
                    period[j] = s.baseline +
                                s.wfAmp * src.cellArray[(static_cast<long long>(j) * 1000) / n];
                if (s.cellPhase != 0) {
                    const int shift = src.cellPhase(period, n, s.cellPhase);
                    if (shift > n) return false;
                    if (shift > 0) std::rotate(period, period + shift, period + n);
                    *cellPhaseAfter = 0;
                }
                first = p;
            }
            p += n;
        }
        if (src.secondFileLoaded) break;
        fillGap(f, p, s, GapEnd::AfterLastValue);
    }
    return true;
}

void fillZap(Buffer& f, long long& p, const StimulusParameters& s, const StimulusSources& src) {
    if (s.duration <= 0) return;
    const int n = s.duration;
    const int bursts = burstsToFill(s.numBurst, std::max(0, s.numRepeats) * static_cast<double>(n) +
                                                    truncatedGap(s.interburst));
    long long first = -1;
    for (int b = 0; b < bursts; ++b) {
        fillGap(f, p, s, GapEnd::Truncated);
        for (int r = 0; r < s.numRepeats; ++r) {
            if (first >= 0) {
                f.copy(first, n, p);
            } else if (f.fits(p, n)) {
                ZapWave(n, s.wfAmp, f.at(p), s.zapCellShape, s.zap, s.phase, src.cellArray);
                f.add(p, n, s.baseline);
                first = p;
            }
            p += n;
        }
    }
}

void fillPoisson(Buffer& f, long long& p, const StimulusParameters& s) {
    if (s.duration <= 0) return;
    const int n = s.duration;
    const int bursts = burstsToFill(s.numBurst, n + valuesFor(s.interburst));
    long long first = -1;
    for (int b = 0; b < bursts; ++b) {
        if (first >= 0) {
            f.copy(first, n, p);
        } else if (f.fits(p, n)) {
            Generate_poisson(f.at(p), n, s.dur, s.wfAmp, s.frequency);
            f.add(p, n, s.baseline);
            first = p;
        }
        p += n;
        fillGap(f, p, s, GapEnd::AfterLastValue);
    }
}

// One sine period of n values built at position p: (int)(n * d) values of a half-wave at the
// frequency that fits them, then the rest at the frequency that fits those, the second
// continuing from the phase the first left in `phase`; read from its centre when asked.
void buildSinePeriod(Buffer& f, long long p, const StimulusParameters& s, double d, double* phase) {
    const int n = s.duration;
    if (!f.fits(p, n)) return;
    double* period = f.at(p);
    const double frequency = 1.0 / n;
    const int first = static_cast<int>(n * d), second = n - first;
    if (first > 0) SineWave(first, s.wfAmp, 0.5 * frequency / d, phase, period);
    if (second > 0) SineWave(second, s.wfAmp, 0.5 * frequency / (1.0 - d), phase, period + first);
    const int offset = s.sineCentre == 1 ? first + second / 2 : 0;
    std::rotate(period, period + offset, period + n);
    f.add(p, n, s.baseline);
}

// The phase carries on from one build of the period to the next, as the library generator
// leaves it; *phase ends at the value the last half-wave left.
void fillSine(Buffer& f, long long& p, const StimulusParameters& s, double* phase) {
    if (s.duration <= 0) return;
    const int n = s.duration;
    const double duty = s.dutyCycle > 0.0 && s.dutyCycle < 1.0 ? s.dutyCycle : 0.5;
    const bool sweep = s.sineSweepDuty == 1 && s.numBurst > 1;
    const bool periods = s.numRepeats >= 1;
    const int bursts = burstsToFill(s.numBurst, std::max(0, s.numRepeats) * static_cast<double>(n) +
                                                    truncatedGap(s.interburst));
    // Built once at the first burst's place; a duty-cycle sweep builds it again there.
    if (periods && bursts > 0) buildSinePeriod(f, p, s, duty, phase);
    long long first = p;
    for (int b = 0; b < bursts; ++b) {
        if (sweep && periods) {
            buildSinePeriod(f, p, s, 0.8 * b / (s.numBurst - 1) + 0.1, phase);
            first = p;
        }
        for (int r = 0; r < s.numRepeats; ++r) {
            if (p != first) f.copy(first, n, p);
            p += n;
        }
        fillGap(f, p, s, GapEnd::Truncated);
    }
}

void fillNoise(Buffer& f, long long p, const StimulusParameters& s, const StimulusSources& src,
               double valuesPerMs) {
    if (s.duration <= 0) return;
    const int m = static_cast<int>(s.duration * valuesPerMs);
    if (!f.fits(p, m)) return;
    NoiseSettings settings{s.noiseStdev, s.noiseStrength, s.noiseTau, s.noiseRectify,
                           src.noiseSeed};
    generateNoise(f.at(p), s.noiseKind, m, 1.0 / valuesPerMs, settings);
    f.add(p, m, s.baseline);
}

AssembledStimulus refusal(const char* title, std::string text) {
    AssembledStimulus result;
    result.outcome = AssembledStimulus::Outcome::Refused;
    result.errorTitle = title;
    result.errorText = std::move(text);
    return result;
}

AssembledStimulus beyondLimit(double values, double valuesPerMs) {
    const double rate = 1000.0 * valuesPerMs;
    const auto limit = static_cast<double>(StimulusValueLimit());
    char text[320];
    std::snprintf(text, sizeof text,
                  "The stimulus would have %.0f values (%.1f s at %.0f values per second), more "
                  "than the %.0f values (%.1f s) a stimulus may have. The previous stimulus is "
                  "kept.",
                  values, values / rate, rate, limit, limit / rate);
    return refusal("Error!", text);
}

AssembledStimulus outOfMemory(double values) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "Not enough memory for a stimulus of %.0f values (%.0f MB); the previous "
                  "stimulus is kept.",
                  values, values * sizeof(double) / 1e6);
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

// Values of the two-file composition: for each burst the saved values, the new stimulus and a
// whole gap, at the saved values' rate; pre-time and post-time around it all.
double composedValues(double stimulusCount, double savedCount, int valuesPerMs,
                      const StimulusParameters& s) {
    return std::max(0, s.numBurst) *
               (std::max(0.0, savedCount) +
                valuesPerMs * (std::max(0.0, stimulusCount) + valuesFor(s.interburst))) +
           valuesPerMs * (static_cast<double>(s.preTime) + s.postTime);
}

std::unique_ptr<double[]> zeroedValues(std::size_t count) {
    return std::unique_ptr<double[]>(new (std::nothrow) double[count]());
}

}  // namespace

std::size_t& StimulusValueLimit() {
    static std::size_t limit = kStimulusValueLimit;
    return limit;
}

void CorrectParameters(StimulusParameters& p) {
    if (p.waveform == kZap) {
        double length = p.zapSweepDuration;
        if (p.zap.freqStart > 0.0) length += 1000 * p.zap.cyclesStart / p.zap.freqStart;
        if (p.zap.freqEnd > 0.0) length += 1000 * p.zap.cyclesEnd / p.zap.freqEnd;
        // A sweep too long for an int is far beyond the stimulus limit, which then refuses it.
        p.duration = static_cast<int>(std::clamp(length, double{INT_MIN}, double{INT_MAX}));
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

    const bool composing = src.secondFileLoaded && s.waveform == kCell && src.cellArray;
    const double length = std::max(0.0, StimulusLength(s, src.secondFileLoaded));
    const bool cellPartOnly = src.secondFileLoaded && s.waveform == kCell;
    const double pre = cellPartOnly ? 0.0 : s.preTime, post = cellPartOnly ? 0.0 : s.postTime;
    const bool ornsteinUhlenbeck = s.waveform == kNoise && s.noiseKind == 2;
    const double valuesPerMs = ornsteinUhlenbeck ? 10.0 : 1.0;

    // The size, worked out before anything is allocated: the stimulus ends at its stated
    // length or at the last value written, whichever is later, and the post-time follows.
    const double start = pre * valuesPerMs;
    const double end = filledEnd(s, src, start, valuesPerMs);
    const double totalTime = std::max(pre + length, end / valuesPerMs) + post;
    const double count = std::ceil(totalTime * valuesPerMs);
    const auto limit = static_cast<double>(StimulusValueLimit());
    if (!(count <= limit)) return beyondLimit(count, valuesPerMs);
    if (composing) {
        const int savedPerMs = std::max(1, src.secondFileValuesPerMs);
        const double composed = composedValues(count, src.secondFileCount, savedPerMs, s);
        if (!(composed <= limit)) return beyondLimit(composed, savedPerMs);
    }

    AssembledStimulus result;
    result.values = zeroedValues(static_cast<std::size_t>(count));
    if (!result.values) return outOfMemory(count);
    result.numPoints = static_cast<int>(count);
    result.totalTime = totalTime;
    result.cellPhaseAfter = s.cellPhase;
    result.phaseAfter = s.phase;
    result.samplesPerSec = 1000.0 * valuesPerMs;
    result.msPerValue = 1.0 / valuesPerMs;
    result.previewCount = ornsteinUhlenbeck ? result.numPoints : static_cast<int>(totalTime);
    Buffer f(result.values.get(), result.numPoints);
    auto p = static_cast<long long>(start);
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
            fillSine(f, p, s, &result.phaseAfter);
            break;
        case kNoise:
            fillNoise(f, p, s, src, valuesPerMs);
            break;
        default:
            break;
    }
    result.outcome =
        complete ? AssembledStimulus::Outcome::Built : AssembledStimulus::Outcome::NoCellWaveform;
    if (!composing) return result;
    AssembledStimulus composed =
        ComposeWithSecondFile(result.values.get(), result.numPoints, src.secondFile,
                              src.secondFileCount, src.secondFileValuesPerMs, s);
    composed.cellPhaseAfter = result.cellPhaseAfter;
    return composed;
}

AssembledStimulus ComposeWithSecondFile(const double* stimulus, int stimulusCount,
                                        const double* saved, int savedCount, int savedValuesPerMs,
                                        const StimulusParameters& s) {
    const int k = std::max(1, savedValuesPerMs);
    const double count = composedValues(stimulusCount, savedCount, k, s);
    if (!(count <= static_cast<double>(StimulusValueLimit()))) return beyondLimit(count, k);

    AssembledStimulus result;
    result.values = zeroedValues(static_cast<std::size_t>(count));
    if (!result.values) return outOfMemory(count);
    double* out = result.values.get();
    const long long gap = static_cast<long long>(valuesFor(s.interburst)) * k;
    const long long perBurst =
        std::max(0, savedCount) + static_cast<long long>(std::max(0, stimulusCount)) * k + gap;
    long long p = static_cast<long long>(s.preTime) * k;
    for (int b = 0; perBurst > 0 && b < s.numBurst; ++b) {
        p = std::copy(saved, saved + std::max(0, savedCount), out + p) - out;
        // Each millisecond's value of the new stimulus lasts k values at the saved rate.
        for (int j = 0; j < stimulusCount; ++j, p += k)
            std::fill(out + p, out + p + k, stimulus[j]);
        std::fill(out + p, out + p + gap, s.interbaseline);
        p += gap;
    }
    result.numPoints = static_cast<int>(count);
    result.totalTime = count / k;
    result.samplesPerSec = 1000.0 * k;
    result.msPerValue = 1.0 / k;
    result.previewCount = result.numPoints;
    result.cellPhaseAfter = s.cellPhase;
    result.phaseAfter = s.phase;
    result.outcome = AssembledStimulus::Outcome::Built;
    return result;
}

}  // namespace trelvanix
