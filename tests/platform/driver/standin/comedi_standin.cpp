// A stand-in for libcomedi, built only for the tests. It exports the C functions the program
// calls, with Comedi's published C signatures and structures, written here apart from the
// program's own so that a wrong declaration on either side shows.
//
//   TRELVANIX_STANDIN_LOG=FILE                  appends a line per command, trigger, cancel and
//                                               single write, and one per run of equal values
//                                               an output plays ("ao1 40000 x 250": 250 samples)
//   TRELVANIX_STANDIN_FAIL="NAME CALL ERRNO"    call number CALL of the function NAME fails
//                                               with ERRNO, calls counted from when the
//                                               variable changed
//   TRELVANIX_STANDIN_FAIL="read SCANS ERRNO"   the input stream ends after SCANS scans, in
//                                               error ERRNO (Comedi's report on its buffer)
//
// The device file must exist; its samples come through a socket pair made at comedi_open and
// are clocked by the real clock. Subdevice 0 is the analog input: 8 channels of 16 bits on
// the ranges +-10, +-5, 0..10, +-0.5, 0..5 V, 0..20 mA and +-0.05 V, calibrated in software
// (it reads 3 codes low). Channel P serves the codes 32768 + (P + 1) * 1000 + (scan mod 100),
// once calibrated. Subdevice 1 is the analog output: 2 channels of 16 bits on +-10 V, its
// commands started by an internal trigger, consuming the samples written at their rate.

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#define STANDIN_EXPORT extern "C" __attribute__((visibility("default")))

extern "C" {
typedef unsigned int lsampl_t;
typedef unsigned short sampl_t;
typedef struct {
    double min;
    double max;
    unsigned int unit;
} comedi_range;
typedef struct {
    unsigned int subdev, flags;
    unsigned int start_src, start_arg, scan_begin_src, scan_begin_arg, convert_src, convert_arg;
    unsigned int scan_end_src, scan_end_arg, stop_src, stop_arg;
    unsigned int* chanlist;
    unsigned int chanlist_len;
    sampl_t* data;
    unsigned int data_len;
} comedi_cmd;
typedef struct {
    double coefficients[4];
    double expansion_origin;
    unsigned order;
} comedi_polynomial_t;
typedef struct comedi_t_struct comedi_t;
typedef struct comedi_calibration_struct comedi_calibration_t;
}

namespace {

using Clock = std::chrono::steady_clock;
constexpr unsigned int TRIG_NONE = 0x1, TRIG_NOW = 0x2, TRIG_TIMER = 0x10, TRIG_COUNT = 0x20,
                       TRIG_INT = 0x80;
constexpr lsampl_t kMaxdata = 65535;
constexpr int kCalibrationCodes = 3;

const comedi_range kInputRanges[] = {{-10, 10, 0}, {-5, 5, 0}, {0, 10, 0},      {-0.5, 0.5, 0},
                                     {0, 5, 0},    {0, 20, 1}, {-0.05, 0.05, 0}};
const comedi_range kOutputRanges[] = {{-10, 10, 0}};

struct Command {
    bool running = false, started = false;
    double rate = 0.0;
    std::vector<unsigned int> chanlist;
    Clock::time_point start;
    std::uint64_t scans = 0;          // produced (input) or consumed (output)
    std::vector<std::uint8_t> bytes;  // input not yet sent; output not yet a whole scan
    std::vector<std::pair<lsampl_t, std::uint64_t>> runs;  // output: value and run length
};

struct Board {
    int programEnd = -1, standinEnd = -1;
    Command input, output;
    bool inputEnded = false;
    int inputError = 0;
    bool stopping = false;
    std::thread thread;
};

std::mutex lock;
Board* board = nullptr;
int lastError = 0;
std::map<std::string, long> calls;
std::string failRequest;
char calibrationPath[] = "/standin/comedi.calibration";
int calibrationToken;

void log(const std::string& line) {
    const char* path = std::getenv("TRELVANIX_STANDIN_LOG");
    if (!path || !*path) return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

int fail(int error) {
    lastError = error;
    return -1;
}

// Counts the call and logs it when `arguments` is given; returns the error number chosen to
// fail this call with, or 0.
int enter(const char* function, const char* arguments = nullptr) {
    if (arguments) log(std::string(function) + (*arguments ? " " : "") + arguments);
    const char* variable = std::getenv("TRELVANIX_STANDIN_FAIL");
    const std::string request = variable ? variable : "";
    if (request != failRequest) {
        failRequest = request;
        calls.clear();
    }
    const long call = ++calls[function];
    char name[64] = "";
    long failingCall = 0;
    int error = 0;
    if (std::sscanf(request.c_str(), "%63s %ld %d", name, &failingCall, &error) == 3 &&
        std::strcmp(name, function) == 0 && failingCall == call)
        return error;
    return 0;
}

// The scans after which the input stream ends in error, and that error, when asked for.
bool inputFailure(std::uint64_t* scans, int* error) {
    const char* variable = std::getenv("TRELVANIX_STANDIN_FAIL");
    unsigned long long after = 0;
    if (!variable || std::sscanf(variable, "read %llu %d", &after, error) != 2) return false;
    *scans = after;
    return true;
}

lsampl_t inputCode(unsigned int chanspec, std::uint64_t scan) {
    const unsigned int channel = chanspec & 0xffff;
    return 32768 + (channel + 1) * 1000 + static_cast<lsampl_t>(scan % 100) - kCalibrationCodes;
}

std::uint64_t due(const Command& command) {
    const double elapsed = std::chrono::duration<double>(Clock::now() - command.start).count();
    return static_cast<std::uint64_t>(elapsed * command.rate);
}

void produceInput(Board& b) {
    Command& in = b.input;
    std::uint64_t target = due(in), endAfter = 0;
    int error = 0;
    const bool ending = inputFailure(&endAfter, &error);
    if (ending) target = std::min(target, endAfter);
    for (; in.scans < target; ++in.scans)
        for (unsigned int chanspec : in.chanlist) {
            const auto code = static_cast<sampl_t>(inputCode(chanspec, in.scans));
            const auto* raw = reinterpret_cast<const std::uint8_t*>(&code);
            in.bytes.insert(in.bytes.end(), raw, raw + 2);
        }
    while (!in.bytes.empty()) {
        const ssize_t sent =
            ::send(b.standinEnd, in.bytes.data(), in.bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent <= 0) return;
        in.bytes.erase(in.bytes.begin(), in.bytes.begin() + sent);
    }
    if (ending && in.scans >= endAfter) {
        // As a board whose buffer overflowed: the stream ends, and Comedi says why.
        ::shutdown(b.standinEnd, SHUT_WR);
        in.running = false;
        b.inputEnded = true;
        b.inputError = error;
    }
}

void flushRuns(Command& out) {
    for (std::size_t c = 0; c < out.runs.size(); ++c)
        if (out.runs[c].second > 0)
            log("ao" + std::to_string(out.chanlist[c] & 0xffff) + " " +
                std::to_string(out.runs[c].first) + " x " + std::to_string(out.runs[c].second));
    out.runs.assign(out.chanlist.size(), {0, 0});
}

void consumeOutput(Board& b) {
    Command& out = b.output;
    const std::size_t scanBytes = 2 * out.chanlist.size();
    const std::uint64_t wanted = due(out) - out.scans;
    std::vector<std::uint8_t> chunk(wanted * scanBytes);
    const ssize_t got =
        chunk.empty() ? 0 : ::recv(b.standinEnd, chunk.data(), chunk.size(), MSG_DONTWAIT);
    if (got <= 0) return;
    out.bytes.insert(out.bytes.end(), chunk.begin(), chunk.begin() + got);
    std::size_t k = 0;
    for (; k + scanBytes <= out.bytes.size(); k += scanBytes, ++out.scans)
        for (std::size_t c = 0; c < out.chanlist.size(); ++c) {
            sampl_t code;
            std::memcpy(&code, &out.bytes[k + 2 * c], 2);
            auto& run = out.runs[c];
            if (run.second > 0 && run.first != code) {
                log("ao" + std::to_string(out.chanlist[c] & 0xffff) + " " +
                    std::to_string(run.first) + " x " + std::to_string(run.second));
                run.second = 0;
            }
            run.first = code;
            ++run.second;
        }
    out.bytes.erase(out.bytes.begin(), out.bytes.begin() + k);
}

void runBoard(Board* b) {
    for (;;) {
        {
            std::lock_guard guard(lock);
            if (b->stopping) return;
            if (b->input.running) produceInput(*b);
            if (b->output.running && b->output.started) consumeOutput(*b);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool valid(comedi_t* device, unsigned int subdevice) {
    return board && device == reinterpret_cast<comedi_t*>(board) && subdevice <= 1;
}

[[maybe_unused]] std::string sourceText(unsigned int source, unsigned int argument) {
    return std::to_string(source) + "/" + std::to_string(argument);
}

// As a board with a 20 MHz clock: periods in steps of 50 ns, at most 1 MS/s in all.
int testCommand(comedi_cmd* cmd) {
    const bool output = cmd->subdev == 1;
    const unsigned int startSources = output ? TRIG_INT : TRIG_NOW;
    if ((cmd->start_src & ~startSources) != 0 || cmd->scan_begin_src != TRIG_TIMER ||
        (cmd->stop_src & ~(TRIG_NONE | TRIG_COUNT)) != 0) {
        cmd->start_src &= startSources;
        return 1;
    }
    if (cmd->chanlist_len == 0 || cmd->scan_end_arg != cmd->chanlist_len) return 3;
    const unsigned int fastest = 1000 * cmd->chanlist_len;
    if (cmd->scan_begin_arg < fastest) {
        cmd->scan_begin_arg = fastest;
        return 3;
    }
    if (cmd->scan_begin_arg % 50 != 0) {
        cmd->scan_begin_arg = (cmd->scan_begin_arg + 25) / 50 * 50;
        return 4;
    }
    for (unsigned int i = 0; cmd->chanlist && i < cmd->chanlist_len; ++i) {
        const unsigned int channel = cmd->chanlist[i] & 0xffff,
                           range = (cmd->chanlist[i] >> 16) & 0xff;
        if (channel >= (output ? 2u : 8u) || range >= (output ? 1u : 7u)) return 5;
    }
    return 0;
}

}  // namespace

STANDIN_EXPORT comedi_t* comedi_open(const char* filename) {
    std::lock_guard guard(lock);
    int error = enter(__func__, filename);
    if (!error && ::access(filename, R_OK | W_OK) != 0) error = errno;
    if (!error && board) error = EBUSY;
    int ends[2];
    if (!error && ::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) error = errno;
    if (error) {
        fail(error);
        return nullptr;
    }
    board = new Board;
    board->programEnd = ends[0];
    board->standinEnd = ends[1];
    board->thread = std::thread(runBoard, board);
    return reinterpret_cast<comedi_t*>(board);
}

STANDIN_EXPORT int comedi_close(comedi_t* device) {
    Board* closing = nullptr;
    {
        std::lock_guard guard(lock);
        enter(__func__, "");
        if (!valid(device, 0)) return fail(EINVAL);
        closing = board;
        closing->stopping = true;
        board = nullptr;
    }
    closing->thread.join();
    ::close(closing->programEnd);
    ::close(closing->standinEnd);
    delete closing;
    return 0;
}

STANDIN_EXPORT int comedi_errno(void) {
    return lastError;
}

STANDIN_EXPORT const char* comedi_strerror(int errnum) {
    return errnum < 0x1000 ? std::strerror(errnum) : "Comedi error";
}

STANDIN_EXPORT int comedi_fileno(comedi_t* device) {
    std::lock_guard guard(lock);
    return valid(device, 0) ? board->programEnd : fail(EINVAL);
}

STANDIN_EXPORT int comedi_set_global_oor_behavior(int behavior) {
    return 1;
}

STANDIN_EXPORT int comedi_find_subdevice_by_type(comedi_t* device, int type, unsigned int start) {
    if (type == 1 && start == 0) return 0;
    if (type == 2 && start <= 1) return 1;
    return fail(ENODEV);
}

STANDIN_EXPORT int comedi_get_subdevice_flags(comedi_t* device, unsigned int subdevice) {
    if (!valid(device, subdevice)) return fail(EINVAL);
    return subdevice == 0 ? 0x2000 | 0x8000 | 0x00010000 | 0x00100000 : 0x4000 | 0x00020000;
}

STANDIN_EXPORT int comedi_get_n_channels(comedi_t* device, unsigned int subdevice) {
    return valid(device, subdevice) ? (subdevice == 0 ? 8 : 2) : fail(EINVAL);
}

STANDIN_EXPORT int comedi_get_n_ranges(comedi_t* device, unsigned int subdevice,
                                       unsigned int channel) {
    if (!valid(device, subdevice)) return fail(EINVAL);
    return subdevice == 0 ? 7 : 1;
}

STANDIN_EXPORT comedi_range* comedi_get_range(comedi_t* device, unsigned int subdevice,
                                              unsigned int channel, unsigned int range) {
    if (!valid(device, subdevice) || range >= (subdevice == 0 ? 7u : 1u)) {
        fail(EINVAL);
        return nullptr;
    }
    return const_cast<comedi_range*>(subdevice == 0 ? &kInputRanges[range] : &kOutputRanges[range]);
}

STANDIN_EXPORT lsampl_t comedi_get_maxdata(comedi_t* device, unsigned int subdevice,
                                           unsigned int channel) {
    return kMaxdata;
}

STANDIN_EXPORT int comedi_set_read_subdevice(comedi_t* device, unsigned int subdevice) {
    return subdevice == 0 ? 0 : fail(EINVAL);
}

STANDIN_EXPORT int comedi_set_write_subdevice(comedi_t* device, unsigned int subdevice) {
    return subdevice == 1 ? 0 : fail(EINVAL);
}

STANDIN_EXPORT int comedi_get_cmd_generic_timed(comedi_t* device, unsigned int subdevice,
                                                comedi_cmd* cmd, unsigned int chanlist_len,
                                                unsigned int scan_period_ns) {
    if (int error = enter(__func__)) return fail(error);
    if (!valid(device, subdevice)) return fail(EINVAL);
    std::memset(cmd, 0, sizeof *cmd);
    cmd->subdev = subdevice;
    cmd->start_src = subdevice == 0 ? TRIG_NOW : TRIG_INT;
    cmd->scan_begin_src = TRIG_TIMER;
    cmd->scan_begin_arg = scan_period_ns;
    cmd->convert_src = TRIG_TIMER;
    cmd->convert_arg = scan_period_ns / (chanlist_len ? chanlist_len : 1);
    cmd->scan_end_src = TRIG_COUNT;
    cmd->scan_end_arg = chanlist_len;
    cmd->stop_src = TRIG_COUNT;
    cmd->stop_arg = 2;
    cmd->chanlist_len = chanlist_len;
    return 0;
}

STANDIN_EXPORT int comedi_command_test(comedi_t* device, comedi_cmd* cmd) {
    if (int error = enter(__func__)) return fail(error);
    if (!valid(device, cmd->subdev)) return fail(EINVAL);
    return testCommand(cmd);
}

#ifndef STANDIN_WITHOUT_COMMAND
STANDIN_EXPORT int comedi_command(comedi_t* device, comedi_cmd* cmd) {
    std::lock_guard guard(lock);
    std::string text = std::to_string(cmd->subdev) + " flags " + std::to_string(cmd->flags) +
                       " start " + sourceText(cmd->start_src, cmd->start_arg) + " scan " +
                       sourceText(cmd->scan_begin_src, cmd->scan_begin_arg) + " stop " +
                       sourceText(cmd->stop_src, cmd->stop_arg) + " chanlist";
    for (unsigned int i = 0; cmd->chanlist && i < cmd->chanlist_len; ++i)
        text += " " + std::to_string(cmd->chanlist[i] & 0xffff) + "/" +
                std::to_string((cmd->chanlist[i] >> 16) & 0xff) + "/" +
                std::to_string((cmd->chanlist[i] >> 24) & 0x3);
    if (int error = enter(__func__, text.c_str())) return fail(error);
    if (!valid(device, cmd->subdev)) return fail(EINVAL);
    comedi_cmd tested = *cmd;
    if (testCommand(&tested) != 0 || !cmd->chanlist) return fail(EINVAL);
    Command& command = cmd->subdev == 0 ? board->input : board->output;
    if (command.running) return fail(EBUSY);
    command = Command{};
    command.running = true;
    command.started = cmd->start_src == TRIG_NOW;
    command.rate = 1e9 / cmd->scan_begin_arg;
    command.chanlist.assign(cmd->chanlist, cmd->chanlist + cmd->chanlist_len);
    command.runs.assign(cmd->chanlist_len, {0, 0});
    command.start = Clock::now();
    return 0;
}
#endif

STANDIN_EXPORT int comedi_internal_trigger(comedi_t* device, unsigned int subdevice,
                                           unsigned int trignum) {
    std::lock_guard guard(lock);
    const std::string text = std::to_string(subdevice) + " " + std::to_string(trignum);
    if (int error = enter(__func__, text.c_str())) return fail(error);
    if (!valid(device, subdevice) || subdevice != 1 || !board->output.running) return fail(EINVAL);
    board->output.started = true;
    board->output.start = Clock::now();
    return 0;
}

STANDIN_EXPORT int comedi_cancel(comedi_t* device, unsigned int subdevice) {
    std::lock_guard guard(lock);
    if (!valid(device, subdevice)) return fail(EINVAL);
    // What an output played is logged before it is stopped.
    if (subdevice == 1) flushRuns(board->output);
    if (int error = enter(__func__, std::to_string(subdevice).c_str())) return fail(error);
    // The buffer goes with the command: what the other side had not taken is dropped.
    std::uint8_t drop[4096];
    if (subdevice == 0) {
        board->input = Command{};
        while (::recv(board->programEnd, drop, sizeof drop, MSG_DONTWAIT) > 0) {
        }
    } else {
        board->output = Command{};
        while (::recv(board->standinEnd, drop, sizeof drop, MSG_DONTWAIT) > 0) {
        }
    }
    return 0;
}

STANDIN_EXPORT int comedi_get_buffer_contents(comedi_t* device, unsigned int subdevice) {
    std::lock_guard guard(lock);
    if (!valid(device, subdevice)) return fail(EINVAL);
    if (subdevice == 0 && board->inputEnded && board->inputError) return fail(board->inputError);
    return 0;
}

STANDIN_EXPORT int comedi_data_write(comedi_t* device, unsigned int subdevice, unsigned int channel,
                                     unsigned int range, unsigned int aref, lsampl_t data) {
    std::lock_guard guard(lock);
    const std::string text = std::to_string(subdevice) + " " + std::to_string(channel) + " " +
                             std::to_string(range) + " " + std::to_string(aref) + " " +
                             std::to_string(data);
    if (int error = enter(__func__, text.c_str())) return fail(error);
    if (!valid(device, subdevice) || subdevice != 1 || channel > 1) return fail(EINVAL);
    if (board->output.running) return fail(EBUSY);
    return 1;
}

STANDIN_EXPORT double comedi_to_phys(lsampl_t data, comedi_range* range, lsampl_t maxdata) {
    return range->min + (range->max - range->min) * data / maxdata;
}

STANDIN_EXPORT lsampl_t comedi_from_phys(double data, comedi_range* range, lsampl_t maxdata) {
    const double code = std::nearbyint((data - range->min) / (range->max - range->min) * maxdata);
    return static_cast<lsampl_t>(std::fmin(std::fmax(code, 0.0), maxdata));
}

STANDIN_EXPORT char* comedi_get_default_calibration_path(comedi_t* device) {
    return strdup(calibrationPath);
}

STANDIN_EXPORT comedi_calibration_t* comedi_parse_calibration_file(const char* path) {
    return std::strcmp(path, calibrationPath) == 0
               ? reinterpret_cast<comedi_calibration_t*>(&calibrationToken)
               : nullptr;
}

STANDIN_EXPORT void comedi_cleanup_calibration(comedi_calibration_t* calibration) {}

// The analog input reads 3 codes low: its calibration adds them back.
STANDIN_EXPORT int comedi_get_softcal_converter(unsigned subdevice, unsigned channel,
                                                unsigned range, int direction,
                                                const comedi_calibration_t* calibration,
                                                comedi_polynomial_t* converter) {
    if (subdevice != 0 || direction != 0 || range >= 7 || !calibration) return fail(EINVAL);
    const double step = (kInputRanges[range].max - kInputRanges[range].min) / kMaxdata;
    *converter = {{kInputRanges[range].min + kCalibrationCodes * step, step, 0, 0}, 0.0, 1};
    return 0;
}

STANDIN_EXPORT int comedi_get_hardcal_converter(comedi_t* device, unsigned subdevice,
                                                unsigned channel, unsigned range, int direction,
                                                comedi_polynomial_t* converter) {
    if (subdevice != 1 || range != 0) return fail(EINVAL);
    const double span = kOutputRanges[0].max - kOutputRanges[0].min;
    *converter = direction == 0
                     ? comedi_polynomial_t{{kOutputRanges[0].min, span / kMaxdata, 0, 0}, 0.0, 1}
                     : comedi_polynomial_t{{0, kMaxdata / span, 0, 0}, kOutputRanges[0].min, 1};
    return 0;
}

STANDIN_EXPORT double comedi_to_physical(lsampl_t data, const comedi_polynomial_t* polynomial) {
    double value = 0.0, power = 1.0;
    for (unsigned i = 0; i <= polynomial->order; ++i) {
        value += polynomial->coefficients[i] * power;
        power *= data - polynomial->expansion_origin;
    }
    return value;
}

STANDIN_EXPORT lsampl_t comedi_from_physical(double data, const comedi_polynomial_t* polynomial) {
    double value = 0.0, power = 1.0;
    for (unsigned i = 0; i <= polynomial->order; ++i) {
        value += polynomial->coefficients[i] * power;
        power *= data - polynomial->expansion_origin;
    }
    return static_cast<lsampl_t>(std::fmin(std::fmax(std::nearbyint(value), 0.0), kMaxdata));
}
