#include "params/parameter_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "params/parameter_trailer.h"

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

// A key and a real value: "%f" where it reads back exactly, more decimals where it would not.
void appendReal(std::string& out, const char* key, double value) {
    out += key;
    out += RealText(value);
}

// The words of the text with the line each stands on.
class WordReader {
  public:
    explicit WordReader(std::string_view text) : text_(text) {}

    bool atEnd() {
        skipBlanks();
        return pos_ >= text_.size();
    }
    // Whether the next word starts with `prefix`; false at the end of the text.
    bool nextStartsWith(std::string_view prefix) {
        skipBlanks();
        return text_.substr(pos_).starts_with(prefix);
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
    // The text not read yet and the line it starts on.
    std::string_view rest() const { return text_.substr(pos_); }
    int restLine() const { return line_; }

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

// Where a value stood, to refuse it once a later value shows it does not fit.
struct Place {
    int line = 0;
    std::string key, word;
};

// Reads keys and values in order; the first failure is kept and every later read fails.
class Reader {
  public:
    Reader(std::string_view text, const ParameterLimits& limits, ReadFailure* failure)
        : words_(text), limits_(limits), failure_(failure) {}

    bool ok() const { return ok_; }
    bool atEnd() { return words_.atEnd(); }
    bool nextStartsWith(std::string_view prefix) { return words_.nextStartsWith(prefix); }
    const ParameterLimits& limits() const { return limits_; }
    std::string_view rest() const { return words_.rest(); }
    int restLine() const { return words_.restLine(); }
    Place place() const { return {words_.line(), key_, word_}; }
    const std::string& word() const { return word_; }

    // A key word, skipped without looking at it (keys are read by position).
    bool key() {
        if (!ok_) return false;
        std::string_view word;
        if (!words_.next(&word)) return fail("the file ends where the next key should follow");
        key_ = std::string(word);
        return true;
    }
    // Names what the next values are, where they have no key of their own.
    void name(std::string what) { key_ = std::move(what); }
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
        return value_() &&
               (ParseWhole(word_, value) || fail("\"" + word_ + "\" is not a whole number"));
    }
    bool real(double* value) {
        return value_() && (ParseReal(word_, value) || fail("\"" + word_ + "\" is not a number"));
    }
    bool single(float* value) {
        double wide = 0.0;
        if (!real(&wide)) return false;
        *value = static_cast<float>(wide);
        return true;
    }
    bool word(std::string* value) {
        if (!value_()) return false;
        *value = word_;
        return true;
    }
    // The words up to the key `end`, joined by single blanks; `end` is consumed.
    bool wordsUntil(std::string_view end, std::string* joined) {
        if (!value_()) return false;
        *joined = word_;
        std::string_view word;
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
    // The value just read is one that `control` accepts.
    bool fits(double value, const std::string& control) {
        if (!ok_) return false;
        const std::string misfit = Misfit(value, word_, control, limits_);
        return misfit.empty() || fail(misfit);
    }
    bool fail(const std::string& what) { return failAt(place(), what); }
    bool failAt(const Place& where, const std::string& what) {
        if (ok_) *failure_ = ReadFailure{where.line, where.key, what};
        ok_ = false;
        return false;
    }

  private:
    bool value_() {
        if (!ok_) return false;
        std::string_view word;
        if (!words_.next(&word)) return fail("the file ends before the value");
        word_ = std::string(word);
        return true;
    }
    WordReader words_;
    const ParameterLimits& limits_;
    ReadFailure* failure_;
    std::string key_, word_;
    bool ok_ = true;
};

bool keyed(Reader& r, int* value, const std::string& control) {
    return r.key() && r.integer(value) && r.fits(*value, control);
}
bool keyed(Reader& r, double* value, const std::string& control) {
    return r.key() && r.real(value) && r.fits(*value, control);
}

const Range* rangeOf(Reader& r, const std::string& control) {
    const auto found = r.limits().ranges.find(control);
    if (found != r.limits().ranges.end()) return &found->second;
    r.fail("the accepted values of " + control + " are unknown");
    return nullptr;
}

bool offered(const std::vector<double>& values, auto matches) {
    return std::any_of(values.begin(), values.end(), matches);
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

// The offset the offset box can show: a percentage of half the sweep axis at the channel's
// gain, within the box's range.
bool offsetFits(Reader& r, const ChannelSettings& c) {
    const Range* box = rangeOf(r, "PANEL_OFFSET");
    if (!box) return false;
    const double volts = r.limits().sweepAxisSpan * c.gain / 200.0;
    const double low = box->min * volts, high = box->max * volts;
    return (c.offset >= low && c.offset <= high) || r.fail(OutsideRange(r.word(), low, high));
}

// A unit is kept in two characters and written as one word, as the units window takes it.
bool unitFits(Reader& r, const std::string& unit) {
    const bool printable =
        std::all_of(unit.begin(), unit.end(), [](unsigned char c) { return std::isgraph(c) != 0; });
    return (!unit.empty() && unit.size() <= 2 && printable) ||
           r.fail("a unit has one or two characters, without blanks or control characters");
}

bool readChannel(Reader& r, int ch, ChannelSettings& c) {
    int number = -1;
    if (!r.key() || !r.integer(&number)) return false;
    if (number != ch) return r.fail("channel " + std::to_string(ch) + " was expected here");
    if (!r.integer(&c.ticked)) return false;
    if (c.ticked != 0 && c.ticked != 1) return r.fail("a channel is ticked (1) or not (0)");
    if (!keyed(r, &c.gain, "PANEL_GAIN") || !r.key() || !r.real(&c.offset) || !offsetFits(r, c))
        return false;
    if (!r.key() || !r.integer(&c.boardGain) || !resolveBoardGain(r, r.limits(), c)) return false;
    if (!r.key() || !r.word(&c.unit) || !unitFits(r, c.unit)) return false;
    if (!keyed(r, &c.scaleFactor, "UNITS_SCALE")) return false;
    if (c.scaleFactor == 0.0) return r.fail("a scale factor of 0 cannot convert volts");
    return keyed(r, &c.filterType, "UNITS_FILTER") && keyed(r, &c.windowType, "UNITS_WINDOW") &&
           keyed(r, &c.windowSize, "UNITS_WINDOW_SIZE") &&
           keyed(r, &c.lowCutoff, "UNITS_LOW_CUTOFF") &&
           keyed(r, &c.highCutoff, "UNITS_HIGH_CUTOFF");
}

// The stretch count gives a sweep the sweep-length box can hold.
bool stretchesFit(Reader& r, const Place& where, int stretches, double secondsPerStretch) {
    const Range* sweep = rangeOf(r, "PANEL_SWEEP");
    if (!sweep) return false;
    const double fewest = std::max(1.0, std::ceil(sweep->min / secondsPerStretch - 1e-9));
    const double most = std::floor(sweep->max / secondsPerStretch + 1e-9);
    return (stretches >= fewest && stretches <= most) ||
           r.failAt(where, OutsideRange(where.word, fewest, most) + " stretches of " +
                               RealText(secondsPerStretch) + " s");
}

bool readSteps(Reader& r, const std::string& panel, std::array<double, 5>& durations,
               std::array<double, 5>& amplitudes) {
    for (int i = 0; i < 5; ++i) {
        const std::string step = std::to_string(i + 1);
        if (!keyed(r, &durations[i], panel + "_MS" + step) ||
            !keyed(r, &amplitudes[i], panel + "_MV" + step))
            return false;
    }
    return true;
}

// The controls of the common items by kind; kinds without such a control are checked against
// the pulse train's, which every kind's controls match.
struct CommonControls {
    const char *repeats, *interburst, *bursts, *baseline, *interbaseline;
};
constexpr CommonControls kCommonControls[7] = {
    {"PULSE_REPEATS", "PULSE_INTERBURST", "PULSE_NUM_BURSTS", "PULSE_BASELINE",
     "PULSE_INTERBASELINE"},
    {"RAMP_REPEATS", "RAMP_INTERBURST", "RAMP_NUM_BURSTS", "RAMP_BASELINE", "RAMP_INTERBASELINE"},
    {"CELL_REPEATS", "CELL_INTERBURST", "CELL_NUM_BURST", "CELL_BASELINE", "CELL_INTERBASELINE"},
    {"ZAP_REPEATS", "ZAP_INTERBURST", "ZAP_NUM_BURSTS", "ZAP_BASELINE", "ZAP_INTERBASELINE"},
    {"PULSE_REPEATS", "POISSON_INTERBURST", "POISSON_NUM_BURSTS", "POISSON_BASELINE",
     "POISSON_INTERBASELINE"},
    {"SINE_REPEATS", "SINE_INTERBURST", "SINE_NUM_BURSTS", "SINE_BASELINE", "SINE_INTERBASELINE"},
    {"PULSE_REPEATS", "PULSE_INTERBURST", "PULSE_NUM_BURSTS", "NOISE_BASELINE",
     "PULSE_INTERBASELINE"},
};

// The common items every kind carries.
bool getStdParameters(Reader& r, int waveform, StimulusSettings& s) {
    const CommonControls& c = kCommonControls[waveform];
    return keyed(r, &s.numRepeats, c.repeats) && keyed(r, &s.interburst, c.interburst) &&
           keyed(r, &s.numBurst, c.bursts) && keyed(r, &s.baseline, c.baseline) &&
           keyed(r, &s.interbaseline, c.interbaseline);
}

// The Poisson rate and pulse width travel as whole numbers; the trailer may carry them
// exactly, so they are checked once it has been read.
struct PoissonPlaces {
    Place frequency, pulseWidth;
};

bool readCellSamples(Reader& r, StimulusSettings& s) {
    // The samples end the section; the trailer's heading or the end means there are none.
    if (r.atEnd() || r.nextStartsWith("//")) return true;
    s.cellSamples.resize(kCellSamples);
    for (int i = 0; i < kCellSamples; ++i) {
        if (r.atEnd() || r.nextStartsWith("//")) {
            r.name("cell waveform");
            return r.fail("the file holds " + std::to_string(i) + " of its " +
                          std::to_string(kCellSamples) + " samples");
        }
        r.name("cell waveform sample " + std::to_string(i + 1));
        if (!r.real(&s.cellSamples[i])) return false;
    }
    return true;
}

// The stimulus section of kind `waveform`, the cell samples included when the file has them.
bool putInjectparameters(Reader& r, int waveform, StimulusSettings& s, PoissonPlaces& poisson) {
    bool read = true;
    switch (waveform) {
        case 0:
            read = readSteps(r, "PULSE", s.pulseDur, s.pulseAmp);
            break;
        case 1:
            read = readSteps(r, "RAMP", s.rampDur, s.rampAmp);
            break;
        case 2:
            read = keyed(r, &s.duration, "CELL_DUR") && keyed(r, &s.amplitude, "CELL_AMP") &&
                   keyed(r, &s.cellPhase, "CELL_PHASE");
            break;
        case 3:
            read = keyed(r, &s.duration, "ZAP_DURATION") && keyed(r, &s.amplitude, "ZAP_AMPLITUDE");
            break;
        case 4:
            read = r.key() && r.integer(&s.frequency);
            poisson.frequency = r.place();
            read = read && keyed(r, &s.duration, "POISSON_TOTALDURATION") && r.key() &&
                   r.integer(&s.pulseWidth);
            poisson.pulseWidth = r.place();
            read = read && keyed(r, &s.amplitude, "POISSON_AMPLITUDE");
            break;
        case 5:
            read = keyed(r, &s.duration, "SINE_DURATION") &&
                   keyed(r, &s.amplitude, "SINE_AMPLITUDE") && keyed(r, &s.phase, "SINE_PHASE") &&
                   keyed(r, &s.dutyCycle, "SINE_DUTY_CYCLE");
            break;
        default:
            break;
    }
    if (!read || !getStdParameters(r, waveform, s)) return false;
    return waveform != 2 || readCellSamples(r, s);
}

// A whole number of the fixed layout that the trailer may carry exactly: they agree, and the
// value in force is one its control accepts.
bool roundedFits(Reader& r, const Place& where, int stored, const ParameterSet& s,
                 const std::string& control) {
    const auto& exact = s.stimulusExtras.panelControls;
    if (const auto found = exact.find(control); found != exact.end()) {
        if (static_cast<int>(found->second) == stored) return true;
        return r.failAt(where, where.word + " does not agree with " + control + " " +
                                   ShortestText(found->second) + " further down");
    }
    const std::string misfit = Misfit(stored, where.word, control, r.limits());
    return misfit.empty() || r.failAt(where, misfit);
}

}  // namespace

std::string FormatSettings(const ParameterSet& set) {
    std::string out = "//This is parameter file of vanix.\n";
    appendf(out, "VanixVersion: %d", kFileVersion);
    out += "\nSamplingRate(Hz) " + SingleText(set.rateKilosamples);
    appendf(out, "\nNumStretches %d", set.stretches);
    // Stretch lengths are the Stretch menu's whole milliseconds: "%f" always carries them.
    appendf(out, "\nSecondsPerStretch %f", set.secondsPerStretch);
    appendf(out, "\nNumDivisions %d", set.divisions);
    out += "\nWorkingDirectory " + set.directory;
    appendReal(out, "\nSavingInterval ", set.savingInterval);
    appendReal(out, "\nSkipInterval ", set.skipInterval);
    for (int ch = 0; ch < 8; ++ch) {
        const ChannelSettings& c = set.channels[ch];
        appendf(out, "\nChannel: %d %d", ch, c.ticked);
        appendReal(out, "\nGain ", c.gain);
        appendReal(out, "\nOffset ", c.offset);
        appendf(out, "\nBoardGain %d", c.boardGain);
        out += "\nUnit " + c.unit;
        appendReal(out, "\nScaleFactor ", c.scaleFactor);
        appendf(out, "\nFilterType %d", c.filterType);
        appendf(out, "\nWindowType %d", c.windowType);
        appendf(out, "\nWindowSize %d", c.windowSize);
        appendReal(out, "\nLowCutoff ", c.lowCutoff);
        appendReal(out, "\nHighCutoff ", c.highCutoff);
    }
    appendReal(out, "\nConversionfactor ", set.conversion);
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
        for (int i = 0; i < 5; ++i) {
            appendf(out, "\n%s_%d_Dur ", name, i);
            out += RealText(durations[i]);
            appendf(out, " %s_%d_Amp ", name, i);
            out += RealText(amplitudes[i]);
        }
    };
    switch (waveform) {
        case 0:
            steps("Pulse", s.pulseDur, s.pulseAmp);
            break;
        case 1:
            steps("Ramp", s.rampDur, s.rampAmp);
            break;
        case 2:
            appendf(out, "\nDuration %d", s.duration);
            appendReal(out, "\nAmp ", s.amplitude);
            appendf(out, "\nPhase %d", s.cellPhase);
            break;
        case 3:
            appendf(out, "\nDuration %d", s.duration);
            appendReal(out, "\nAmp ", s.amplitude);
            break;
        case 4:
            appendf(out, "\nFrequency %d\nDuration %d\nTotalDuration %d", s.frequency, s.duration,
                    s.pulseWidth);
            appendReal(out, "\nAmp ", s.amplitude);
            break;
        case 5:
            appendf(out, "\nDuration %d", s.duration);
            appendReal(out, "\nAmp ", s.amplitude);
            appendReal(out, "\nPhase ", s.phase);
            appendReal(out, "\nDuty_cycle ", s.dutyCycle);
            break;
        default:
            break;
    }
    appendf(out, "\nNumRepeats %d", s.numRepeats);
    appendReal(out, "\nInterBurst ", s.interburst);
    appendf(out, "\nNumBurst %d", s.numBurst);
    appendReal(out, "\nBaseline ", s.baseline);
    appendReal(out, "\nInterbaseline ", s.interbaseline);
    if (waveform == 2 && withCellSamples) {
        out += '\n';
        for (double sample : s.cellSamples) out += RealText(sample) + "\n";
    }
    return out;
}

std::string FormatParameters(const ParameterSet& set) {
    std::string text = FormatSettings(set);
    if (set.waveform != -1)
        text += FormatStimulus(set.waveform, set.stimulus, !set.stimulus.cellSamples.empty());
    return text + FormatTrailer(set);
}

bool ParseParameters(std::string_view text, const ParameterLimits& limits, ParameterSet* set,
                     ReadFailure* failure) {
    ParameterSet s;
    Reader r(text, limits, failure);
    int version = 0;
    if (!r.find("VanixVersion:") || !r.integer(&version)) return false;

    if (!r.key() || !r.single(&s.rateKilosamples)) return false;
    if (!offered(limits.rates,
                 [&](double rate) { return static_cast<float>(rate) == s.rateKilosamples; }))
        return r.fail("the Sampling rate menu offers no such rate");

    if (!r.key() || !r.integer(&s.stretches)) return false;
    const Place stretches = r.place();
    if (!r.key() || !r.real(&s.secondsPerStretch)) return false;
    const double wanted = std::ceil(1000.0 * s.secondsPerStretch);
    const auto length = std::find_if(limits.stretchLengths.begin(), limits.stretchLengths.end(),
                                     [&](double l) { return std::ceil(1000.0 * l) == wanted; });
    if (length == limits.stretchLengths.end())
        return r.fail("the Stretch menu offers no such stretch length");
    // The menu's length is the one in force, whatever digits the file gave beyond the
    // millisecond the menu is found by.
    s.secondsPerStretch = *length;
    if (!stretchesFit(r, stretches, s.stretches, s.secondsPerStretch)) return false;

    if (!keyed(r, &s.divisions, "PANEL_YDIVS")) return false;
    if (!r.key() || !r.wordsUntil("SavingInterval", &s.directory)) return false;
    if (!r.real(&s.savingInterval) || !r.fits(s.savingInterval, "INTERVAL_SAVING") ||
        !keyed(r, &s.skipInterval, "INTERVAL_PAUSE"))
        return false;

    for (int ch = 0; ch < 8; ++ch)
        if (!readChannel(r, ch, s.channels[ch])) return false;

    if (!keyed(r, &s.conversion, "INJECT_CONVERSION") || !keyed(r, &s.preTime, "INJECT_PRE_TIME") ||
        !keyed(r, &s.postTime, "INJECT_POST_TIME") ||
        !keyed(r, &s.injectChannel, "INJECT_CHANNEL") || !keyed(r, &s.waveform, "INJECT_WAVEFORM"))
        return false;
    PoissonPlaces poisson;
    if (s.waveform != -1 && !putInjectparameters(r, s.waveform, s.stimulus, poisson)) return false;

    std::vector<TrailerLine> lines;
    if (!SplitTrailer(r.rest(), r.restLine(), &lines, failure) ||
        !ReadTrailer(lines, limits, &s, failure))
        return false;
    if (s.waveform == 4 &&
        (!roundedFits(r, poisson.frequency, s.stimulus.frequency, s, "POISSON_FREQUENCY") ||
         !roundedFits(r, poisson.pulseWidth, s.stimulus.pulseWidth, s, "POISSON_DURATION")))
        return false;

    *set = std::move(s);
    return true;
}

}  // namespace trelvanix::params
