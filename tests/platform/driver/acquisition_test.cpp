// Input acquisition on the simulated board: ranges, the clock-driven sample count, the
// layout of reads, conversion, the buffer and timeouts, and reproducible signals.

#include <cmath>

#include "platform/driver/driver_errors.h"
#include "tests/platform/driver/driver_test_support.h"

namespace trelvanix::driver::testing {
namespace {

using AcquisitionTest = DriverTest;

TEST_F(AcquisitionTest, RangeQueryGivesPairsInDriverOrderAndZeroFillsTheRest) {
    std::vector<double> ranges(128, 99.0);
    ASSERT_EQ(DAQmxGetDevAIVoltageRngs("Dev1", ranges.data(), 128), 0);
    const std::vector<double> expected = {-10, 10, -5, 5, -1, 1, -0.2, 0.2};
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_DOUBLE_EQ(ranges[i], expected[i]);
    for (std::size_t i = expected.size(); i < ranges.size(); ++i) EXPECT_EQ(ranges[i], 0.0) << i;
    // Asked with no room, the driver answers with the number of values it needs.
    EXPECT_EQ(DAQmxGetDevAIVoltageRngs("Dev1", nullptr, 0), 8);
    EXPECT_EQ(DAQmxGetDevAIVoltageRngs("dev1", ranges.data(), 128), 0);
}

TEST_F(AcquisitionTest, AcquiredCountIsComputedFromTheClockAndFreezesWhenStopped) {
    clock_->advance(3.7);
    TaskHandle task = inputTask({0, 1}, 1000.0, 20000);
    uInt64 acquired = 99;
    ASSERT_EQ(DAQmxGetReadTotalSampPerChanAcquired(task, &acquired), 0);
    EXPECT_EQ(acquired, 0u);
    ASSERT_EQ(DAQmxStartTask(task), 0);
    clock_->advance(0.2505);
    DAQmxGetReadTotalSampPerChanAcquired(task, &acquired);
    EXPECT_EQ(acquired, 250u);  // whole samples only
    // Many small steps do not accumulate into a drift of the count.
    for (int i = 0; i < 1000; ++i) clock_->advance(0.0001);
    DAQmxGetReadTotalSampPerChanAcquired(task, &acquired);
    EXPECT_EQ(acquired, 350u);
    ASSERT_EQ(DAQmxStopTask(task), 0);
    clock_->advance(5.0);
    DAQmxGetReadTotalSampPerChanAcquired(task, &acquired);
    EXPECT_EQ(acquired, 350u);
    release(task);
}

TEST_F(AcquisitionTest, ReadsInterleaveByScanInChannelCreationOrder) {
    BoardConfig config = quietBoard();
    for (int ch = 0; ch < kSimulatedInputs; ++ch) config.inputs[ch].value = ch + 1.0;
    installSimulatedBoard(config);
    TaskHandle task = inputTask({3, 0, 6}, 1000.0, 1000);
    ASSERT_EQ(DAQmxStartTask(task), 0);
    const auto scans = read(task, 10, 3);
    for (int j = 0; j < 10; ++j) {
        EXPECT_NEAR(scans[j * 3 + 0], 4.0, 1e-3);
        EXPECT_NEAR(scans[j * 3 + 1], 1.0, 1e-3);
        EXPECT_NEAR(scans[j * 3 + 2], 7.0, 1e-3);
    }
    std::vector<double> byChannel(30);
    int32 got = 0;
    ASSERT_EQ(DAQmxReadAnalogF64(task, 10, 10.0, DAQmx_Val_GroupByChannel, byChannel.data(), 30,
                                 &got, nullptr),
              0);
    EXPECT_NEAR(byChannel[0], 4.0, 1e-3);
    EXPECT_NEAR(byChannel[9], 4.0, 1e-3);
    EXPECT_NEAR(byChannel[10], 1.0, 1e-3);
    EXPECT_NEAR(byChannel[29], 7.0, 1e-3);
    release(task);
}

// The count the program makes of a sample: truncate(volts x 65536 / span).
long long countOf(double volts, double span) {
    return static_cast<long long>(volts * 65536 / span);
}

TEST_F(AcquisitionTest, SamplesAreSixteenBitCodesOfTheRangeAndClipAtItsLimits) {
    BoardConfig config = quietBoard();
    config.inputs[0].value = 3.0;
    config.inputs[1].value = 12.0;
    config.inputs[2].value = -12.0;
    config.inputs[3].value = 5.0;
    config.inputs[4].value = 0.1;
    config.inputs[5].value = -0.7;
    installSimulatedBoard(config);

    TaskHandle wide = inputTask({0, 1, 2}, 1000.0, 1000, -10.0, 10.0);
    const auto w = read(wide, 1, 3);
    EXPECT_EQ(countOf(w[0], 20.0), 9830);  // 3.0 V is 9830.4 steps: the nearest code
    EXPECT_NEAR(w[0], 9830 * 20.0 / 65536, 1e-12);
    EXPECT_EQ(countOf(w[1], 20.0), 32767);  // clipped to the top code, one step below +10 V
    EXPECT_EQ(countOf(w[2], 20.0), -32768);
    EXPECT_DOUBLE_EQ(w[2], -10.0);
    release(wide);

    // Asking for ±3 V gets the narrowest range holding it, ±5 V; +5 V is past its top code.
    TaskHandle coerced = inputTask({3}, 1000.0, 1000, -3.0, 3.0);
    EXPECT_EQ(countOf(read(coerced, 1, 1)[0], 10.0), 32767);
    release(coerced);

    TaskHandle narrow = inputTask({4, 5}, 1000.0, 1000, -0.2, 0.2);
    const auto n = read(narrow, 1, 2);
    EXPECT_EQ(countOf(n[0], 0.4), 16384);
    EXPECT_EQ(countOf(n[1], 0.4), -32768);
    release(narrow);
}

TEST_F(AcquisitionTest, AReaderThatFallsBehindTheBufferGetsTheOverwriteError) {
    TaskHandle task = inputTask({0}, 1000.0, 500);
    ASSERT_EQ(DAQmxStartTask(task), 0);
    read(task, 100, 1);
    clock_->advance(0.5);  // 500 unread: exactly a full buffer is still readable
    read(task, 100, 1);
    clock_->advance(0.2);  // 600 unread
    std::vector<double> data(100);
    int32 got = 7;
    EXPECT_EQ(DAQmxReadAnalogF64(task, 100, 10.0, DAQmx_Val_GroupByScanNumber, data.data(), 100,
                                 &got, nullptr),
              kErrorSamplesNoLongerAvailable);
    EXPECT_EQ(got, 0);
    const std::string text = lastError();
    EXPECT_NE(text.find("DAQmxReadAnalogF64"), std::string::npos) << text;
    EXPECT_NE(text.find("overwritten"), std::string::npos) << text;
    // The lost samples stay lost: the next read fails the same way.
    EXPECT_EQ(DAQmxReadAnalogF64(task, 100, 10.0, DAQmx_Val_GroupByScanNumber, data.data(), 100,
                                 &got, nullptr),
              kErrorSamplesNoLongerAvailable);
    release(task);
}

TEST_F(AcquisitionTest, ReadsWaitForTheirSamplesAndGiveUpAtTheTimeout) {
    clock_->advance(1.0);
    TaskHandle task = inputTask({0, 1}, 1000.0, 10000);
    ASSERT_EQ(DAQmxStartTask(task), 0);
    read(task, 250, 2);
    EXPECT_NEAR(clock_->seconds(), 1.25, 1e-9);  // the wait ends when the last sample exists

    std::vector<double> data(2 * 5000);
    int32 got = 0;
    EXPECT_EQ(DAQmxReadAnalogF64(task, 5000, 2.0, DAQmx_Val_GroupByScanNumber, data.data(), 10000,
                                 &got, nullptr),
              kErrorSamplesNotYetAvailable);
    EXPECT_NEAR(clock_->seconds(), 3.25, 1e-9);
    EXPECT_EQ(got, 2000);  // what arrived before the timeout is returned
    EXPECT_NE(lastError().find("timeout"), std::string::npos) << lastError();
    // Nothing was lost: the next read continues after those samples.
    uInt64 acquired = 0;
    DAQmxGetReadTotalSampPerChanAcquired(task, &acquired);
    EXPECT_EQ(acquired, 2250u);
    EXPECT_EQ(DAQmxReadAnalogF64(task, DAQmx_Val_Auto, 0.0, DAQmx_Val_GroupByScanNumber,
                                 data.data(), 10000, &got, nullptr),
              0);
    EXPECT_EQ(got, 0);
    release(task);
}

std::vector<double> readAllChannels(double seconds, int chunk) {
    TaskHandle task = nullptr;
    DAQmxCreateTask("", &task);
    DAQmxCreateAIVoltageChan(task, "Dev1/ai0:7", "", DAQmx_Val_RSE, -10, 10, DAQmx_Val_Volts,
                             nullptr);
    DAQmxCfgSampClkTiming(task, "", 2000.0, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 100000);
    DAQmxStartTask(task);
    const int total = static_cast<int>(seconds * 2000);
    std::vector<double> all(static_cast<std::size_t>(total) * 8);
    int32 got = 0;
    for (int done = 0; done < total; done += chunk)
        DAQmxReadAnalogF64(task, chunk, 10.0, DAQmx_Val_GroupByScanNumber, all.data() + done * 8,
                           static_cast<uInt32>(chunk * 8), &got, nullptr);
    DAQmxStopTask(task);
    DAQmxClearTask(task);
    return all;
}

// Starts all eight inputs of `board` at 2000 S/s now, as task 1.
void startAllInputs(SimulatedBoard& board) {
    ASSERT_FALSE(board.createTask(1, "").failed());
    ASSERT_FALSE(
        board.addInputChannel(1, "Dev1/ai0:7", TerminalConfig::ReferencedSingleEnded, -10, 10)
            .failed());
    ASSERT_FALSE(board.configureSampleClock(1, "", 2000.0, ClockEdge::Rising, 100000).failed());
    ASSERT_FALSE(board.start(1).failed());
}

std::vector<double> readAllInputs(SimulatedBoard& board, double seconds, int chunk) {
    const int total = static_cast<int>(seconds * 2000);
    std::vector<double> all(static_cast<std::size_t>(total) * 8);
    std::int32_t got = 0;
    for (int done = 0; done < total; done += chunk)
        board.read(1, {chunk, 10.0, true, all.data() + done * 8, std::uint32_t(chunk * 8)}, &got);
    return all;
}

TEST_F(AcquisitionTest, TheSameSeedGivesTheSameSamplesWhateverTheChunkSize) {
    BoardConfig reseeded = defaultBoardConfig();
    reseeded.seed = 2;
    SimulatedBoard board(defaultBoardConfig()), twin(defaultBoardConfig()), other(reseeded);
    clock_->advance(0.123);
    for (SimulatedBoard* each : {&board, &twin, &other}) startAllInputs(*each);
    const auto first = readAllInputs(board, 1.0, 400);
    EXPECT_EQ(readAllInputs(twin, 1.0, 25), first);
    const auto different = readAllInputs(other, 1.0, 400);
    int differing = 0;
    for (std::size_t i = 5; i < first.size(); i += 8) differing += first[i] != different[i];
    EXPECT_GT(differing, 1000);  // ai5 is noise: another seed gives another stream
}

TEST_F(AcquisitionTest, TheBenchSignalsHaveTheirCharacter) {
    const auto all = readAllChannels(2.0, 400);
    const auto channel = [&](int ch) {
        std::vector<double> samples;
        for (std::size_t i = ch; i < all.size(); i += 8) samples.push_back(all[i]);
        return samples;
    };
    const auto deviation = [](const std::vector<double>& v) {
        double mean = 0, square = 0;
        for (double x : v) mean += x;
        mean /= v.size();
        for (double x : v) square += (x - mean) * (x - mean);
        return std::sqrt(square / v.size());
    };
    EXPECT_NEAR(channel(0)[100], -0.65, 0.01);  // the cell at rest
    EXPECT_NEAR(channel(1)[100], 0.0, 1e-3);    // ao1 is at 0 V
    EXPECT_NEAR(channel(2)[500], 2.0, 0.01);    // 1 Hz sine, a quarter period in
    const auto spikes = channel(4);
    EXPECT_GT(*std::max_element(spikes.begin(), spikes.end()), 2.5);
    EXPECT_NEAR(deviation(channel(5)), 0.01, 0.002);
    EXPECT_NEAR(deviation(channel(6)), 0.1, 0.02);
    EXPECT_NEAR(deviation(channel(7)), 1.0, 0.2);
}

}  // namespace
}  // namespace trelvanix::driver::testing
