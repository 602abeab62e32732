#pragma once
// The protocol file's text. Two lines: "%d %s %s %d \n" (the parameter count 1, the parameter
// name, the value type "INTEGER" or "DOUBLE", the value count, each followed by one blank),
// then the values text, blank-separated, with no line break after it. Readers take the file as
// blank-delimited words, so line breaks and runs of blanks between words do not matter.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelvanix::protocol {

constexpr int kMaxParameterName = 49;  // characters of a name, the longest a file may hold
constexpr int kMaxTypeWord = 9;        // "INTEGER", "DOUBLE": the longest type word a file may hold
constexpr int kMaxSteps = 1000000;     // a protocol of more steps is refused, not allocated

// The words of a text, split at blanks, tabs and line breaks.
std::vector<std::string> blankWords(std::string_view text);

// The whole number a word starts with, as "%d" reads it ("12", "-3", "7.5" gives 7); none
// when the word does not start with one or it does not fit an int.
std::optional<int> wholeNumberOf(const std::string& word);
// The real number a word starts with ("0.5", "1e-3", "-20"); none when there is none.
std::optional<double> realNumberOf(const std::string& word);

// The file as the runner reads it: its words in order, the values not yet read.
struct ProtocolWords {
    int parameterCount = 0;           // 0 when the first word is no whole number
    std::string name, type;           // empty when the file ends before them
    std::string stepCountWord;        // the step count as written
    std::optional<int> stepCount;     // none when the word is no whole number
    std::vector<std::string> values;  // the words after the step count
};
ProtocolWords readProtocolWords(std::string_view text);

// The first `count` values as real numbers ("DOUBLE") or whole numbers ("INTEGER"); a word
// that is no number counts as 0, and so does a value missing because the file ended early.
// Returns how many were missing.
int realValues(const ProtocolWords& file, int count, std::vector<double>* values);
int wholeValues(const ProtocolWords& file, int count, std::vector<int>* values);

// A value that a control of the range [low, high] cannot take: its index among the values
// and its word as written ("" when the file ended before it).
struct ValueOutOfRange {
    int index = 0;
    std::string word;
};
// The first of the first `count` values outside [low, high]: read as whole numbers as "%d"
// reads them (a number too large for an int is outside) or as real numbers; a word that is no
// number, or a value missing, counts as 0. None when every value fits.
std::optional<ValueOutOfRange> firstValueOutOfRange(const std::vector<std::string>& words,
                                                    int count, bool whole, double low, double high);
// "1 to 100000", "-1e+06 to 1e+06": a range as the messages name it.
std::string rangeText(double low, double high);

// Why a parameter name cannot be used (too long, no panel part before an underscore); empty
// when it can.
std::string parameterNameProblem(const std::string& name);

// The file text the editor writes for one parameter and its values text.
std::string protocolFileText(const std::string& name, const std::string& type, int valueCount,
                             const std::string& values);

}  // namespace trelvanix::protocol
