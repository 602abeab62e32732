#include "platform/qt/printing.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QPrinterInfo>
#include <QWidget>

#include "platform/clock/clock.h"
#include "platform/ui/toolkit.h"

namespace trelvanix::qt {

std::string printFileName(const std::string& directory, const std::tm& when) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d_%H%M%S", &when);
    const QDir dir(QString::fromStdString(directory));
    QString name = QStringLiteral("trelvanix_print_%1.pdf").arg(stamp);
    for (int n = 2; dir.exists(name); ++n)
        name = QStringLiteral("trelvanix_print_%1_%2.pdf").arg(stamp).arg(n);
    return dir.absoluteFilePath(name).toStdString();
}

int printWidget(QWidget* widget, std::string* where) {
    QPrinter printer(QPrinter::HighResolution);
    const QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
    std::string pdf;
    if (printerInfo.isNull()) {
        pdf = printFileName(QDir::currentPath().toStdString(), localCalendar());
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
    } else {
        printer.setPrinterName(printerInfo.printerName());
    }
    printer.setDocName(widget->windowTitle());
    printer.setPageOrientation(widget->width() > widget->height() ? QPageLayout::Landscape
                                                                  : QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer)) return UIE_PrintFailed;
    // The whole panel, as large as fits the page.
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / widget->width(), page.height() / widget->height());
    painter.scale(scale, scale);
    widget->render(&painter);
    if (!painter.end()) return UIE_PrintFailed;
    if (!pdf.empty()) {
        if (!QFileInfo::exists(QString::fromStdString(pdf))) return UIE_PrintFailed;
        *where = pdf;
    }
    return UIE_NoError;
}

int saveScreenshot(QWidget* widget, const std::string& path, std::string* error) {
    const QPixmap picture = widget->grab();
    if (picture.isNull()) {
        *error = "the panel has no picture to save";
        return UIE_PrintFailed;
    }
    if (!picture.save(QString::fromStdString(path), "PNG")) {
        *error = "cannot write " + path;
        return UIE_PrintFailed;
    }
    return UIE_NoError;
}

}  // namespace trelvanix::qt
