// Build-time generator: reads the panel resource file and writes the C++ constants of its
// panels, controls, menu bars and menu items, the prototypes of the callbacks it names, and
// a registry source that embeds the file and registers every callback under its name.
//
//   trelvanix_uir_codegen RESOURCE_FILE OUTPUT_DIR
//
// writes OUTPUT_DIR/trelvanix_uir.h and OUTPUT_DIR/trelvanix_uir_registry.cpp. A problem in
// the resource file is reported as FILE:LINE: message and fails the build.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string_view>

#include "platform/ui/resource.h"

using namespace trelvanix::ui;

namespace {

constexpr const char* kCallbackNamespace = "trelvanix::callbacks";

struct Callbacks {
    std::set<std::string> control, panel, menu;
};

Callbacks callbacksOf(const ResourceFile& file) {
    Callbacks names;
    for (const Panel& panel : file.panels) {
        if (!panel.callbackName.empty()) names.panel.insert(panel.callbackName);
        for (const Control& c : panel.controls)
            if (!c.callbackName.empty()) names.control.insert(c.callbackName);
    }
    for (const MenuBar& bar : file.menuBars)
        for (const MenuItem& item : bar.items)
            if (!item.callbackName.empty()) names.menu.insert(item.callbackName);
    return names;
}

// Text from the resource file as a C++ string literal that holds exactly its bytes: quotes,
// backslashes and question marks (no trigraph) escaped, and every byte outside printable ASCII
// (line breaks, control bytes, bytes of UTF-8 sequences) as a three-digit octal escape, which no
// following digit extends.
std::string cppStringLiteral(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\' || c == '?') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (byte < 0x20 || byte >= 0x7F) {
            const char octal[] = {'\\', char('0' + (byte >> 6)), char('0' + ((byte >> 3) & 7)),
                                  char('0' + (byte & 7)), '\0'};
            out += octal;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void constant(std::ostream& out, const std::string& name, int value) {
    out << "constexpr int " << name << " = " << value << ";\n";
}

std::string header(const ResourceFile& file, const std::string& source) {
    std::ostringstream out;
    out << "#pragma once\n// Generated from " << cppStringLiteral(source)
        << " by trelvanix_uir_codegen; do not edit.\n\n";
    for (const Panel& panel : file.panels) {
        out << "// Panel " << panel.constantName << " " << cppStringLiteral(panel.title) << "\n";
        constant(out, panel.constantName, panel.resourceId);
        for (const Control& c : panel.controls) constant(out, c.constantName, c.id);
        out << '\n';
    }
    for (const MenuBar& bar : file.menuBars) {
        out << "// Menu bar " << bar.constantName << "\n";
        // A menu bar is identified by its position among the file's menu bars.
        constant(out, bar.constantName, static_cast<int>(&bar - file.menuBars.data()) + 1);
        for (const Menu& menu : bar.menus)
            constant(out, bar.constantName + "_" + menu.name, menu.id);
        for (const MenuItem& item : bar.items)
            if (!item.separator) constant(out, item.constantName, item.id);
        out << '\n';
    }
    const Callbacks callbacks = callbacksOf(file);
    // Under their resource-file names, in their own namespace: names such as stop or close
    // would otherwise meet the C library's.
    out << "// Callbacks the resource file names.\nnamespace " << kCallbackNamespace << " {\n";
    for (const std::string& name : callbacks.control)
        out << "int " << name
            << "(int panel, int control, int event, void* callbackData, int eventData1, "
               "int eventData2);\n";
    for (const std::string& name : callbacks.panel)
        out << "int " << name
            << "(int panel, int event, void* callbackData, int eventData1, int eventData2);\n";
    for (const std::string& name : callbacks.menu)
        out << "void " << name << "(int menuBar, int menuItem, void* callbackData, int panel);\n";
    out << "}  // namespace " << kCallbackNamespace << "\n";
    out << "\n// Registers the resource file under "
        << cppStringLiteral(std::filesystem::path(source).filename().string())
        << " and every callback it names.\nvoid registerTrelvanixResources();\n";
    return out.str();
}

std::string registry(const ResourceFile& file, const std::string& text,
                     const std::string& fileName) {
    std::ostringstream out;
    out << "// Generated from " << cppStringLiteral(fileName)
        << " by trelvanix_uir_codegen; do not edit.\n"
        << "#include \"resources/trelvanix_uir.h\"\n#include \"platform/ui/resource.h\"\n\n"
        << "namespace {\nconst char* const kResourceText =\n";
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        out << "    "
            << cppStringLiteral(text.substr(start, end - start) + (end < text.size() ? "\n" : ""))
            << "\n";
        start = end + 1;
    }
    out << "    \"\";\n}  // namespace\n\nvoid registerTrelvanixResources() {\n"
        << "    using namespace trelvanix::ui;\n"
        << "    registerResourceText(" << cppStringLiteral(fileName) << ", kResourceText);\n";
    const Callbacks callbacks = callbacksOf(file);
    for (const std::string& name : callbacks.control)
        out << "    registerControlCallback(\"" << name << "\", &" << kCallbackNamespace
            << "::" << name << ");\n";
    for (const std::string& name : callbacks.panel)
        out << "    registerPanelCallback(\"" << name << "\", &" << kCallbackNamespace
            << "::" << name << ");\n";
    for (const std::string& name : callbacks.menu)
        out << "    registerMenuCallback(\"" << name << "\", &" << kCallbackNamespace
            << "::" << name << ");\n";
    out << "}\n";
    return out.str();
}

bool writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) std::cerr << path.string() << ": cannot write the generated file\n";
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: trelvanix_uir_codegen RESOURCE_FILE OUTPUT_DIR\n";
        return 2;
    }
    const std::filesystem::path source = argv[1];
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        std::cerr << source.string() << ": cannot read the resource file\n";
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    const auto parsed = parseResource(text.str());
    if (const auto* error = std::get_if<ResourceError>(&parsed)) {
        std::cerr << source.string() << ":" << error->line << ": " << error->message << "\n";
        return 1;
    }
    const auto& file = std::get<ResourceFile>(parsed);
    const std::filesystem::path outDir = argv[2];
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    const std::string fileName = source.filename().string();
    const bool written =
        writeFile(outDir / "trelvanix_uir.h", header(file, fileName)) &&
        writeFile(outDir / "trelvanix_uir_registry.cpp", registry(file, text.str(), fileName));
    return written ? 0 : 1;
}
