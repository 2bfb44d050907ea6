#include "widgets/frequency_ticker.h"

#include "model/layout/frequency_axis_labels.h"

namespace kolmarin {

NumberFormat numberFormatOf(const QLocale& locale) {
    NumberFormat format;
    format.groupSeparator = locale.groupSeparator().toStdString();
    format.decimalSeparator = locale.decimalPoint().toStdString();
    format.minusSign = locale.negativeSign().toStdString();
    return format;
}

void FrequencyTicker::generate(const QCPRange& range, const QLocale& locale, QChar, int,
                               QVector<double>& ticks, QVector<double>* subTicks,
                               QVector<QString>* tickLabels) {
    const auto labels = frequencyAxisLabels(range.lower, range.upper, numberFormatOf(locale));
    ticks.clear();
    if (subTicks)
        subTicks->clear();
    if (tickLabels)
        tickLabels->clear();
    for (const AxisLabel& label : labels) {
        ticks.append(label.value);
        if (tickLabels)
            tickLabels->append(QString::fromStdString(label.text));
    }
}

} // namespace kolmarin
