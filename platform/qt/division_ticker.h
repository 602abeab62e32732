#pragma once
// Axis ticks at fixed divisions of the axis span, labelled as value * gain + offset: the
// sweep graph keeps its plotting range and shows its labels in the channel's unit.

#include <qcustomplot.h>

namespace trelvanix::qt {

class DivisionTicker final : public QCPAxisTicker {
  public:
    void setDivisions(int divisions) { divisions_ = std::max(1, divisions); }
    void setLabelScale(double gain, double offset) {
        gain_ = gain;
        offset_ = offset;
    }

    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                  QVector<double>& ticks, QVector<double>* subTicks,
                  QVector<QString>* tickLabels) override;

    // The fewest decimals (up to 6) that show the labels of a span cut into steps exactly.
    static int decimalsFor(double first, double step);

  private:
    int divisions_ = 10;
    double gain_ = 1.0;
    double offset_ = 0.0;
};

}  // namespace trelvanix::qt
