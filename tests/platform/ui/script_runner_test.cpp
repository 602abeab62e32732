#include "platform/ui/script_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/clock/clock.h"
#include "platform/ui/headless_front_end.h"
#include "platform/ui/model.h"
#include "platform/ui/resource.h"
#include "platform/ui/toolkit.h"

using namespace trelvanix;
using namespace trelvanix::ui;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

// What the operator's actions reached, as "WHAT:EVENT" or "WHAT=answer" lines.
std::vector<std::string> happened;

const char* eventName(int event) {
    switch (event) {
        case EVENT_COMMIT:
            return "commit";
        case EVENT_VAL_CHANGED:
            return "changed";
        case EVENT_LEFT_CLICK:
            return "click";
        case EVENT_CLOSE:
            return "close";
        default:
            return "other";
    }
}

int Record(int panel, int control, int event, void*, int data1, int data2) {
    std::string line = Model::instance().control(panel, control)->name + ":" + eventName(event);
    if (event == EVENT_LEFT_CLICK)
        line += "@" + std::to_string(data2) + "," + std::to_string(data1);
    happened.push_back(line);
    return 0;
}

int PanelEvent(int, int event, void*, int, int) {
    happened.push_back(std::string("panel:") + eventName(event));
    return 0;
}

void MenuChosen(int menuBar, int item, void*, int) {
    happened.push_back("menu:" + Model::instance().menuItem(menuBar, item)->name);
}

// Shows a message pop-up; then asks for a confirmation, a file and a directory.
int Ask(int, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    MessagePopup("Hello", "two\nlines");
    happened.push_back("confirm=" + std::to_string(ConfirmPopup("Sure?", "Really")));
    std::string path;
    const int file =
        FileSelectPopup("", "*.par", "*.*", "Load", VAL_LOAD_BUTTON, 0, 0, 1, 1, &path);
    happened.push_back("file=" + std::to_string(file) + " " + path);
    const int dir = DirSelectPopup("", "Where", 1, 1, &path);
    happened.push_back("dir=" + std::to_string(dir) + " " + path);
    return 0;
}

// Polls for events the way an acquisition loop does, until STOP is pressed.
bool looping = false;
int Loop(int panel, int, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    looping = true;
    happened.push_back("loop:start");
    while (looping && !Model::instance().quitRequested) {
        programClock().waitUntil(Timer() + 0.1);
        GetUserEvent(0, nullptr, nullptr);
    }
    happened.push_back("loop:end at " + std::to_string(static_cast<int>(Timer())));
    return 0;
}

int Stop(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) looping = false;
    return 0;
}

const char* kResource =
    "panel T resource=1 callback=PanelEvent menubar=MB\n"
    "control T GAIN kind=numeric min=0 max=10 callback=Record\n"
    "control T NAME kind=string callback=Record\n"
    "control T MODE kind=ring items=\"Low:1|High:2\" callback=Record\n"
    "control T ON kind=checkbox callback=Record\n"
    "control T GO kind=button callback=Record\n"
    "control T OFF kind=button dimmed=1 callback=Record\n"
    "control T PLOT kind=graph width=200 height=100 callback=Record\n"
    "control T ASK kind=button callback=Ask\n"
    "control T LOOP kind=button callback=Loop\n"
    "control T STOP kind=button callback=Stop\n"
    "menubar MB\nmenu MB FILE\n"
    "item MB FILE SAVE callback=MenuChosen\n"
    "item MB FILE GREY dimmed=1 callback=MenuChosen\n";

class ScriptRunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Model::instance().reset();
        installSimulatedClock();
        happened.clear();
        registerResourceText("script_test.uir", kResource);
        registerControlCallback("Record", &Record);
        registerControlCallback("Ask", &Ask);
        registerControlCallback("Loop", &Loop);
        registerControlCallback("Stop", &Stop);
        registerPanelCallback("PanelEvent", &PanelEvent);
        registerMenuCallback("MenuChosen", &MenuChosen);
        Model::instance().setFrontEnd(&frontEnd_);
        panel_ = LoadPanel(0, "script_test.uir", 1);
        ASSERT_GT(panel_, 0);
    }
    void TearDown() override {
        Model::instance().setScript(nullptr);
        Model::instance().setFrontEnd(nullptr);
    }

    // Runs the script to its end; returns the exit status, with stdout and stderr kept.
    int run(const std::string& text) {
        auto parsed = parseScript(text, "test.script");
        if (auto* error = std::get_if<ScriptError>(&parsed)) {
            ADD_FAILURE() << "line " << error->line << ": " << error->message;
            return -1;
        }
        ScriptRunner runner(std::get<Script>(std::move(parsed)));
        std::optional<int> status;
        runner.setEnding([&](int s) {
            if (!status) status = s;
            QuitUserInterface(s);
        });
        runner.setBeforeEnd([] { happened.push_back("before end"); });
        Model::instance().setScript(&runner);
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        RunUserInterface();
        out_ = ::testing::internal::GetCapturedStdout();
        err_ = ::testing::internal::GetCapturedStderr();
        Model::instance().setScript(nullptr);
        return status.value_or(-1);
    }

    Control& control(const std::string& name) {
        return *Model::instance().panel(panel_)->findByName(name);
    }

    HeadlessFrontEnd frontEnd_{[](int s) { QuitUserInterface(s); }};
    int panel_ = 0;
    std::string out_, err_;
};

TEST_F(ScriptRunnerTest, SetChangesTheValueLikeAnOperatorThenCommits) {
    // Out of range numbers are coerced into the range, as the control does for an operator.
    EXPECT_EQ(run("set T GAIN 12.5\nget T GAIN\n"), 0);
    EXPECT_EQ(out_, "T GAIN = 10\n");

    happened.clear();
    EXPECT_EQ(run("set T GAIN 2.25\nset T NAME \"two words\"\nset T MODE 2\nset T T_ON 1\n"
                  "get T GAIN\nget T NAME\nget T MODE\nget T ON\n"),
              0);
    EXPECT_THAT(happened, ElementsAre("GAIN:changed", "GAIN:commit", "NAME:changed", "NAME:commit",
                                      "MODE:changed", "MODE:commit", "ON:changed", "ON:commit",
                                      "before end"));
    EXPECT_EQ(out_, "T GAIN = 2.25\nT NAME = two words\nT MODE = 2\nT ON = 1\n");
    EXPECT_EQ(control("MODE").index, 1);
}

TEST_F(ScriptRunnerTest, PressClickMenuAndCloseReachTheirCallbacks) {
    EXPECT_EQ(run("press T GO\npress T OFF\nclick T PLOT 90 40\nclick T GO\nmenu MB_FILE_SAVE\n"
                  "menu MB_FILE_GREY\nclose T\n"),
              0);
    EXPECT_THAT(happened, ElementsAre("GO:commit", "PLOT:click@90,40", "PLOT:commit",
                                      "GO:click@50,12", "menu:SAVE", "panel:close", "before end"));
    EXPECT_THAT(err_, HasSubstr("test.script:2: T OFF is dimmed"));
    EXPECT_THAT(err_, HasSubstr("test.script:6: menu item MB_FILE_GREY is dimmed"));
    EXPECT_EQ(control("PLOT").mouseX, 90);
    EXPECT_EQ(control("PLOT").mouseY, 40);
}

TEST_F(ScriptRunnerTest, AnswersAndExpectationsMeetThePopUps) {
    const std::string existing = ::testing::TempDir();
    EXPECT_EQ(run("expect popup \"Hello\" \"two\\nlines\"\nanswer confirm no\n"
                  "answer file " +
                  existing +
                  "\nanswer dir /data\npress T ASK\n"
                  "answer confirm yes\nanswer file cancel\nanswer dir cancel\npress T ASK\n"),
              0);
    EXPECT_THAT(happened,
                ElementsAre("confirm=0",
                            "file=" + std::to_string(VAL_EXISTING_FILE_SELECTED) + " " + existing,
                            "dir=1 /data", "confirm=1", "file=0 ", "dir=0 ", "before end"));
    EXPECT_THAT(out_, HasSubstr("popup \"Hello\" \"two\\nlines\"\n"));
}

TEST_F(ScriptRunnerTest, AFailedExpectationEndsWithAFailure) {
    EXPECT_EQ(run("expect popup \"Hello\" \"one line\"\nanswer confirm yes\nanswer file x\n"
                  "answer dir y\npress T ASK\n"),
              ScriptRunner::kFailureStatus);
    EXPECT_THAT(err_, HasSubstr("test.script:1: expected popup \"Hello\" \"one line\", got popup "
                                "\"Hello\" \"two\\nlines\""));

    EXPECT_EQ(run("expect popup \"Never\" \"shown\"\npress T GO\n"), ScriptRunner::kFailureStatus);
    EXPECT_THAT(err_,
                HasSubstr("test.script:1: the expected popup \"Never\" \"shown\" never came"));
}

TEST_F(ScriptRunnerTest, AnUnansweredPopUpEndsWithAFailure) {
    EXPECT_EQ(run("wait 1\npress T ASK\n"), ScriptRunner::kFailureStatus);
    EXPECT_THAT(err_, HasSubstr("test.script:2: the confirm pop-up \"Sure?\" has no answer"));
    EXPECT_EQ(happened.front(), "before end");

    // Without a script the headless front end refuses to answer.
    std::optional<int> status;
    HeadlessFrontEnd headless([&](int s) { status = s; });
    Model::instance().setFrontEnd(&headless);
    ::testing::internal::CaptureStderr();
    std::string path;
    EXPECT_EQ(FileSelectPopup("", "*.par", "*.*", "Load", VAL_LOAD_BUTTON, 0, 0, 1, 1, &path),
              VAL_NO_FILE_SELECTED);
    EXPECT_THAT(::testing::internal::GetCapturedStderr(),
                HasSubstr("the file pop-up \"Load\" has no answer"));
    EXPECT_EQ(status, HeadlessFrontEnd::kUnansweredStatus);
}

TEST_F(ScriptRunnerTest, UnknownNamesFailWithTheScriptLine) {
    EXPECT_EQ(run("press T GO\npress NOPE GO\n"), ScriptRunner::kFailureStatus);
    EXPECT_THAT(err_, HasSubstr("test.script:2: no panel NOPE is loaded"));
    EXPECT_EQ(run("get T NOPE\n"), ScriptRunner::kFailureStatus);
    EXPECT_THAT(err_, HasSubstr("test.script:1: panel T has no control NOPE"));
    EXPECT_EQ(run("menu MB_FILE_NOPE\n"), ScriptRunner::kFailureStatus);
    EXPECT_EQ(run("set T GAIN ten\n"), ScriptRunner::kFailureStatus);
    EXPECT_EQ(run("screenshot T /tmp/x.png\n"), ScriptRunner::kFailureStatus);
    EXPECT_THAT(err_, HasSubstr("need the window front end"));
}

TEST_F(ScriptRunnerTest, ActionsWaitForTheClockAndForPendingEvents) {
    // STOP is pressed inside LOOP's callback, which polls for events itself.
    EXPECT_EQ(run("press T LOOP\nwait 3\npress T STOP\nquit\npress T GO\n"), 0);
    EXPECT_THAT(happened, ElementsAre("loop:start", "loop:end at 3", "before end"));
    EXPECT_GE(Timer(), 3.0);
}

TEST(ScriptParser, ABadLineIsReportedBeforeAnythingRuns) {
    struct Case {
        std::string text;
        int line;
        std::string says;
    };
    const std::vector<Case> cases = {
        {"press T GO\njump T\n", 2, "unknown command \"jump\""},
        {"set T GAIN\n", 1, "expected set PANEL CONTROL VALUE"},
        {"# note\nclick T G 1\n", 2, "expected click PANEL CONTROL [X Y]"},
        {"click T G a b\n", 1, "whole pixels"},
        {"wait soon\n", 1, "wait takes a number"},
        {"wait -1\n", 1, "wait takes a number"},
        {"answer confirm maybe\n", 1, "yes or no"},
        {"answer printer x\n", 1, "expected answer file"},
        {"expect popup \"A\"\n", 1, "expected expect popup"},
        {"expect popup \"A\" \"B\n", 1, "unterminated"},
        {"quit now\n", 1, "expected quit"},
        {"zoom T G 1\n", 1, "expected zoom PANEL CONTROL T0 T1 [Y0 Y1]"},
        {"zoom T G 1 2 3\n", 1, "expected zoom"},
        {"cursor T G 3 1.5\n", 1, "expected cursor PANEL CONTROL 1|2 T"},
        {"drag T G 1 2 3\n", 1, "expected drag PANEL CONTROL X0 Y0 X1 Y1"},
        {"wheel T G 1 2 up\n", 1, "expected wheel PANEL CONTROL X Y STEPS [ctrl]"},
        {"doubleclick T G 1\n", 1, "expected doubleclick PANEL CONTROL [X Y]"},
    };
    for (const Case& c : cases) {
        auto parsed = parseScript(c.text, "s");
        ASSERT_TRUE(std::holds_alternative<ScriptError>(parsed)) << c.text;
        EXPECT_EQ(std::get<ScriptError>(parsed).line, c.line) << c.text;
        EXPECT_THAT(std::get<ScriptError>(parsed).message, HasSubstr(c.says));
    }
    auto missing = readScriptFile("/nonexistent/script.txt");
    ASSERT_TRUE(std::holds_alternative<std::string>(missing));
    EXPECT_THAT(std::get<std::string>(missing), HasSubstr("cannot read script file"));
}

TEST(ScriptFile, AFolderADeviceOrAHugeFileIsRefusedWithItsReason) {
    const std::string huge = ::testing::TempDir() + "huge_script.txt";
    std::ofstream(huge) << std::string((1 << 20) + 1, '#');
    for (const auto& [path, says] :
         {std::pair<std::string, std::string>{::testing::TempDir(), "it is a folder, not a script"},
          {"/dev/zero", "it is a device or a pipe"},
          {huge, "it is larger than 1 MB"}}) {
        auto read = readScriptFile(path);
        ASSERT_TRUE(std::holds_alternative<std::string>(read)) << path;
        EXPECT_THAT(std::get<std::string>(read),
                    HasSubstr("cannot read script file " + path + ": " + says));
    }
    std::filesystem::remove(huge);
}

}  // namespace
