// Errors of the driver operations: unknown names, bad handles and values, the extended
// error text, and injected faults at every operation.

#include "platform/driver/driver_errors.h"

#include <functional>
#include <map>

#include "platform/driver/fault_injection.h"
#include "tests/platform/driver/driver_test_support.h"

namespace trelvanix::driver::testing {
namespace {

using DriverErrorsTest = DriverTest;

bool mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(DriverErrorsTest, UnknownDevicesAndChannelsAreRefusedWithTheirNames) {
    double ranges[128];
    EXPECT_EQ(DAQmxGetDevAIVoltageRngs("Dev2", ranges, 128), kErrorInvalidDeviceId);
    EXPECT_TRUE(mentions(lastError(), "DAQmxGetDevAIVoltageRngs")) << lastError();
    EXPECT_TRUE(mentions(lastError(), "Dev2")) << lastError();

    TaskHandle task = nullptr;
    ASSERT_EQ(DAQmxCreateTask("", &task), 0);
    const auto addInput = [&](const char* name) {
        return DAQmxCreateAIVoltageChan(task, name, "", DAQmx_Val_RSE, -10, 10, DAQmx_Val_Volts,
                                        nullptr);
    };
    EXPECT_EQ(addInput("Dev9/ai0"), kErrorInvalidDeviceId);
    EXPECT_EQ(addInput("Dev1/ai8"), kErrorPhysicalChanDoesNotExist);
    EXPECT_TRUE(mentions(lastError(), "DAQmxCreateAIVoltageChan")) << lastError();
    EXPECT_TRUE(mentions(lastError(), "Dev1/ai8")) << lastError();
    EXPECT_EQ(addInput("Dev1/ao0"), kErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(addInput("Dev1/ai"), kErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(addInput("ai0"), kErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(addInput(""), kErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(addInput("Dev1/ai0:8"), kErrorPhysicalChanDoesNotExist);
    EXPECT_EQ(addInput("Dev1/ai2, ai5"), 0);  // a list; the second keeps the device
    // A refused channel adds nothing to the task.
    EXPECT_EQ(DAQmxCfgSampClkTiming(task, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 100), 0);
    std::vector<double> data(4);
    int32 got = 0;
    EXPECT_EQ(DAQmxReadAnalogF64(task, 2, 10.0, DAQmx_Val_GroupByScanNumber, data.data(), 4, &got,
                                 nullptr),
              0);
    release(task);

    TaskHandle output = nullptr;
    ASSERT_EQ(DAQmxCreateTask("", &output), 0);
    EXPECT_EQ(DAQmxCreateAOVoltageChan(output, "Dev1/ao2", "", -10, 10, DAQmx_Val_Volts, ""),
              kErrorPhysicalChanDoesNotExist);
    release(output);
}

TEST_F(DriverErrorsTest, ZeroStaleAndClearedHandlesAreInvalid) {
    uInt64 count = 0;
    double data[4];
    int32 got = 0;
    EXPECT_EQ(DAQmxStartTask(nullptr), kErrorInvalidTask);
    EXPECT_EQ(DAQmxGetReadTotalSampPerChanAcquired(nullptr, &count), kErrorInvalidTask);
    EXPECT_EQ(DAQmxReadAnalogF64(nullptr, 1, 1.0, 1, data, 4, &got, nullptr), kErrorInvalidTask);
    EXPECT_EQ(DAQmxWriteAnalogScalarF64(nullptr, 1, 1.0, 0.0, nullptr), kErrorInvalidTask);
    EXPECT_EQ(DAQmxStopTask(nullptr), kErrorInvalidTask);
    EXPECT_EQ(DAQmxClearTask(nullptr), kErrorInvalidTask);
    EXPECT_TRUE(mentions(lastError(), "DAQmxClearTask")) << lastError();

    TaskHandle task = inputTask({0}, 1000, 1000);
    ASSERT_EQ(DAQmxClearTask(task), 0);
    EXPECT_EQ(DAQmxClearTask(task), kErrorInvalidTask);
    EXPECT_EQ(DAQmxStopTask(task), kErrorInvalidTask);
    // A handle of a replaced board never reaches a task of the new one.
    TaskHandle old = inputTask({0}, 1000, 1000);
    resetSimulatedBoard();
    TaskHandle fresh = inputTask({0}, 1000, 1000);
    EXPECT_NE(old, fresh);
    EXPECT_EQ(DAQmxStartTask(old), kErrorInvalidTask);
    release(fresh);
}

TEST_F(DriverErrorsTest, ValuesOutOfRangeAndClashingNamesAreRefused) {
    TaskHandle task = nullptr;
    ASSERT_EQ(DAQmxCreateTask("Vanix_AnalogIn_Task", &task), 0);
    TaskHandle twin = nullptr;
    EXPECT_EQ(DAQmxCreateTask("Vanix_AnalogIn_Task", &twin), kErrorDuplicateTask);
    EXPECT_EQ(twin, nullptr);
    EXPECT_EQ(DAQmxCreateAIVoltageChan(task, "Dev1/ai0", "", DAQmx_Val_RSE, -20, 20,
                                       DAQmx_Val_Volts, nullptr),
              kErrorInvalidAttributeValue);
    EXPECT_TRUE(mentions(lastError(), "range")) << lastError();
    EXPECT_EQ(DAQmxCreateAIVoltageChan(task, "Dev1/ai0", "", DAQmx_Val_Diff, -10, 10,
                                       DAQmx_Val_Volts, nullptr),
              kErrorInvalidAttributeValue);
    EXPECT_EQ(DAQmxCfgSampClkTiming(task, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 100),
              kErrorNoChannelsInTask);
    ASSERT_EQ(DAQmxCreateAIVoltageChan(task, "Dev1/ai0", "", DAQmx_Val_RSE, -10, 10,
                                       DAQmx_Val_Volts, nullptr),
              0);
    EXPECT_EQ(DAQmxCfgSampClkTiming(task, "", 0.0, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 100),
              kErrorInvalidAttributeValue);
    ASSERT_EQ(DAQmxCfgSampClkTiming(task, "", 1000, DAQmx_Val_Rising, DAQmx_Val_ContSamps, 100), 0);
    std::vector<double> data(200);
    int32 got = 0;
    EXPECT_EQ(DAQmxReadAnalogF64(task, 50, 10.0, 1, data.data(), 49, &got, nullptr),
              kErrorReadBufferTooSmall);
    EXPECT_EQ(DAQmxReadAnalogF64(task, 200, 10.0, 1, data.data(), 200, &got, nullptr),
              kErrorInvalidAttributeValue);  // more than the buffer could ever hold
    EXPECT_EQ(DAQmxWriteAnalogScalarF64(task, 1, 10.0, 1.0, nullptr), kErrorChanTypeMismatch);
    release(task);

    TaskHandle output = nullptr;
    ASSERT_EQ(DAQmxCreateTask("", &output), 0);
    EXPECT_EQ(DAQmxCreateAOVoltageChan(output, "Dev1/ao0", "", -12, 12, DAQmx_Val_Volts, ""),
              kErrorInvalidAttributeValue);
    release(output);
}

TEST_F(DriverErrorsTest, ExtendedErrorTextIsSizedAndTruncatedLikeAString) {
    double ranges[128];
    DAQmxGetDevAIVoltageRngs("Nowhere", ranges, 128);
    const int32 needed = DAQmxGetExtendedErrorInfo(nullptr, 0);
    EXPECT_EQ(needed, static_cast<int32>(lastError().size() + 1));
    char small[8];
    EXPECT_EQ(DAQmxGetExtendedErrorInfo(small, sizeof small), 0);
    EXPECT_EQ(std::string(small), lastError().substr(0, 7));
    EXPECT_TRUE(mentions(lastError(), "-200220")) << lastError();
}

// One call of each operation that succeeds on a board with an input and an output task.
class FaultInjectionTest : public DriverTest, public ::testing::WithParamInterface<const char*> {
  protected:
    void SetUp() override {
        DriverTest::SetUp();
        input_ = inputTask({0, 1}, 1000, 10000);
        DAQmxStartTask(input_);
        output_ = playWaveform(0, {0.0, 1.0}, 100.0);
    }
    void TearDown() override {
        release(input_);
        release(output_);
        DriverTest::TearDown();
    }

    int32 callOnce(const std::string& operation) {
        double buffer[128];
        int32 count = 0;
        uInt64 total = 0;
        const double wave[2] = {0.5, -0.5};
        char text[256];
        const std::map<std::string, std::function<int32()>> calls = {
            {"DAQmxGetDevAIVoltageRngs",
             [&] { return DAQmxGetDevAIVoltageRngs("Dev1", buffer, 128); }},
            {"DAQmxCreateTask",
             [&] {
                 TaskHandle task = nullptr;
                 const int32 status = DAQmxCreateTask("", &task);
                 if (status == 0) DAQmxClearTask(task);
                 return status;
             }},
            {"DAQmxCreateAIVoltageChan",
             [&] {
                 return DAQmxCreateAIVoltageChan(scratchTask(), "Dev1/ai3", "", DAQmx_Val_RSE, -5,
                                                 5, DAQmx_Val_Volts, nullptr);
             }},
            {"DAQmxCreateAOVoltageChan",
             [&] {
                 return DAQmxCreateAOVoltageChan(scratchTask(), "Dev1/ao1", "", -10, 10,
                                                 DAQmx_Val_Volts, "");
             }},
            {"DAQmxCfgSampClkTiming",
             [&] {
                 TaskHandle task = scratchTask();
                 DAQmxCreateAOVoltageChan(task, "Dev1/ao1", "", -10, 10, DAQmx_Val_Volts, "");
                 return DAQmxCfgSampClkTiming(task, "OnboardClock", 100, DAQmx_Val_Rising,
                                              DAQmx_Val_ContSamps, 2);
             }},
            {"DAQmxStartTask", [&] { return DAQmxStartTask(input_); }},
            {"DAQmxGetReadTotalSampPerChanAcquired",
             [&] { return DAQmxGetReadTotalSampPerChanAcquired(input_, &total); }},
            {"DAQmxReadAnalogF64",
             [&] { return DAQmxReadAnalogF64(input_, 10, 10.0, 1, buffer, 128, &count, nullptr); }},
            {"DAQmxWriteAnalogF64",
             [&] { return DAQmxWriteAnalogF64(output_, 2, 1, 10.0, 0, wave, &count, nullptr); }},
            {"DAQmxWriteAnalogScalarF64",
             [&] {
                 TaskHandle task = scratchTask();
                 DAQmxCreateAOVoltageChan(task, "Dev1/ao1", "", -10, 10, DAQmx_Val_Volts, "");
                 return DAQmxWriteAnalogScalarF64(task, 1, 10.0, 1.0, nullptr);
             }},
            {"DAQmxStopTask", [&] { return DAQmxStopTask(output_); }},
            {"DAQmxClearTask",
             [&] {
                 TaskHandle task = nullptr;
                 DAQmxCreateTask("", &task);
                 const int32 status = DAQmxClearTask(task);
                 if (status != 0) scratch_.push_back(task);
                 return status;
             }},
            {"DAQmxGetExtendedErrorInfo", [&] { return DAQmxGetExtendedErrorInfo(text, 256); }},
        };
        return calls.at(operation)();
    }

    TaskHandle scratchTask() {
        TaskHandle task = nullptr;
        DAQmxCreateTask("", &task);
        scratch_.push_back(task);
        return task;
    }

    TaskHandle input_ = nullptr;
    TaskHandle output_ = nullptr;
    std::vector<TaskHandle> scratch_;
};

TEST_P(FaultInjectionTest, TheChosenCallFailsWithTheChosenStatusAndTheOthersRun) {
    const std::string operation = GetParam();
    ASSERT_TRUE(injectDriverFault(operation, 2, -123456));
    EXPECT_GE(callOnce(operation), 0) << lastError();
    EXPECT_EQ(callOnce(operation), -123456);
    if (operation != "DAQmxGetExtendedErrorInfo") {
        EXPECT_TRUE(mentions(lastError(), operation)) << lastError();
        EXPECT_TRUE(mentions(lastError(), "injected")) << lastError();
    }
    EXPECT_GE(callOnce(operation), 0) << lastError();
    for (TaskHandle task : scratch_) DAQmxClearTask(task);
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultInjectionTest,
                         ::testing::Values("DAQmxGetDevAIVoltageRngs", "DAQmxCreateTask",
                                           "DAQmxCreateAIVoltageChan", "DAQmxCreateAOVoltageChan",
                                           "DAQmxCfgSampClkTiming", "DAQmxStartTask",
                                           "DAQmxGetReadTotalSampPerChanAcquired",
                                           "DAQmxReadAnalogF64", "DAQmxWriteAnalogF64",
                                           "DAQmxWriteAnalogScalarF64", "DAQmxStopTask",
                                           "DAQmxClearTask", "DAQmxGetExtendedErrorInfo"));

TEST_F(DriverErrorsTest, AnInjectedFaultReplacesTheCallWithoutItsEffect) {
    ASSERT_TRUE(injectDriverFault("DAQmxCreateTask", 1, -200089));
    TaskHandle task = reinterpret_cast<TaskHandle>(1);
    EXPECT_EQ(DAQmxCreateTask("x", &task), -200089);
    EXPECT_EQ(task, nullptr);
    ASSERT_EQ(DAQmxCreateTask("x", &task), 0);  // the name was never taken
    release(task);

    std::string why;
    EXPECT_FALSE(injectDriverFault("DAQmxReadAnalog", 1, -1, &why));
    EXPECT_TRUE(mentions(why, "DAQmxReadAnalog")) << why;
    EXPECT_FALSE(injectDriverFault("DAQmxStartTask", 0, -1, &why));
    EXPECT_FALSE(injectDriverFault("DAQmxStartTask", 1, 0, &why));
}

}  // namespace
}  // namespace trelvanix::driver::testing
