// The spectrum window: its panel, the start and stop of a collection, and the drawing of
// each full buffer's spectrum.

#include "analysis/spectrum_window.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "analysis/spectrum.h"
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
        if (processor.options().decibels)
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

void releaseBuffer() {
    delete[] FourierData;
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
        char message[240];
        std::snprintf(message, sizeof message,
                      "A length of %g ms gives %d values at %d samples per second; a spectrum "
                      "needs from 4 to %d values (%g to %g ms).",
                      milliseconds, length, NumScans, kLongestSpectrum, 4000.0 / NumScans,
                      1000.0 * (2.0 * kLongestSpectrum - 1) / NumScans);
        MessagePopup("Error!", message);
        return 0;
    }

    FourierChan = position;
    LengthForAnalysis = length;
    delete[] FourierData;
    FourierData = new double[length];
    Collection& running = collection();
    running.channel = ch;
    running.samplesPerSecond = NumScans;
    const SpectrumOptions options = optionsShown();
    running.processor.configure(length, NumScans, options);
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

void DoFourierTr() {
    Collection& running = collection();
    SpectrumProcessor& processor = running.processor;
    if (FourierData != nullptr && processor.length() == LengthForAnalysis) {
        processor.setOptions(optionsShown());
        const int points = processor.compute(FourierData);
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
}
