#include "widgets/frequency_ticker.h"

#include "model/layout/frequency_axis_labels.h"

#include <QFontMetricsF>

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
    auto labels = frequencyAxisLabels(range.lower, range.upper, numberFormatOf(locale));
    if (axis_ && axis_->axisRect()) {
        // Numbers stand centred on their ticks; a gap of a quarter of the font's height
        // keeps two neighbours from reading as one number ("300400").
        const QFontMetricsF metrics(axis_->tickLabelFont());
        const double length =
            axis_->orientation() == Qt::Horizontal ? axis_->axisRect()->width() : axis_->axisRect()->height();
        dropCrowdedLabels(labels, range.lower, range.upper, length, metrics.height() / 4,
                          [&metrics](const std::string& text) {
                              return metrics.horizontalAdvance(QString::fromStdString(text));
                          });
    }
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
