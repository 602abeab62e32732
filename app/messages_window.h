#pragma once
// The messages window: the error output (driver errors, data-loss warnings) and the notices
// (what the program did or did not do at the operator's request) shown to the operator, each
// with the time of day. Errors bring the window forward; notices are only kept in it. It is
// reached from the Help menu at any time and keeps the text, for reading and copying, until
// the operator clears it.

#include <string>

namespace trelvanix {

// Appends the text (lines ending in newlines) and shows the window, loading it when needed.
void ShowMessages(const std::string& text);
// Appends the text without bringing the window forward.
void KeepMessage(const std::string& text);
// The window's handle, or -1 while it was never loaded.
int MessagesPanel();
// Forgets the window (the program is being reset; its panels go with the model).
void ResetMessagesWindow();

}  // namespace trelvanix
