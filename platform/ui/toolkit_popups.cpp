// Modal pop-ups and printing. A running script answers first, then an answer a remote client
// gave; otherwise the front end asks the operator, or, without a window, a remote client. Every
// message pop-up is also logged on standard output, so runs can be checked.

#include <cstdio>
#include <cstring>

#include "platform/ui/front_end.h"
#include "platform/ui/popup_listener.h"
#include "platform/ui/remote_control.h"
#include "platform/ui/scripted_input.h"
#include "platform/ui/toolkit_internal.h"

using namespace trelvanix::ui;
using namespace trelvanix::ui::detail;

namespace {

std::string escaped(const char* text) {
    std::string out;
    for (const char* c = text ? text : ""; *c; ++c) {
        switch (*c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += *c;
        }
    }
    return out;
}

std::string text(const char* s) {
    return s ? s : "";
}

PopupListener& popupListener() {
    static PopupListener listener;
    return listener;
}

using Kind = trelvanix::ui::ScriptCommand::Kind;

// A remote client's answer of that kind for the pop-up; without a window to ask the operator
// in, the pop-up waits for one.
RemoteControl* remoteAnswers(Kind kind, const std::string& title) {
    Model& m = model();
    RemoteControl* remote = m.remote();
    const bool windowAsks = m.frontEnd() && m.frontEnd()->receivesOperatorInput();
    return remote && remote->awaitAnswer(kind, title, !windowAsks) ? remote : nullptr;
}

void tellShown(const char* kind, const std::string& title, const std::string& text) {
    if (popupListener()) popupListener()(PopupShown{kind, title, text});
}

int copyPath(int status, const std::string& path, char* buffer, std::size_t size) {
    if (status <= 0) return status;
    if (size == 0 || path.size() >= size) {
        ErrorPrintf("The chosen path is longer than %zu characters: %s", size ? size - 1 : 0,
                    path.c_str());
        return 0;  // treated as nothing chosen, never a cut-off path
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return status;
}

}  // namespace

void trelvanix::ui::setPopupListener(PopupListener listener) {
    popupListener() = std::move(listener);
}

int MessagePopup(const char* title, const char* message) {
    std::printf("popup \"%s\" \"%s\"\n", escaped(title).c_str(), escaped(message).c_str());
    std::fflush(stdout);
    tellShown("message", text(title), text(message));
    Model& m = model();
    if (m.script())
        m.script()->messagePopup(text(title), text(message));
    else if (m.frontEnd())
        m.frontEnd()->messagePopup(text(title), text(message));
    return 0;
}

int ConfirmPopup(const char* title, const char* message) {
    tellShown("confirm", text(title), text(message));
    Model& m = model();
    if (m.script()) return m.script()->confirmPopup(text(title), text(message)) ? 1 : 0;
    if (RemoteControl* remote = remoteAnswers(Kind::AnswerConfirm, text(title)))
        return remote->answers().takeConfirm() ? 1 : 0;
    if (m.frontEnd()) return m.frontEnd()->confirmPopup(text(title), text(message)) ? 1 : 0;
    return UIE_PopupUnanswered;
}

int FileSelectPopup(const char* defaultDirectory, const char* defaultFileSpec,
                    const char* fileTypeList, const char* title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, std::string* pathName) {
    FileRequest request{text(defaultDirectory),
                        text(defaultFileSpec),
                        text(fileTypeList),
                        text(title),
                        buttonLabel,
                        restrictDirectory != 0,
                        restrictExtension != 0,
                        allowCancel != 0,
                        allowMakeDirectory != 0};
    tellShown("file", request.title, request.defaultFileSpec);
    std::string path;
    Model& m = model();
    int status = UIE_PopupUnanswered;
    if (m.script())
        status = m.script()->fileSelectPopup(request, &path);
    else if (RemoteControl* remote = remoteAnswers(Kind::AnswerFile, request.title))
        status = remote->answers().takeFile(&path);
    else if (m.frontEnd())
        status = m.frontEnd()->fileSelectPopup(request, &path);
    if (status > 0 && pathName) *pathName = path;
    return status;
}

int FileSelectPopupText(const char* defaultDirectory, const char* defaultFileSpec,
                        const char* fileTypeList, const char* title, int buttonLabel,
                        int restrictDirectory, int restrictExtension, int allowCancel,
                        int allowMakeDirectory, char* pathName, std::size_t size) {
    std::string path;
    const int status = FileSelectPopup(defaultDirectory, defaultFileSpec, fileTypeList, title,
                                       buttonLabel, restrictDirectory, restrictExtension,
                                       allowCancel, allowMakeDirectory, &path);
    return copyPath(status, path, pathName, size);
}

int DirSelectPopup(const char* defaultDirectory, const char* title, int allowCancel,
                   int allowMakeDirectory, std::string* pathName) {
    DirectoryRequest request{text(defaultDirectory), text(title), allowCancel != 0,
                             allowMakeDirectory != 0};
    tellShown("dir", request.title, request.defaultDirectory);
    std::string path;
    Model& m = model();
    int status = UIE_PopupUnanswered;
    if (m.script())
        status = m.script()->directorySelectPopup(request, &path);
    else if (RemoteControl* remote = remoteAnswers(Kind::AnswerDir, request.title))
        status = remote->answers().takeDirectory(&path);
    else if (m.frontEnd())
        status = m.frontEnd()->directorySelectPopup(request, &path);
    if (status > 0 && pathName) *pathName = path;
    return status;
}

int DirSelectPopupText(const char* defaultDirectory, const char* title, int allowCancel,
                       int allowMakeDirectory, char* pathName, std::size_t size) {
    std::string path;
    const int status =
        DirSelectPopup(defaultDirectory, title, allowCancel, allowMakeDirectory, &path);
    return copyPath(status, path, pathName, size);
}

int PrintPanel(int panel, const char* fileName, int scaleToPage, int area, int includeFrame) {
    Model& m = model();
    if (!m.panel(panel)) return UIE_BadPanelHandle;
    if (!m.frontEnd()) return UIE_PrintFailed;
    std::string where;
    const int status = m.frontEnd()->printPanel(panel, &where);
    if (status < 0) return status;
    if (!where.empty()) {
        const std::string message = "No printer is available. The panel was printed to\n" + where;
        MessagePopup("Print", message.c_str());
    }
    return UIE_NoError;
}

int SetPrintAttributeEx(int attribute, int value) {
    // Printing always fits the panel to the page in its own orientation; nothing to store.
    return attribute == ATTR_PRINT_ORIENTATION || attribute == ATTR_PRINT_SCALE_MODE
               ? UIE_NoError
               : UIE_BadAttribute;
}
