// The parameter file's text on its own: the exact layout, the trailer after it, and the reader
// that refuses a short or damaged file whole, naming the line, key and value where it failed.

#include "params/parameter_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <variant>

#include "params/parameter_limits.h"
#include "params/parameter_trailer.h"

using namespace trelvanix::params;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// The program's own controls, the default board (+-10, +-5, +-1 and +-0.2 V) and the menus.
ParameterLimits programLimits() {
    std::ostringstream text;
    text << std::ifstream(TRELVANIX_SOURCE_DIR "/resources/trelvanix.uir").rdbuf();
    const auto parsed = trelvanix::ui::parseResource(text.str());
    ParameterLimits limits = LimitsFromResource(std::get<trelvanix::ui::ResourceFile>(parsed));
    limits.boardGains = {0.5f, 1.0f, 5.0f, 25.0f};
    limits.rates = {0.1, 0.25, 0.5, 1, 2, 2.5, 3, 4, 5, 10, 20, 50};
    limits.stretchLengths = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10};
    return limits;
}
const ParameterLimits kBoard = programLimits();

ParameterSet initialSettings() {
    ParameterSet set;
    set.directory = "/data";
    set.savingInterval = 60.0;
    set.channels[0].ticked = 1;
    for (ChannelSettings& c : set.channels) c.rangeIndex = 1;  // what gain 1 selects on reading
    return set;
}

ParameterSet parsed(const std::string& text) {
    ParameterSet set;
    ReadFailure failure;
    EXPECT_TRUE(ParseParameters(text, kBoard, &set, &failure))
        << "line " << failure.line << " " << failure.key << ": " << failure.what;
    return set;
}

ReadFailure refused(const std::string& text) {
    ParameterSet set;
    ReadFailure failure;
    EXPECT_FALSE(ParseParameters(text, kBoard, &set, &failure));
    return failure;
}

std::string withLine(std::string text, const std::string& line, const std::string& replacement) {
    const std::size_t at = text.find(line);
    EXPECT_NE(at, std::string::npos) << line;
    return text.replace(at, line.size(), replacement);
}

TEST(ParameterText, TheInitialSettingsAreWrittenLineByLineAndReadBack) {
    const std::string text = FormatSettings(initialSettings());
    EXPECT_THAT(text, StartsWith("//This is parameter file of vanix.\nVanixVersion: 807\n"
                                 "SamplingRate(Hz) 4.000000\nNumStretches 100\n"
                                 "SecondsPerStretch 0.100000\nNumDivisions 10\n"
                                 "WorkingDirectory /data\nSavingInterval 60.000000\n"
                                 "SkipInterval 0.000000\nChannel: 0 1\nGain 1.000000\n"
                                 "Offset 0.000000\nBoardGain 1\nUnit V\nScaleFactor 1.000000\n"
                                 "FilterType 0\nWindowType 2\nWindowSize 55\n"
                                 "LowCutoff 500.000000\nHighCutoff 500.000000\nChannel: 1 0\n"));
    EXPECT_THAT(text, ::testing::EndsWith("\nConversionfactor 1.000000\nPreTime 500\n"
                                          "PostTime 500\nInjectChannel 0\nWaveform -1"));

    const ParameterSet back = parsed(text);
    EXPECT_EQ(back.rateKilosamples, 4.0f);
    EXPECT_EQ(back.stretches, 100);
    EXPECT_EQ(back.directory, "/data");
    EXPECT_EQ(back.channels[0].ticked, 1);
    EXPECT_EQ(back.channels[0].rangeIndex, 1);
    EXPECT_EQ(back.channels[0].exactGain, 1.0f);
    EXPECT_EQ(back.waveform, -1);
}

TEST(ParameterText, RatesDirectoriesUnitsAndGainsRoundTrip) {
    ParameterSet set = initialSettings();
    set.rateKilosamples = 0.1f;
    set.directory = "/data/two  words";
    set.channels[2].unit = "m";
    set.channels[3].unit = "pA";
    set.channels[4].boardGain = 0;  // +-10 V
    const std::string text = FormatSettings(set);
    EXPECT_THAT(text, HasSubstr("\nSamplingRate(Hz) 0.100000\n"));

    const ParameterSet back = parsed(text);
    EXPECT_EQ(static_cast<int>(back.rateKilosamples * 1000), 100);
    EXPECT_EQ(back.directory, "/data/two words");  // blanks come back single
    EXPECT_EQ(back.channels[2].unit, "m");
    EXPECT_EQ(back.channels[3].unit, "pA");
    EXPECT_EQ(back.channels[4].rangeIndex, 0);
    EXPECT_EQ(back.channels[4].exactGain, 0.5f);
}

TEST(ParameterText, EachStimulusKindWritesItsSection) {
    StimulusSettings s;
    s.pulseDur = {100, 100, 0, 0, 0};
    s.pulseAmp = {1000, 0, 0, 0, 0};
    EXPECT_THAT(FormatStimulus(0, s, false),
                StartsWith("\nPulse_0_Dur 100.000000 Pulse_0_Amp 1000.000000\n"
                           "Pulse_1_Dur 100.000000 Pulse_1_Amp 0.000000\n"));
    EXPECT_EQ(FormatStimulus(6, s, false),
              "\nNumRepeats 1\nInterBurst 0.000000\nNumBurst 1\nBaseline 0.000000\n"
              "Interbaseline 0.000000");

    s.frequency = 5;
    s.pulseWidth = 5;
    s.duration = 5000;
    EXPECT_THAT(FormatStimulus(4, s, false),
                StartsWith("\nFrequency 5\nDuration 5000\nTotalDuration 5\nAmp 0.000000\n"));

    s.cellSamples.assign(kCellSamples, 0.0);
    s.cellSamples[0] = 1.5;
    const std::string cell = FormatStimulus(2, s, true);
    EXPECT_THAT(cell, HasSubstr("Interbaseline 0.000000\n1.500000\n0.000000\n"));

    ParameterSet set = initialSettings();
    set.waveform = 2;
    const ParameterSet back = parsed(FormatSettings(set) + cell);
    ASSERT_EQ(back.stimulus.cellSamples.size(), 1004u);
    EXPECT_EQ(back.stimulus.cellSamples[0], 1.5);

    set.waveform = 4;
    const ParameterSet poisson = parsed(FormatSettings(set) + FormatStimulus(4, s, false));
    EXPECT_EQ(poisson.stimulus.frequency, 5);
    EXPECT_EQ(poisson.stimulus.pulseWidth, 5);
}

TEST(ParameterText, AFileCutAtAnyLineIsRefusedWithThatLine) {
    ParameterSet set = initialSettings();
    set.waveform = 0;
    const std::string text = FormatSettings(set) + FormatStimulus(0, set.stimulus, false);
    int lines = 0;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
        ++lines;
        const ReadFailure failure = refused(text.substr(0, at));
        EXPECT_GE(failure.line, lines - 1) << "cut after line " << lines;
        EXPECT_FALSE(failure.what.empty());
    }
    EXPECT_GT(lines, 100);
}

TEST(ParameterText, ValuesThatCannotBeUsedAreRefusedWithTheirKey) {
    const std::string text = FormatSettings(initialSettings());
    const ReadFailure rate = refused(withLine(text, "4.000000", "3.500000"));
    EXPECT_EQ(rate.line, 3);
    EXPECT_THAT(rate.what, HasSubstr("Sampling rate"));

    const ReadFailure gain = refused(withLine(text,
                                              "BoardGain 1\nUnit V\nScaleFactor 1.000000\n"
                                              "FilterType 0\nWindowType 2\nWindowSize 55\n"
                                              "LowCutoff 500.000000\nHighCutoff 500.000000\n"
                                              "Channel: 1",
                                              "BoardGain 7\nUnit V\nScaleFactor 1.000000\n"
                                              "FilterType 0\nWindowType 2\nWindowSize 55\n"
                                              "LowCutoff 500.000000\nHighCutoff 500.000000\n"
                                              "Channel: 1"));
    EXPECT_EQ(gain.key, "BoardGain");
    EXPECT_THAT(gain.what, HasSubstr("gain 7"));

    EXPECT_EQ(refused(withLine(text,
                               "Unit V\nScaleFactor 1.000000\nFilterType 0\nWindowType 2\n"
                               "WindowSize 55\nLowCutoff 500.000000\nHighCutoff "
                               "500.000000\nChannel: 1",
                               "Unit mV\nScaleFactor 0.000000\nFilterType 0\nWindowType 2\n"
                               "WindowSize 55\nLowCutoff 500.000000\nHighCutoff "
                               "500.000000\nChannel: 1"))
                  .key,
              "ScaleFactor");
    EXPECT_THAT(refused(withLine(text, "Unit V\nScaleFactor", "Unit mVx\nScaleFactor")).what,
                HasSubstr("one or two characters"));
    EXPECT_THAT(refused(withLine(text, "NumStretches 100", "NumStretches ten")).what,
                HasSubstr("not a whole number"));
    EXPECT_EQ(refused(withLine(text, "VanixVersion:", "Version:")).key, "VanixVersion:");
    EXPECT_EQ(refused(withLine(text, "SavingInterval", "Saving")).key, "SavingInterval");
}

// Values "%f" would round away are written with the decimals they need and come back exactly;
// values "%f" holds keep its six decimals.
TEST(ParameterText, EveryValueComesBackExactlyFromItsOwnFile) {
    ParameterSet set = initialSettings();
    set.channels[2].scaleFactor = 4e-7;
    set.channels[3].scaleFactor = 1.5e-6;
    set.channels[4].gain = 1.0 / 3.0;
    set.channels[4].offset = 2.5e-7;
    set.conversion = 0.000123456;
    set.waveform = 2;
    set.stimulus.amplitude = 1000.0;
    set.stimulus.cellSamples.assign(kCellSamples, 0.25);
    set.stimulus.cellSamples[7] = 0.1 + 0.2;  // 0.30000000000000004
    const std::string text = FormatParameters(set);
    EXPECT_THAT(text, HasSubstr("\nScaleFactor 0.0000004\n"));
    EXPECT_THAT(text, HasSubstr("\nScaleFactor 0.0000015\n"));
    EXPECT_THAT(text, HasSubstr("\nAmp 1000.000000\n"));
    EXPECT_THAT(text, HasSubstr("\n0.250000\n"));
    EXPECT_EQ(parsed(text), set);
}

// The trailer follows the fixed layout, which stays as it was; a file without it reads as
// before; unknown keys are left out and named; a key twice, a bad value, or text after the
// fixed layout that is not the trailer refuse the file.
TEST(ParameterText, SettingsBeyondTheFixedLayoutTravelInTheTrailer) {
    ParameterSet set = initialSettings();
    set.waveform = 4;
    set.stimulus.frequency = 2;
    set.stimulus.pulseWidth = 5;
    set.stimulus.duration = 3000;
    set.stimulus.numRepeats = 1;
    set.stimulusExtras.panelControls = {{"POISSON_FREQUENCY", 2.5}, {"POISSON_DURATION", 5.25}};
    const std::string fixed = FormatSettings(set) + FormatStimulus(4, set.stimulus, false);
    const std::string text = FormatParameters(set);
    ASSERT_THAT(text, StartsWith(fixed));
    EXPECT_EQ(text.substr(fixed.size()), std::string("\n") + kTrailerHeading +
                                             "\nPOISSON_DURATION 5.25\nPOISSON_FREQUENCY 2.5\n");
    EXPECT_EQ(parsed(text), set);
    EXPECT_TRUE(parsed(fixed).stimulusExtras.panelControls.empty());

    const ParameterSet newer = parsed(text + "RESULT_WINDOW 1 2\n//a note\n\nZAP_SOMETHING 3\n");
    EXPECT_EQ(newer.unknownKeys, (std::vector<std::pair<int, std::string>>{
                                     {115, "RESULT_WINDOW"}, {118, "ZAP_SOMETHING"}}));
    EXPECT_EQ(refused(text + "POISSON_DURATION 6\n").what, "the key is given a second time");
    const ReadFailure fraction =
        refused(withLine(text, "POISSON_DURATION 5.25", "POISSON_DURATION x"));
    EXPECT_EQ(fraction.line, 113);
    EXPECT_EQ(fraction.key, "POISSON_DURATION");
    EXPECT_THAT(refused(withLine(text, "FREQUENCY 2.5", "FREQUENCY 3.5")).what,
                HasSubstr("2 does not agree with POISSON_FREQUENCY 3.5"));
    EXPECT_EQ(refused(fixed + "\nleft over").key, "left");

    // A cell file without samples: the trailer's heading is not taken for one.
    set.waveform = 2;
    set.stimulus.frequency = set.stimulus.pulseWidth = 0;  // the cell kind does not carry them
    set.stimulusExtras.panelControls.clear();
    set.stimulusExtras.cellFollows = std::vector<double>{100.0, -2.5, 1e-9};
    EXPECT_THAT(FormatParameters(set), HasSubstr("\nCELL_FOLLOWS 3 100 -2.5 1e-09\n"));
    EXPECT_EQ(parsed(FormatParameters(set)), set);
    // After Ornstein-Uhlenbeck noise the chained values come 10 a ms, and the file says so.
    set.stimulusExtras.cellFollowsPerMs = 10;
    EXPECT_THAT(FormatParameters(set), HasSubstr("\nCELL_FOLLOWS_PER_MS 10\n"));
    EXPECT_EQ(parsed(FormatParameters(set)), set);
    EXPECT_EQ(
        refused(withLine(FormatParameters(set), "CELL_FOLLOWS_PER_MS 10", "CELL_FOLLOWS_PER_MS 11"))
            .key,
        "CELL_FOLLOWS_PER_MS");
}

TEST(ParameterText, TheResultsMeasurementsTravelInTheTrailer) {
    using trelvanix::results::MeasureKind;
    using trelvanix::results::Region;
    ParameterSet set = initialSettings();
    set.waveform = 0;
    set.measurements[1] = {"Vss", 0, MeasureKind::Mean, {770, 800}, Region{400, 490.5}, 0};
    set.measurements[2] = {"Spikes", 4, MeasureKind::SpikeCount, {0, 1900}, std::nullopt, 1.5};
    const std::string text = FormatParameters(set);
    EXPECT_THAT(text, HasSubstr("\nMEASUREMENT_1 Vss 0 mean 770 800 400 490.5 0\n"
                                "MEASUREMENT_2 Spikes 4 spike-count 0 1900 - - 1.5\n"));
    EXPECT_EQ(parsed(text), set);

    const auto refusal = [&](const std::string& replacement) {
        return refused(
            withLine(text, "MEASUREMENT_2 Spikes 4 spike-count 0 1900 - - 1.5", replacement));
    };
    EXPECT_EQ(refusal("MEASUREMENT_2 Spikes 4 spikes 0 1900 - - 1.5").what,
              "\"spikes\" is not a kind: mean, minimum, maximum, peak, peak-to-peak, "
              "time-of-peak, slope, spike-count");
    EXPECT_EQ(refusal("MEASUREMENT_2 Vss 4 mean 0 1900 - - 1.5").what,
              "the name Vss is given to measurement 1 too");
    EXPECT_EQ(refusal("MEASUREMENT_2 Late 4 mean 10 20 15 30 0").what,
              "The measurement Late: the baseline region (15 to 30 ms) must end before the "
              "measurement region starts (10 ms).");
    EXPECT_EQ(refusal("MEASUREMENT_17 Spikes 4 mean 0 1900 - - 1.5").what,
              "measurements are numbered 1 to 16");
    const ReadFailure short_ = refusal("MEASUREMENT_2 Spikes 4 mean 0 1900");
    EXPECT_EQ(short_.key, "MEASUREMENT_2");
    EXPECT_EQ(short_.what,
              "expected NAME CHANNEL KIND START END BASE_START BASE_END THRESHOLD, not 5 words");
}

// Every value is checked against what its control accepts; the first that does not fit
// refuses the file with its line, key, value and the accepted range.
TEST(ParameterText, AValueItsControlDoesNotAcceptRefusesTheFile) {
    ParameterSet set = initialSettings();
    set.waveform = 0;
    const std::string pulse = FormatParameters(set);
    set.waveform = 5;
    set.stimulus.duration = 250;
    const std::string sine = FormatParameters(set);
    struct Case {
        const std::string& text;
        std::string line, replacement, key, what;
    };
    const Case cases[] = {
        {pulse, "Gain 1.000000", "Gain 0", "Gain",
         "0 is outside the accepted range, 0.000001 to 1000000"},
        {pulse, "Gain 1.000000", "Gain -2", "Gain", "-2 is outside"},
        {pulse, "WindowSize 55", "WindowSize 1000001", "WindowSize",
         "1000001 is outside the accepted range, 1 to 4095"},
        {pulse, "PreTime 500", "PreTime 2000000000", "PreTime", "to 3600000"},
        {pulse, "NumRepeats 1", "NumRepeats -3", "NumRepeats",
         "-3 is outside the accepted range, 1 to 100000"},
        {pulse, "Pulse_0_Dur 0.000000", "Pulse_0_Dur 1e15", "Pulse_0_Dur", "1e15 is outside"},
        {sine, "Duration 250", "Duration -250", "Duration",
         "-250 is outside the accepted range, 1 to"},
        {pulse, "Conversionfactor 1.000000", "Conversionfactor 0", "Conversionfactor",
         "0 is outside"},
        {pulse, "Conversionfactor 1.000000", "Conversionfactor -20", "Conversionfactor",
         "-20 is outside"},
        {pulse, "InjectChannel 0", "InjectChannel 5", "InjectChannel",
         "5 is not one of the accepted values 0, 1"},
        {pulse, "NumStretches 100", "NumStretches 2000000000", "NumStretches",
         "2000000000 is outside the accepted range, 1 to 1000000"},
        {pulse, "Unit V", "Unit \x01\x02", "Unit", "without blanks or control characters"},
        {pulse, "Offset 0.000000", "Offset 1e300", "Offset",
         "1e300 is outside the accepted range, -50000 to 50000"},
    };
    for (const Case& c : cases) {
        const std::string text = withLine(c.text, c.line, c.replacement);
        const int line = static_cast<int>(std::count(
                             text.begin(), text.begin() + text.find(c.replacement), '\n')) +
                         1;
        const ReadFailure failure = refused(text);
        EXPECT_EQ(failure.line, line) << c.replacement;
        EXPECT_EQ(failure.key, c.key) << c.replacement;
        EXPECT_THAT(failure.what, HasSubstr(c.what)) << c.replacement;
    }
}

// Cell samples that are missing or not numbers are named as such, not as the key before them.
TEST(ParameterText, DamagedCellSamplesAreNamedAsSuch) {
    ParameterSet set = initialSettings();
    set.waveform = 2;
    set.stimulus.cellSamples.assign(kCellSamples, 1.0);
    const std::string text = FormatParameters(set);
    const std::string common = "Interbaseline 0.000000\n";
    const std::string threeSamples = text.substr(0, text.find(common) + common.size() + 27);
    const ReadFailure missing = refused(threeSamples);
    EXPECT_EQ(missing.key, "cell waveform");
    EXPECT_EQ(missing.what, "the file holds 3 of its 1004 samples");
    const ReadFailure notANumber = refused(threeSamples + "nan\n");
    EXPECT_EQ(notANumber.key, "cell waveform sample 4");
    EXPECT_EQ(notANumber.what, "\"nan\" is not a number");
}

}  // namespace
