// A stimulus playing without acquisition on the real clock: the processor share of the wait
// loop, and how late after its length the stimulus is found ended, headless and with the
// panels in a (offscreen) Qt window. Compare with acquisition_bench's 1-channel share.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/program_state.h"
#include "app/startup.h"
#include "daq/device_init.h"
#include "platform/clock/clock.h"
#include "platform/qt/qt_front_end.h"
#include "platform/ui/headless_front_end.h"
#include "platform/ui/model.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/injection.h"
#include "stimulus/stimulus.h"

using namespace trelvanix;
using namespace trelvanix::callbacks;

namespace {

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

// A freshly started program on the real clock with the default pulse at 1 V, lengthened by
// its post-time to `seconds`.
void startProgramWithPulse(ui::FrontEnd* frontEnd, double seconds) {
    ResetProgramState();
    installClock(std::make_unique<RealClock>());
    DataFolder() = std::filesystem::temp_directory_path().string();
    ui::Model::instance().setFrontEnd(frontEnd);
    registerTrelvanixResources();
    if (StartMainPanel() != 0) std::abort();
    inject(0, 0, nullptr, 0);
    SetCtrlVal(InjectHandle, INJECT_WAVEFORM, 0);
    Set_waveform(InjectHandle, INJECT_WAVEFORM, EVENT_COMMIT, nullptr, 0, 0);
    SetCtrlVal(InjectHandle, INJECT_CONVERSION, 1000.0);
    SetCtrlVal(InjectHandle, INJECT_POST_TIME, static_cast<int>(1000.0 * seconds) - 700);
}

void measurePlayingStimulus(benchmark::State& state, ui::FrontEnd* frontEnd) {
    constexpr double kSeconds = 5.0;
    for (auto _ : state) {
        startProgramWithPulse(frontEnd, kSeconds);
        const double cpu = processorSeconds();
        const double start = Timer();
        Inject(InjectHandle, INJECT_START, EVENT_COMMIT, nullptr, 0, 0);
        const double played = Timer() - start;
        state.counters["cpu_percent"] = 100.0 * (processorSeconds() - cpu) / played;
        state.counters["late_ms"] = 1000.0 * (played - TotalTime_in_sec);
    }
    ui::Model::instance().setFrontEnd(nullptr);
    installSimulatedClock();
}

void BM_StimulusPlayingHeadless(benchmark::State& state) {
    ui::HeadlessFrontEnd frontEnd;
    measurePlayingStimulus(state, &frontEnd);
}
BENCHMARK(BM_StimulusPlayingHeadless)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StimulusPlayingInTheWindow(benchmark::State& state) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "injection_bench";
    static char* argv[] = {name, nullptr};
    ui::Model::instance().reset();
    // The window goes before the program exits: widgets must not outlive the application.
    const std::unique_ptr<ui::FrontEnd> window = qt::makeQtFrontEnd(argc, argv);
    measurePlayingStimulus(state, window.get());
}
BENCHMARK(BM_StimulusPlayingInTheWindow)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
