#pragma once
// The response chart: the three levels at the listener over a logarithmic
// frequency axis, with a title row carrying the time of the calculation, a foot row the
// graph print fills, and a legend. Each axis either follows the data or keeps a fixed range.

#include "widgets/chart_axes.h"

#include <qcustomplot.h>

#include <array>

namespace kolmarin {

class ResponseChart : public QCustomPlot, public ChartAxes {
    Q_OBJECT
  public:
    explicit ResponseChart(QWidget* parent = nullptr);

    void setAxisRange(ChartAxis axis, double min, double max) override;
    void setAxisAutomatic(ChartAxis axis) override;
    bool isAxisAutomatic(ChartAxis axis) const;

    QCPAxis* frequencyAxis() const { return xAxis; }
    QCPAxis* levelAxis() const { return yAxis; }

    // sp1Curve "SP1" black, sp2Curve "SP2" red, totalCurve "Total" blue, each 2 pixels wide.
    QCPGraph* sp1Curve = nullptr;
    QCPGraph* sp2Curve = nullptr;
    QCPGraph* totalCurve = nullptr;
    // A placement being looked at: a dashed curve "候補", empty and out of the legend
    // unless a candidate is shown, so without one the chart draws as it always did.
    QCPGraph* candidateCurve = nullptr;
    void showCandidate(const QVector<double>& frequencies, const QVector<double>& levels);
    void clearCandidate();
    // A curve to compare against (a kept Total, a measurement): purple dash-dot, in the
    // legend under its name while it is shown, kept through every calculation until cleared.
    QCPGraph* referenceCurve = nullptr;
    void showReference(const QString& name, const QVector<double>& frequencies,
                       const QVector<double>& levels);
    void clearReference();
    bool hasReference() const { return !referenceCurve->data()->isEmpty(); }

    void setTitleText(const QString& text);
    QString titleText() const;
    void setFootText(const QString& text);
    QString footText() const;

    // After the curves were refilled: axes that follow the data take its range again.
    void followData();

  private:
    QCPAxis* axisOf(ChartAxis axis) const;
    QCPGraph* addCurve(const QString& name, const QColor& colour);
    void showExtra(QCPGraph* curve, const QVector<double>& frequencies, const QVector<double>& levels);
    void clearExtra(QCPGraph* curve);

    QCPTextElement* title_ = nullptr;
    QCPTextElement* foot_ = nullptr;
    std::array<bool, 2> automatic_{true, false}; // frequency, level
};

} // namespace kolmarin
