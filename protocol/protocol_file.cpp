#include "protocol/protocol_file.h"

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

std::string protocolFileText(const std::string& name, const std::string& type, int valueCount,
                             const std::string& values) {
    return "1 " + name + " " + type + " " + std::to_string(valueCount) + " \n" + values;
}

}  // namespace trelvanix::protocol
