#include "platform/ui/round_steps.h"

#include <algorithm>
#include <cmath>

namespace trelvanix::ui {

double roundStep(double rough) {
    if (!(rough > 0) || !std::isfinite(rough)) return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double mantissa : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (mantissa * power >= rough * (1 - 1e-9)) return mantissa * power;
    return 10.0 * power;
}

RoundSpan roundSpan(double low, double high, int mostDivisions) {
    mostDivisions = std::max(2, mostDivisions);
    if (!(high > low)) {
        low -= 0.5;
        high += 0.5;
    }
    // Rounding the ends out can need one more step than the span itself: grow the step until
    // the whole span fits the divisions.
    double step = roundStep((high - low) / mostDivisions);
    for (;;) {
        const double first = std::floor(low / step + 1e-9), last = std::ceil(high / step - 1e-9);
        const int divisions = int(std::lround(last - first));
        if (divisions <= mostDivisions)
            return RoundSpan{first * step, last * step, std::max(1, divisions)};
        step = roundStep(step * 1.0001);
    }
}

}  // namespace trelvanix::ui
