#pragma once
// Remote control of the running program (off by default): --listen or Options > Remote control
// opens the endpoint, and every program event reaches the clients that watch as an event line.

#include <string>

#include "platform/ui/remote_control.h"
#include "state/program_events.h"

namespace trelvanix {

// The program's remote control.
ui::RemoteControl& Remote();
// Makes the toolkit serve it and passes program events on to it; the wiring calls this.
void WireRemoteControl();
// Listens at the user's address, says where on standard output, or says why not on the error
// output (another program listening keeps its endpoint). Returns whether it listens.
bool StartListening();
void StopListening();
// The line Help > About shows.
std::string RemoteControlStatus();
// An event's line after "event " ("recording finished /data/2026_01_01_12_00_00.vnx"); empty
// for one that clients are not told of.
std::string EventLine(const events::Event& event);

}  // namespace trelvanix
