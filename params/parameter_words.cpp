#include "params/parameter_words.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/ui/plain_number.h"

namespace trelvanix::params {

namespace {

bool readsBackAs(const char* text, double value) {
    return std::strtod(text, nullptr) == value;
}

}  // namespace

std::string RealText(double value) {
    char text[400];
    // Fixed decimals keep the layout's "%f" look; beyond 20 of them the exponent form is
    // shorter and reads back the same.
    for (int decimals = 6; decimals <= 20; ++decimals) {
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        if (readsBackAs(text, value)) return text;
    }
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string SingleText(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    if (static_cast<float>(std::strtod(text, nullptr)) == value) return text;
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string ShortestText(double value) {
    char text[40];
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    for (int digits = 1; digits < 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (readsBackAs(text, value)) return text;
    }
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

bool ParseWhole(std::string_view word, int* value) {
    const std::string text(word);
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || parsed < -2147483647L - 1 || parsed > 2147483647L)
        return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool ParseReal(std::string_view word, double* value) {
    const std::string text(word);
    if (text.empty()) return false;
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

std::string OutsideRange(std::string_view word, double min, double max) {
    return std::string(word) + " is outside the accepted range, " + ui::plainNumber(min) + " to " +
           ui::plainNumber(max);
}

std::string Misfit(double value, std::string_view word, const std::string& control,
                   const ParameterLimits& limits) {
    if (const auto choices = limits.choices.find(control); choices != limits.choices.end()) {
        std::string offered;
        for (double choice : choices->second) {
            if (choice == value) return {};
            offered += (offered.empty() ? "" : ", ") + ui::plainNumber(choice);
        }
        return std::string(word) + " is not one of the accepted values " + offered;
    }
    const auto range = limits.ranges.find(control);
    // Every value is checked against its control: a control the limits do not know is a
    // fault of the program, and the file is not applied unchecked.
    if (range == limits.ranges.end()) return "the accepted values of " + control + " are unknown";
    if (value >= range->second.min && value <= range->second.max) return {};
    return OutsideRange(word, range->second.min, range->second.max);
}

}  // namespace trelvanix::params
