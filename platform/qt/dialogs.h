#pragma once
// The toolkit's modal pop-ups as Qt dialogs, shown over the active window.

#include <QStringList>
#include <string>

#include "platform/ui/front_end.h"

namespace trelvanix::qt {

void showMessage(const std::string& title, const std::string& message);
bool askYesNo(const std::string& title, const std::string& message);
// VAL_NO_FILE_SELECTED, VAL_EXISTING_FILE_SELECTED or VAL_NEW_FILE_SELECTED.
int chooseFile(const ui::FileRequest& request, std::string* path);
// VAL_NO_DIRECTORY_SELECTED or VAL_DIRECTORY_SELECTED.
int chooseDirectory(const ui::DirectoryRequest& request, std::string* path);

// The name filters a file dialog offers for a default spec ("*.par") and a filter list
// ("*.*"): the default spec first. "*.*" means every file, with or without an extension.
QStringList nameFiltersFor(const std::string& defaultSpec, const std::string& fileTypeList);

}  // namespace trelvanix::qt
