#include "protocol/parameter_range.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <limits>

#include "platform/ui/toolkit.h"
#include "state/shared_state.h"

namespace trelvanix::protocol {

ParameterRange ControlRange(int panel, int control, bool whole) {
    constexpr double kUnbounded = std::numeric_limits<double>::infinity();
    ParameterRange range{-kUnbounded, kUnbounded};
    GetCtrlAttribute(panel, control, ATTR_MIN_VALUE, &range.low);
    GetCtrlAttribute(panel, control, ATTR_MAX_VALUE, &range.high);
    if (whole) {
        range.low = std::max(range.low, double{INT_MIN});
        range.high = std::min(range.high, double{INT_MAX});
    }
    return range;
}

int PanelOfParameter(const std::string& name) {
    const std::string panelPart = name.substr(0, name.find('_'));
    for (int panel : Handle) {
        if (panel <= 0) continue;
        std::string constant;
        GetPanelAttribute(panel, ATTR_CONSTANT_NAME, &constant);
        if (constant == panelPart) return panel;
    }
    return 0;
}

std::string OutOfRangeText(const ValueOutOfRange& bad, int count, const std::string& name,
                           const ParameterRange& range) {
    char* end = nullptr;
    std::strtod(bad.word.c_str(), &end);
    const bool number = end != bad.word.c_str();
    const std::string value = bad.word.empty() ? "missing (0)"
                              : number         ? bad.word
                                               : bad.word + " (read as 0)";
    return "Value " + std::to_string(bad.index + 1) + " of " + std::to_string(count) +
           " in the protocol file, " + value + ", is outside the range of " + name + ", " +
           rangeText(range.low, range.high) + ".";
}

}  // namespace trelvanix::protocol
