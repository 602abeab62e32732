#include "platform/driver/board_file.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/driver/driver_errors.h"
#include "platform/driver/fault_injection.h"
#include "platform/driver/simulated_board.h"
#include "platform/files/operator_files.h"

namespace trelvanix::driver {
namespace {

constexpr std::size_t kMaxRangePairs = 64;  // the range query returns at most 128 values

struct SourceName {
    const char* name;
    SignalSource source;
    std::vector<std::string_view> parameters;  // besides offset and sigma
};

const std::vector<SourceName>& sourceNames() {
    static const std::vector<SourceName> names = {
        {"cell", SignalSource::Cell, {"output", "rest", "gain", "tau"}},
        {"readback", SignalSource::Readback, {"output"}},
        {"sine", SignalSource::Sine, {"amplitude", "frequency"}},
        {"hum", SignalSource::Hum, {"amplitude", "frequency"}},
        {"spikes", SignalSource::Spikes, {"amplitude", "rate", "width"}},
        {"noise", SignalSource::Noise, {}},
        {"constant", SignalSource::Constant, {"value"}},
    };
    return names;
}

std::vector<std::string_view> wordsOf(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        const std::size_t begin = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
        if (i > begin) words.push_back(line.substr(begin, i - begin));
    }
    return words;
}

template <typename Number>
bool parseWhole(std::string_view word, Number* value) {
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), *value);
    return error == std::errc() && end == word.data() + word.size();
}

bool parseVolts(std::string_view word, double* value) {
    return parseWhole(word, value) && std::isfinite(*value);
}

// Reads one board file line into the config; returns what is wrong, or an empty text.
class LineReader {
  public:
    explicit LineReader(BoardFile* board) : board_(board), config_(&board->simulated) {}

    // `line` is the whole line without its comment; `words` its words.
    std::string read(std::string_view line, const std::vector<std::string_view>& words) {
        const std::string_view keyword = words[0];
        if (keyword == "seed") return readSeed(words);
        if (keyword == "ranges") return readRanges(words);
        if (keyword == "input") return readInput(words);
        if (keyword == "fault") return readFault(words);
        if (keyword == "max-rate") return readMaxRate(words);
        if (keyword == "driver-library")
            return readPath(line, keyword, "the driver library", &board_->driverLibrary);
        if (keyword == "device-file")
            return readPath(line, keyword, "the device file", &board_->deviceFile);
        return "unknown setting \"" + std::string(keyword) +
               "\" (expected seed, ranges, input, max-rate, fault, driver-library or "
               "device-file)";
    }

    static bool onlyForSimulatedBoard(std::string_view keyword) {
        return keyword == "seed" || keyword == "ranges" || keyword == "input" ||
               keyword == "max-rate";
    }

  private:
    std::string readMaxRate(const std::vector<std::string_view>& words) {
        if (seenMaxRate_) return "the maximum rate is given twice";
        seenMaxRate_ = true;
        double rate = 0.0;
        if (words.size() != 2 || !parseVolts(words[1], &rate) || !(rate > 0.0))
            return "max-rate needs one number of samples per second, greater than 0";
        config_->maxAggregateRate = rate;
        return {};
    }

    // A file named by the rest of the line, blanks inside it kept.
    static std::string readPath(std::string_view line, std::string_view keyword,
                                const std::string& what, std::string* path) {
        if (!path->empty()) return what + " is given twice";
        std::string_view rest = line.substr(line.find(keyword) + keyword.size());
        while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.front())))
            rest.remove_prefix(1);
        while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back())))
            rest.remove_suffix(1);
        if (rest.empty()) return std::string(keyword) + " needs the file of " + what;
        *path = std::string(rest);
        return {};
    }

    std::string readSeed(const std::vector<std::string_view>& words) {
        if (seenSeed_) return "the seed is given twice";
        seenSeed_ = true;
        if (words.size() != 2 || !parseWhole(words[1], &config_->seed))
            return "seed needs one whole number from 0 to 18446744073709551615";
        return {};
    }

    std::string readRanges(const std::vector<std::string_view>& words) {
        if (seenRanges_) return "the ranges are given twice";
        seenRanges_ = true;
        const std::size_t values = words.size() - 1;
        if (values == 0 || values % 2 != 0)
            return "ranges needs low and high limits in pairs, in volts";
        if (values / 2 > kMaxRangePairs)
            return "at most " + std::to_string(kMaxRangePairs) + " ranges can be given";
        config_->ranges.clear();
        for (std::size_t i = 1; i < words.size(); i += 2) {
            RangePair range;
            if (!parseVolts(words[i], &range.low) || !parseVolts(words[i + 1], &range.high))
                return "range limits must be numbers: \"" + std::string(words[i]) + " " +
                       std::string(words[i + 1]) + "\"";
            if (!(range.low < range.high))
                return "range " + std::string(words[i]) + " to " + std::string(words[i + 1]) +
                       " has its low limit not below its high limit";
            config_->ranges.push_back(range);
        }
        return {};
    }

    std::string readInput(const std::vector<std::string_view>& words) {
        if (words.size() < 3) return "input needs a channel (ai0 to ai7) and a source";
        int channel = -1;
        if (words[1].size() != 3 || words[1].substr(0, 2) != "ai" ||
            !parseWhole(words[1].substr(2), &channel) || channel < 0 || channel >= kSimulatedInputs)
            return "unknown input \"" + std::string(words[1]) + "\" (expected ai0 to ai7)";
        if (seenInputs_[channel]) return "input " + std::string(words[1]) + " is given twice";
        seenInputs_[channel] = true;

        const SourceName* source = nullptr;
        for (const SourceName& candidate : sourceNames())
            if (words[2] == candidate.name) source = &candidate;
        if (!source)
            return "unknown source \"" + std::string(words[2]) +
                   "\" (expected cell, readback, sine, hum, spikes, noise or constant)";
        InputSignal signal = defaultSignal(source->source);
        for (std::size_t i = 3; i < words.size(); ++i) {
            if (std::string wrong = readParameter(*source, words[i], &signal); !wrong.empty())
                return wrong;
        }
        config_->inputs[channel] = signal;
        return {};
    }

    static std::string readParameter(const SourceName& source, std::string_view word,
                                     InputSignal* signal) {
        const std::size_t equals = word.find('=');
        if (equals == std::string_view::npos)
            return "\"" + std::string(word) + "\" is not of the form name=value";
        const std::string_view name = word.substr(0, equals);
        const std::string_view text = word.substr(equals + 1);
        bool known = name == "offset" || name == "sigma";
        for (std::string_view allowed : source.parameters) known = known || name == allowed;
        if (!known)
            return "source " + std::string(source.name) + " has no parameter \"" +
                   std::string(name) + "\"";
        if (name == "output") {
            if (text == "ao0" || text == "ao1") {
                signal->output = text[2] - '0';
                return {};
            }
            return "unknown output \"" + std::string(text) + "\" (expected ao0 or ao1)";
        }
        double value = 0.0;
        if (!parseVolts(text, &value))
            return "the value of " + std::string(name) + " is not a number: \"" +
                   std::string(text) + "\"";
        const auto positive = [&](double* field) {
            if (!(value > 0.0)) return std::string(name) + " must be greater than 0";
            *field = value;
            return std::string();
        };
        const auto notNegative = [&](double* field) {
            if (value < 0.0) return std::string(name) + " must not be negative";
            *field = value;
            return std::string();
        };
        if (name == "offset") signal->offset = value;
        if (name == "rest") signal->rest = value;
        if (name == "gain") signal->gain = value;
        if (name == "amplitude") signal->amplitude = value;
        if (name == "value") signal->value = value;
        if (name == "sigma") return notNegative(&signal->sigma);
        if (name == "frequency") return notNegative(&signal->frequency);
        if (name == "rate") return notNegative(&signal->rate);
        if (name == "tau") return positive(&signal->tau);
        if (name == "width") return positive(&signal->width);
        return {};
    }

    std::string readFault(const std::vector<std::string_view>& words) {
        FaultSpec fault;
        if (words.size() != 4)
            return "fault needs an operation, a call number and a status, as in "
                   "\"fault DAQmxReadAnalogF64 3 -200279\"";
        fault.operation = std::string(words[1]);
        if (!operationNamed(fault.operation))
            return "unknown driver operation \"" + fault.operation + "\"";
        if (!parseWhole(words[2], &fault.call) || fault.call < 1)
            return "the call number of a fault must be a whole number from 1";
        if (!parseWhole(words[3], &fault.status) || fault.status >= 0)
            return "the status of a fault must be a negative whole number";
        config_->faults.push_back(fault);
        return {};
    }

    BoardFile* board_;
    BoardConfig* config_;
    bool seenSeed_ = false;
    bool seenMaxRate_ = false;
    bool seenRanges_ = false;
    bool seenInputs_[kSimulatedInputs] = {};
};

// A board file is a few lines of text. A folder, a device, a pipe or a too large file is
// refused before it is opened, and the read stops just past the size limit, in case the file
// grows meanwhile. Returns what is wrong, or empty text.
std::string readBoardText(const std::string& path, std::string* text) {
    if (std::string problem = files::fileProblem(path, files::OperatorFile::Board);
        !problem.empty())
        return problem;
    std::ifstream file(path, std::ios::binary);
    if (!file) return "the board file cannot be opened";
    const std::size_t largest = files::largestFile(files::OperatorFile::Board);
    text->resize(largest + 1);
    file.read(text->data(), static_cast<std::streamsize>(text->size()));
    if (file.bad()) return "the board file cannot be read";
    text->resize(static_cast<std::size_t>(file.gcount()));
    if (text->size() > largest) return "the board file grew past the most a board file can be";
    return {};
}

}  // namespace

bool parseBoardFile(std::string_view text, const std::string& sourceName, BoardFile* board,
                    std::string* error) {
    BoardFile parsed;
    parsed.simulated = defaultBoardConfig();
    LineReader reader(&parsed);
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        line = line.substr(0, line.find('#'));
        const auto words = wordsOf(line);
        if (words.empty()) continue;
        const std::string where = sourceName + ", line " + std::to_string(lineNumber) + ": ";
        if (std::string wrong = reader.read(line, words); !wrong.empty()) {
            if (error) *error = where + wrong;
            return false;
        }
        if (parsed.simulatedSetting.empty() && LineReader::onlyForSimulatedBoard(words[0]))
            parsed.simulatedSetting = where + std::string(words[0]);
    }
    *board = std::move(parsed);
    return true;
}

namespace {

// False, saying why, when the file names a real board's library or device file.
bool describesSimulatedBoard(const BoardFile& board, const std::string& sourceName,
                             std::string* error) {
    if (board.driverLibrary.empty() && board.deviceFile.empty()) return true;
    if (error)
        *error =
            sourceName + ": a simulated board loads no driver library and opens no device file";
    return false;
}

}  // namespace

bool parseBoardText(std::string_view text, const std::string& sourceName, BoardConfig* config,
                    std::string* error) {
    BoardFile board;
    if (!parseBoardFile(text, sourceName, &board, error)) return false;
    if (!describesSimulatedBoard(board, sourceName, error)) return false;
    *config = std::move(board.simulated);
    return true;
}

bool readBoardFile(const std::string& path, BoardFile* board, std::string* error) {
    std::string text;
    if (std::string wrong = readBoardText(path, &text); !wrong.empty()) {
        if (error) *error = path + ": " + wrong;
        return false;
    }
    if (!parseBoardFile(text, path, board, error)) return false;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    const std::filesystem::path library(board->driverLibrary), device(board->deviceFile);
    if (library.has_parent_path() && library.is_relative())
        board->driverLibrary = (folder / library).string();
    if (!device.empty() && device.is_relative()) board->deviceFile = (folder / device).string();
    return true;
}

int32 loadBoardFile(const std::string& path, std::string* error) {
    BoardFile board;
    if (!readBoardFile(path, &board, error) || !describesSimulatedBoard(board, path, error))
        return kErrorBoardFileInvalid;
    return installSimulatedBoard(board.simulated, error);
}

}  // namespace trelvanix::driver
