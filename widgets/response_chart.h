#pragma once
// The response chart: the levels at the listener over a logarithmic
// frequency axis, with a title row carrying the time of the calculation, a foot row the
// graph print fills, and a legend. Each axis either follows the data or keeps a fixed range.

#include "widgets/chart_axes.h"
#include "widgets/curve_role.h"

#include <qcustomplot.h>

#include <array>
#include <vector>

namespace kolmarin {

class ResponseChart : public QCustomPlot, public ChartAxes {
    Q_OBJECT
  public:
    // The loudspeakers' curves, "SP1" black and "SP2" red, and "Total" blue, each 2 pixels
    // wide, in the legend; the candidate and the reference stay empty and out of it.
    explicit ResponseChart(QWidget* parent = nullptr);

    void setAxisRange(ChartAxis axis, double min, double max) override;
    void setAxisAutomatic(ChartAxis axis) override;
    bool isAxisAutomatic(ChartAxis axis) const;

    QCPAxis* frequencyAxis() const { return xAxis; }
    QCPAxis* levelAxis() const { return yAxis; }

    int sourceCount() const { return static_cast<int>(sources_.size()); }
    // Adds points (frequency in Hz, level in dB) to a curve; it keeps them ordered by
    // frequency. Nothing is redrawn until replot.
    void addPoints(CurveRole role, const QVector<double>& frequencies, const QVector<double>& levels);
    void clearCurve(CurveRole role);
    // What a curve shows: its points, its pen, and its name in the legend (empty while it
    // is not listed there).
    QVector<double> frequencies(CurveRole role) const;
    QVector<double> levels(CurveRole role) const;
    QPen pen(CurveRole role) const;
    QString legendName(CurveRole role) const;
    // The whole name of a legend entry shown shortened at `position` (widget pixels), or
    // empty; it is the entry's tooltip.
    QString legendTip(QPoint position) const;

    // A placement being looked at: a dashed curve "候補", empty and out of the legend
    // unless a candidate is shown, so without one the chart draws as it always did.
    void showCandidate(const QVector<double>& frequencies, const QVector<double>& levels);
    void clearCandidate();
    // A curve to compare against (a kept Total, a measurement): purple dash-dot, in the
    // legend under its name while it is shown, kept through every calculation until cleared.
    void showReference(const QString& name, const QVector<double>& frequencies,
                       const QVector<double>& levels);
    void clearReference();
    bool hasReference() const { return !reference_->data()->isEmpty(); }

    // The other seats' Totals: thin light-blue lines, or with `asBand` the band between
    // their least and greatest level at each frequency. Drawn under the loudspeakers' curves
    // and out of the legend; none at all (as without extra seats) leaves the chart as it was.
    void showSeatCurves(const QVector<double>& frequencies, const std::vector<QVector<double>>& levels,
                        bool asBand);
    int seatCurveCount() const { return static_cast<int>(seatCurves_.size()); }
    // One other seat's Total drawn bold over the rest (its index among the levels last
    // shown), or none with -1; it goes when the seat curves are shown anew.
    void highlightSeat(int index);
    bool hasSeatHighlight() const { return seatHighlight_ != nullptr; }

    void setTitleText(const QString& text);
    QString titleText() const;
    void setFootText(const QString& text);
    QString footText() const;

    // After the curves were refilled: axes that follow the data take its range again.
    void followData();

  protected:
    bool event(QEvent* event) override;

  private:
    // Curves are reached by their role only; the plot's own access to its graphs by number
    // is closed to the chart's users.
    using QCustomPlot::addGraph;
    using QCustomPlot::clearGraphs;
    using QCustomPlot::graph;
    using QCustomPlot::graphCount;
    using QCustomPlot::plottable;
    using QCustomPlot::plottableCount;
    using QCustomPlot::removeGraph;

    QCPGraph* curve(CurveRole role) const;
    QCPAxis* axisOf(ChartAxis axis) const;
    QCPGraph* addCurve(const QString& name, const QColor& colour);
    void showExtra(QCPGraph* curve, const QVector<double>& frequencies, const QVector<double>& levels);
    void clearExtra(QCPGraph* curve);

    std::vector<QCPGraph*> sources_;
    QCPGraph* total_ = nullptr;
    QCPGraph* candidate_ = nullptr;
    std::vector<QCPGraph*> seatCurves_; // made only while there are other seats
    QVector<double> seatFrequencies_;
    std::vector<QVector<double>> seatLevels_;
    QCPGraph* seatHighlight_ = nullptr;
    QCPGraph* reference_ = nullptr;
    QCPTextElement* title_ = nullptr;
    QCPTextElement* foot_ = nullptr;
    std::array<bool, 2> automatic_{true, false}; // frequency, level
};

} // namespace kolmarin
