// The program entry: reads the command line, chooses the clock, the board and the front end,
// loads the main panel and runs the event loop.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/remote_listening.h"
#include "app/startup.h"
#include "platform/clock/clock.h"
#include "platform/driver/backend_registry.h"
#include "platform/driver/board_choice.h"
#include "platform/qt/qt_front_end.h"
#include "platform/ui/headless_front_end.h"
#include "platform/ui/model.h"
#include "platform/ui/script_runner.h"
#include "platform/ui/termination.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"

using namespace trelvanix;

namespace {

int usageError(const std::string& message) {
    std::fprintf(stderr, "trelvanix: %s\n%s", message.c_str(), app::usageText().c_str());
    return app::kUsageStatus;
}

// The front end that shows the panels: the Qt window unless --headless is given.
std::unique_ptr<ui::FrontEnd> chooseFrontEnd(const app::CommandLine& line, int& argc, char** argv) {
    if (line.headless) return std::make_unique<ui::HeadlessFrontEnd>();
    return qt::makeQtFrontEnd(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
    const auto parsed = app::parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (const auto* error = std::get_if<app::CommandLineError>(&parsed))
        return usageError(error->message);
    const app::CommandLine& line = std::get<app::CommandLine>(parsed);
    if (line.help) {
        std::fputs(app::usageText().c_str(), stdout);
        return 0;
    }

    std::unique_ptr<ui::ScriptRunner> script;
    if (!line.scriptPath.empty()) {
        auto read = ui::readScriptFile(line.scriptPath);
        if (const auto* error = std::get_if<std::string>(&read)) return usageError(*error);
        script = std::make_unique<ui::ScriptRunner>(std::move(std::get<ui::Script>(read)));
    }
    // A termination signal or the script's end finishes the recording before the process ends.
    ui::installTerminationHandlers([] {
        FinishBeforeLeaving();
        StopListening();  // the socket goes with the process
    });
    if (script) script->setBeforeEnd(FinishBeforeLeaving);
    // Without a front end the toolkit's run-time cannot start: start-up fails.
    std::unique_ptr<ui::FrontEnd> frontEnd = chooseFrontEnd(line, argc, argv);
    if (!frontEnd) return -1;
    if (line.simulatedTime) installSimulatedClock();
    std::string error;
    if (driver::startBoard({line.backendName, line.boardPath, line.driverLibraryPath}, &error) <
        0) {
        std::fprintf(stderr, "trelvanix: %s\n", error.c_str());
        return app::kUsageStatus;
    }
    // A real board's samples come at the pace of its own clock, which simulated time cannot move.
    if (line.simulatedTime && !driver::boardInUse().simulated) {
        std::fprintf(stderr,
                     "trelvanix: --sim-time needs a simulated board; back end %s runs on "
                     "the real clock\n",
                     driver::boardInUse().backend.c_str());
        return app::kUsageStatus;
    }

    registerTrelvanixResources();
    ui::Model& model = ui::Model::instance();
    model.setFrontEnd(frontEnd.get());
    if (script) model.setScript(script.get());
    return RunTrelvanix(line.listen);
}
