// A back end's source may include its vendor's driver header: the back-end interface and the
// registry declare none of the names such a header declares. The declarations below are what
// the vendor's header says of them, with types that clash with the program's own operation
// layer (platform/driver/daqmx.h), so this file compiles only while the interface keeps apart.

#include <cstdint>

typedef signed long long int32;  // deliberately not the program's int32
typedef void* TaskHandle;
typedef double float64;
extern "C" int32 DAQmxStartTask(TaskHandle taskHandle);
#define DAQmx_Val_RSE 10083

#include <gtest/gtest.h>

#include "platform/driver/backend_registry.h"
#include "platform/driver/daqmx_library_board.h"
#include "platform/driver/driver_backend.h"
#include "platform/driver/simulated_board.h"

namespace trelvanix::driver {
namespace {

TEST(VendorHeader, TheBackEndInterfaceDeclaresNoneOfTheVendorsNames) {
    EXPECT_EQ(sizeof(int32), sizeof(long long));
    EXPECT_STREQ(kDaqmxLibraryBackend.name, "daqmx");
    EXPECT_TRUE(kSimulatedBoardBackend.simulated);
}

}  // namespace
}  // namespace trelvanix::driver
