#include "protocol/protocol_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
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
    file.stepCount = wholeNumberOf(word(3));
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
