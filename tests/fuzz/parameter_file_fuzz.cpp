// Fuzz target: any text as a parameter file, read and checked as the loader reads it against
// the panels' own limits; a file that reads is written again, and that text reads back to the
// same settings.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <variant>

#include "params/parameter_limits.h"
#include "params/parameter_text.h"
#include "platform/ui/resource.h"

using namespace trelvanix::params;

namespace {

// The limits of the program's own resource file, the simulated board and the menus.
const ParameterLimits& programLimits() {
    static const ParameterLimits limits = [] {
        std::ostringstream text;
        text << std::ifstream(TRELVANIX_SOURCE_DIR "/resources/trelvanix.uir").rdbuf();
        auto parsed = trelvanix::ui::parseResource(text.str());
        if (!std::holds_alternative<trelvanix::ui::ResourceFile>(parsed)) std::abort();
        ParameterLimits l = LimitsFromResource(std::get<trelvanix::ui::ResourceFile>(parsed));
        l.boardGains = {0.5f, 1.0f, 5.0f, 25.0f};
        l.rates = {0.1, 0.25, 0.5, 1, 2, 2.5, 3, 4, 5, 10, 20, 50};
        l.stretchLengths = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10};
        return l;
    }();
    return limits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ParameterSet first;
    ReadFailure failure;
    if (!ParseParameters(text, programLimits(), &first, &failure)) return 0;
    // Lines no reader knows are left out when the settings are written again.
    first.unknownKeys.clear();
    ParameterSet second;
    if (!ParseParameters(FormatParameters(first), programLimits(), &second, &failure)) std::abort();
    if (!(second == first)) std::abort();
    return 0;
}
