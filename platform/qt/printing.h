#pragma once
// Pictures of a panel: printed to the default printer, or to a PDF file in the current
// directory where the machine has no printer; and PNG screenshots.

#include <ctime>
#include <string>

class QWidget;

namespace trelvanix::qt {

// Returns 0 or a negative toolkit status; `where` is the PDF's path when no printer exists.
int printWidget(QWidget* widget, std::string* where);
// "trelvanix_print_YYYYMMDD_HHMMSS.pdf" in `directory`, with "_2", "_3"... before the
// extension when that name is taken, so an earlier print is never overwritten.
std::string printFileName(const std::string& directory, const std::tm& when);
// Returns 0 or a negative toolkit status with `error` set.
int saveScreenshot(QWidget* widget, const std::string& path, std::string* error);

}  // namespace trelvanix::qt
