#pragma once
// A script that stands in for the operator: it supplies operator actions at their times and
// answers pop-ups. The toolkit consults it, when one runs, before the front end.

#include <string>

#include "platform/ui/front_end.h"

namespace trelvanix::ui {

class ScriptedInput {
  public:
    virtual ~ScriptedInput() = default;
    // Program-clock time of the next scripted action; +infinity when none is scheduled.
    virtual double nextActionTime() const = 0;
    // Carries out the actions that are due; called only while no event is pending, so the
    // events of one action are dispatched before the next action runs.
    virtual void runDueActions() = 0;
    // Every message pop-up passes here (after it was printed); a script checks its expectations.
    virtual void messagePopup(const std::string& title, const std::string& message) = 0;
    // Answers from the script; an unanswered confirm, file or directory pop-up ends the run
    // with a failure, so these return only with an answer.
    virtual bool confirmPopup(const std::string& title, const std::string& message) = 0;
    virtual int fileSelectPopup(const FileRequest& request, std::string* path) = 0;
    virtual int directorySelectPopup(const DirectoryRequest& request, std::string* path) = 0;
};

}  // namespace trelvanix::ui
