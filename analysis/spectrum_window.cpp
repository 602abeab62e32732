// The spectrum window: its panel, the start and stop of a collection, and the drawing of
// each full buffer's spectrum.

#include "analysis/spectrum_window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "analysis/spectrum.h"
#include "platform/ui/plain_number.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

using trelvanix::spectrum::SpectrumOptions;
using trelvanix::spectrum::SpectrumProcessor;

namespace {

// The collection under way: its processor, the physical channel collected and the rate
// its values were acquired at.
struct Collection {
    SpectrumProcessor processor;
    int channel = -1;
    int samplesPerSecond = 0;
};

Collection& collection() {
    static Collection state;
    return state;
}

bool panelLoaded() {
    return FourierHandle > 0;
}

void showCollecting(bool on) {
    if (panelLoaded()) SetCtrlVal(FourierHandle, SPECTRUM_LAMP, on ? 1 : 0);
}

SpectrumOptions optionsShown() {
    SpectrumOptions options;
    if (!panelLoaded()) return options;
    int window = 0, decibels = 0;
    GetCtrlVal(FourierHandle, SPECTRUM_AVERAGE, &options.averaged);
    GetCtrlVal(FourierHandle, SPECTRUM_WINDOW, &window);
    GetCtrlVal(FourierHandle, SPECTRUM_DECIBELS, &decibels);
    options.hannWindow = window == 1;
    options.decibels = decibels == 1;
    return options;
}

std::string unitOf(int ch) {
    return ch >= 0 && ch < 8 ? Units[ch] : "V";
}

// The power axis names the collected channel's unit squared.
void titlePowerAxis(int ch, bool decibels) {
    const std::string unit = unitOf(ch);
    const std::string title =
        decibels ? "Power (dB re 1 " + unit + "\u00B2)" : "Power (" + unit + "\u00B2)";
    SetCtrlAttribute(FourierHandle, SPECTRUM_GRAPH, ATTR_YNAME, title.c_str());
}

void showPeak(const SpectrumProcessor& processor, int ch) {
    int wanted = 0;
    GetCtrlVal(FourierHandle, SPECTRUM_PEAK, &wanted);
    std::string text;
    if (wanted == 1) {
        const auto peak = processor.peak();
        const std::string unit = unitOf(ch);
        char line[96];
        if (peak.silent)
            std::snprintf(line, sizeof line, "The signal is zero or constant");
        else if (processor.options().decibels)
            std::snprintf(line, sizeof line, "%.3f Hz, %.2f dB", peak.frequency, peak.power);
        else
            std::snprintf(line, sizeof line, "%.3f Hz, %.4g %s\u00B2", peak.frequency, peak.power,
                          unit.c_str());
        text = line;
    }
    SetCtrlVal(FourierHandle, SPECTRUM_PEAK_TEXT, text);
}

int positionOf(int ch, const short* channelList, int channels) {
    for (int i = 0; i < channels; ++i)
        if (channelList[i] == ch) return i;
    return -1;
}

// Whether the average of the spectra asked for fits the memory it may take; says why not.
bool averageFits(int length, const SpectrumOptions& options) {
    using trelvanix::spectrum::AverageBytes;
    using trelvanix::spectrum::kMostAverageBytes;
    if (AverageBytes(length, options.averaged) <= kMostAverageBytes) return true;
    const double megabyte = 1 << 20;
    int most = options.averaged;
    while (most > 1 && AverageBytes(length, most) > kMostAverageBytes) --most;
    const std::string message =
        "Averaging " + std::to_string(options.averaged) + " spectra of " + std::to_string(length) +
        " values needs " +
        trelvanix::ui::plainNumber(std::round(AverageBytes(length, options.averaged) / megabyte)) +
        " MB; at most " + trelvanix::ui::plainNumber(kMostAverageBytes / megabyte) +
        " MB can be held, " + std::to_string(most) + " such spectra.";
    MessagePopup("Error!", message.c_str());
    return false;
}

// A power axis set by hand keeps showing the same powers when the unit changes: its ends
// are converted between linear power and decibels, and the axis boxes follow.
void convertPowerAxis(bool toDecibels) {
    int mode = 0;
    double low = 0.0, high = 0.0;
    GetAxisScalingMode(FourierHandle, SPECTRUM_GRAPH, VAL_LEFT_YAXIS, &mode, &low, &high);
    if (mode != VAL_MANUAL) return;
    if (toDecibels) {
        if (!(high > 0.0)) {
            SetAxisScalingMode(FourierHandle, SPECTRUM_GRAPH, VAL_LEFT_YAXIS, VAL_AUTOSCALE, 0, 0);
            return;
        }
        high = 10.0 * std::log10(high);
        // A linear axis from 0 has no end in decibels: six decades below its top are shown.
        low = low > 0.0 ? 10.0 * std::log10(low) : high - 60.0;
    } else {
        low = std::pow(10.0, low / 10.0);
        high = std::pow(10.0, high / 10.0);
    }
    SetAxisScalingMode(FourierHandle, SPECTRUM_GRAPH, VAL_LEFT_YAXIS, VAL_MANUAL, low, high);
    SetCtrlVal(FourierHandle, SPECTRUM_YMIN, low);
    SetCtrlVal(FourierHandle, SPECTRUM_YMAX, high);
}

void releaseBuffer() {
    FourierData = nullptr;
    collection().processor.release();
    collection().channel = -1;
}

}  // namespace

void trelvanix::callbacks::ShowFourier(int menuBar, int menuItem, void* callbackData, int panel) {
    if (!panelLoaded()) {
        const int loaded = LoadPanel(0, "trelvanix.uir", SPECTRUM);
        if (loaded < 0) return;
        FourierHandle = loaded;
    }
    DisplayPanel(FourierHandle);
}

int trelvanix::callbacks::CancelFourier(int panel, int control, int event, void* callbackData,
                                        int eventData1, int eventData2) {
    if (event == EVENT_COMMIT) HidePanel(FourierHandle);
    return 0;
}

// Closing the window does what the Close button does.
int trelvanix::callbacks::SpectrumWindowClose(int panel, int event, void* callbackData,
                                              int eventData1, int eventData2) {
    if (event != EVENT_CLOSE) return 0;
    return CancelFourier(panel, SPECTRUM_CLOSE, EVENT_COMMIT, nullptr, 0, 0);
}

int trelvanix::callbacks::StartFourierTr(int panel, int control, int event, void* callbackData,
                                         int eventData1, int eventData2) {
    if (event != EVENT_COMMIT || Acquiring != 1 || StartFourier != 0) return 0;
    DataCount = 0;
    double milliseconds = 0.0;
    int ch = 0;
    GetCtrlVal(FourierHandle, SPECTRUM_LENGTH, &milliseconds);
    GetCtrlVal(FourierHandle, SPECTRUM_CHANNEL, &ch);

    const int position = positionOf(ch, ChannelList, NumChannels);
    if (position < 0) {
        char message[160];
        std::snprintf(message, sizeof message,
                      "Channel %d is not acquired. Tick it on the main panel or choose an "
                      "acquired channel.",
                      ch);
        MessagePopup("Error!", message);
        return 0;
    }
    // Fewer than 4 values leave no frequency between the constant term and half the rate.
    const int length = trelvanix::spectrum::LengthForMilliseconds(milliseconds, NumScans);
    if (length < 4 || length > kLongestSpectrum) {
        using trelvanix::ui::plainNumber;
        const std::string message =
            "A length of " + plainNumber(milliseconds) + " ms gives " + std::to_string(length) +
            " values at " + std::to_string(NumScans) + " samples per second; a spectrum needs " +
            "from 4 to " + std::to_string(kLongestSpectrum) + " values (" +
            plainNumber(4000.0 / NumScans) + " to " +
            plainNumber(1000.0 * (2.0 * kLongestSpectrum - 1) / NumScans) + " ms).";
        MessagePopup("Error!", message.c_str());
        return 0;
    }
    const SpectrumOptions options = optionsShown();
    if (!averageFits(length, options)) return 0;

    // The values are collected straight into the transform's input.
    Collection& running = collection();
    if (!running.processor.configure(length, NumScans, options)) {
        releaseBuffer();
        const std::string message = "A spectrum of " + std::to_string(length) +
                                    " values cannot be held now: there is not enough memory.";
        MessagePopup("Error!", message.c_str());
        return 0;
    }
    FourierChan = position;
    LengthForAnalysis = length;
    FourierData = running.processor.values();
    running.channel = ch;
    running.samplesPerSecond = NumScans;
    titlePowerAxis(ch, options.decibels);
    StartFourier = 1;
    showCollecting(true);
    return 0;
}

int trelvanix::callbacks::StopFourier(int panel, int control, int event, void* callbackData,
                                      int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    if (StartFourier == 1) releaseBuffer();
    StartFourier = 0;
    LengthForAnalysis = 0;
    DataCount = 0;
    showCollecting(false);
    return 0;
}

int trelvanix::callbacks::SetFourierGraph(int panel, int control, int event, void* callbackData,
                                          int eventData1, int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    double xMin = 0.0, xMax = 0.0, yMin = 0.0, yMax = 0.0;
    GetCtrlVal(FourierHandle, SPECTRUM_XMIN, &xMin);
    GetCtrlVal(FourierHandle, SPECTRUM_XMAX, &xMax);
    GetCtrlVal(FourierHandle, SPECTRUM_YMIN, &yMin);
    GetCtrlVal(FourierHandle, SPECTRUM_YMAX, &yMax);
    if (xMin < xMax)
        SetAxisScalingMode(FourierHandle, SPECTRUM_GRAPH, VAL_XAXIS, VAL_MANUAL, xMin, xMax);
    if (yMin < yMax)
        SetAxisScalingMode(FourierHandle, SPECTRUM_GRAPH, VAL_LEFT_YAXIS, VAL_MANUAL, yMin, yMax);
    return 0;
}

// The options take effect when the operator changes them, between stretches: the average's
// arrays are sized here, never while a spectrum is computed, and an average that cannot be
// held is refused.
int trelvanix::callbacks::SpectrumOptionsChanged(int panel, int control, int event,
                                                 void* callbackData, int eventData1,
                                                 int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    SpectrumProcessor& processor = collection().processor;
    const SpectrumOptions options = optionsShown();
    if (control == SPECTRUM_DECIBELS) {
        convertPowerAxis(options.decibels);
        if (collection().channel >= 0) titlePowerAxis(collection().channel, options.decibels);
    }
    if (processor.length() == 0) return 0;
    if (!averageFits(processor.length(), options)) {
        SetCtrlVal(FourierHandle, SPECTRUM_AVERAGE, processor.options().averaged);
        return 0;
    }
    processor.setOptions(options);
    return 0;
}

void DoFourierTr() {
    Collection& running = collection();
    SpectrumProcessor& processor = running.processor;
    if (FourierData != nullptr && FourierData == processor.values() &&
        processor.length() == LengthForAnalysis) {
        const int points = processor.compute();
        if (panelLoaded()) {
            titlePowerAxis(running.channel, processor.options().decibels);
            DeleteGraphPlot(FourierHandle, SPECTRUM_GRAPH, -1, VAL_IMMEDIATE_DRAW);
            PlotXY(FourierHandle, SPECTRUM_GRAPH, processor.frequencies(), processor.power(),
                   points, VAL_BLUE);
            showPeak(processor, running.channel);
        }
    }
    DataCount = 0;
}

void CollectSpectrumValues(const double* shown, int n, int ch) {
    if (StartFourier != 1 || FourierData == nullptr) return;
    // Displayed values are (volts + offset) / gain; the spectrum is of what the sweep's axis
    // reads for them, the channel's volts in its own unit, whatever the display zoom.
    const double scale = Scale_factor[ch] != 0.0 ? Scale_factor[ch] : 1.0;
    const double unitsPerShown = Gain_Factor[ch] / scale, shift = Offset[ch] / scale;
    const int taken = std::clamp(LengthForAnalysis - DataCount, 0, std::max(n, 0));
    double* next = FourierData + DataCount;
    for (int j = 0; j < taken; ++j) next[j] = shown[j] * unitsPerShown - shift;
    DataCount += taken;
    // The values after a full buffer are not collected.
    if (DataCount >= LengthForAnalysis) DoFourierTr();
}

void ResumeSpectrumCollection(const short* channelList, int channels) {
    if (StartFourier != 1) return;
    Collection& running = collection();
    FourierChan = positionOf(running.channel, channelList, channels);
    if (running.samplesPerSecond != NumScans) {
        // Values acquired at the old rate would blur into the new ones.
        running.samplesPerSecond = NumScans;
        running.processor.setSampleRate(NumScans);
        DataCount = 0;
    }
    showCollecting(FourierChan >= 0);
    // Not an error, but the operator would otherwise see only the lamp go out.
    if (FourierChan < 0)
        ErrorPrintf(
            "The spectrum's channel ai%d is not acquired in this run: its collection "
            "waits until the channel is acquired again.\n",
            running.channel);
}

void PauseSpectrumCollection() {
    showCollecting(false);
}

void ResetSpectrumWindow() {
    collection() = Collection{};
    FourierData = nullptr;  // it pointed into the collection's arrays
}
