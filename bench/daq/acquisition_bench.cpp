// The acquisition loop as the program runs it, on the real panels:
// - the pipeline (counts, saving, conversion, 55-tap display filters, scaling, plotting into
//   the model) at 8 channels x 50 kS/s in 0.1 s stretches on simulated time, reported as a
//   multiple of real time, and the same without and with a running spectrum of 65 536 values;
// - what recording costs, in bytes written per processor second;
// - the processor share taken by acquiring 1 channel at 4 kS/s on the real clock, headless
//   and with the main panel in a (offscreen) Qt window.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/program_state.h"
#include "app/startup.h"
#include "daq/acquisition.h"
#include "daq/device_init.h"
#include "platform/analysis/analysis.h"
#include "platform/clock/clock.h"
#include "platform/driver/board_file.h"
#include "platform/driver/fault_injection.h"
#include "platform/driver/simulated_board.h"
#include "platform/qt/qt_front_end.h"
#include "platform/ui/headless_front_end.h"
#include "platform/ui/model.h"
#include "platform/ui/script_runner.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

// The callbacks the resource file names, as the panels call them.
using namespace trelvanix::callbacks;

using namespace trelvanix;

namespace {

std::filesystem::path scratchFolder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("trelvanix_acquisition_bench_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

int stopAcquiring(int, int, int event, void*, int, int) {
    if (event == EVENT_COMMIT) Acquiring = 0;
    return 0;
}

// A freshly started program on the given front end and clock.
void startProgram(ui::FrontEnd* frontEnd, bool simulatedTime) {
    ResetProgramState();
    if (simulatedTime)
        installSimulatedClock();
    else
        installClock(std::make_unique<RealClock>());
    DataFolder() = scratchFolder().string();
    ui::Model::instance().setFrontEnd(frontEnd);
    registerTrelvanixResources();
    if (StartMainPanel() != 0) std::abort();
    ui::Model::instance().control(panelHandle, PANEL_STOP)->callback = stopAcquiring;
}

// Presses Acquire and lets it run for `seconds` of program time; `atStart` are script lines
// the operator gives as soon as acquisition runs.
void acquireFor(double seconds, const std::string& atStart = "") {
    auto parsed = ui::parseScript(
        atStart + "wait " + std::to_string(seconds) + "\npress PANEL STOP\n", "bench");
    ui::ScriptRunner script(std::move(std::get<ui::Script>(parsed)));
    script.setEnding([](int) { Acquiring = 0; });
    ui::Model::instance().setScript(&script);
    Acquire(panelHandle, PANEL_ACQUIRE, EVENT_COMMIT, nullptr, 0, 0);
    ui::Model::instance().setScript(nullptr);
}

// Constant inputs cost the simulated board next to nothing, which leaves the program's own
// share of the work.
void useConstantInputs() {
    std::string text, error;
    for (int ch = 0; ch < 8; ++ch)
        text += "input ai" + std::to_string(ch) + " constant value=0." + std::to_string(ch) +
                " sigma=0\n";
    driver::BoardConfig board;
    if (!driver::parseBoardText(text, "bench board", &board, &error) ||
        driver::installSimulatedBoard(board, &error) < 0)
        std::abort();
}

void eightFilteredChannelsAt50k(bool saving) {
    for (int ch = 0; ch < 8; ++ch) SetCtrlVal(panelHandle, CheckID[ch], 1);
    GetNumChs();
    NumScans = 50000;
    Ds = 1.0 / NumScans;
    Sec_per_stretch = 0.1;
    for (int ch = 0; ch < 8; ++ch) {
        Filter_type[ch] = 1;
        Window_size[ch] = 55;
        Coef[ch] = new double[55];
        Wind_LPF(NumScans, 500.0, 55, Coef[ch], 2);
    }
    if (saving) {  // a timed recording that lasts the whole run
        Save_status = 1;
        Record = 1;
        SaveTime = 1e6;
    }
}

double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

void BM_Pipeline8x50k(benchmark::State& state) {
    const bool saving = state.range(0) != 0;
    const bool constantInputs = state.range(1) != 0;
    constexpr double kSimulatedSeconds = 20.0;
    ui::HeadlessFrontEnd frontEnd;
    double wall = 0.0, processor = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        startProgram(&frontEnd, true);
        if (constantInputs) useConstantInputs();
        eightFilteredChannelsAt50k(saving);
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const double cpu = processorSeconds();
        acquireFor(kSimulatedSeconds);
        processor += processorSeconds() - cpu;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    // Against the wall clock, and against the processor time of the one core it runs on
    // (the fair figure on a machine shared with other work).
    state.counters["x_real_time"] = kSimulatedSeconds * double(state.iterations()) / wall;
    state.counters["x_per_core"] = kSimulatedSeconds * double(state.iterations()) / processor;
    state.SetLabel(std::string(saving ? "with a recording" : "display only") +
                   (constantInputs ? ", constant inputs" : ", bench signals"));
    ui::Model::instance().setFrontEnd(nullptr);
    std::filesystem::remove_all(scratchFolder());
    std::filesystem::create_directories(scratchFolder());
}
BENCHMARK(BM_Pipeline8x50k)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// What recording costs: the pipeline (constant inputs) run alternately without and with a
// recording; the bytes written per processor second of the difference.
void BM_RecordingBytesPerProcessorSecond(benchmark::State& state) {
    constexpr double kSimulatedSeconds = 20.0;
    ui::HeadlessFrontEnd frontEnd;
    double extraProcessor = 0.0;
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        for (bool saving : {false, true}) {
            state.PauseTiming();
            startProgram(&frontEnd, true);
            useConstantInputs();
            eightFilteredChannelsAt50k(saving);
            state.ResumeTiming();
            const double cpu = processorSeconds();
            acquireFor(kSimulatedSeconds);
            extraProcessor += saving ? processorSeconds() - cpu : cpu - processorSeconds();
        }
        state.PauseTiming();
        for (const auto& file : std::filesystem::directory_iterator(scratchFolder()))
            bytes += file.file_size();
        std::filesystem::remove_all(scratchFolder());
        std::filesystem::create_directories(scratchFolder());
        state.ResumeTiming();
    }
    state.counters["GB_per_processor_second"] = 1e-9 * double(bytes) / extraProcessor;
    ui::Model::instance().setFrontEnd(nullptr);
}
BENCHMARK(BM_RecordingBytesPerProcessorSecond)->Iterations(5)->Unit(benchmark::kMillisecond);

// The same pipeline (display only, the board's signals) without and with a spectrum of
// 65 536 values of ai3 collected and drawn all along.
void BM_Pipeline8x50kSpectrum(benchmark::State& state) {
    const bool spectrum = state.range(0) != 0;
    constexpr double kSimulatedSeconds = 20.0;
    ui::HeadlessFrontEnd frontEnd;
    auto setUp = [&] {
        startProgram(&frontEnd, true);
        eightFilteredChannelsAt50k(false);
        ShowFourier(0, 0, nullptr, 0);
        SetCtrlVal(FourierHandle, SPECTRUM_CHANNEL, 3);
        SetCtrlVal(FourierHandle, SPECTRUM_LENGTH, 65536 * 1000.0 / NumScans);
    };
    // The transform of a length is planned once, at the first Start of a spectrum that long;
    // a short run before the timed ones leaves only what every spectrum costs in the figure.
    if (spectrum) setUp(), acquireFor(0.1, "press SPECTRUM START\n");
    double processor = 0.0;
    int spectra = 0;
    for (auto _ : state) {
        state.PauseTiming();
        setUp();
        state.ResumeTiming();
        const double cpu = processorSeconds();
        acquireFor(kSimulatedSeconds, spectrum ? "press SPECTRUM START\n" : "");
        processor += processorSeconds() - cpu;
        if (spectrum && LengthForAnalysis != 65536) std::abort();
        if (spectrum) spectra += static_cast<int>(kSimulatedSeconds * NumScans / 65536);
    }
    state.counters["x_per_core"] = kSimulatedSeconds * double(state.iterations()) / processor;
    state.counters["spectra"] = double(spectra) / double(state.iterations());
    state.SetLabel(spectrum ? "with a 65536-value spectrum" : "without a spectrum");
    ui::Model::instance().setFrontEnd(nullptr);
}
BENCHMARK(BM_Pipeline8x50kSpectrum)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

// Processor share of acquiring 1 channel at 4 kS/s for a few real seconds.
void measureIdleShare(benchmark::State& state, ui::FrontEnd* frontEnd) {
    constexpr double kRealSeconds = 5.0;
    for (auto _ : state) {
        startProgram(frontEnd, false);
        // The window is drawn before the operator presses Acquire, as it is after start-up.
        const double settled = Timer() + 0.2;
        while (Timer() < settled) GetUserEventUntil(settled, nullptr, nullptr);
        const double cpu = processorSeconds();
        const auto start = std::chrono::steady_clock::now();
        acquireFor(kRealSeconds);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.counters["cpu_percent"] = 100.0 * (processorSeconds() - cpu) / wall;
    }
    ui::Model::instance().setFrontEnd(nullptr);
    installSimulatedClock();
}

void BM_OneChannel4kHeadless(benchmark::State& state) {
    ui::HeadlessFrontEnd frontEnd;
    measureIdleShare(state, &frontEnd);
}
BENCHMARK(BM_OneChannel4kHeadless)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OneChannel4kInTheWindow(benchmark::State& state) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "acquisition_bench";
    static char* argv[] = {name, nullptr};
    ui::Model::instance().reset();
    // The window goes before the program exits: widgets must not outlive the application.
    const std::unique_ptr<ui::FrontEnd> window = qt::makeQtFrontEnd(argc, argv);
    measureIdleShare(state, window.get());
}
BENCHMARK(BM_OneChannel4kInTheWindow)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
