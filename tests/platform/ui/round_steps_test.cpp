// Round axis spans: whole round steps around the data, no more divisions than asked for.

#include "platform/ui/round_steps.h"

#include <gtest/gtest.h>

namespace trelvanix::ui {
namespace {

TEST(RoundSteps, SpansEndOnRoundStepsAndKeepToTheDivisions) {
    EXPECT_EQ(roundStep(0.00019), 0.0002);
    EXPECT_EQ(roundStep(110.0), 200.0);
    EXPECT_EQ(roundStep(-3.0), 1.0);

    struct Case {
        double low, high;
        int most;
        RoundSpan expected;
    } cases[] = {
        {0.0, 1200.0, 10, {0.0, 1200.0, 6}},           // a stimulus of 1.2 s, in ms
        {-50.0, 1050.0, 10, {-200.0, 1200.0, 7}},      // a pulse with its margin
        {575.9032, 576.0411, 10, {575.9, 576.06, 8}},  // a narrow span far from zero
        {-1.0, -1.0, 10, {-1.5, -0.5, 10}},            // no width: one unit around it
        {0.0, 9.9, 2, {0.0, 10.0, 2}},
        {-0.3, 1.953125, 5, {-0.5, 2.0, 5}},
    };
    for (const Case& c : cases) {
        const RoundSpan span = roundSpan(c.low, c.high, c.most);
        EXPECT_NEAR(span.min, c.expected.min, 1e-9) << c.low << ".." << c.high;
        EXPECT_NEAR(span.max, c.expected.max, 1e-9) << c.low << ".." << c.high;
        EXPECT_EQ(span.divisions, c.expected.divisions) << c.low << ".." << c.high;
        EXPECT_LE(span.min, c.low);
        EXPECT_GE(span.max, c.high);
    }
}

}  // namespace
}  // namespace trelvanix::ui
