#pragma once
// The local endpoint other programs on this machine connect to for remote control: a
// Unix-domain socket (mode 0600, in the user's runtime folder) or, on Windows, a named pipe
// for this user only. Nothing off the machine can reach it. No call ever waits: the event
// loop watches wakeHandle() and calls in when something has come.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace trelvanix::ui {

class RemoteEndpoint {
  public:
    virtual ~RemoteEndpoint() = default;

    // Where clients connect: the socket's path or the pipe's name.
    virtual const std::string& address() const = 0;
    // Readable (a descriptor) or signalled (a Windows event handle) while a client waits to be
    // accepted, has sent bytes, or can take output it was refused before.
    virtual std::intptr_t wakeHandle() const = 0;
    // Whether anything waits now.
    virtual bool hasActivity() const = 0;

    // A client that has connected, or -1 when none waits.
    virtual int accept() = 0;
    // Appends to `into` at most `room` bytes the client has sent. Returns the number appended
    // (0 when nothing waits), or -1 when the client has gone.
    virtual long receive(int client, std::string& into, std::size_t room) = 0;
    // Sends what the client takes now: the number of bytes taken, or -1 when it has gone.
    virtual long send(int client, std::string_view bytes) = 0;
    // Which of the client's readiness wakes the loop: its input, and its room for output.
    virtual void watch(int client, bool input, bool output) = 0;
    virtual void disconnect(int client) = 0;
};

// The address this user's program listens on: "trelvanix.sock" in $XDG_RUNTIME_DIR, or in a
// folder of the user's own under the temporary folder when that is not set; a pipe named after
// the user on Windows. Empty, with the reason, when no safe place can be had.
std::string defaultEndpointAddress(std::string* error);

// Opens the endpoint. Null, with the reason, when it cannot: another program already listens
// there (that one keeps it), or the system refuses.
std::unique_ptr<RemoteEndpoint> openLocalEndpoint(const std::string& address, std::string* error);

}  // namespace trelvanix::ui
