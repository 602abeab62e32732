#include "tests/app/program_fixture.h"

#include <unistd.h>

#include "app/program_state.h"
#include "app/startup.h"
#include "daq/device_init.h"
#include "platform/clock/clock.h"
#include "platform/driver/board_file.h"
#include "platform/driver/simulated_board.h"
#include "platform/ui/model.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace trelvanix::testing {

void ProgramTest::SetUp() {
    previousDirectory_ = std::filesystem::current_path();
    folder = std::filesystem::temp_directory_path() /
             ("trelvanix_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);

    ResetProgramState();
    installSimulatedClock();
    DataFolder() = folder.string();
    frontEnd_ = std::make_unique<ui::HeadlessFrontEnd>([this](int status) { endStatus_ = status; });
    ui::Model::instance().setFrontEnd(frontEnd_.get());
    registerTrelvanixResources();
}

void ProgramTest::TearDown() {
    ui::Model::instance().setFrontEnd(nullptr);
    ResetProgramState();
    std::filesystem::current_path(previousDirectory_);
    std::filesystem::remove_all(folder);
}

void ProgramTest::useScript(const std::string& text) {
    auto parsed = ui::parseScript(text, "test script");
    ASSERT_TRUE(std::holds_alternative<ui::Script>(parsed))
        << std::get<ui::ScriptError>(parsed).message;
    script_ = std::make_unique<ui::ScriptRunner>(std::move(std::get<ui::Script>(parsed)));
    endStatus_.reset();  // a new script is a new run
    script_->setEnding([this](int status) { endStatus_ = status; });
    ui::Model::instance().setScript(script_.get());
}

void ProgramTest::installBoard(const std::string& boardText) {
    driver::BoardConfig board;
    std::string error;
    ASSERT_TRUE(driver::parseBoardText(boardText, "test board", &board, &error)) << error;
    ASSERT_GE(driver::installSimulatedBoard(board, &error), 0) << error;
}

bool ProgramTest::startProgram() {
    return StartMainPanel() == 0;
}

void ProgramTest::runFor(double seconds) {
    const double until = Timer() + seconds;
    while (!endStatus_ && Timer() < until) GetUserEventUntil(until, nullptr, nullptr);
}

std::string textOf(int panel, int control) {
    std::string text;
    GetCtrlVal(panel, control, &text);
    return text;
}

}  // namespace trelvanix::testing
