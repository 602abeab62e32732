#include "tests/protocol/protocol_fixture.h"

#include <fstream>
#include <sstream>

#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"

namespace trelvanix::testing {

using namespace trelvanix::callbacks;

void ProtocolTest::SetUp() {
    ProgramTest::SetUp();
    ResetStimulusState();
    ASSERT_TRUE(startProgram());
    inject(0, 0, nullptr, 0);
    show_protocol(0, 0, nullptr, 0);
    ASSERT_GT(ProtocolHandle, 0);
    ::testing::internal::CaptureStdout();
}

void ProtocolTest::TearDown() {
    ::testing::internal::GetCapturedStdout();
    ResetStimulusState();
    ProgramTest::TearDown();
}

void ProtocolTest::chooseKind(int kind) {
    SetCtrlVal(InjectHandle, INJECT_WAVEFORM, kind);
    Set_waveform(InjectHandle, INJECT_WAVEFORM, EVENT_COMMIT, nullptr, 0, 0);
}

std::string ProtocolTest::writeFile(const std::string& name, const std::string& text) const {
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ProtocolTest::readFile(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void ProtocolTest::loadProtocol(const std::string& path) {
    useScript("answer file \"" + path + "\"\n");
    press(ProtocolHandle, PROTOCOL_LOAD, load_protocol);
}

void ProtocolTest::press(int panel, int control, int (*callback)(int, int, int, void*, int, int)) {
    callback(panel, control, EVENT_COMMIT, nullptr, 0, 0);
}

std::string ProtocolTest::popups() {
    std::istringstream printed(::testing::internal::GetCapturedStdout());
    ::testing::internal::CaptureStdout();
    std::string line, shown;
    while (std::getline(printed, line))
        if (line.rfind("popup ", 0) == 0) shown += line + "\n";
    return shown;
}

int ProtocolTest::intOf(int panel, int control) const {
    int value = 0;
    GetCtrlVal(panel, control, &value);
    return value;
}

double ProtocolTest::doubleOf(int panel, int control) const {
    double value = 0;
    GetCtrlVal(panel, control, &value);
    return value;
}

bool ProtocolTest::dimmed(int panel, int control) const {
    int value = 0;
    GetCtrlAttribute(panel, control, ATTR_DIMMED, &value);
    return value != 0;
}

}  // namespace trelvanix::testing
