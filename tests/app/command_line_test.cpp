#include "app/command_line.h"

#include <gtest/gtest.h>

using namespace trelvanix::app;

namespace {

TEST(CommandLine, ReadsEveryOption) {
    const auto parsed = parseCommandLine(
        {"--headless", "--sim-time", "--script", "run.txt", "--board", "board.txt"});
    ASSERT_TRUE(std::holds_alternative<CommandLine>(parsed));
    const CommandLine& line = std::get<CommandLine>(parsed);
    EXPECT_TRUE(line.headless);
    EXPECT_TRUE(line.simulatedTime);
    EXPECT_EQ(line.scriptPath, "run.txt");
    EXPECT_EQ(line.boardPath, "board.txt");
    EXPECT_FALSE(line.help);
    EXPECT_TRUE(std::get<CommandLine>(parseCommandLine({"--help"})).help);
}

TEST(CommandLine, RejectsWhatItCannotRun) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--fast"},
                                                 {"--script"},
                                                 {"--board", ""},
                                                 {"--script", "a", "--script", "b"},
                                                 {"run.txt"}}) {
        const auto parsed = parseCommandLine(args);
        ASSERT_TRUE(std::holds_alternative<CommandLineError>(parsed)) << args[0];
        EXPECT_FALSE(std::get<CommandLineError>(parsed).message.empty());
    }
}

TEST(CommandLine, ReadsTheBoardsBackEndAndDriverLibrary) {
    const auto parsed = parseCommandLine(
        {"--backend", "daqmx", "--driver-library", "/opt/ni/libnidaqmx.so", "--headless"});
    ASSERT_TRUE(std::holds_alternative<CommandLine>(parsed));
    EXPECT_EQ(std::get<CommandLine>(parsed).backendName, "daqmx");
    EXPECT_EQ(std::get<CommandLine>(parsed).driverLibraryPath, "/opt/ni/libnidaqmx.so");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--backend"},
                                                 {"--driver-library", ""},
                                                 {"--backend", "a", "--backend", "b"}}) {
        const auto refused = parseCommandLine(args);
        ASSERT_TRUE(std::holds_alternative<CommandLineError>(refused)) << args.size();
        EXPECT_EQ(std::get<CommandLineError>(refused).message.rfind(args[0], 0), 0u);
    }
    EXPECT_NE(usageText().find("daqmx"), std::string::npos) << "the usage lists the back ends";
}

}  // namespace
