#pragma once
// The one clock of the program. Everything that asks for the time (the toolkit's Timer and
// calendar, the driver's sample clock) reads the clock installed here, so a simulated clock
// moves the whole program together.

#include <chrono>
#include <ctime>
#include <memory>

namespace trelvanix {

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since the clock's origin (the program's start for the real clock).
    virtual double seconds() const = 0;
    // Calendar time (seconds since the Unix epoch) that goes with seconds().
    virtual std::time_t calendarTime() const = 0;
    // Returns once seconds() >= when. The real clock sleeps; the simulated one jumps there.
    virtual void waitUntil(double when) = 0;
    virtual bool isSimulated() const = 0;
};

// Monotonic time from std::chrono::steady_clock; the calendar follows the system clock.
class RealClock final : public Clock {
  public:
    RealClock();
    double seconds() const override;
    std::time_t calendarTime() const override;
    void waitUntil(double when) override;
    bool isSimulated() const override { return false; }

  private:
    std::chrono::steady_clock::time_point origin_;
};

// Time that moves only when the program waits: waitUntil jumps straight to the moment the
// wait would end, so minutes of acquisition run in milliseconds and always the same way.
class SimulatedClock final : public Clock {
  public:
    // The calendar starts at 2026-01-01 12:00:00 UTC unless another epoch time is given.
    explicit SimulatedClock(std::time_t calendarStart = kDefaultCalendarStart);
    double seconds() const override { return now_; }
    std::time_t calendarTime() const override;
    void waitUntil(double when) override;
    bool isSimulated() const override { return true; }
    // Moves time forward by the given number of seconds (never backward).
    void advance(double by);

    static constexpr std::time_t kDefaultCalendarStart = 1767268800;

  private:
    double now_ = 0.0;
    std::time_t calendarStart_;
};

// The clock the whole program shares; a real clock until another is installed.
Clock& programClock();
// Replaces the shared clock (at start-up, or in tests) and returns the new one.
Clock& installClock(std::unique_ptr<Clock> clock);
SimulatedClock& installSimulatedClock(
    std::time_t calendarStart = SimulatedClock::kDefaultCalendarStart);

// Broken-down local calendar time of the shared clock.
std::tm localCalendar();

}  // namespace trelvanix

// The toolkit's run-time clock utilities, under their toolkit names.
double Timer();                                      // seconds from the clock's origin
int GetSystemDate(int* month, int* day, int* year);  // 0 on success
int GetSystemTime(int* hours, int* minutes, int* seconds);
char* DateStr();  // "MM-DD-YYYY" in a static buffer
char* TimeStr();  // "HH:MM:SS" in a static buffer
// Calendar seconds since the epoch on the shared clock; the program calls this where a C
// program would call time(), so file names follow the simulated clock too.
std::time_t CalendarTime(std::time_t* out = nullptr);
