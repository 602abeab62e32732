#include "params/parameter_trailer.h"

#include <algorithm>
#include <set>

namespace trelvanix::params {

const char kTrailerHeading[] = "//Further settings, one \"KEY value\" per line:";

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

using LineReader = LineRead (*)(const TrailerLine&, const ParameterLimits&, ParameterSet*,
                                ReadFailure*);
// The readers of trailer lines, each asked in turn until one knows the key.
constexpr LineReader kLineReaders[] = {ReadStimulusLine, ReadMeasurementLine};

}  // namespace

std::string FormatTrailer(const ParameterSet& set) {
    std::string lines;
    WriteStimulusLines(set, lines);
    WriteMeasurementLines(set, lines);
    if (lines.empty()) return lines;
    return std::string("\n") + kTrailerHeading + "\n" + lines;
}

bool SplitTrailer(std::string_view text, int firstLine, std::vector<TrailerLine>* lines,
                  ReadFailure* failure) {
    bool headed = false;
    int number = firstLine;
    for (std::size_t start = 0; start <= text.size(); ++number) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        const std::size_t blank = line.find_first_of(" \t");
        const std::string key(line.substr(0, blank));
        if (!headed) {
            if (line != kTrailerHeading) {
                *failure = {number, key,
                            std::string("text follows the last setting; further settings "
                                        "start with the line ") +
                                kTrailerHeading};
                return false;
            }
            headed = true;
            continue;
        }
        if (line.substr(0, 2) == "//") continue;  // a comment
        if (blank == std::string_view::npos) {
            *failure = {number, key, "the key has no value"};
            return false;
        }
        lines->push_back({number, key, std::string(trimmed(line.substr(blank)))});
    }
    return true;
}

bool ReadTrailer(const std::vector<TrailerLine>& lines, const ParameterLimits& limits,
                 ParameterSet* set, ReadFailure* failure) {
    std::set<std::string> seen;
    for (const TrailerLine& line : lines) {
        if (!seen.insert(line.key).second) {
            *failure = {line.line, line.key, "the key is given a second time"};
            return false;
        }
        LineRead read = LineRead::NotMine;
        for (LineReader reader : kLineReaders)
            if ((read = reader(line, limits, set, failure)) != LineRead::NotMine) break;
        if (read == LineRead::Refused) return false;
        if (read == LineRead::NotMine) set->unknownKeys.emplace_back(line.line, line.key);
    }
    return true;
}

LineRead RefuseLine(const TrailerLine& line, std::string what, ReadFailure* failure) {
    *failure = {line.line, line.key, std::move(what)};
    return LineRead::Refused;
}

std::vector<std::string_view> WordsOf(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while ((start = text.find_first_not_of(" \t", start)) != std::string_view::npos) {
        const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
        words.push_back(text.substr(start, end - start));
        start = end;
    }
    return words;
}

}  // namespace trelvanix::params
