// What the protocol panel and the editor show the operator: the parameter's label beside its
// name, the loaded file and its values, and how far the run has come.

#include <cstring>
#include <string>

#include "platform/ui/toolkit.h"
#include "protocol/protocol.h"
#include "protocol/runner_internal.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"

namespace trelvanix {

namespace {

// The values box shows this many values at most; the count says how many there are.
constexpr int kValuesShown = 200;

std::string labelOf(int panel, int control) {
    std::string label;
    GetCtrlAttribute(panel, control, ATTR_LABEL_TEXT, &label);
    return label;
}

// The pulse and ramp step controls have no label of their own: their row ("Step 1") and
// column ("Amplitude (units)") name them.
std::string stepLabel(int panel, int control, const std::string& panelName) {
    const bool ramp = panelName == "RAMP";
    if (!ramp && panelName != "PULSE") return {};
    static constexpr int kPulseRows[5] = {PULSE_ROW1, PULSE_ROW2, PULSE_ROW3, PULSE_ROW4,
                                          PULSE_ROW5};
    static constexpr int kRampRows[5] = {RAMP_ROW1, RAMP_ROW2, RAMP_ROW3, RAMP_ROW4, RAMP_ROW5};
    for (int k = 0; k < 5; ++k) {
        const bool amplitude = control == Pulse_amp_idx[k];
        if (!amplitude && control != Pulse_dur_idx[k]) continue;
        const int column = ramp ? (amplitude ? RAMP_TEXTMSG : RAMP_TEXTMSG_2)
                                : (amplitude ? PULSE_HEAD_AMP : PULSE_HEAD_DUR);
        return labelOf(panel, (ramp ? kRampRows : kPulseRows)[k]) + ", " + labelOf(panel, column);
    }
    return {};
}

std::string valuesText() {
    const bool isInteger = IntegerProtocol();
    const int listed = static_cast<int>(StepsListed());
    std::string text;
    for (int i = 0; i < listed && i < kValuesShown; ++i) {
        char value[32];
        if (isInteger)
            std::snprintf(value, sizeof value, "%d", Int_values[i]);
        else
            std::snprintf(value, sizeof value, "%g", Double_values[i]);
        text += (i ? " " : "") + std::string(value);
    }
    if (listed > kValuesShown) text += " ... (" + std::to_string(listed) + " values)";
    return text;
}

std::string stateText() {
    const std::string of = " of " + std::to_string(Num_lines);
    if (ProtocolKind == kNoStimulus) return "no protocol loaded";
    // A last step that failed is still to do: the protocol has not finished.
    if (ProtocolFinished && Protocol == 0 && Line >= Num_lines)
        return Injection == 1 ? "last step playing, " + std::to_string(Num_lines) + of
                              : "finished, " + std::to_string(Num_lines) + of;
    if (Protocol == 1 && Injection == 1) return "running: step " + std::to_string(Line) + of;
    if (Protocol == 1)
        return Acquiring == 1 ? "running: step " + std::to_string(Line + 1) + of + " next"
                              : "waiting for Acquire: step " + std::to_string(Line + 1) + of;
    if (Line > 0 && Line < Num_lines) return "stopped before step " + std::to_string(Line + 1) + of;
    return "ready, " + std::to_string(Num_lines) + " steps";
}

}  // namespace

std::string ParameterLabel(int panel, int control) {
    std::string title, panelName;
    GetPanelAttribute(panel, ATTR_TITLE, &title);
    GetPanelAttribute(panel, ATTR_CONSTANT_NAME, &panelName);
    std::string label = labelOf(panel, control);
    if (label.empty()) label = stepLabel(panel, control, panelName);
    return label.empty() ? title : title + ": " + label;
}

void ShowLoadedProtocol(const std::string& path, const std::string& name) {
    if (ProtocolHandle <= 0) return;
    SetCtrlVal(ProtocolHandle, PROTOCOL_FILE, path.c_str());
    const std::string parameter = name + "  (" + ParameterLabel(Handle[ProtocolKind], Control_id) +
                                  "), " + std::to_string(Num_lines) + " steps";
    SetCtrlVal(ProtocolHandle, PROTOCOL_PARAMETER, parameter.c_str());
    ResetTextBox(ProtocolHandle, PROTOCOL_VALUES, valuesText().c_str());
}

void ShowProtocolState() {
    if (ProtocolHandle <= 0) return;
    SetCtrlVal(ProtocolHandle, PROTOCOL_STATE, stateText().c_str());
}

}  // namespace trelvanix
