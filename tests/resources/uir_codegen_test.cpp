// The resource-file generator: text from the file reaches the generated code only as exactly
// escaped string literals, and names it cannot write are refused with the file and line.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/ui/model.h"
#include "platform/ui/toolkit.h"
#include "resources/trelvanix_uir.h"  // generated from tests/resources/escaping.uir

using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

TEST(UirCodegen, TextWithQuotesBackslashesAndRawBytesComesBackExactly) {
    trelvanix::ui::Model::instance().reset();
    registerTrelvanixResources();
    const int panel = LoadPanel(0, "escaping.uir", ESCAPING);
    ASSERT_GT(panel, 0);
    std::string title, label;
    GetPanelAttribute(panel, ATTR_TITLE, &title);
    GetCtrlAttribute(panel, ESCAPING_LABEL, ATTR_LABEL_TEXT, &label);
    EXPECT_EQ(title,
              "quote \" backslash \\ tab \t \x01"
              "7 \xc2\xb5V \xff end\\");
    EXPECT_EQ(label, "carriage\rreturn ?\?= \\101 \x7f");
}

struct ToolRun {
    int status = -1;
    std::string out;
};

// Runs the generator on resource text saved as trelvanix.uir in a fresh folder.
ToolRun generate(const std::string& text, const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / "trelvanix.uir", std::ios::binary) << text;
    const std::string command = std::string(UIR_CODEGEN_PROGRAM) + " " +
                                (folder / "trelvanix.uir").string() + " " +
                                (folder / "out").string() + " 2>&1";
    ToolRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    char chunk[1024];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
        run.out.append(chunk, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(UirCodegen, NamesAndTitlesItCannotWriteAreRefusedWithTheLine) {
    const fs::path folder =
        fs::temp_directory_path() / ("uir_codegen_" + std::to_string(::getpid()));
    const struct {
        std::string text, says;
    } cases[] = {
        {"panel P\ncontrol P Go kind=button callback=delete\n",
         "trelvanix.uir:2: callback name \"delete\" is a C++ keyword\n"},
        {"panel P\n\npanel Q title=\"two\\nlines\"\n",
         "trelvanix.uir:3: the title of panel Q holds a line break\n"},
        {"panel int\n", "trelvanix.uir:1: panel name \"int\" is a C++ keyword\n"},
        {"panel P\ncontrol P 2go kind=button\n", "trelvanix.uir:2: bad control name \"2go\"\n"},
    };
    for (const auto& c : cases) {
        const ToolRun run = generate(c.text, folder);
        EXPECT_EQ(run.status, 1) << c.text;
        EXPECT_THAT(run.out, HasSubstr(c.says));
        EXPECT_FALSE(fs::exists(folder / "out")) << "nothing is written for a refused file";
    }
    fs::remove_all(folder);
}

}  // namespace
