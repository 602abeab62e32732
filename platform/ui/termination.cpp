#include "platform/ui/termination.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <vector>

#include "platform/clock/clock.h"

namespace trelvanix::ui {

namespace {

volatile std::sig_atomic_t requestedSignal = 0;
int wakePipe[2] = {-1, -1};
std::function<void()>& finishing() {
    static std::function<void()> finish;
    return finish;
}

// Signals from outside that end the process unless handled: each finishes the program's work
// first. Not here: SIGKILL and SIGSTOP cannot be caught; SIGSEGV, SIGBUS, SIGILL, SIGFPE,
// SIGABRT, SIGTRAP and SIGSYS come from a fault of the program itself, after which its state
// cannot be trusted to write anything; SIGPIPE and SIGXFSZ are ignored (the write fails and is
// reported instead).
std::vector<int> endingSignals() {
    std::vector<int> signals = {SIGTERM, SIGINT,    SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,
                                SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGIO};
#ifdef SIGPWR
    signals.push_back(SIGPWR);
#endif
#ifdef SIGSTKFLT
    signals.push_back(SIGSTKFLT);
#endif
    for (int realTime = SIGRTMIN; realTime <= SIGRTMAX; ++realTime) signals.push_back(realTime);
    return signals;
}

extern "C" void noteTermination(int signal) {
    const int savedErrno = errno;
    requestedSignal = signal;
    const char byte = 1;
    // The pipe is non-blocking: a full pipe already wakes the loop.
    [[maybe_unused]] const ssize_t ignored = ::write(wakePipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

void installTerminationHandlers(std::function<void()> finish) {
    finishing() = std::move(finish);
    if (wakePipe[0] < 0 && ::pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) != 0)
        wakePipe[0] = wakePipe[1] = -1;
    struct sigaction action = {};
    action.sa_handler = noteTermination;
    sigemptyset(&action.sa_mask);
    for (int signal : endingSignals()) sigaction(signal, &action, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

int pendingTerminationSignal() {
    return requestedSignal;
}

int terminationWakeDescriptor() {
    return wakePipe[0];
}

void endIfTerminationRequested() {
    const int signal = requestedSignal;
    if (signal == 0) return;
    static bool ending = false;  // the finishing work may itself reach the event loop
    if (ending) return;
    ending = true;
    if (finishing()) finishing()();
    std::fflush(stdout);
    std::fflush(stderr);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void waitUnlessTerminated(double until, int alsoWakeOn) {
    Clock& clock = programClock();
    const bool endless = !std::isfinite(until);
    if ((clock.isSimulated() && !endless) || (wakePipe[0] < 0 && alsoWakeOn < 0)) {
        clock.waitUntil(until);
        return;
    }
    while (requestedSignal == 0) {
        const double remaining = until - clock.seconds();
        if (remaining <= 0) return;
        pollfd wake[2] = {{wakePipe[0], POLLIN, 0}, {alsoWakeOn, POLLIN, 0}};
        const double milliseconds = std::ceil(std::min(remaining * 1000.0, 60000.0));
        if (::poll(wake, 2, static_cast<int>(milliseconds)) > 0) return;
    }
}

}  // namespace trelvanix::ui
