// Lamps: a round light in its on- or off-colour; a blinking lamp that is on flashes.

#include <QPainter>
#include <QRadialGradient>
#include <QTimer>
#include <QWidget>

#include "platform/qt/colours.h"
#include "platform/qt/control_view.h"

namespace trelvanix::qt {

namespace {

constexpr int kBlinkMilliseconds = 400;

class LampWidget final : public QWidget {
  public:
    explicit LampWidget(QWidget* parent) : QWidget(parent) {
        blinkTimer_.setInterval(kBlinkMilliseconds);
        QObject::connect(&blinkTimer_, &QTimer::timeout, this, [this] {
            flashDark_ = !flashDark_;
            update();
        });
    }

    void setState(bool on, bool blink, QColor onColour, QColor offColour) {
        on_ = on;
        onColour_ = onColour;
        offColour_ = offColour;
        // The timer runs only while there is something to flash: an idle lamp costs nothing.
        if (on && blink) {
            if (!blinkTimer_.isActive()) blinkTimer_.start();
        } else {
            blinkTimer_.stop();
            flashDark_ = false;
        }
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const int side = std::min(width(), height()) - 2;
        const QRectF disc((width() - side) / 2.0, (height() - side) / 2.0, side, side);
        const bool lit = on_ && !flashDark_;
        QColor face = lit ? onColour_ : offColour_;
        if (!lit) face = face.darker(130);
        QRadialGradient shine(disc.center() - QPointF(side / 5.0, side / 5.0), side / 1.6);
        shine.setColorAt(0.0, face.lighter(lit ? 170 : 125));
        shine.setColorAt(1.0, face);
        p.setPen(QPen(QColor(60, 64, 70), 1.2));
        p.setBrush(shine);
        p.drawEllipse(disc);
    }

  private:
    QTimer blinkTimer_;
    bool on_ = false;
    bool flashDark_ = false;
    QColor onColour_, offColour_;
};

class LampView final : public ControlView {
  public:
    LampView(const PanelContext& context, const ui::Control& control, QWidget* canvas)
        : ControlView(context, control, new LampWidget(canvas), LabelPlace::Right) {}

  private:
    void syncValue(const ui::Control& c) override {
        static_cast<LampWidget*>(body())->setState(ui::numberOf(c.value) != 0.0, c.blink,
                                                   toQColor(c.onColor), toQColor(c.offColor));
    }
};

}  // namespace

std::unique_ptr<ControlView> makeLampView(const PanelContext& context, const ui::Control& control,
                                          QWidget* canvas) {
    return std::make_unique<LampView>(context, control, canvas);
}

}  // namespace trelvanix::qt
