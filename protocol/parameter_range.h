#pragma once
// The values a protocol parameter can take: the range of the control it steps, so that a value
// the control would change is refused by name rather than clamped without a word.

#include <string>

#include "protocol/protocol_file.h"

namespace trelvanix::protocol {

struct ParameterRange {
    double low, high;
};

// The range of `control` on `panel`; whole numbers keep to those of an int.
ParameterRange ControlRange(int panel, int control, bool whole);
// The loaded sub-panel whose constant name is the parameter name's panel part; 0 when none is.
int PanelOfParameter(const std::string& name);
// "Value 2 of 3 in the protocol file, 0, is outside the range of SINE_DURATION, 1 to 3600000."
std::string OutOfRangeText(const ValueOutOfRange& bad, int count, const std::string& name,
                           const ParameterRange& range);

}  // namespace trelvanix::protocol
