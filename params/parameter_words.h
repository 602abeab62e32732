#pragma once
// The words of a parameter file: how numbers are written so that each comes back exactly,
// how words are read as numbers, and whether a value is one its control accepts.

#include <string>
#include <string_view>

#include "params/parameter_set.h"

namespace trelvanix::params {

struct ReadFailure {
    int line = 0;     // 1-based line of the word where reading failed
    std::string key;  // the key before the value that failed, or the key searched for
    std::string what;
};

// "%f" (six decimals) when that reads back as `value`, else as many decimals as it takes.
std::string RealText(double value);
// The same for a value read back at single precision ("%f" into a float).
std::string SingleText(float value);
// The shortest text that reads back as `value` ("0.5", "1e-07").
std::string ShortestText(double value);

// The whole word as a whole number that fits an int, or as a finite number.
bool ParseWhole(std::string_view word, int* value);
bool ParseReal(std::string_view word, double* value);

// Why `value` (written as `word`) is not one the control `control` accepts; empty when it is.
std::string Misfit(double value, std::string_view word, const std::string& control,
                   const ParameterLimits& limits);
// The same for a value the file carries in other units than its control shows: `accepted`
// is the range in the file's units.
std::string OutsideRange(std::string_view word, double min, double max);

}  // namespace trelvanix::params
