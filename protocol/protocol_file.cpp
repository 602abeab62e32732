#include "protocol/protocol_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace trelvanix::protocol {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::vector<std::string> blankWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i])) ++i;
        const std::size_t start = i;
        while (i < text.size() && !isBlank(text[i])) ++i;
        if (i > start) words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

std::optional<int> wholeNumberOf(const std::string& word) {
    const char* start = word.c_str();
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(start, &end, 10);
    if (end == start || errno == ERANGE || value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<double> realNumberOf(const std::string& word) {
    const char* start = word.c_str();
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if (end == start || !std::isfinite(value)) return std::nullopt;
    return value;
}

ProtocolWords readProtocolWords(std::string_view text) {
    std::vector<std::string> words = blankWords(text);
    ProtocolWords file;
    auto word = [&](std::size_t i) { return i < words.size() ? words[i] : std::string(); };
    file.parameterCount = wholeNumberOf(word(0)).value_or(0);
    file.name = word(1);
    file.type = word(2);
    file.stepCountWord = word(3);
    file.stepCount = wholeNumberOf(file.stepCountWord);
    if (words.size() > 4) file.values.assign(words.begin() + 4, words.end());
    return file;
}

namespace {

template <typename T, typename Parse>
int readValues(const ProtocolWords& file, int count, std::vector<T>* values, Parse parse) {
    values->assign(count, T{});
    const int present = static_cast<int>(std::min<std::size_t>(count, file.values.size()));
    for (int i = 0; i < present; ++i)
        (*values)[i] = static_cast<T>(parse(file.values[i]).value_or(0));
    return count - present;
}

}  // namespace

int realValues(const ProtocolWords& file, int count, std::vector<double>* values) {
    return readValues(file, count, values, realNumberOf);
}

int wholeValues(const ProtocolWords& file, int count, std::vector<int>* values) {
    return readValues(file, count, values, wholeNumberOf);
}

namespace {

// The value "%d" or a real-number read gives a word: 0 for no number; for a whole number too
// large for an int, its sign times infinity, so that every range refuses it.
double valueOf(const std::string& word, bool whole) {
    const char* start = word.c_str();
    char* end = nullptr;
    if (whole) {
        errno = 0;
        const long long value = std::strtoll(start, &end, 10);
        if (end == start) return 0.0;
        if (errno == ERANGE || value < INT_MIN || value > INT_MAX)
            return value < 0 ? -HUGE_VAL : HUGE_VAL;
        return static_cast<double>(value);
    }
    const double value = std::strtod(start, &end);
    return end == start ? 0.0 : value;
}

std::string numberText(double value) {
    char text[32];
    if (std::fabs(value) < 1e15 && value == std::floor(value))
        std::snprintf(text, sizeof text, "%.0f", value);
    else
        std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

std::optional<ValueOutOfRange> firstValueOutOfRange(const std::vector<std::string>& words,
                                                    int count, bool whole, double low,
                                                    double high) {
    for (int i = 0; i < count; ++i) {
        const std::string word = i < static_cast<int>(words.size()) ? words[i] : std::string();
        const double value = valueOf(word, whole);
        if (!(value >= low && value <= high)) return ValueOutOfRange{i, word};
    }
    return std::nullopt;
}

std::string rangeText(double low, double high) {
    return numberText(low) + " to " + numberText(high);
}

std::string parameterNameProblem(const std::string& name) {
    if (name.size() > kMaxParameterName)
        return "The parameter name in the protocol file is longer than 49 characters.";
    const std::size_t underscore = name.find('_');
    if (underscore == std::string::npos || underscore == 0)
        return "The protocol file names no parameter of the form PANEL_CONTROL (found " + name +
               ").";
    return std::string();
}

std::string protocolFileText(const std::string& name, const std::string& type, int valueCount,
                             const std::string& values) {
    return "1 " + name + " " + type + " " + std::to_string(valueCount) + " \n" + values;
}

}  // namespace trelvanix::protocol
