#pragma once
// The response chart with its curve switches under it, as a view of the document's last
// result: each calculation draws the ticked curves, the other seats' Totals and the title
// (the file's name, the time of the calculation, the delay model). A candidate's curves
// are laid over them on request, until the next calculation.

#include "files/scene_document.h"
#include "model/acoustics/response_curves.h"
#include "widgets/curve_role.h"

#include <QObject>

#include <cstdint>
#include <utility>
#include <vector>

class QCheckBox;
class QFrame;
class QLabel;
class QWidget;

namespace kolmarin {

class AxisSettingsDialog;
class ResponseChart;

class ChartPanel : public QObject {
    Q_OBJECT
  public:
    // Places the chart and its switches on `client`, which owns them; failures of a switch
    // are shown over `window`.
    ChartPanel(SceneDocument& document, QWidget& client, QWidget& window);

    ResponseChart& chart() const { return *chart_; }
    // The graph axis dialog, whose fixed level range each new result takes.
    void setAxisSettings(const AxisSettingsDialog* axes) { axes_ = axes; }
    // The other seats' Totals as one band (lowest to highest) rather than a curve each,
    // from the next drawing on.
    void setOtherSeatsAsBand(bool band) { otherSeatsAsBand_ = band; }

    // A candidate looked at, over the elements of `range`: its Total at seat 1 as the
    // candidate curve; with the seats', the other seats' Totals in place of the calculated
    // ones.
    void showCandidate(const Curve& total, ElementRange range);
    void showSeatCandidates(const std::vector<Curve>& totals, ElementRange range);
    void clearCandidate();

  private:
    void createSwitches(QWidget& client, QWidget& window);
    void showResult();
    void showOtherSeats();
    void writeTitle();
    // A checked switch adds its stored levels for the range typed, an unchecked one empties
    // its curve.
    void toggleCurve(CurveRole role, bool shown);
    void addStoredPoints(CurveRole role, std::int32_t start, std::int32_t end);

    SceneDocument& document_;
    ResponseChart* chart_ = nullptr;
    QFrame* switchPanel_ = nullptr;
    QLabel* switchTitle_ = nullptr;
    std::vector<std::pair<CurveRole, QCheckBox*>> switches_;
    const AxisSettingsDialog* axes_ = nullptr;
    bool otherSeatsAsBand_ = false;
};

} // namespace kolmarin
