// The protocol editor: the operator picks a parameter by committing its control on a stimulus
// sub-panel, makes an evenly spaced list of values, and saves the protocol file.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ui/runtime_files.h"
#include "platform/ui/toolkit.h"
#include "protocol/parameter_range.h"
#include "protocol/protocol.h"
#include "protocol/protocol_file.h"
#include "protocol/runner_internal.h"
#include "protocol/vocabulary.h"
#include "resources/trelvanix_uir.h"
#include "state/shared_state.h"
#include "stimulus/stimulus.h"

using namespace trelvanix;
using namespace trelvanix::protocol;

namespace {

constexpr std::size_t kMaxValuesText = 999;  // characters of the values box's line

std::string firstLineOf(int control) {
    std::string line;
    if (GetTextBoxLine(CreatePrtHandle, control, 0, &line) < 0) return std::string();
    return line;
}

// The file's text written in full, or the operator is told why it was not.
void writeProtocolFile(const std::string& path, const std::string& text) {
    const int handle = OpenFile(path.c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_ASCII);
    if (handle < 0) {
        MessagePopup("Error!", "Error opening the protocol file");
        return;
    }
    const bool written = WriteFile(handle, text.data(), static_cast<int>(text.size())) >= 0;
    const bool closed = CloseFile(handle) >= 0;
    if (!written || !closed) {
        const std::string message = "Error writing the protocol file: " + lastFileError();
        MessagePopup("Error!", message.c_str());
    }
}

// Whether the whole word is a number ("2O0" is not).
bool isNumber(const std::string& word) {
    char* end = nullptr;
    std::strtod(word.c_str(), &end);
    return end != word.c_str() && *end == '\0';
}

// Why the values text cannot be saved for the parameter: a word that is no number, or a value
// its control cannot take (a whole number beyond an int included); empty when it can.
std::string valuesProblem(const std::string& name, int index, const std::string& valuesText) {
    const std::vector<std::string> words = blankWords(valuesText);
    const int count = static_cast<int>(words.size());
    for (int i = 0; i < count; ++i)
        if (!isNumber(words[i]))
            return "Value " + std::to_string(i + 1) + " of " + std::to_string(count) + ", " +
                   words[i] + ", is not a number.";
    const bool whole = std::string(Data_type) == "INTEGER";
    const ParameterRange range = ControlRange(PanelOfParameter(name), ControlId[index], whole);
    if (const auto bad = firstValueOutOfRange(words, count, whole, range.low, range.high))
        return OutOfRangeText(*bad, count, name, range);
    return std::string();
}

}  // namespace

namespace trelvanix::callbacks {

void show_create_protocol(int menuBar, int menuItem, void* callbackData, int panel) {
    if (CreatePrtHandle == -1) {
        const int handle = LoadPanel(0, "trelvanix.uir", PRT);
        if (handle < 0) return;
        CreatePrtHandle = handle;
    }
    DisplayPanel(CreatePrtHandle);
}

int CloseCreate_prt(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) HidePanel(CreatePrtHandle);
    return 0;
}

// Every committed value of a parameter control passes through here: it becomes the editor's
// parameter, and the stimulus is rebuilt so the value takes effect.
int set_control(int panel, int control, int event, void*, int, int) {
    if (event != EVENT_COMMIT) return 0;
    // The toolkit's constant name of a control is already its panel's, "_" and its own.
    std::string name;
    GetCtrlAttribute(panel, control, ATTR_CONSTANT_NAME, &name);
    if (CreatePrtHandle != -1) {
        ResetTextBox(CreatePrtHandle, PRT_NAME, "");
        InsertTextBoxLine(CreatePrtHandle, PRT_NAME, 0, name.c_str());
        // The name is the file's; the label is what the operator knows the control by.
        SetCtrlAttribute(CreatePrtHandle, PRT_LABEL, ATTR_LABEL_TEXT,
                         ParameterLabel(panel, control).c_str());
    }
    int type = 0;
    GetCtrlAttribute(panel, control, ATTR_DATA_TYPE, &type);
    if (type == VAL_INTEGER) {
        std::snprintf(Data_type, sizeof Data_type, "INTEGER");
    } else if (type == VAL_DOUBLE) {
        std::snprintf(Data_type, sizeof Data_type, "DOUBLE");
    } else {
        Data_type[0] = '\0';
        MessagePopup("Error!!!", "Data type not defined. Contact programmer.");
        return 1;
    }
    InitializeGlobals();
    return 0;
}

int set_val(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) set_text();
    return 0;
}

}  // namespace trelvanix::callbacks

void set_text() {
    int step = 0, end = 0, start = 0;
    GetCtrlVal(CreatePrtHandle, PRT_STEP, &step);
    if (step == 0) {
        MessagePopup("Error!!!", "Step cannot be zero.");
        return;
    }
    GetCtrlVal(CreatePrtHandle, PRT_END, &end);
    GetCtrlVal(CreatePrtHandle, PRT_START, &start);
    // The count uses magnitudes while the step keeps its sign: 0 to 10 by -5 is 0 -5 -10.
    const long long n = std::llabs(static_cast<long long>(end) - start) / std::llabs(step);
    std::string text;
    for (long long k = 0; k <= n; ++k) {
        text += std::to_string(start + k * step) + " ";
        if (text.size() - 1 > kMaxValuesText) {  // the last blank is not kept
            MessagePopup("Error!!!",
                         "The values do not fit in 999 characters. Choose a larger "
                         "step or a shorter range.");
            return;
        }
    }
    text.pop_back();
    ResetTextBox(CreatePrtHandle, PRT_VALUES, "");
    InsertTextBoxLine(CreatePrtHandle, PRT_VALUES, 0, text.c_str());
}

namespace trelvanix::callbacks {

int Save_protocol(int panel, int control, int event, void*, int, int) {
    if (event == EVENT_COMMIT) save_prt();
    return 0;
}

}  // namespace trelvanix::callbacks

void save_prt() {
    const std::string values = firstLineOf(PRT_VALUES);
    const std::string name = firstLineOf(PRT_NAME);
    // The count is the number of values written, however many blanks separate them.
    const int valueCount = static_cast<int>(blankWords(values).size());
    if (name.empty() || valueCount == 0) {
        MessagePopup("Error!!!", "Parameter or parameter values cannot be null.");
        return;
    }
    const int index = FindControlName(name.c_str());
    if (index < 0) {
        MessagePopup("Error", "Control name not found. Contact programmer.");
        return;
    }
    // A file the runner would refuse is not written.
    if (Data_type[0] == '\0') {
        MessagePopup("Error!!!",
                     ("The value type of " + name +
                      " is not known yet: change its value on its stimulus sub-panel first.")
                         .c_str());
        return;
    }
    if (const std::string problem = valuesProblem(name, index, values); !problem.empty()) {
        MessagePopup("Error!!!", (problem + " The protocol file was not saved.").c_str());
        return;
    }
    std::string path;
    if (FileSelectPopup("", "*.prt", "*.*", "Save protocol File.", VAL_SAVE_BUTTON, 0, 0, 1, 1,
                        &path) <= 0)
        return;
    writeProtocolFile(path, protocolFileText(name, Data_type, valueCount, values));
}
