#pragma once
// Ticks of the logarithmic frequency axis: one tick and grid line per label of the main
// window's label tables, with the number drawn only on the numbered ones, and only where
// it does not run into the number before it at the axis's present length.

#include <qcustomplot.h>

namespace kolmarin {

struct NumberFormat;

class FrequencyTicker : public QCPAxisTicker {
  public:
    // `axis` gives the length and the label font the numbers are spaced for; without one
    // every numbered label keeps its number.
    explicit FrequencyTicker(const QCPAxis* axis = nullptr) : axis_(axis) {}

    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                  QVector<double>& ticks, QVector<double>* subTicks, QVector<QString>* tickLabels) override;

  private:
    const QCPAxis* axis_;
};

// The axis number format's separators in `locale`.
NumberFormat numberFormatOf(const QLocale& locale);

} // namespace kolmarin
