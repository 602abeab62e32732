#include "platform/driver/output_history.h"

#include <algorithm>
#include <cmath>

namespace trelvanix::driver {

long long sampleIndexAt(double t, double start, double rate) {
    // A millionth of a sample absorbs the rounding of start + k / rate.
    return static_cast<long long>(std::floor((t - start) * rate + 1e-6));
}

double OutputHistory::Segment::valueAt(double t) const {
    if (!samples) return level;
    const long long k = std::max(0LL, sampleIndexAt(t, from, rate));
    return (*samples)[static_cast<std::size_t>(k) % samples->size()];
}

void OutputHistory::append(int output, Segment segment) {
    auto& timeline = segments_[output];
    // A change at the same moment as the last one replaces it.
    while (!timeline.empty() && timeline.back().from >= segment.from) timeline.pop_back();
    timeline.push_back(std::move(segment));
}

void OutputHistory::hold(int output, double from, double level) {
    append(output, Segment{from, level, nullptr, 0.0});
}

void OutputHistory::play(int output, double from,
                         std::shared_ptr<const std::vector<double>> samples, double rate) {
    append(output, Segment{from, 0.0, std::move(samples), rate});
}

double OutputHistory::levelAt(int output, double t) const {
    double level = 0.0, until = 0.0;
    holdsAt(output, t, &level, &until);
    return level;
}

bool OutputHistory::holdsAt(int output, double t, double* level, double* until) const {
    const auto& timeline = segments_[output];
    auto after = std::upper_bound(timeline.begin(), timeline.end(), t,
                                  [](double time, const Segment& s) { return time < s.from; });
    *until = after == timeline.end() ? HUGE_VAL : after->from;
    if (after == timeline.begin()) {
        *level = 0.0;
        return true;
    }
    const Segment& segment = *std::prev(after);
    *level = segment.valueAt(t);
    return !segment.samples;
}

void OutputHistory::forgetBefore(double oldestNeeded) {
    for (auto& timeline : segments_) {
        // Keep the segment in force at oldestNeeded and everything after it.
        while (timeline.size() > 1 && timeline[1].from <= oldestNeeded) timeline.pop_front();
    }
}

}  // namespace trelvanix::driver
