#pragma once
// The messages window: the error output (driver errors, data-loss warnings) shown to the
// operator. It opens whenever new text comes and keeps the text, for reading and copying,
// until the operator clears it.

#include <string>

namespace trelvanix {

// Appends the text (lines ending in newlines) and shows the window, loading it when needed.
void ShowMessages(const std::string& text);
// The window's handle, or -1 while it was never loaded.
int MessagesPanel();
// Forgets the window (the program is being reset; its panels go with the model).
void ResetMessagesWindow();

}  // namespace trelvanix
