#pragma once
// Ticks of the logarithmic frequency axis: one tick and grid line per label of the main
// window's label tables, with the number drawn only on the numbered ones.

#include <qcustomplot.h>

namespace kolmarin {

struct NumberFormat;

class FrequencyTicker : public QCPAxisTicker {
  public:
    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                  QVector<double>& ticks, QVector<double>* subTicks, QVector<QString>* tickLabels) override;
};

// The axis number format's separators in `locale`.
NumberFormat numberFormatOf(const QLocale& locale);

} // namespace kolmarin
