#include "platform/clock/clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

using namespace trelvanix;

class SimulatedClockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        clock_ = &installSimulatedClock();
    }
    void TearDown() override { installClock(std::make_unique<RealClock>()); }
    SimulatedClock* clock_ = nullptr;
};

TEST_F(SimulatedClockTest, MovesOnlyWhenTheProgramWaits) {
    EXPECT_EQ(Timer(), 0.0);
    EXPECT_EQ(Timer(), 0.0);
    clock_->waitUntil(12.5);
    EXPECT_DOUBLE_EQ(Timer(), 12.5);
    clock_->waitUntil(3.0);  // a deadline already passed does not move time back
    EXPECT_DOUBLE_EQ(Timer(), 12.5);
    clock_->advance(-1.0);
    EXPECT_DOUBLE_EQ(Timer(), 12.5);
}

TEST_F(SimulatedClockTest, CalendarFollowsTheClock) {
    EXPECT_STREQ(DateStr(), "01-01-2026");
    EXPECT_STREQ(TimeStr(), "12:00:00");
    clock_->advance(3600.0 * 12 + 61.9);  // whole seconds only: 00:01:01 the next day
    int month = 0, day = 0, year = 0, h = -1, m = -1, s = -1;
    GetSystemDate(&month, &day, &year);
    GetSystemTime(&h, &m, &s);
    EXPECT_EQ(year, 2026);
    EXPECT_EQ(month, 1);
    EXPECT_EQ(day, 2);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(m, 1);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(CalendarTime(), SimulatedClock::kDefaultCalendarStart + 12 * 3600 + 61);
}

TEST(RealClockTest, IsMonotonicAndWaits) {
    RealClock clock;
    const double before = clock.seconds();
    clock.waitUntil(before + 0.01);
    EXPECT_GE(clock.seconds(), before + 0.01);
    EXPECT_FALSE(clock.isSimulated());
}

TEST(RealClockTest, AWaitTooLongToCountInNanosecondsStillWaits) {
    // The waiting thread sleeps until the process ends; it must not come back at once.
    static std::atomic<bool> returned{false};
    std::thread([] {
        RealClock clock;
        clock.waitUntil(clock.seconds() + 1e19);
        returned = true;
    }).detach();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned);
}
