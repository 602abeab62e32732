#pragma once
// Splits one line of a text file (resource file, script) into words: words are separated by
// blanks, double quotes keep blanks inside a word, and `#` outside quotes starts a comment.
// Inside quotes \" \\ \n and \t stand for a quote, a backslash, a newline and a tab.

#include <string>
#include <string_view>
#include <vector>

namespace trelvanix::ui {

struct SplitLine {
    std::vector<std::string> words;
    std::string error;  // empty when the line is well formed
};

SplitLine splitWords(std::string_view line);

// The text in double quotes with the escapes splitWords understands ("a\"b" for a"b).
std::string quoteWord(std::string_view text);

// A finite number (a leading + allowed) or a whole number that is the whole word.
bool parseNumberWord(const std::string& text, double* value);
bool parseIntWord(const std::string& text, int* value);

// The shortest text that parseNumberWord reads back as the same number.
std::string numberWord(double value);
std::string numberWord(float value);

}  // namespace trelvanix::ui
