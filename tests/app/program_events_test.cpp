#include "state/program_events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/app/program_fixture.h"

using namespace trelvanix;
using namespace trelvanix::testing;

namespace {

// Each event as one short line, with what a listener needs from it.
std::string summary(const events::Event& e) {
    auto fileNames = [&] {
        std::string names;
        for (const std::string& path : e.paths)
            names += " " + std::filesystem::path(path).filename().string();
        return names;
    };
    auto step = [&] {
        return std::to_string(e.number) + " of " + std::to_string(e.count) + " " + e.name + " " +
               std::to_string(int(e.value));
    };
    switch (e.kind) {
        case events::Kind::RecordingStarted:
            return "recording started" + fileNames();
        case events::Kind::RecordingFinished:
            return "recording finished" + fileNames();
        case events::Kind::StimulusStarted:
            return "stimulus started ao" + std::to_string(e.number);
        case events::Kind::StimulusEnded:
            // Also told when nothing played (a refused start, a second stop).
            return e.number < 0 ? "nothing plays" : "stimulus ended ao" + std::to_string(e.number);
        case events::Kind::StepStarted:
            return "step started " + step();
        case events::Kind::StepFinished:
            return "step finished " + step();
        case events::Kind::AcquisitionStarted:
            return "acquisition started";
        case events::Kind::AcquisitionStopped:
            return "acquisition stopped";
        case events::Kind::DriverError:
            return "driver error " + std::to_string(e.number);
        case events::Kind::PopupShown:
            return "popup " + e.name + " " + e.title;
        case events::Kind::Notice:
            return "notice";
    }
    return "?";
}

class ProgramEvents : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        events::Subscribe([this](const events::Event& e) { heard.push_back(summary(e)); });
    }
    std::vector<std::string> heard;
};

}  // namespace

// A recorded two-step protocol: each step is told as it starts and once its stimulus has ended,
// with its value; its recording's file is named as it opens and once it is finalised; the
// acquisition restarts each step asks for are told too.
TEST_F(ProgramEvents, ARecordedProtocolTellsItsStepsStimuliRecordingsAndRuns) {
    std::ofstream(folder / "steps.prt") << "1 PULSE_MV1 DOUBLE 2 \n20 40";
    useScript(
        "set PANEL CHECK_1 1\nset PANEL CHECK_0 0\nmenu MENUBAR_STIMULUS_INJECT\n"
        "set INJECT WAVEFORM 0\nset INJECT CHANNEL 1\nset INJECT RECORD 1\n"
        "menu MENUBAR_STIMULUS_PROTOCOL\nanswer file steps.prt\npress PROTOCOL LOAD\n"
        "set PROTOCOL PAUSE 1\npress PANEL ACQUIRE\nwait 0.5\npress PROTOCOL RUN\nwait 8\n"
        "press PANEL STOP\n");
    ASSERT_TRUE(startProgram());
    runFor(60);
    ASSERT_EQ(endStatus(), 0);

    std::vector<std::string> steps, opened, finalised;
    for (const std::string& line : heard) {
        if (line.rfind("step", 0) == 0 || line.rfind("stimulus", 0) == 0) steps.push_back(line);
        if (line.rfind("recording started ", 0) == 0) opened.push_back(line.substr(18));
        if (line.rfind("recording finished ", 0) == 0) finalised.push_back(line.substr(19));
    }
    EXPECT_EQ(steps, (std::vector<std::string>{
                         "step started 1 of 2 PULSE_MV1 20", "stimulus started ao1",
                         "stimulus ended ao1", "step finished 1 of 2 PULSE_MV1 20",
                         "step started 2 of 2 PULSE_MV1 40", "stimulus started ao1",
                         "stimulus ended ao1", "step finished 2 of 2 PULSE_MV1 40"}));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_NE(opened[0], opened[1]);
    EXPECT_EQ(finalised, opened);
    EXPECT_EQ(heard.front(), "popup file Select Protocol File");
    EXPECT_EQ(heard.back(), "acquisition stopped");
    // The first run, and one restart for each recorded step.
    EXPECT_EQ(std::count(heard.begin(), heard.end(), "acquisition started"), 3);
}

// A read the driver fails ends the run: the error is told with its status, then the stop.
TEST_F(ProgramEvents, AFailedReadIsToldWithItsStatusBeforeTheRunStops) {
    installBoard("fault DAQmxReadAnalogF64 5 -200279\n");
    useScript("press PANEL ACQUIRE\nwait 2\n");
    ASSERT_TRUE(startProgram());
    runFor(10);
    EXPECT_EQ(heard, (std::vector<std::string>{"acquisition started", "driver error -200279",
                                               "acquisition stopped"}));
}
