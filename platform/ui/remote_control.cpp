#include "platform/ui/remote_control.h"

#include <limits>
#include <vector>

#include "platform/ui/model.h"
#include "platform/ui/termination.h"
#include "platform/ui/text_words.h"
#include "platform/ui/toolkit.h"

namespace trelvanix::ui {

namespace {

using Kind = ScriptCommand::Kind;

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates, nothing
// past U+10FFFF.
bool isUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if (byte >= 0xC2 && byte <= 0xDF) {
            length = 2, code = byte & 0x1F;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            length = 3, code = byte & 0x0F;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            length = 4, code = byte & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

const char* answerForm(Kind kind) {
    return kind == Kind::AnswerConfirm ? "answer confirm yes|no"
           : kind == Kind::AnswerFile  ? "answer file PATH|cancel"
                                       : "answer dir PATH|cancel";
}

}  // namespace

RemoteControl::RemoteControl() = default;

RemoteControl::~RemoteControl() {
    stop();
}

bool RemoteControl::listen(const std::string& address, std::string* error) {
    if (endpoint_) return true;
    endpoint_ = openLocalEndpoint(address, error);
    return endpoint_ != nullptr;
}

void RemoteControl::stop() {
    // Lines read but not yet run have nobody left to answer: they are dropped with the clients.
    lines_.clear();
    clients_.clear();
    endpoint_.reset();
}

std::string RemoteControl::address() const {
    return endpoint_ ? endpoint_->address() : std::string();
}

std::intptr_t RemoteControl::wakeHandle() const {
    return endpoint_ ? endpoint_->wakeHandle() : -1;
}

void RemoteControl::pump() {
    if (!endpoint_ || !endpoint_->hasActivity()) return;
    accept();
    for (auto it = clients_.begin(); it != clients_.end();) {
        const std::uint64_t id = it->first;
        Client& client = it->second;
        ++it;  // the client may be dropped below
        if (!client.output.empty() && !flush(id, client)) continue;
        read(id, client);
    }
}

void RemoteControl::accept() {
    for (int handle; (handle = endpoint_->accept()) >= 0;) {
        if (clients_.size() >= kMaxClients) {
            endpoint_->send(handle, "error: too many clients are connected (" +
                                        std::to_string(kMaxClients) + "); try again later\n");
            endpoint_->disconnect(handle);
            continue;
        }
        clients_[nextClient_++].handle = handle;
    }
}

void RemoteControl::read(std::uint64_t id, Client& client) {
    while (client.reading) {
        if (client.queued >= kMaxQueuedBytes) {
            // Its lines wait to be carried out: the rest stays with the system until they have.
            client.reading = false;
            endpoint_->watch(client.handle, false, !client.output.empty());
            return;
        }
        std::string bytes;
        const long n = endpoint_->receive(client.handle, bytes, kMaxQueuedBytes - client.queued);
        if (n < 0) return drop(id);  // its complete lines still run; a half line is dropped
        if (n == 0) return;
        take(id, client, bytes);
    }
}

void RemoteControl::take(std::uint64_t id, Client& client, std::string_view bytes) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t newline = bytes.find('\n', start);
        const bool ended = newline != std::string_view::npos;
        const std::string_view piece =
            bytes.substr(start, (ended ? newline : bytes.size()) - start);
        start = ended ? newline + 1 : bytes.size();
        if (client.discarding) {
            client.discarding = !ended;
            continue;
        }
        if (client.partial.size() + piece.size() > kMaxLineBytes) {
            queue(id, client, {},
                  "the line is longer than " + std::to_string(kMaxLineBytes) +
                      " bytes; it is ignored");
            client.partial.clear();
            client.discarding = !ended;
            continue;
        }
        client.partial.append(piece);
        if (!ended) continue;
        std::string text = std::move(client.partial);
        client.partial.clear();
        if (!text.empty() && text.back() == '\r') text.pop_back();
        const bool utf8 = isUtf8(text);
        queue(id, client, utf8 ? std::move(text) : std::string(),
              utf8 ? "" : "the line is not UTF-8 text; it is ignored");
    }
}

void RemoteControl::queue(std::uint64_t id, Client& client, std::string text, std::string problem) {
    client.queued += text.size() + 1;
    lines_.push_back(Line{id, std::move(text), std::move(problem)});
}

bool RemoteControl::flush(std::uint64_t id, Client& client) {
    const long taken = endpoint_->send(client.handle, client.output);
    if (taken < 0) {
        drop(id);
        return false;
    }
    client.output.erase(0, static_cast<std::size_t>(taken));
    const bool writing = !client.output.empty();
    if (writing != client.writing) {
        client.writing = writing;
        endpoint_->watch(client.handle, client.reading, writing);
    }
    return true;
}

void RemoteControl::send(std::uint64_t id, const std::string& text) {
    const auto it = clients_.find(id);
    if (it == clients_.end()) return;
    Client& client = it->second;
    if (client.output.size() + text.size() + 1 > kMaxOutputBytes) {
        ErrorPrintf(
            "Remote control: a client did not read its answers and events (%zu KiB waiting); "
            "it has been disconnected.",
            kMaxOutputBytes / 1024);
        return drop(id);
    }
    client.output += text;
    client.output += '\n';
    flush(id, client);
}

void RemoteControl::drop(std::uint64_t id) {
    const auto it = clients_.find(id);
    if (it == clients_.end()) return;
    endpoint_->disconnect(it->second.handle);
    clients_.erase(it);
}

void RemoteControl::runPendingLines() {
    const Model& model = Model::instance();
    for (int ran = 0; ran < kLinesPerPass && !lines_.empty() && !ended_; ++ran) {
        // One command at a time: the events it posts are dispatched before the next one runs.
        if (model.hasPendingEvent() && waitingPopup_.empty()) return;
        const Line line = std::move(lines_.front());
        lines_.pop_front();
        runLine(line);
    }
}

void RemoteControl::runLine(const Line& line) {
    auto it = clients_.find(line.client);
    Client* client = it == clients_.end() ? nullptr : &it->second;
    if (client) {
        client->queued -= line.text.size() + 1;
        if (!client->reading && client->queued < kMaxQueuedBytes) {
            client->reading = true;
            endpoint_->watch(client->handle, true, client->writing);
        }
    }
    const std::string answer = answerTo(line, client);
    send(line.client, answer);
    if (quitAsked_) quit();
}

std::string RemoteControl::answerTo(const Line& line, Client* client) {
    if (!line.problem.empty()) return "error: " + line.problem;
    const SplitLine split = splitWords(line.text);
    if (!split.error.empty()) return "error: " + split.error;
    if (split.words.empty()) return "ok";
    if (split.words[0] == "watch") {
        const bool on = split.words.size() == 1;
        if (!on && !(split.words.size() == 2 && split.words[1] == "off"))
            return "error: expected watch or watch off";
        if (client) client->watching = on;
        return "ok";
    }
    ScriptCommand command;
    if (const std::string problem = parseCommandWords(split.words, &command); !problem.empty())
        return "error: " + problem;
    switch (command.kind) {
        case Kind::Wait:
            return "error: wait is for scripts; a remote client waits on its own side";
        case Kind::ExpectPopup:
            return "error: expect is for scripts; a remote client watches the pop-up events";
        case Kind::AnswerFile:
        case Kind::AnswerDir:
        case Kind::AnswerConfirm:
            answers_.add(command);
            return "ok";
        case Kind::Quit:
            quitAsked_ = true;
            return "ok";
        default:
            break;
    }
    if (!waitingPopup_.empty() && command.kind != Kind::Get)
        return "error: the pop-up " + quoteWord(waitingPopup_) + " waits for an answer first";
    const CommandOutcome outcome = executeOperatorCommand(command);
    if (outcome.result != CommandOutcome::Result::Done) return "error: " + outcome.message;
    if (command.kind != Kind::Get) return "ok";
    return "ok " + (outcome.valueIsText ? quoteWord(outcome.value) : outcome.value);
}

void RemoteControl::tell(const std::string& text) {
    std::vector<std::uint64_t> watchers;
    for (const auto& [id, client] : clients_)
        if (client.watching) watchers.push_back(id);
    for (const std::uint64_t id : watchers) send(id, "event " + text);
}

bool RemoteControl::awaitAnswer(Kind kind, const std::string& title, bool wait) {
    if (answers_.has(kind) || !wait || !endpoint_) return answers_.has(kind);
    ErrorPrintf("trelvanix: the pop-up \"%s\" waits for a remote client's %s", title.c_str(),
                answerForm(kind));
    waitingPopup_ = title;
    while (!answers_.has(kind) && endpoint_ && !ended_) {
        pump();
        runPendingLines();
        if (answers_.has(kind) || hasPendingLines()) continue;
        waitUnlessTerminated(std::numeric_limits<double>::infinity(),
                             static_cast<int>(wakeHandle()));
        endIfTerminationRequested();
    }
    waitingPopup_.clear();
    return answers_.has(kind);
}

void RemoteControl::quit() {
    ended_ = true;
    if (beforeEnd_) beforeEnd_();
    // The last answers and events go out as far as the clients take them now; nothing waits.
    for (auto& [id, client] : clients_) endpoint_->send(client.handle, client.output);
    ending_(0);
}

}  // namespace trelvanix::ui
