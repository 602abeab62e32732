#pragma once
// Numbers in messages as an operator reads them: no exponent, no trailing zeros
// ("20971510", "0.000001", "1.333333").

#include <string>

namespace trelvanix::ui {

// `value` with six significant digits (all of a whole number's digits), in plain decimals.
std::string plainNumber(double value);

}  // namespace trelvanix::ui
