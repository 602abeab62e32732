#pragma once
// The words of the panel resource file: names, numbers, flags, colours, data types, control
// kinds and a declaration's key=value words, each checked as it is read. The parser throws
// Problem for the first word that does not fit; it reports it with its line.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ui/model.h"

namespace trelvanix::ui::uir {

// Thrown inside the parser only; parseResource turns it into a ResourceError.
struct Problem {
    std::string message;
};

[[noreturn]] void fail(std::string message);

bool isIdentifier(const std::string& word);
// What makes a name unusable in the generated C++, or empty text when it is usable.
std::string cppNameProblem(const std::string& name);

int parseInt(const std::string& key, const std::string& text);
// A width or height: a whole number, 0 or more.
int parseSize(const std::string& key, const std::string& text);
double parseDouble(const std::string& key, const std::string& text);
bool parseFlag(const std::string& key, const std::string& text);
int parseColor(const std::string& key, const std::string& text);
int parseDataType(const std::string& text);
// A key combination such as "F5", "Ctrl+S" or "Shift+F9", returned as written.
std::string parseShortcut(const std::string& key, const std::string& text);
// A value of the given data type written in the file.
Value parseValue(const std::string& key, const std::string& text, int dataType);

const std::map<std::string, ControlKind>& kindNames();
std::string kindName(ControlKind kind);
bool isTextKind(ControlKind kind);
bool isListKind(ControlKind kind);
bool isOnOffKind(ControlKind kind);

// Takes each key it knows out of a declaration's key=value words (which must outlive it);
// what is left is unknown.
class Keys {
  public:
    Keys(const std::vector<std::string>& words, std::size_t first);
    std::optional<std::string> take(std::string_view key);
    // Called once every key the declaration may carry was taken.
    void rejectRest(const std::string& what) const;
    bool has(std::string_view key) const;

  private:
    struct Entry {
        std::string_view key, value;
        bool taken = false;
    };
    std::vector<Entry> entries_;
};

}  // namespace trelvanix::ui::uir
