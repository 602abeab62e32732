#pragma once
// Axis ticks at fixed divisions of the axis span, labelled as value * gain + offset: the
// sweep graph keeps its plotting range and shows its labels in the channel's unit. A zoomed
// view asks for round steps instead (1, 2, 2.5 or 5 times a power of ten, about as many as
// the divisions), since its span cut into divisions gives labels no one can read.

#include <qcustomplot.h>

namespace trelvanix::qt {

class DivisionTicker final : public QCPAxisTicker {
  public:
    void setDivisions(int divisions) { divisions_ = std::max(1, divisions); }
    void setRoundSteps(bool round) { roundSteps_ = round; }
    void setLabelScale(double gain, double offset) {
        gain_ = gain;
        offset_ = offset;
    }

    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                  QVector<double>& ticks, QVector<double>* subTicks,
                  QVector<QString>* tickLabels) override;

    // The fewest decimals (up to 6) that show the labels of a span cut into steps exactly.
    static int decimalsFor(double first, double step);
    // The round step nearest above `rough`.
    static double roundStep(double rough);

  private:
    void generateRound(const QCPRange& range, const QLocale& locale, QVector<double>& ticks,
                       QVector<QString>* tickLabels) const;

    int divisions_ = 10;
    bool roundSteps_ = false;
    double gain_ = 1.0;
    double offset_ = 0.0;
};

}  // namespace trelvanix::qt
