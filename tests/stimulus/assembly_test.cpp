#include "stimulus/assembly.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/clock/clock.h"

using namespace trelvanix;
using Outcome = AssembledStimulus::Outcome;

namespace {

std::vector<double> valuesOf(const AssembledStimulus& s) {
    return std::vector<double>(s.values.get(), s.values.get() + s.numPoints);
}

// Counts the values of [from, to) equal to v.
int countEqual(const std::vector<double>& v, int from, int to, double value) {
    return static_cast<int>(std::count(v.begin() + from, v.begin() + to, value));
}

StimulusParameters kind(int waveform) {
    StimulusParameters p;
    p.waveform = waveform;
    return p;
}

TEST(Assembly, DefaultPulseAndNoStimulus) {
    AssembledStimulus s = AssembleStimulus(kind(kPulse), {});
    ASSERT_EQ(s.outcome, Outcome::Built);
    EXPECT_EQ(s.totalTime, 1200.0);
    EXPECT_EQ(s.numPoints, 1200);
    EXPECT_EQ(s.previewCount, 1200);
    EXPECT_EQ(s.samplesPerSec, 1000.0);
    const std::vector<double> v = valuesOf(s);
    EXPECT_EQ(countEqual(v, 0, 500, 0.0), 500);
    EXPECT_EQ(countEqual(v, 500, 600, 1000.0), 100);
    EXPECT_EQ(countEqual(v, 600, 1200, 0.0), 600);

    AssembledStimulus none = AssembleStimulus(kind(kNoStimulus), {});
    ASSERT_EQ(none.outcome, Outcome::Built);
    EXPECT_EQ(none.numPoints, 1000);
    EXPECT_EQ(countEqual(valuesOf(none), 0, 1000, 0.0), 1000);
}

TEST(Assembly, PulseRepeatsStepsOneToThreeThenFourAndFiveOnce) {
    StimulusParameters p = kind(kPulse);
    p.pulseAmp = {1, 2, 3, 4, 5};
    p.pulseDur = {10, 10, 10, 10, 10};
    p.numRepeats = 3;
    p.numBurst = 2;
    p.interburst = 5;
    p.interbaseline = -7;
    p.baseline = 100;
    p.preTime = p.postTime = 0;
    const std::vector<double> v = valuesOf(AssembleStimulus(p, {}));
    ASSERT_EQ(v.size(), 2u * (90 + 20 + 5));
    for (int burst = 0; burst < 2; ++burst) {
        const int b = burst * 115;
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k) EXPECT_EQ(v[b + r * 30 + k * 10 + 3], 101.0 + k);
        EXPECT_EQ(v[b + 95], 104.0);
        EXPECT_EQ(v[b + 105], 105.0);
        EXPECT_EQ(countEqual(v, b + 110, b + 115, -7.0), 5);  // the gap has no baseline
    }
}

TEST(Assembly, RampSegmentsRunOnAndRestartAtZeroEachRepeat) {
    StimulusParameters p = kind(kRamp);
    p.rampAmp = {1000, 0, 0, 0, 0};
    p.rampDur = {100, 100, 0, 0, 0};
    p.numRepeats = 2;
    p.preTime = p.postTime = 0;
    const std::vector<double> v = valuesOf(AssembleStimulus(p, {}));
    ASSERT_EQ(v.size(), 400u);
    EXPECT_EQ(v[0], 0.0);
    EXPECT_EQ(v[99], 1000.0);
    EXPECT_EQ(v[100], 1000.0);  // the second segment starts at the first's end level
    EXPECT_EQ(v[199], 0.0);
    EXPECT_EQ(v[200], 0.0);  // the second repeat starts again at 0
    EXPECT_EQ(v[299], 1000.0);
}

TEST(Assembly, ZapGapsComeBeforeEachBurstAndDurationIncludesTheLeads) {
    StimulusParameters p = kind(kZap);
    p.zapSweepDuration = 1000;
    p.zap.freqStart = 10;
    p.zap.cyclesStart = 2;
    p.zap.freqEnd = 20;
    p.zap.cyclesEnd = 4;
    CorrectParameters(p);
    EXPECT_EQ(p.duration, 1400);
    EXPECT_EQ(StimulusLength(p, false), 1400.0);

    p.zapSweepDuration = 100;
    p.zap = ZapSettings{5, 5, 0, 0, 1, 0};
    CorrectParameters(p);
    p.interburst = 200;
    p.interbaseline = 3;
    p.numBurst = 2;
    p.baseline = 1;
    AssembledStimulus s = AssembleStimulus(p, {});
    const std::vector<double> v = valuesOf(s);
    ASSERT_EQ(v.size(), 500u + 2 * 300 + 500);
    EXPECT_EQ(countEqual(v, 500, 700, 3.0), 200);
    EXPECT_EQ(v[700], 1.0 + 1000 * std::sin(0.0));  // the sweep starts at phase 0
    EXPECT_EQ(countEqual(v, 800, 1000, 3.0), 200);
    EXPECT_EQ(v[1000], v[700]);
}

TEST(Assembly, FractionalGapFillsElevenPositionsAndEachKindContinuesAsItShould) {
    // Pulse (as ramp, sine and zap): the next burst starts at p + 10, over the last gap value.
    StimulusParameters pulse = kind(kPulse);
    pulse.pulseAmp = {5, 0, 0, 0, 0};
    pulse.pulseDur = {10, 0, 0, 0, 0};
    pulse.interburst = 10.5;
    pulse.interbaseline = -1;
    pulse.numBurst = 2;
    pulse.preTime = pulse.postTime = 0;
    const std::vector<double> a = valuesOf(AssembleStimulus(pulse, {}));
    EXPECT_EQ(countEqual(a, 10, 20, -1.0), 10);
    EXPECT_EQ(a[20], 5.0);  // the eleventh gap value was overwritten by burst 2
    EXPECT_EQ(countEqual(a, 30, 41, -1.0), 11);
    EXPECT_EQ(a.size(), 41u);  // every value written is inside the buffer

    // Poisson (as cell): the next burst starts after the eleventh gap value.
    StimulusParameters poisson = kind(kPoisson);
    poisson.duration = 10;
    poisson.dur = 10;
    poisson.wfAmp = 5;
    poisson.interburst = 10.5;
    poisson.interbaseline = -1;
    poisson.numBurst = 2;
    poisson.preTime = poisson.postTime = 0;
    const std::vector<double> b = valuesOf(AssembleStimulus(poisson, {}));
    EXPECT_EQ(countEqual(b, 10, 21, -1.0), 11);
    EXPECT_EQ(b[21], 5.0);
    EXPECT_EQ(b.size(), 42u);
}

TEST(Assembly, FractionalStepsSizeTheBufferFromWhatIsWritten) {
    StimulusParameters p = kind(kPulse);
    p.pulseAmp = {1, 2, 3, 4, 5};
    p.pulseDur = {0.5, 0.5, 0.5, 0.5, 0.5};  // 2.5 ms stated, 5 values written per repeat
    p.numRepeats = 4;
    p.preTime = 10;
    p.postTime = 10;
    AssembledStimulus s = AssembleStimulus(p, {});
    const std::vector<double> v = valuesOf(s);
    ASSERT_EQ(s.numPoints, 10 + 4 * 3 + 2 + 10);
    EXPECT_EQ(s.totalTime, s.numPoints);
    EXPECT_EQ(v[10 + 11], 3.0);
    EXPECT_EQ(v[10 + 13], 5.0);  // the last step is inside, followed by the post-time
    EXPECT_EQ(countEqual(v, 24, 34, 0.0), 10);

    StimulusParameters ramp = kind(kRamp);
    ramp.rampDur = {0.2, 0.2, 0.2, 0.2, 0.2};
    ramp.numRepeats = 3;
    EXPECT_EQ(AssembleStimulus(ramp, {}).numPoints, 500 + 15 + 500);
}

TEST(Assembly, SineCorrectionsAndTheDutyCycleSweep) {
    StimulusParameters p = kind(kSine);
    p.phase = 360;
    p.dutyCycle = 1.0;
    p.sineLockBaseline = 1;
    p.wfAmp = 40;
    CorrectParameters(p);
    EXPECT_EQ(p.phase, 0.0);
    EXPECT_EQ(p.dutyCycle, 0.5);
    EXPECT_EQ(p.baseline, 40.0);
    p.dutyCycle = 0.0;
    CorrectParameters(p);
    EXPECT_EQ(p.dutyCycle, 0.5);

    // Five bursts of one 1000 ms period: the positive half-wave lasts d * 1000 ms, d stepping
    // 0.1, 0.3, 0.5, 0.7, 0.9.
    StimulusParameters sweep = kind(kSine);
    sweep.duration = 1000;
    sweep.numBurst = 5;
    sweep.sineSweepDuty = 1;
    sweep.preTime = sweep.postTime = 0;
    const std::vector<double> v = valuesOf(AssembleStimulus(sweep, {}));
    ASSERT_EQ(v.size(), 5000u);
    const double duties[] = {0.1, 0.3, 0.5, 0.7, 0.9};
    for (int b = 0; b < 5; ++b) {
        const int positive = static_cast<int>(std::count_if(
            v.begin() + b * 1000, v.begin() + (b + 1) * 1000, [](double x) { return x > 1e-9; }));
        EXPECT_NEAR(positive, duties[b] * 1000, 1.0) << b;
    }

    // Centred: the period is read from the middle of its second half-wave, its minimum.
    StimulusParameters centred = kind(kSine);
    centred.duration = 1000;
    centred.sineCentre = 1;
    centred.preTime = centred.postTime = 0;
    const std::vector<double> c = valuesOf(AssembleStimulus(centred, {}));
    EXPECT_NEAR(c[0], -1000.0, 1e-6);
}

// The sine as the rules build it: every period from two half-waves of A sin(phase + 360 f i)
// degrees, each half-wave going on from the phase the one before left (reduced to [0, 360)),
// the duty cycle stepping from 0.1 to 0.9 over the bursts after a first build at the panel's.
struct ReferenceSine {
    std::vector<double> values;
    double phase;
};

ReferenceSine referenceSteppedSine(int n, double amplitude, double phase, int bursts, double duty) {
    ReferenceSine out{{}, phase};
    std::vector<double> period(n);
    auto halfWave = [&](int from, int count, double frequency) {
        for (int i = 0; i < count; ++i)
            period[from + i] =
                amplitude * std::sin((out.phase + 360.0 * frequency * i) * std::acos(-1.0) / 180.0);
        out.phase = std::fmod(out.phase + 360.0 * frequency * count, 360.0);
    };
    auto build = [&](double d) {
        const int first = static_cast<int>(n * d);
        halfWave(0, first, 0.5 / n / d);
        halfWave(first, n - first, 0.5 / n / (1.0 - d));
    };
    build(duty);
    for (int b = 0; b < bursts; ++b) {
        build(0.8 * b / (bursts - 1) + 0.1);
        out.values.insert(out.values.end(), period.begin(), period.end());
    }
    return out;
}

TEST(Assembly, TheSinePhaseCarriesOnFromOnePeriodBuiltToTheNext) {
    StimulusParameters p = kind(kSine);
    p.duration = 155;
    p.wfAmp = 900;
    p.phase = 30;
    p.numBurst = 4;
    p.sineSweepDuty = 1;
    p.preTime = p.postTime = 0;
    const AssembledStimulus s = AssembleStimulus(p, {});
    const ReferenceSine expected = referenceSteppedSine(155, 900, 30, 4, 0.5);
    const std::vector<double> v = valuesOf(s);
    ASSERT_EQ(v.size(), expected.values.size());
    for (std::size_t i = 0; i < v.size(); ++i) ASSERT_NEAR(v[i], expected.values[i], 1e-6) << i;
    EXPECT_NEAR(s.phaseAfter, expected.phase, 1e-9);
    EXPECT_GT(std::fabs(expected.phase - 30.0), 0.5);  // the phase did move on
}

TEST(Assembly, OrnsteinUhlenbeckIsLaidOutAtTenValuesPerMillisecond) {
    StimulusParameters p = kind(kNoise);
    p.noiseKind = 2;
    p.duration = 300;
    p.preTime = 100;
    p.postTime = 50;
    p.baseline = 10000;  // far above the noise, so the noise's extent shows
    AssembledStimulus s = AssembleStimulus(p, StimulusSources{.noiseSeed = 9});
    ASSERT_EQ(s.outcome, Outcome::Built);
    EXPECT_EQ(s.samplesPerSec, 10000.0);
    EXPECT_EQ(s.numPoints, 4500);
    EXPECT_EQ(s.previewCount, 4500);
    EXPECT_EQ(s.totalTime, 450.0);
    const std::vector<double> v = valuesOf(s);
    EXPECT_EQ(countEqual(v, 0, 1000, 0.0), 1000);
    EXPECT_TRUE(std::all_of(v.begin() + 1000, v.begin() + 4000, [](double x) { return x > 0; }));
    EXPECT_EQ(countEqual(v, 4000, 4500, 0.0), 500);
}

TEST(Assembly, ImpossibleValuesAreRefusedWithAReason) {
    StimulusParameters poisson = kind(kPoisson);
    poisson.frequency = 0.0;
    StimulusParameters zap = kind(kZap);
    zap.zap.sweepType = 3;
    StimulusParameters noise = kind(kNoise);
    noise.noiseKind = 5;
    StimulusParameters tau = kind(kNoise);
    tau.noiseKind = 2;
    tau.noiseTau = 0.0;
    for (const StimulusParameters& p : {poisson, zap, noise, tau}) {
        const AssembledStimulus s = AssembleStimulus(p, {});
        EXPECT_EQ(s.outcome, Outcome::Refused);
        EXPECT_EQ(s.errorTitle, "Error!");
        EXPECT_FALSE(s.errorText.empty());
        EXPECT_EQ(s.values, nullptr);
    }
}

TEST(Assembly, AStimulusBeyondTheLimitIsRefusedWithItsSizeBeforeAnythingIsAllocated) {
    // A sine of 1000 ms periods repeated 100 000 times, with pre- and post-time.
    StimulusParameters sine = kind(kSine);
    sine.duration = 1000;
    sine.numRepeats = 100000;
    AssembledStimulus s = AssembleStimulus(sine, {});
    EXPECT_EQ(s.outcome, Outcome::Refused);
    EXPECT_EQ(s.values, nullptr);
    EXPECT_EQ(s.errorText,
              "The stimulus would have 100001000 values (100001.0 s at 1000 values per second), "
              "more than the 67108864 values (67108.9 s) a stimulus may have. The previous "
              "stimulus is kept.");

    // A sweep from 0.01 Hz with 10 000 lead-in cycles: 10^9 ms of lead-in alone, whose own
    // work array would not fit either.
    StimulusParameters zap = kind(kZap);
    zap.zap.freqStart = 0.01;
    zap.zap.cyclesStart = 10000;
    CorrectParameters(zap);
    EXPECT_THAT(AssembleStimulus(zap, {}).errorText,
                ::testing::StartsWith("The stimulus would have 1000101000 values"));

    // Ornstein-Uhlenbeck noise counts ten values per ms; the limit is exact.
    StimulusParameters noise = kind(kNoise);
    noise.noiseKind = 2;
    noise.duration = 1000;
    noise.preTime = noise.postTime = 0;
    StimulusValueLimit() = 9999;
    EXPECT_THAT(AssembleStimulus(noise, {}).errorText,
                ::testing::StartsWith("The stimulus would have 10000 values (1.0 s at 10000 values "
                                      "per second), more than the 9999 values (1.0 s)"));
    StimulusValueLimit() = 10000;
    EXPECT_EQ(AssembleStimulus(noise, {}).outcome, Outcome::Built);
    StimulusValueLimit() = kStimulusValueLimit;
}

// Run in a child process whose address space leaves no room for the buffer asked for.
TEST(AssemblyDeathTest, MemoryThatCannotBeHadIsRefusedNamingTheSizeAskedFor) {
    auto assembleWithLittleMemory = [] {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlimit limit{static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (64 << 20),
                           RLIM_INFINITY};
        setrlimit(RLIMIT_AS, &limit);
        StimulusParameters p = kind(kPulse);
        p.pulseDur = {50000000, 0, 0, 0, 0};  // 50 M values, 400 MB
        const AssembledStimulus s = AssembleStimulus(p, {});
        std::fprintf(stderr, "%s", s.errorText.c_str());
        std::exit(s.outcome == Outcome::Refused ? 0 : 1);
    };
    EXPECT_EXIT(assembleWithLittleMemory(), ::testing::ExitedWithCode(0),
                "Not enough memory for a stimulus of 50001000 values \\(400 MB\\); the previous "
                "stimulus is kept\\.");
}

TEST(Assembly, CellPeriodsStretchTheShapeAndRotateToTheRequestedExtreme) {
    std::vector<double> cell(1006, 0.0);
    for (int i = 0; i < 1000; ++i) cell[i] = i < 500 ? 0.0 : 1.0;
    StimulusParameters p = kind(kCell);
    p.duration = 10;
    p.wfAmp = 2;
    p.numRepeats = 2;
    p.preTime = p.postTime = 0;
    AssembledStimulus s = AssembleStimulus(p, StimulusSources{.cellArray = cell.data()});
    std::vector<double> v = valuesOf(s);
    ASSERT_EQ(v.size(), 20u);
    EXPECT_EQ(v[4], 0.0);
    EXPECT_EQ(v[5], 2.0);

    p.cellPhase = 1;  // start each period at its first maximum
    s = AssembleStimulus(p, StimulusSources{.cellArray = cell.data()});
    v = valuesOf(s);
    EXPECT_EQ(v[0], 2.0);
    EXPECT_EQ(v[5], 0.0);
    EXPECT_EQ(v[10], 2.0);
    EXPECT_EQ(s.cellPhaseAfter, 0);
    EXPECT_EQ(CellPhaseShift(std::vector<double>{3, 7, 7, 1}.data(), 4, 1), 1);
    EXPECT_EQ(CellPhaseShift(std::vector<double>{3, 7, 7, 1}.data(), 4, 2), 3);

    // A shift longer than the period is refused, with the operator's message.
    StimulusSources broken{.cellArray = cell.data()};
    broken.cellPhase = [](const double*, int count, int) { return count + 1; };
    s = AssembleStimulus(p, broken);
    EXPECT_EQ(s.outcome, Outcome::Refused);
    EXPECT_EQ(s.errorTitle, "Error!");
    EXPECT_EQ(s.errorText, "Phase shift cannot be greater than duration.");

    // Without a cell waveform: zeros only, nothing to preview.
    s = AssembleStimulus(p, {});
    EXPECT_EQ(s.outcome, Outcome::NoCellWaveform);
    EXPECT_EQ(s.numPoints, 20);
}

TEST(Assembly, SecondFileComposition) {
    std::vector<double> cell(1006, 1.0);
    const std::vector<double> saved = {7, 7, 7};
    StimulusParameters p = kind(kCell);
    p.duration = 4;
    p.numRepeats = 1;
    p.numBurst = 2;  // the cell part is one burst; the composition repeats the whole
    p.wfAmp = 5;
    p.interburst = 1.5;
    p.interbaseline = -2;
    p.preTime = 2;
    p.postTime = 3;
    EXPECT_EQ(StimulusLength(p, true), 4.0);
    StimulusSources sources{.cellArray = cell.data(),
                            .secondFileLoaded = true,
                            .secondFile = saved.data(),
                            .secondFileCount = 3};
    AssembledStimulus s = AssembleStimulus(p, sources);
    ASSERT_EQ(s.outcome, Outcome::Built);
    const std::vector<double> expected = {0, 0, 7, 7, 7, 5, 5,  5,  5, -2, -2, 7,
                                          7, 7, 5, 5, 5, 5, -2, -2, 0, 0,  0};
    EXPECT_EQ(valuesOf(s), expected);
    EXPECT_EQ(s.totalTime, 23.0);
}

}  // namespace
