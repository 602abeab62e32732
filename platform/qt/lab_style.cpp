#include "platform/qt/lab_style.h"

#include <QApplication>
#include <QFont>
#include <QIconEngine>
#include <QPalette>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <optional>

namespace trelvanix::qt {

namespace {

const char* const kStyleSheet = R"(
QLabel#controlLabel { font-weight: 600; }
QLabel#groupTitle {
    font-weight: 700; background: #d4d9df; padding: 0px 4px; border-radius: 3px;
}
QFrame[decoration="true"] {
    background: #e3e7ec; border: 1px solid #9ea8b4; border-radius: 5px;
}
QPushButton {
    font-weight: 600; padding: 2px 8px; border: 1px solid #7d8794; border-radius: 4px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfcfd, stop:1 #d5dae0);
}
QPushButton:hover { border-color: #3d6fa8; }
QPushButton:pressed {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #c5ccd4, stop:1 #e4e8ec);
}
QPushButton:disabled { color: #98a0a8; border-color: #b4bcc5; background: #e2e5e9; }
QCheckBox[switch="true"]::indicator {
    width: 26px; height: 12px; border-radius: 6px; border: 1px solid #6f7985;
    background: #b8bfc7;
}
QCheckBox[switch="true"]::indicator:checked { background: #3d8f4f; border-color: #2c6a3a; }
QDoubleSpinBox, QLineEdit, QPlainTextEdit, QListWidget, QComboBox { selection-background-color: #3d6fa8; }
QDoubleSpinBox[readOnly="true"] { background: #eef0f2; }
)";

// A style's standard icon, asked of the style only when it is first drawn or measured. A
// menu bar makes its extension button's icon at once, and loading it starts Qt's image-format
// plugins: a millisecond and a half of start-up for a button shown only when the menus do not fit.
class DeferredStandardIcon final : public QIconEngine {
  public:
    DeferredStandardIcon(QStyle* style, QStyle::StandardPixmap which)
        : style_(style), which_(which) {}

    QIconEngine* clone() const override { return new DeferredStandardIcon(style_, which_); }
    QString key() const override { return QStringLiteral("DeferredStandardIcon"); }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return icon().availableSizes(mode, state);
    }
    bool isNull() override { return icon().isNull(); }

  private:
    const QIcon& icon() {
        if (!icon_) icon_ = style_ ? style_->standardIcon(which_) : QIcon();
        return *icon_;
    }

    QPointer<QStyle> style_;
    QStyle::StandardPixmap which_;
    std::optional<QIcon> icon_;
};

// Fusion, with the menu bar's extension icons deferred.
class LabStyle final : public QProxyStyle {
  public:
    explicit LabStyle(QStyle* fusion) : QProxyStyle(fusion) {}

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (which == SP_ToolBarHorizontalExtensionButton ||
            which == SP_ToolBarVerticalExtensionButton)
            return QIcon(new DeferredStandardIcon(baseStyle(), which));
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

}  // namespace

void applyLabLook(QApplication& app) {
    app.setStyle(new LabStyle(QStyleFactory::create("Fusion")));
    QFont font("DejaVu Sans", 9);
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0xd4, 0xd9, 0xdf));
    palette.setColor(QPalette::WindowText, QColor(0x1d, 0x23, 0x2b));
    palette.setColor(QPalette::Base, QColor(0xfb, 0xfc, 0xfd));
    palette.setColor(QPalette::AlternateBase, QColor(0xec, 0xef, 0xf2));
    palette.setColor(QPalette::Button, QColor(0xe4, 0xe8, 0xec));
    palette.setColor(QPalette::ButtonText, QColor(0x1d, 0x23, 0x2b));
    palette.setColor(QPalette::Highlight, QColor(0x3d, 0x6f, 0xa8));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::Text, dimmedText());
    palette.setColor(QPalette::Disabled, QPalette::WindowText, dimmedText());
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, dimmedText());
    palette.setColor(QPalette::Disabled, QPalette::Base, dimmedField());
    app.setPalette(palette);
    app.setStyleSheet(kStyleSheet);
}

}  // namespace trelvanix::qt
