// Fuzz target: any text as a protocol file, read as the runner reads it.

#include <cstdint>
#include <string_view>
#include <vector>

#include "protocol/protocol_file.h"

using namespace trelvanix::protocol;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ProtocolWords file =
        readProtocolWords(std::string_view(reinterpret_cast<const char*>(data), size));
    parameterNameProblem(file.name);
    const int count = file.stepCount.value_or(0);
    if (count >= 1 && count <= kMaxSteps) {
        std::vector<double> reals;
        std::vector<int> wholes;
        realValues(file, count, &reals);
        wholeValues(file, count, &wholes);
    }
    return 0;
}
