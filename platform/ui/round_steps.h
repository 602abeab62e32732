#pragma once
// Round numbers for graph axes: steps of 1, 2, 2.5 or 5 times a power of ten, and spans
// that start and end on such steps, so every division of an axis is labelled readably.

namespace trelvanix::ui {

// The round step nearest above `rough` (1 for a step that is not a positive number).
double roundStep(double rough);

struct RoundSpan {
    double min, max;
    int divisions;
};

// The smallest span of whole round steps that holds [low, high], cut into at most
// `mostDivisions` divisions (at least 2); a span of no width gets one unit around it.
RoundSpan roundSpan(double low, double high, int mostDivisions);

}  // namespace trelvanix::ui
