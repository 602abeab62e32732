#pragma once
// The program's assembly: which stages the acquisition loop walks, in their order, and the
// seams through which lower layers reach the subsystems above them.

namespace trelvanix {

// Assembles the program; start-up calls it before loading the panels. Calling it again
// assembles the same program afresh.
void WireProgram();

}  // namespace trelvanix
