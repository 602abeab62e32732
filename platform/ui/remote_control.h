#pragma once
// Remote control: programs on this machine drive the running program with the script
// language's commands, one per line. Each line gets exactly one answer line: "ok", "ok VALUE"
// for get, or "error: " and the message a script would print. A client that sends `watch`
// also gets "event ..." lines, each whole, between answers.
//
// Served from the toolkit's event loop, like operator input: pump() moves bytes without ever
// waiting, and the lines run one at a time between callbacks, in the order they arrived from
// all clients. What each client is sent is bounded; a client that does not read its answers
// is disconnected when the bound is reached, with a line on the error output.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/ui/command_executor.h"
#include "platform/ui/remote_endpoint.h"
#include "platform/ui/run_ending.h"

namespace trelvanix::ui {

class RemoteControl {
  public:
    static constexpr std::size_t kMaxLineBytes = 64 * 1024;
    // Bytes of a client's lines read but not yet carried out: reading it waits beyond that.
    static constexpr std::size_t kMaxQueuedBytes = 256 * 1024;
    // Answers and events a client has not taken yet.
    static constexpr std::size_t kMaxOutputBytes = 256 * 1024;
    static constexpr std::size_t kMaxClients = 16;
    // Lines carried out in one pass of the event loop, so a flood never holds up a stretch.
    static constexpr int kLinesPerPass = 64;

    RemoteControl();
    ~RemoteControl();

    // Opens the endpoint at `address`; false with the reason when it cannot.
    bool listen(const std::string& address, std::string* error);
    // Closes the endpoint and every connection.
    void stop();
    bool listening() const { return endpoint_ != nullptr; }
    // The endpoint's address, empty while not listening.
    std::string address() const;
    // What the event loop's waits watch: the endpoint's wake handle, -1 while not listening.
    std::intptr_t wakeHandle() const;

    // What runs before `quit` ends the program (flushing and ending the process).
    void setBeforeEnd(std::function<void()> hook) { beforeEnd_ = std::move(hook); }

    // Accepts clients, reads their lines and sends what they can take; never waits.
    void pump();
    bool hasPendingLines() const { return !ended_ && !lines_.empty(); }
    // Carries out pending lines in arrival order while no toolkit event is pending, so the
    // events of one command are dispatched before the next command runs.
    void runPendingLines();
    // Sends "event TEXT" to every client that watches.
    void tell(const std::string& text);

    // An answer for a pop-up nobody else answers: one a client gave before, or, when `wait`,
    // the first that a client gives now (lines other than answers and gets are refused
    // meanwhile). False when none came: the endpoint closed or the program is ending.
    bool awaitAnswer(ScriptCommand::Kind kind, const std::string& title, bool wait);
    PopupAnswers& answers() { return answers_; }

  private:
    struct Client {
        int handle = -1;
        std::string partial;      // a line not yet ended
        bool discarding = false;  // the rest of a line that was too long
        std::size_t queued = 0;   // bytes of its lines waiting to be carried out
        std::string output;       // what it has not taken yet
        bool watching = false;
        bool reading = true;   // its input wakes the loop
        bool writing = false;  // its room for output wakes the loop
    };
    struct Line {
        std::uint64_t client;
        std::string text;
        std::string problem;  // the error answer, when the line is refused unread
    };

    void accept();
    void read(std::uint64_t id, Client& client);
    void take(std::uint64_t id, Client& client, std::string_view bytes);
    void queue(std::uint64_t id, Client& client, std::string text, std::string problem);
    void send(std::uint64_t id, const std::string& text);
    // Sends what the client takes now; false when it has gone (and was dropped).
    bool flush(std::uint64_t id, Client& client);
    void drop(std::uint64_t id);
    void runLine(const Line& line);
    std::string answerTo(const Line& line, Client* client);
    void quit();

    std::unique_ptr<RemoteEndpoint> endpoint_;
    std::map<std::uint64_t, Client> clients_;
    std::uint64_t nextClient_ = 1;
    std::deque<Line> lines_;
    PopupAnswers answers_;
    std::string waitingPopup_;  // what a pop-up that waits for a remote answer is called
    bool quitAsked_ = false;
    bool ended_ = false;
    RunEnding ending_ = exitProcess();
    std::function<void()> beforeEnd_;
};

}  // namespace trelvanix::ui
