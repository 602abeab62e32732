#pragma once
// The samples of a running Comedi command, moved between the device file and the program on
// a thread of their own, so that the board's buffer is served while the user interface is
// busy. The threads touch only the file descriptor, never libcomedi.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace trelvanix::driver {

// Reads an input command's samples into a buffer of the program's size.
class InputStream {
  public:
    // Scans of `scanBytes` each; at most `capacityScans` wait to be taken.
    InputStream(int fd, std::size_t scanBytes, std::uint64_t capacityScans);
    ~InputStream();
    InputStream(const InputStream&) = delete;
    InputStream& operator=(const InputStream&) = delete;

    struct State {
        std::uint64_t acquired = 0;   // scans the board delivered since the start
        std::uint64_t available = 0;  // scans waiting to be taken
        bool overflowed = false;      // the buffer filled: later scans were lost
        bool ended = false;           // the device file ended the stream
        int error = 0;                // the system's reason for the end, or 0
    };
    State state() const;
    // Waits until `scans` scans wait to be taken, the stream ends or `seconds` pass.
    State waitFor(std::uint64_t scans, double seconds);
    // Moves the oldest `scans` scans (no more than wait) into *bytes.
    void take(std::uint64_t scans, std::vector<std::uint8_t>* bytes);

  private:
    void run();
    State stateLocked() const;

    const int fd_;
    const std::size_t scanBytes_;
    const std::uint64_t capacityBytes_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::uint8_t> buffer_;
    std::size_t taken_ = 0;  // bytes at the front of buffer_ already taken
    std::uint64_t receivedBytes_ = 0;
    bool overflowed_ = false;
    bool ended_ = false;
    int error_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// Writes an output command's waveform over and over until stopped.
class OutputStream {
  public:
    // `period` holds the raw samples of one period of the waveform.
    OutputStream(int fd, const std::vector<std::uint8_t>& period);
    ~OutputStream();
    OutputStream(const OutputStream&) = delete;
    OutputStream& operator=(const OutputStream&) = delete;

    // Fills what the device takes now, before the output starts; returns 0 or the system's
    // error number.
    int preload();
    void start();
    // The system's error number of a write that failed (the stream then stopped), or 0.
    int error() const { return error_.load(); }

  private:
    // Writes from the current position until the device takes no more; 0, or the error.
    int writeAvailable(std::size_t limit);
    void run();

    const int fd_;
    std::vector<std::uint8_t> cycle_;  // whole periods, repeated for large writes
    std::size_t position_ = 0;
    std::atomic<int> error_{0};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace trelvanix::driver
