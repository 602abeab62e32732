#include "platform/clock/clock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

namespace trelvanix {

RealClock::RealClock() : origin_(std::chrono::steady_clock::now()) {}

double RealClock::seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - origin_).count();
}

std::time_t RealClock::calendarTime() const {
    return std::time(nullptr);
}

void RealClock::waitUntil(double when) {
    // Sleeps of at most an hour at a time: a longer duration (a script's `wait 1e19`) would
    // overflow the nanosecond count and return at once, so a caller waiting for it would spin.
    constexpr double kLongestSleep = 3600.0;
    for (double remaining = when - seconds(); remaining > 0; remaining = when - seconds())
        std::this_thread::sleep_for(
            std::chrono::duration<double>(std::min(remaining, kLongestSleep)));
}

SimulatedClock::SimulatedClock(std::time_t calendarStart) : calendarStart_(calendarStart) {}

std::time_t SimulatedClock::calendarTime() const {
    return calendarStart_ + static_cast<std::time_t>(std::floor(now_));
}

void SimulatedClock::waitUntil(double when) {
    if (when > now_) now_ = when;
}

void SimulatedClock::advance(double by) {
    if (by > 0) now_ += by;
}

namespace {
std::unique_ptr<Clock>& sharedClock() {
    static std::unique_ptr<Clock> clock = std::make_unique<RealClock>();
    return clock;
}
}  // namespace

Clock& programClock() {
    return *sharedClock();
}

Clock& installClock(std::unique_ptr<Clock> clock) {
    sharedClock() = std::move(clock);
    return *sharedClock();
}

SimulatedClock& installSimulatedClock(std::time_t calendarStart) {
    auto clock = std::make_unique<SimulatedClock>(calendarStart);
    SimulatedClock& installed = *clock;
    installClock(std::move(clock));
    return installed;
}

std::tm localCalendar() {
    const std::time_t now = programClock().calendarTime();
    std::tm broken{};
#ifdef _WIN32
    localtime_s(&broken, &now);
#else
    localtime_r(&now, &broken);
#endif
    return broken;
}

}  // namespace trelvanix

double Timer() {
    return trelvanix::programClock().seconds();
}

int GetSystemDate(int* month, int* day, int* year) {
    const std::tm t = trelvanix::localCalendar();
    if (month) *month = t.tm_mon + 1;
    if (day) *day = t.tm_mday;
    if (year) *year = t.tm_year + 1900;
    return 0;
}

int GetSystemTime(int* hours, int* minutes, int* seconds) {
    const std::tm t = trelvanix::localCalendar();
    if (hours) *hours = t.tm_hour;
    if (minutes) *minutes = t.tm_min;
    if (seconds) *seconds = t.tm_sec;
    return 0;
}

char* DateStr() {
    static char text[32];
    const std::tm t = trelvanix::localCalendar();
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", t.tm_mon + 1, t.tm_mday, t.tm_year + 1900);
    return text;
}

char* TimeStr() {
    static char text[32];
    const std::tm t = trelvanix::localCalendar();
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

std::time_t CalendarTime(std::time_t* out) {
    const std::time_t now = trelvanix::programClock().calendarTime();
    if (out) *out = now;
    return now;
}
