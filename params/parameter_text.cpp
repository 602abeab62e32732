#include "params/parameter_text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "state/shared_state.h"

namespace trelvanix::params {

namespace {

void appendf(std::string& out, const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length > 0) out.append(buffer, std::min<std::size_t>(length, sizeof buffer - 1));
}

// The words of the text with the line each stands on.
class WordReader {
  public:
    explicit WordReader(std::string_view text) : text_(text) {}

    bool atEnd() {
        skipBlanks();
        return pos_ >= text_.size();
    }
    // The next word, or false at the end of the text.
    bool next(std::string_view* word) {
        skipBlanks();
        if (pos_ >= text_.size()) return false;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !isBlank(text_[pos_])) ++pos_;
        *word = text_.substr(start, pos_ - start);
        wordLine_ = line_;
        return true;
    }
    int line() const { return wordLine_ ? wordLine_ : line_; }

  private:
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    void skipBlanks() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) {
            if (text_[pos_] == '\n') ++line_;
            ++pos_;
        }
    }
    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1, wordLine_ = 0;
};

// Reads keys and values in order; the first failure is kept and every later read fails.
class Reader {
  public:
    Reader(std::string_view text, ReadFailure* failure) : words_(text), failure_(failure) {}

    bool ok() const { return ok_; }
    bool atEnd() { return words_.atEnd(); }

    // A key word, skipped without looking at it (keys are read by position).
    bool key() {
        if (!ok_) return false;
        std::string_view word;
        if (!words_.next(&word)) return fail("the file ends where the next key should follow");
        key_ = std::string(word);
        return true;
    }
    // Searches for `wanted`, consuming it.
    bool find(std::string_view wanted) {
        if (!ok_) return false;
        key_ = std::string(wanted);
        std::string_view word;
        while (words_.next(&word))
            if (word == wanted) return true;
        return fail("the key is missing");
    }
    bool integer(int* value) {
        std::string_view word;
        if (!value_(&word)) return false;
        const std::string text(word);
        char* end = nullptr;
        errno = 0;
        const long parsed = std::strtol(text.c_str(), &end, 10);
        if (*end != '\0' || errno != 0 || parsed < -2147483647L - 1 || parsed > 2147483647L)
            return fail("\"" + text + "\" is not a whole number");
        *value = static_cast<int>(parsed);
        return true;
    }
    bool real(double* value) {
        std::string_view word;
        if (!value_(&word)) return false;
        const std::string text(word);
        char* end = nullptr;
        const double parsed = std::strtod(text.c_str(), &end);
        if (*end != '\0' || !std::isfinite(parsed)) return fail("\"" + text + "\" is not a number");
        *value = parsed;
        return true;
    }
    bool single(float* value) {
        double wide = 0.0;
        if (!real(&wide)) return false;
        *value = static_cast<float>(wide);
        return true;
    }
    bool word(std::string* value) {
        std::string_view word;
        if (!value_(&word)) return false;
        *value = std::string(word);
        return true;
    }
    // The words up to the key `end`, joined by single blanks; `end` is consumed.
    bool wordsUntil(std::string_view end, std::string* joined) {
        std::string_view word;
        if (!value_(&word)) return false;
        *joined = std::string(word);
        while (words_.next(&word)) {
            if (word == end) {
                key_ = std::string(end);
                return true;
            }
            *joined += ' ';
            *joined += word;
        }
        key_ = std::string(end);
        return fail("the key is missing");
    }
    bool fail(const std::string& what) {
        if (ok_) *failure_ = ReadFailure{words_.line(), key_, what};
        ok_ = false;
        return false;
    }

  private:
    bool value_(std::string_view* word) {
        if (!ok_) return false;
        if (!words_.next(word)) return fail("the file ends before the value");
        return true;
    }
    WordReader words_;
    ReadFailure* failure_;
    std::string key_;
    bool ok_ = true;
};

bool keyed(Reader& r, int* value) {
    return r.key() && r.integer(value);
}
bool keyed(Reader& r, double* value) {
    return r.key() && r.real(value);
}

// The channel's stored board gain names the board range whose gain truncates to it; the
// stored value is taken as a 16-bit signed number, as it always was.
bool resolveBoardGain(Reader& r, const ParameterLimits& limits, ChannelSettings& c) {
    const int stored = static_cast<short>(c.boardGain);
    for (std::size_t i = 0; i < limits.boardGains.size(); ++i)
        if (static_cast<int>(limits.boardGains[i]) == stored) {
            c.rangeIndex = static_cast<int>(i);
            c.exactGain = limits.boardGains[i];
            return true;
        }
    return r.fail("this board has no input range with gain " + std::to_string(stored));
}

bool readChannel(Reader& r, const ParameterLimits& limits, int ch, ChannelSettings& c) {
    int number = -1;
    if (!keyed(r, &number)) return false;
    if (number != ch) return r.fail("channel " + std::to_string(ch) + " was expected here");
    if (!r.integer(&c.ticked)) return false;
    if (c.ticked != 0 && c.ticked != 1) return r.fail("a channel is ticked (1) or not (0)");
    if (!keyed(r, &c.gain) || !keyed(r, &c.offset) || !keyed(r, &c.boardGain)) return false;
    if (!resolveBoardGain(r, limits, c)) return false;
    if (!r.key() || !r.word(&c.unit)) return false;
    if (c.unit.size() > 2) return r.fail("a unit has one or two characters");
    if (!keyed(r, &c.scaleFactor)) return false;
    if (c.scaleFactor == 0.0) return r.fail("a scale factor of 0 cannot convert volts");
    return keyed(r, &c.filterType) && keyed(r, &c.windowType) && keyed(r, &c.windowSize) &&
           keyed(r, &c.lowCutoff) && keyed(r, &c.highCutoff);
}

bool readSteps(Reader& r, std::array<double, 5>& durations, std::array<double, 5>& amplitudes) {
    for (int i = 0; i < 5; ++i)
        if (!keyed(r, &durations[i]) || !keyed(r, &amplitudes[i])) return false;
    return true;
}

// The common items every kind carries.
bool getStdParameters(Reader& r, StimulusSettings& s) {
    return keyed(r, &s.numRepeats) && keyed(r, &s.interburst) && keyed(r, &s.numBurst) &&
           keyed(r, &s.baseline) && keyed(r, &s.interbaseline);
}

// The stimulus section of kind `waveform`, the cell samples included when the file has them.
bool putInjectparameters(Reader& r, int waveform, StimulusSettings& s) {
    switch (waveform) {
        case 0:
            if (!readSteps(r, s.pulseDur, s.pulseAmp)) return false;
            break;
        case 1:
            if (!readSteps(r, s.rampDur, s.rampAmp)) return false;
            break;
        case 2:
            if (!keyed(r, &s.duration) || !keyed(r, &s.amplitude) || !keyed(r, &s.cellPhase))
                return false;
            break;
        case 3:
            if (!keyed(r, &s.duration) || !keyed(r, &s.amplitude)) return false;
            break;
        case 4:
            if (!keyed(r, &s.frequency) || !keyed(r, &s.duration) || !keyed(r, &s.pulseWidth) ||
                !keyed(r, &s.amplitude))
                return false;
            break;
        case 5:
            if (!keyed(r, &s.duration) || !keyed(r, &s.amplitude) || !keyed(r, &s.phase) ||
                !keyed(r, &s.dutyCycle))
                return false;
            break;
        default:
            break;
    }
    if (!getStdParameters(r, s)) return false;
    if (waveform != 2 || r.atEnd()) return true;
    s.cellSamples.resize(kCellSamples);
    for (int i = 0; i < kCellSamples; ++i)
        if (!r.real(&s.cellSamples[i])) {
            r.fail("the cell waveform holds " + std::to_string(i) + " of " +
                   std::to_string(kCellSamples) + " samples");
            return false;
        }
    return true;
}

}  // namespace

std::string FormatSettings(const ParameterSet& set) {
    std::string out = "//This is parameter file of vanix.\n";
    appendf(out, "VanixVersion: %d", kFileVersion);
    appendf(out, "\nSamplingRate(Hz) %f", set.rateKilosamples);
    appendf(out, "\nNumStretches %d", set.stretches);
    appendf(out, "\nSecondsPerStretch %f", set.secondsPerStretch);
    appendf(out, "\nNumDivisions %d", set.divisions);
    out += "\nWorkingDirectory " + set.directory;
    appendf(out, "\nSavingInterval %f", set.savingInterval);
    appendf(out, "\nSkipInterval %f", set.skipInterval);
    for (int ch = 0; ch < 8; ++ch) {
        const ChannelSettings& c = set.channels[ch];
        appendf(out, "\nChannel: %d %d", ch, c.ticked);
        appendf(out, "\nGain %f", c.gain);
        appendf(out, "\nOffset %f", c.offset);
        appendf(out, "\nBoardGain %d", c.boardGain);
        out += "\nUnit " + c.unit;
        appendf(out, "\nScaleFactor %f", c.scaleFactor);
        appendf(out, "\nFilterType %d", c.filterType);
        appendf(out, "\nWindowType %d", c.windowType);
        appendf(out, "\nWindowSize %d", c.windowSize);
        appendf(out, "\nLowCutoff %f", c.lowCutoff);
        appendf(out, "\nHighCutoff %f", c.highCutoff);
    }
    appendf(out, "\nConversionfactor %f", set.conversion);
    appendf(out, "\nPreTime %d", set.preTime);
    appendf(out, "\nPostTime %d", set.postTime);
    appendf(out, "\nInjectChannel %d", set.injectChannel);
    appendf(out, "\nWaveform %d", set.waveform);
    return out;
}

std::string FormatStimulus(int waveform, const StimulusSettings& s, bool withCellSamples) {
    std::string out;
    if (waveform < 0 || waveform > 6) return out;
    const auto steps = [&](const char* name, const std::array<double, 5>& durations,
                           const std::array<double, 5>& amplitudes) {
        for (int i = 0; i < 5; ++i)
            appendf(out, "\n%s_%d_Dur %f %s_%d_Amp %f", name, i, durations[i], name, i,
                    amplitudes[i]);
    };
    switch (waveform) {
        case 0:
            steps("Pulse", s.pulseDur, s.pulseAmp);
            break;
        case 1:
            steps("Ramp", s.rampDur, s.rampAmp);
            break;
        case 2:
            appendf(out, "\nDuration %d\nAmp %f\nPhase %d", s.duration, s.amplitude, s.cellPhase);
            break;
        case 3:
            appendf(out, "\nDuration %d\nAmp %f", s.duration, s.amplitude);
            break;
        case 4:
            appendf(out, "\nFrequency %d\nDuration %d\nTotalDuration %d\nAmp %f", s.frequency,
                    s.duration, s.pulseWidth, s.amplitude);
            break;
        case 5:
            appendf(out, "\nDuration %d\nAmp %f\nPhase %f\nDuty_cycle %f", s.duration, s.amplitude,
                    s.phase, s.dutyCycle);
            break;
        default:
            break;
    }
    appendf(out, "\nNumRepeats %d\nInterBurst %f\nNumBurst %d\nBaseline %f\nInterbaseline %f",
            s.numRepeats, s.interburst, s.numBurst, s.baseline, s.interbaseline);
    if (waveform == 2 && withCellSamples) {
        out += '\n';
        for (double sample : s.cellSamples) appendf(out, "%lf\n", sample);
    }
    return out;
}

bool ParseParameters(std::string_view text, const ParameterLimits& limits, ParameterSet* set,
                     ReadFailure* failure) {
    ParameterSet s;
    Reader r(text, failure);
    int version = 0;
    if (!r.find("VanixVersion:") || !r.integer(&version)) return false;

    if (!r.key() || !r.single(&s.rateKilosamples)) return false;
    bool rateOffered = false;
    for (double rate : SampRateIDVal) rateOffered |= static_cast<float>(rate) == s.rateKilosamples;
    if (!rateOffered) return r.fail("the Sampling rate menu offers no such rate");

    if (!keyed(r, &s.stretches)) return false;
    if (s.stretches < 1) return r.fail("a sweep holds at least one stretch");

    if (!keyed(r, &s.secondsPerStretch)) return false;
    const double wanted = std::ceil(1000.0 * s.secondsPerStretch);
    bool lengthOffered = false;
    for (double length : MSPerStretchIDVal) lengthOffered |= std::ceil(1000.0 * length) == wanted;
    if (!lengthOffered) return r.fail("the Stretch menu offers no such stretch length");

    if (!keyed(r, &s.divisions)) return false;
    if (s.divisions < 1 || s.divisions > 50) return r.fail("divisions run from 1 to 50");
    if (!r.key() || !r.wordsUntil("SavingInterval", &s.directory)) return false;
    if (!r.real(&s.savingInterval) || !keyed(r, &s.skipInterval)) return false;

    for (int ch = 0; ch < 8; ++ch)
        if (!readChannel(r, limits, ch, s.channels[ch])) return false;

    if (!keyed(r, &s.conversion) || !keyed(r, &s.preTime) || !keyed(r, &s.postTime) ||
        !keyed(r, &s.injectChannel) || !keyed(r, &s.waveform))
        return false;
    if (s.waveform < -1 || s.waveform > 6) return r.fail("stimulus kinds run from -1 to 6");
    if (s.waveform != -1 && !putInjectparameters(r, s.waveform, s.stimulus)) return false;

    *set = std::move(s);
    return true;
}

}  // namespace trelvanix::params
