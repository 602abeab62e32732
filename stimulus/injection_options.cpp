// The injection panel's options (continuous, alternating, recorded) and the stimulus
// description written into the recording comments.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/injection.h"
#include "stimulus/stimulus.h"

using namespace trelvanix;

namespace {

constexpr std::size_t kCommentLineLength = 51;

std::string formatted(const char* format, auto... values) {
    char line[128];
    std::snprintf(line, sizeof line, format, values...);
    return line;
}

void addStepLines(std::vector<std::string>& lines, const double* durations, const double* amps) {
    for (int k = 0; k < 5; ++k)
        lines.push_back(formatted("DUR %d = %.1f;  AMP %d = %.1f ", k, durations[k], k, amps[k]));
}

std::vector<std::string> commentBoxLines() {
    int count = 0;
    GetNumTextBoxLines(panelHandle, PANEL_COMMENT, &count);
    std::vector<std::string> lines(std::max(count, 0));
    for (int i = 0; i < count; ++i) GetTextBoxLine(panelHandle, PANEL_COMMENT, i, &lines[i]);
    return lines;
}

void showCommentLines(const std::vector<std::string>& lines) {
    ResetTextBox(panelHandle, PANEL_COMMENT, "");
    for (std::size_t i = 0; i < lines.size(); ++i)
        InsertTextBoxLine(panelHandle, PANEL_COMMENT, static_cast<int>(i), lines[i].c_str());
}

// The operator's own comment, put aside while a recorded stimulus's description is in the box.
struct SetAsideComment {
    bool held = false;
    std::vector<std::string> operatorLines, description;
};
SetAsideComment& setAside() {
    static SetAsideComment comment;
    return comment;
}

}  // namespace

namespace trelvanix::callbacks {

int continuous_inject(int panel, int control, int event, void* callbackData, int eventData1,
                      int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    GetCtrlVal(panel, INJECT_CONTINUOUS, &Continuous_inject);
    const int on = Continuous_inject == 1 ? 1 : 0;
    // A continuous stimulus has no length to record and no pre- or post-time to wait.
    SetCtrlAttribute(panel, INJECT_RECORD, ATTR_DIMMED, on);
    SetCtrlAttribute(panel, INJECT_PRE_TIME, ATTR_DIMMED, on);
    SetCtrlAttribute(panel, INJECT_POST_TIME, ATTR_DIMMED, on);
    SetCtrlAttribute(panel, INJECT_ALTERNATE, ATTR_DIMMED, on ? 0 : 1);
    if (on) {
        SetCtrlVal(panel, INJECT_RECORD, 0);
        if (Waveform != kNoStimulus) SetCtrlAttribute(panel, INJECT_STOP, ATTR_DIMMED, 0);
    } else {
        SetCtrlVal(panel, INJECT_ALTERNATE, 0);
        Output_Alternate = 0;
    }
    return 0;
}

int Output_alternate(int panel, int control, int event, void* callbackData, int eventData1,
                     int eventData2) {
    if (event == EVENT_COMMIT) GetCtrlVal(panel, INJECT_ALTERNATE, &Output_Alternate);
    return 0;
}

int save_inject(int panel, int control, int event, void* callbackData, int eventData1,
                int eventData2) {
    if (event != EVENT_COMMIT) return 0;
    // While data are saved, Save_inject says whether the saving is a recorded stimulus; the
    // box changes only the next Start then, never the saving under way.
    if (Save_status == 0) GetCtrlVal(panel, INJECT_RECORD, &Save_inject);
    return 0;
}

}  // namespace trelvanix::callbacks

void Set_wf_comments() {
    std::vector<std::string> lines;
    std::string comment;
    int commentLines = 0;
    GetNumTextBoxLines(InjectHandle, INJECT_COMMENT, &commentLines);
    if (commentLines > 0) GetTextBoxLine(InjectHandle, INJECT_COMMENT, 0, &comment);
    lines.push_back(comment.substr(0, kCommentLineLength));
    lines.push_back(formatted("Baseline = %.1f ", Baseline));
    switch (Waveform) {
        case kPulse:
            addStepLines(lines, Pulse_dur, Pulse_amp);
            break;
        case kRamp:
            addStepLines(lines, Ramp_dur, Ramp_amp);
            break;
        case kCell:
        case kZap:
        case kSine:
            lines.push_back(formatted("PER = %d;  AMP = %.1f", Duration, WF_amp));
            break;
        case kPoisson:
            lines.push_back(formatted("Freq = %.1f", Frequency));
            lines.push_back(formatted("Dur = %d;  AMP = %.1f", Duration, WF_amp));
            break;
        default:
            break;
    }
    SetAsideComment& aside = setAside();
    if (!aside.held) aside.operatorLines = commentBoxLines();
    aside.held = true;
    aside.description = lines;
    showCommentLines(lines);
}

namespace trelvanix {

void RestoreOperatorComment() {
    SetAsideComment& aside = setAside();
    if (!aside.held) return;
    aside.held = false;
    // Lines the operator typed into the box meanwhile are theirs: they stay.
    if (commentBoxLines() == aside.description) showCommentLines(aside.operatorLines);
}

void ForgetOperatorComment() {
    setAside() = SetAsideComment{};
}

}  // namespace trelvanix
