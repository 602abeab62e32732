#include "platform/qt/dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "platform/ui/toolkit.h"

namespace trelvanix::qt {

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

bool isPattern(const QString& fileSpec) {
    return fileSpec.contains('*') || fileSpec.contains('?');
}

QString filterFor(const QString& pattern) {
    return pattern == "*.*" || pattern == "*" ? QStringLiteral("All files (*)")
                                              : QStringLiteral("%1 (%1)").arg(pattern);
}

// Our own dialog on every platform, so "no new folder" and restricted directories hold.
void setCommonOptions(QFileDialog& dialog, bool allowMakeDirectory) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ReadOnly, !allowMakeDirectory);
}

}  // namespace

void showMessage(const std::string& title, const std::string& message) {
    QMessageBox box(QMessageBox::Information, q(title), q(message), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

bool askYesNo(const std::string& title, const std::string& message) {
    QMessageBox box(QMessageBox::Question, q(title), q(message), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QStringList nameFiltersFor(const std::string& defaultSpec, const std::string& fileTypeList) {
    QStringList filters;
    const QString fileSpec = q(defaultSpec).trimmed();
    if (isPattern(fileSpec)) {
        filters << filterFor(fileSpec);
    } else if (!QFileInfo(fileSpec).suffix().isEmpty()) {
        filters << filterFor("*." + QFileInfo(fileSpec).suffix());  // a default file name
    }
    for (const QString& pattern : q(fileTypeList).split(';', Qt::SkipEmptyParts)) {
        const QString filter = filterFor(pattern.trimmed());
        if (!filters.contains(filter)) filters << filter;
    }
    if (filters.isEmpty()) filters << filterFor("*");
    return filters;
}

int chooseFile(const ui::FileRequest& request, std::string* path) {
    const bool save = request.buttonLabel == VAL_SAVE_BUTTON;
    const QString directory = q(request.defaultDirectory);
    QFileDialog dialog(QApplication::activeWindow(), q(request.title), directory);
    setCommonOptions(dialog, request.allowMakeDirectory);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFiltersFor(request.defaultFileSpec, request.fileTypeList));
    const QString fileSpec = q(request.defaultFileSpec).trimmed();
    if (!fileSpec.isEmpty() && !isPattern(fileSpec)) dialog.selectFile(fileSpec);
    if (request.buttonLabel == VAL_SELECT_BUTTON)
        dialog.setLabelText(QFileDialog::Accept, "Select");
    if (request.buttonLabel == VAL_OK_BUTTON) dialog.setLabelText(QFileDialog::Accept, "OK");
    if (request.restrictExtension) dialog.setDefaultSuffix(QFileInfo(fileSpec).suffix());
    if (request.restrictDirectory && !directory.isEmpty()) {
        QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog,
                         [&dialog, directory](const QString& entered) {
                             if (QFileInfo(entered) != QFileInfo(directory))
                                 dialog.setDirectory(directory);
                         });
    }
    // Without a cancel the operator is asked until a file is chosen.
    for (;;) {
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            const QString chosen = dialog.selectedFiles().first();
            *path = QDir::toNativeSeparators(chosen).toStdString();
            return QFileInfo::exists(chosen) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
        }
        if (request.allowCancel) return VAL_NO_FILE_SELECTED;
    }
}

int chooseDirectory(const ui::DirectoryRequest& request, std::string* path) {
    QFileDialog dialog(QApplication::activeWindow(), q(request.title), q(request.defaultDirectory));
    setCommonOptions(dialog, request.allowMakeDirectory);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    for (;;) {
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            *path = QDir::toNativeSeparators(dialog.selectedFiles().first()).toStdString();
            return VAL_DIRECTORY_SELECTED;
        }
        if (request.allowCancel) return VAL_NO_DIRECTORY_SELECTED;
    }
}

}  // namespace trelvanix::qt
