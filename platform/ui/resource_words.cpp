#include "platform/ui/resource_words.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <set>

namespace trelvanix::ui::uir {

namespace {

// Names become C++ constants and functions: a keyword (or an alternative operator token)
// cannot be one.
bool isCppKeyword(const std::string& word) {
    static const std::set<std::string> keywords = {
        "alignas",       "alignof",     "and",
        "and_eq",        "asm",         "auto",
        "bitand",        "bitor",       "bool",
        "break",         "case",        "catch",
        "char",          "char8_t",     "char16_t",
        "char32_t",      "class",       "compl",
        "concept",       "const",       "consteval",
        "constexpr",     "constinit",   "const_cast",
        "continue",      "co_await",    "co_return",
        "co_yield",      "decltype",    "default",
        "delete",        "do",          "double",
        "dynamic_cast",  "else",        "enum",
        "explicit",      "export",      "extern",
        "false",         "float",       "for",
        "friend",        "goto",        "if",
        "inline",        "int",         "long",
        "mutable",       "namespace",   "new",
        "noexcept",      "not",         "not_eq",
        "nullptr",       "operator",    "or",
        "or_eq",         "private",     "protected",
        "public",        "register",    "reinterpret_cast",
        "requires",      "return",      "short",
        "signed",        "sizeof",      "static",
        "static_assert", "static_cast", "struct",
        "switch",        "template",    "this",
        "thread_local",  "throw",       "true",
        "try",           "typedef",     "typeid",
        "typename",      "union",       "unsigned",
        "using",         "virtual",     "void",
        "volatile",      "wchar_t",     "while",
        "xor",           "xor_eq",
    };
    return keywords.count(word) > 0;
}

// Reserved to the compiler and library: a double underscore anywhere, or an underscore and a
// capital letter at the start.
bool isReservedName(const std::string& word) {
    return word.find("__") != std::string::npos ||
           (word.size() > 1 && word[0] == '_' && std::isupper(static_cast<unsigned char>(word[1])));
}

}  // namespace

[[noreturn]] void fail(std::string message) {
    throw Problem{std::move(message)};
}

bool isIdentifier(const std::string& word) {
    if (word.empty() || std::isdigit(static_cast<unsigned char>(word[0]))) return false;
    for (char c : word)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

std::string cppNameProblem(const std::string& name) {
    if (isCppKeyword(name)) return "is a C++ keyword";
    if (isReservedName(name)) return "is reserved in C++";
    return {};
}

int parseInt(const std::string& key, const std::string& text) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        fail("bad number \"" + text + "\" for " + key + " (expected a whole number)");
    return value;
}

int parseSize(const std::string& key, const std::string& text) {
    const int size = parseInt(key, text);
    if (size < 0) fail(key + " must not be negative, not " + text);
    return size;
}

double parseDouble(const std::string& key, const std::string& text) {
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || std::isnan(value))
        fail("bad number \"" + text + "\" for " + key);
    return value;
}

bool parseFlag(const std::string& key, const std::string& text) {
    if (text == "1") return true;
    if (text == "0") return false;
    fail("bad flag \"" + text + "\" for " + key + " (expected 0 or 1)");
}

int parseColor(const std::string& key, const std::string& text) {
    unsigned value = 0;
    const bool hex =
        text.size() > 2 && text.size() <= 8 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hex) {
        auto [end, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
        if (ec == std::errc() && end == text.data() + text.size()) return static_cast<int>(value);
    }
    fail("bad colour \"" + text + "\" for " + key + " (expected 0xRRGGBB)");
}

std::string parseShortcut(const std::string& key, const std::string& text) {
    static const std::vector<std::string> named = {"Space",  "Enter",  "Esc",  "Tab",  "Backspace",
                                                   "Delete", "Insert", "Home", "End",  "PgUp",
                                                   "PgDown", "Up",     "Down", "Left", "Right"};
    std::string rest = text;
    for (const char* modifier : {"Ctrl+", "Shift+", "Alt+"})
        if (rest.rfind(modifier, 0) == 0) rest.erase(0, std::string(modifier).size());
    const bool letterOrDigit =
        rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]));
    int function = 0;
    const bool functionKey =
        rest.size() >= 2 && rest.size() <= 3 && rest[0] == 'F' &&
        std::from_chars(rest.data() + 1, rest.data() + rest.size(), function).ptr ==
            rest.data() + rest.size() &&
        function >= 1 && function <= 24;
    const bool namedKey = std::find(named.begin(), named.end(), rest) != named.end();
    if (!letterOrDigit && !functionKey && !namedKey)
        fail("bad shortcut \"" + text + "\" for " + key +
             " (expected Ctrl+, Shift+ or Alt+ before a letter, a digit, F1 to F24 or a key name)");
    return text;
}

int parseDataType(const std::string& text) {
    if (text == "int") return VAL_INTEGER;
    if (text == "double") return VAL_DOUBLE;
    if (text == "float") return VAL_FLOAT;
    if (text == "string") return VAL_STRING;
    fail("bad data type \"" + text + "\" (expected int, double, float or string)");
}

const std::map<std::string, ControlKind>& kindNames() {
    static const std::map<std::string, ControlKind> names = {
        {"numeric", ControlKind::Numeric}, {"string", ControlKind::String},
        {"textbox", ControlKind::TextBox}, {"ring", ControlKind::Ring},
        {"listbox", ControlKind::ListBox}, {"checkbox", ControlKind::CheckBox},
        {"toggle", ControlKind::Toggle},   {"button", ControlKind::Button},
        {"lamp", ControlKind::Lamp},       {"color", ControlKind::ColorNum},
        {"textmsg", ControlKind::TextMsg}, {"decoration", ControlKind::Decoration},
        {"graph", ControlKind::Graph},     {"timer", ControlKind::Timer},
        {"table", ControlKind::Table},
    };
    return names;
}

std::string kindName(ControlKind kind) {
    for (const auto& [name, k] : kindNames())
        if (k == kind) return name;
    return "?";
}

bool isTextKind(ControlKind kind) {
    return kind == ControlKind::String || kind == ControlKind::TextBox ||
           kind == ControlKind::TextMsg;
}

bool isListKind(ControlKind kind) {
    return kind == ControlKind::Ring || kind == ControlKind::ListBox;
}

bool isOnOffKind(ControlKind kind) {
    return kind == ControlKind::CheckBox || kind == ControlKind::Toggle ||
           kind == ControlKind::Lamp;
}

Value parseValue(const std::string& key, const std::string& text, int dataType) {
    switch (dataType) {
        case VAL_INTEGER:
            return parseInt(key, text);
        case VAL_DOUBLE:
        case VAL_FLOAT:
            return parseDouble(key, text);
        default:
            return text;
    }
}

Keys::Keys(const std::vector<std::string>& words, std::size_t first) {
    for (std::size_t i = first; i < words.size(); ++i) {
        const std::string_view word = words[i];
        const auto eq = word.find('=');
        if (eq == std::string_view::npos || eq == 0)
            fail("expected key=value, found \"" + words[i] + "\"");
        const std::string_view key = word.substr(0, eq);
        if (has(key)) fail("key " + std::string(key) + " given twice");
        entries_.push_back({key, word.substr(eq + 1)});
    }
}

std::optional<std::string> Keys::take(std::string_view key) {
    for (Entry& entry : entries_) {
        if (!entry.taken && entry.key == key) {
            entry.taken = true;
            return std::string(entry.value);
        }
    }
    return std::nullopt;
}

void Keys::rejectRest(const std::string& what) const {
    for (const Entry& entry : entries_)
        if (!entry.taken) fail("unknown key \"" + std::string(entry.key) + "\" for " + what);
}

bool Keys::has(std::string_view key) const {
    for (const Entry& entry : entries_)
        if (!entry.taken && entry.key == key) return true;
    return false;
}

}  // namespace trelvanix::ui::uir
