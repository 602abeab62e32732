#include "platform/ui/run_ending.h"

#include <cstdio>
#include <cstdlib>

namespace trelvanix::ui {

RunEnding exitProcess() {
    return [](int status) {
        std::fflush(stdout);
        std::fflush(stderr);
        std::exit(status);
    };
}

}  // namespace trelvanix::ui
