#include "platform/ui/plain_number.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace trelvanix::ui {

std::string plainNumber(double value) {
    if (!std::isfinite(value)) return std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
    const int magnitude =
        value == 0.0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = std::clamp(5 - magnitude, 0, 20);
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string plain = text;
    if (plain.find('.') != std::string::npos) {
        plain.erase(plain.find_last_not_of('0') + 1);
        if (plain.back() == '.') plain.pop_back();
    }
    return plain == "-0" ? "0" : plain;
}

}  // namespace trelvanix::ui
