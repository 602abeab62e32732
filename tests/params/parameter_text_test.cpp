// The parameter file's text on its own: the exact layout, and the reader that refuses a short or
// damaged file whole, naming the line and key where it failed.

#include "params/parameter_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

using namespace trelvanix::params;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

// The default board: +-10, +-5, +-1 and +-0.2 V.
const ParameterLimits kBoard{{0.5f, 1.0f, 5.0f, 25.0f}};

ParameterSet initialSettings() {
    ParameterSet set;
    set.directory = "/data";
    set.savingInterval = 60.0;
    set.channels[0].ticked = 1;
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

}  // namespace
