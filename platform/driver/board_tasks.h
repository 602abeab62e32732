#pragma once
// What the back ends that keep their own tasks share: the state every task has, the table of
// tasks by number with the operations that only find a task and hand it on, and the checks
// (with the driver's statuses and texts) that do not depend on the board behind them.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/driver/driver_backend.h"

namespace trelvanix::driver {

enum class TaskKind { Empty, Input, Output };

// What every task knows of itself; a back end's task adds its channels and streams.
struct TaskState {
    std::string name;
    TaskKind kind = TaskKind::Empty;
    bool clocked = false;
    double rate = 0.0;
    std::uint64_t bufferSize = 0;  // samples per channel
    bool running = false;
    std::uint64_t acquiredAtStop = 0;
    std::vector<double> pendingLevels;  // on-demand values waiting for the start
};

namespace task_checks {

// "%g" of a value, as the texts show volts and rates.
std::string number(double value);
// `task "NAME"`.
std::string quotedTask(const std::string& name);
Outcome invalidValue(std::string cause);
// The board answers to `board` ("Dev1") only.
Outcome checkDeviceName(std::string_view device, std::string_view board);
// No task has that number (never created, or cleared).
Outcome unknownTask(TaskId id);
Outcome noChannels(const TaskState& task);
// An input task started without a sample clock.
Outcome noSampleClock(const TaskState& task);
Outcome notAnInputTask(const TaskState& task);
Outcome notAnOutputTask(const TaskState& task);
// Channels of `adding` go into a task only while it is stopped and holds no other kind.
Outcome checkChannelsCanBeAdded(const TaskState& task, TaskKind adding);
Outcome checkLimitsOrdered(double min, double max);
// A physical channel given twice, or already in the task.
Outcome alreadyInTask(const std::string& channel, const TaskState& task);
// A sample clock goes on a stopped task with channels, from the onboard clock.
Outcome checkClockable(const TaskState& task, std::string_view source);
Outcome checkBufferSize(std::uint64_t samplesPerChannel);
// `task` may not start: `other` holds `resource`.
Outcome reserved(const TaskState& task, const TaskState& other, const std::string& resource);
// Reads go to input tasks only.
Outcome checkReadable(const TaskState& task);
// A read asks for no more than the task's buffer holds.
Outcome checkReadSize(const TaskState& task, const ReadRequest& request);
Outcome checkReadCapacity(std::uint64_t wanted, std::size_t channels, std::uint32_t capacity);
// A write gives an output task a waveform (2 samples a channel or more) when it is clocked,
// one value a channel when it is not.
Outcome checkWritable(const TaskState& task, const WriteRequest& request);
// Value `scan` of channel `channel` of a write to `channels` channels, in either layout.
inline double writtenValue(const WriteRequest& request, std::size_t channels, std::size_t scan,
                           std::size_t channel) {
    return request.groupByScan
               ? request.data[scan * channels + channel]
               : request.data[channel * std::size_t(request.samplesPerChannel) + scan];
}

}  // namespace task_checks

// A back end whose tasks it keeps itself: the table of tasks, and the operations whose work
// is finding the task and handing it to the back end's own start and stop.
template <class Task>
class TaskKeepingBoard : public DriverBackend {
  public:
    Outcome start(TaskId id) override {
        Task* task;
        if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
        return startTask(*task);
    }
    Outcome stop(TaskId id) override {
        Task* task;
        if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
        return stopTask(*task);
    }
    // The task is released whatever stopping it met: the program sets its outputs to 0 V
    // itself after a stimulus, and tells the operator of one it cannot.
    Outcome clear(TaskId id) override {
        Task* task;
        if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
        stopTask(*task);
        tasks_.erase(id);
        return Outcome::success();
    }
    // One value on the one output of a task without a sample clock, through write.
    Outcome writeScalar(TaskId id, bool autoStart, double timeout, double value) override {
        using namespace task_checks;
        Task* task;
        if (Outcome bad = findTask(id, &task); bad.failed()) return bad;
        if (task->kind == TaskKind::Input) return notAnOutputTask(*task);
        if (channelCount(*task) != 1)
            return invalidValue("a scalar write needs a task with exactly one output channel");
        if (task->clocked)
            return invalidValue(quotedTask(task->name) +
                                " has a sample clock; write a waveform to it instead");
        WriteRequest request{1, autoStart, timeout, false, &value};
        std::int32_t written = 0;
        return write(id, request, &written);
    }

  protected:
    virtual Outcome startTask(Task& task) = 0;
    virtual Outcome stopTask(Task& task) = 0;
    virtual std::size_t channelCount(const Task& task) const = 0;

    Outcome findTask(TaskId id, Task** task) {
        const auto found = tasks_.find(id);
        *task = found == tasks_.end() ? nullptr : &found->second;
        return *task ? Outcome::success() : task_checks::unknownTask(id);
    }

    std::map<TaskId, Task> tasks_;
};

}  // namespace trelvanix::driver
