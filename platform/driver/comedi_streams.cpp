#include "platform/driver/comedi_streams.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>

namespace trelvanix::driver {
namespace {

constexpr int kPollMilliseconds = 20;           // how soon a stream notices it is stopped
constexpr std::size_t kChunkBytes = 64 * 1024;  // one read from the device file
constexpr std::size_t kMinCycleBytes = 64 * 1024;
// Before its start an output takes what its buffer holds; a device that would take without
// end is cut off here.
constexpr std::size_t kPreloadLimit = 16 * 1024 * 1024;

}  // namespace

InputStream::InputStream(int fd, std::size_t scanBytes, std::uint64_t capacityScans)
    : fd_(fd), scanBytes_(scanBytes), capacityBytes_(capacityScans * scanBytes) {
    thread_ = std::thread([this] { run(); });
}

InputStream::~InputStream() {
    stopping_ = true;
    thread_.join();
}

void InputStream::run() {
    std::vector<std::uint8_t> chunk(kChunkBytes);
    while (!stopping_) {
        pollfd ready{fd_, POLLIN, 0};
        const int polled = ::poll(&ready, 1, kPollMilliseconds);
        if (polled == 0 || (polled < 0 && errno == EINTR)) continue;
        const ssize_t got = polled < 0 ? -1 : ::read(fd_, chunk.data(), chunk.size());
        const int reason = got < 0 ? errno : 0;
        if (got < 0 && (reason == EAGAIN || reason == EINTR)) continue;
        std::lock_guard lock(mutex_);
        if (got <= 0) {
            // The end of the file ends the command; Comedi gives its error on the read.
            ended_ = true;
            error_ = reason;
            arrived_.notify_all();
            return;
        }
        receivedBytes_ += static_cast<std::uint64_t>(got);
        const std::uint64_t waiting = buffer_.size() - taken_;
        if (overflowed_ || waiting + static_cast<std::uint64_t>(got) > capacityBytes_)
            overflowed_ = true;
        else
            buffer_.insert(buffer_.end(), chunk.data(), chunk.data() + got);
        arrived_.notify_all();
    }
}

InputStream::State InputStream::stateLocked() const {
    State state;
    state.acquired = receivedBytes_ / scanBytes_;
    state.available = (buffer_.size() - taken_) / scanBytes_;
    state.overflowed = overflowed_;
    state.ended = ended_;
    state.error = error_;
    return state;
}

InputStream::State InputStream::state() const {
    std::lock_guard lock(mutex_);
    return stateLocked();
}

InputStream::State InputStream::waitFor(std::uint64_t scans, double seconds) {
    std::unique_lock lock(mutex_);
    const auto ready = [&] {
        return ended_ || overflowed_ || (buffer_.size() - taken_) / scanBytes_ >= scans;
    };
    if (seconds < 0 || std::isinf(seconds))
        arrived_.wait(lock, ready);
    else
        arrived_.wait_for(lock, std::chrono::duration<double>(seconds), ready);
    return stateLocked();
}

void InputStream::take(std::uint64_t scans, std::vector<std::uint8_t>* bytes) {
    std::lock_guard lock(mutex_);
    const std::uint64_t available = (buffer_.size() - taken_) / scanBytes_;
    const auto count = static_cast<std::size_t>(std::min(scans, available) * scanBytes_);
    const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(taken_);
    bytes->assign(first, first + static_cast<std::ptrdiff_t>(count));
    taken_ += count;
    // What was taken is dropped once it is the larger part, so the buffer never creeps.
    if (taken_ >= kChunkBytes && 2 * taken_ >= buffer_.size()) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(taken_));
        taken_ = 0;
    }
}

OutputStream::OutputStream(int fd, const std::vector<std::uint8_t>& period) : fd_(fd) {
    do {
        cycle_.insert(cycle_.end(), period.begin(), period.end());
    } while (!period.empty() && cycle_.size() < kMinCycleBytes);
}

OutputStream::~OutputStream() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
}

int OutputStream::writeAvailable(std::size_t limit) {
    std::size_t written = 0;
    while (written < limit && !stopping_ && !cycle_.empty()) {
        const ssize_t put = ::write(fd_, cycle_.data() + position_, cycle_.size() - position_);
        if (put < 0) {
            if (errno == EINTR) continue;
            return errno == EAGAIN ? 0 : errno;
        }
        if (put == 0) return 0;
        position_ = (position_ + static_cast<std::size_t>(put)) % cycle_.size();
        written += static_cast<std::size_t>(put);
    }
    return 0;
}

int OutputStream::preload() {
    return writeAvailable(kPreloadLimit);
}

void OutputStream::start() {
    thread_ = std::thread([this] { run(); });
}

void OutputStream::run() {
    while (!stopping_) {
        pollfd ready{fd_, POLLOUT, 0};
        const int polled = ::poll(&ready, 1, kPollMilliseconds);
        if (polled == 0 || (polled < 0 && errno == EINTR)) continue;
        const int failed = polled < 0 ? errno : writeAvailable(cycle_.size());
        if (failed != 0) {
            error_ = failed;
            return;
        }
    }
}

}  // namespace trelvanix::driver
