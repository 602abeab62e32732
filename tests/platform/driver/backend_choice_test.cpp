// Choosing the board at start-up: back ends by their registered names, the default, and the
// choices that cannot work refused with the reason, leaving the board in use alone.

#include <gmock/gmock.h>

#include <cstdio>
#include <fstream>

#include "platform/driver/backend_registry.h"
#include "platform/driver/board_choice.h"
#include "platform/driver/board_file.h"
#include "platform/driver/driver_errors.h"
#include "tests/platform/driver/driver_test_support.h"

namespace trelvanix::driver::testing {
namespace {

using ::testing::HasSubstr;

using BackendChoiceTest = DriverTest;

TEST_F(BackendChoiceTest, BackEndsAreRegisteredByNameWithTheSimulatedBoardFirst) {
    const auto entries = registeredBackends();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_STREQ(entries.front()->name, "simulated");
    EXPECT_TRUE(entries.front()->simulated);
    const BackendEntry* library = backendNamed("daqmx");
    ASSERT_NE(library, nullptr);
    EXPECT_FALSE(library->simulated);
    EXPECT_TRUE(library->loadsDriverLibrary);
    EXPECT_THAT(backendListText(),
                HasSubstr("  simulated  the built-in simulated board Dev1 (the default)\n"));
}

TEST_F(BackendChoiceTest, TheBackEndNamedIsStartedWithItsBoardFile) {
    std::string error;
    const std::string file = writeBoardFile("ranges -2 2\n");
    ASSERT_EQ(startBoard({"simulated", file, ""}, &error), 0) << error;
    EXPECT_EQ(boardInUse().backend, "simulated");
    EXPECT_TRUE(boardInUse().simulated);
    EXPECT_EQ(describeBoard("Dev1"),
              "Dev1, simulated board (back end simulated, board file " + file + ")");
    double ranges[4] = {};
    ASSERT_EQ(DAQmxGetDevAIVoltageRngs("Dev1", ranges, 4), 0);
    EXPECT_EQ(ranges[0], -2.0);
    EXPECT_EQ(ranges[2], 0.0);
}

TEST_F(BackendChoiceTest, ChoicesThatCannotWorkAreRefusedAndTheBoardStays) {
    std::string error;
    ASSERT_EQ(startBoard({"", writeBoardFile("ranges -3 3\n"), ""}, &error), 0) << error;
    const auto refused = [&](const BoardChoice& choice) {
        error.clear();
        EXPECT_EQ(startBoard(choice, &error), kErrorBoardFileInvalid);
        double ranges[2] = {};
        DAQmxGetDevAIVoltageRngs("Dev1", ranges, 2);
        EXPECT_EQ(ranges[1], 3.0) << "the board in use stays";
        return error;
    };
    EXPECT_THAT(refused({"turbo", "", ""}),
                HasSubstr("unknown back end \"turbo\" (known: simulated, daqmx"));
    EXPECT_THAT(refused({"daqmx", "", ""}),
                HasSubstr("back end daqmx needs a driver library: give --driver-library FILE"));
    EXPECT_THAT(refused({"simulated", "", "libnidaqmx.so"}),
                HasSubstr("back end simulated loads no driver library"));
    // A real board is not given a simulated board's signals.
    const std::string board = writeBoardFile("driver-library /nowhere/libx.so\nseed 4\n");
    EXPECT_EQ(refused({"", board, ""}),
              board +
                  ", line 2: seed describes a simulated board, but back end daqmx drives a "
                  "real one");
    EXPECT_EQ(refused({"", "/nowhere/x.board", ""}),
              "/nowhere/x.board: the board file cannot be opened");
}

TEST_F(BackendChoiceTest, ABoardFileNamesItsDriverLibraryRelativeToItsFolder) {
    BoardFile board;
    std::string error;
    std::ofstream(::testing::TempDir() + "lib.board") << "driver-library  drivers/my lib.so  \n";
    ASSERT_TRUE(readBoardFile(::testing::TempDir() + "lib.board", &board, &error)) << error;
    EXPECT_EQ(board.driverLibrary, ::testing::TempDir() + "drivers/my lib.so");
    std::ofstream(::testing::TempDir() + "lib.board") << "driver-library libnidaqmx.so\n";
    ASSERT_TRUE(readBoardFile(::testing::TempDir() + "lib.board", &board, &error)) << error;
    EXPECT_EQ(board.driverLibrary, "libnidaqmx.so") << "a bare name is the system's to find";
    std::remove((::testing::TempDir() + "lib.board").c_str());
}

}  // namespace
}  // namespace trelvanix::driver::testing
