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
    bool inQuotes = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inQuotes) {
            if (c == '"') {
                inQuotes = false;
            } else if (c == '\\') {
                if (i + 1 >= line.size()) break;
                const char next = line[++i];
                switch (next) {
                    case '"':
                        word += '"';
                        break;
                    case '\\':
                        word += '\\';
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
            } else {
                word += c;
            }
        } else if (c == '"') {
            inQuotes = true;
            inWord = true;
        } else if (c == '#') {
            break;
        } else if (isBlank(c)) {
            if (inWord) result.words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inQuotes) {
        result.error = "unterminated quoted text";
        return result;
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

}  // namespace trelvanix::ui
