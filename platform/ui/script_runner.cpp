#include "platform/ui/script_runner.h"

#include <cstdio>
#include <limits>

#include "platform/clock/clock.h"
#include "platform/ui/model.h"
#include "platform/ui/text_words.h"
#include "platform/ui/toolkit.h"

namespace trelvanix::ui {

namespace {

using Kind = ScriptCommand::Kind;

constexpr double kNever = std::numeric_limits<double>::infinity();

void note(const std::string& where, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", where.c_str(), text.c_str());
    std::fflush(stderr);
}

}  // namespace

ScriptRunner::ScriptRunner(Script script) : script_(std::move(script)) {}

double ScriptRunner::nextActionTime() const {
    return ended_ ? kNever : due_;
}

void ScriptRunner::runDueActions() {
    Model& model = Model::instance();
    // One action at a time: the events it posts are dispatched before the next one runs.
    while (!ended_ && !model.hasPendingEvent()) {
        if (programClock().seconds() < due_) return;  // a last `wait` is waited out too
        if (next_ >= script_.commands.size()) return finish();
        const ScriptCommand& command = script_.commands[next_++];
        lastLine_ = command.line;
        run(command);
    }
}

void ScriptRunner::run(const ScriptCommand& c) {
    switch (c.kind) {
        case Kind::AnswerFile:
        case Kind::AnswerDir:
        case Kind::AnswerConfirm:
            return answers_.add(c);
        case Kind::ExpectPopup:
            expected_.push_back(Expected{c.args[0], c.args[1], c.line});
            return;
        case Kind::Wait: {
            double seconds = 0;
            parseNumberWord(c.args[0], &seconds);
            due_ = programClock().seconds() + seconds;
            return;
        }
        case Kind::Quit:
            return finish();
        default:
            break;
    }
    const CommandOutcome outcome = executeOperatorCommand(c);
    if (outcome.result == CommandOutcome::Result::Failed) return fail(c.line, outcome.message);
    if (outcome.result == CommandOutcome::Result::Ignored)
        return note(script_.name + ":" + std::to_string(c.line), outcome.message);
    if (c.kind == Kind::Get) {
        std::printf("%s %s = %s\n", c.args[0].c_str(), c.args[1].c_str(), outcome.value.c_str());
        std::fflush(stdout);
    }
}

void ScriptRunner::takeDueAnswers() {
    while (!ended_ && next_ < script_.commands.size() && programClock().seconds() >= due_) {
        const ScriptCommand& command = script_.commands[next_];
        if (command.kind != Kind::AnswerFile && command.kind != Kind::AnswerDir &&
            command.kind != Kind::AnswerConfirm && command.kind != Kind::ExpectPopup)
            return;
        ++next_;
        lastLine_ = command.line;
        run(command);
    }
}

void ScriptRunner::messagePopup(const std::string& title, const std::string& message) {
    takeDueAnswers();
    if (expected_.empty() || ended_) return;
    const Expected expected = expected_.front();
    expected_.pop_front();
    if (expected.title != title || expected.text != message)
        fail(expected.line, "expected popup " + quoteWord(expected.title) + " " +
                                quoteWord(expected.text) + ", got popup " + quoteWord(title) + " " +
                                quoteWord(message));
}

bool ScriptRunner::confirmPopup(const std::string& title, const std::string& message) {
    takeDueAnswers();
    if (!answers_.has(Kind::AnswerConfirm)) {
        fail(lastLine_,
             "the confirm pop-up " + quoteWord(title) + " has no answer: " + quoteWord(message));
        return false;
    }
    return answers_.takeConfirm();
}

int ScriptRunner::fileSelectPopup(const FileRequest& request, std::string* path) {
    takeDueAnswers();
    if (!answers_.has(Kind::AnswerFile)) {
        fail(lastLine_, "the file pop-up " + quoteWord(request.title) + " has no answer");
        return VAL_NO_FILE_SELECTED;
    }
    return answers_.takeFile(path);
}

int ScriptRunner::directorySelectPopup(const DirectoryRequest& request, std::string* path) {
    takeDueAnswers();
    if (!answers_.has(Kind::AnswerDir)) {
        fail(lastLine_, "the directory pop-up " + quoteWord(request.title) + " has no answer");
        return VAL_NO_DIRECTORY_SELECTED;
    }
    return answers_.takeDirectory(path);
}

void ScriptRunner::finish() {
    if (!expected_.empty()) {
        const Expected& e = expected_.front();
        return fail(e.line, "the expected popup " + quoteWord(e.title) + " " + quoteWord(e.text) +
                                " never came");
    }
    end(0);
}

void ScriptRunner::fail(int line, const std::string& message) {
    if (ended_) return;
    std::fprintf(stderr, "%s%s: %s\n", script_.name.c_str(),
                 line > 0 ? (":" + std::to_string(line)).c_str() : "", message.c_str());
    end(kFailureStatus);
}

void ScriptRunner::end(int status) {
    if (ended_) return;
    ended_ = true;
    if (beforeEnd_) beforeEnd_();
    std::fflush(stdout);
    std::fflush(stderr);
    ending_(status);
}

}  // namespace trelvanix::ui
