#include "platform/ui/text_words.h"

#include <charconv>
#include <cmath>

namespace trelvanix::ui {

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
}  // namespace

SplitLine splitWords(std::string_view line) {
    SplitLine result;
    std::string word;
    bool inWord = false;  // a word may be empty ("") yet present
    const std::size_t n = line.size();
    std::size_t i = 0;
    // Runs of plain characters are appended whole; only quotes, escapes, blanks and `#`
    // are looked at one by one.
    while (i < n) {
        const char c = line[i];
        if (c == '"') {
            inWord = true;
            for (++i;;) {
                const std::size_t stop = line.find_first_of("\"\\", i);
                if (stop == std::string_view::npos || (line[stop] == '\\' && stop + 1 >= n)) {
                    result.error = "unterminated quoted text";
                    return result;
                }
                word.append(line.substr(i, stop - i));
                i = stop + 1;
                if (line[stop] == '"') break;
                const char next = line[i++];
                switch (next) {
                    case '"':
                    case '\\':
                        word += next;
                        break;
                    case 'n':
                        word += '\n';
                        break;
                    case 't':
                        word += '\t';
                        break;
                    default:
                        result.error = std::string("unknown escape \\") + next + " in quotes";
                        return result;
                }
            }
        } else if (c == '#') {
            break;
        } else if (isBlank(c)) {
            if (inWord) result.words.push_back(std::move(word));
            word.clear();
            inWord = false;
            ++i;
        } else {
            std::size_t end = i + 1;
            while (end < n && !isBlank(line[end]) && line[end] != '"' && line[end] != '#') ++end;
            word.append(line.substr(i, end - i));
            inWord = true;
            i = end;
        }
    }
    if (inWord) result.words.push_back(std::move(word));
    return result;
}

std::string quoteWord(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += c;
        }
    }
    out += '"';
    return out;
}

bool parseNumberWord(const std::string& text, double* value) {
    const char* first = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
    auto [end, ec] = std::from_chars(first, text.data() + text.size(), *value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size() &&
           std::isfinite(*value);
}

bool parseIntWord(const std::string& text, int* value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

namespace {
template <typename Number>
std::string shortestText(Number value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}
}  // namespace

std::string numberWord(double value) {
    return shortestText(value);
}

std::string numberWord(float value) {
    return shortestText(value);
}

}  // namespace trelvanix::ui
