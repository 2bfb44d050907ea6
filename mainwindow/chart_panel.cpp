#include "mainwindow/chart_panel.h"

#include "dialogs/axis_settings_dialog.h"
#include "widgets/placed_controls.h"
#include "widgets/response_chart.h"
#include "widgets/ui_support.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>

#include <algorithm>

namespace kolmarin {

namespace {

// The curve switches under the chart, one per curve of the calculation.
struct CurveSwitchPlace {
    CurveRole role;
    const char* caption;
    const char* name;
    int left;
    int width;
};
constexpr CurveSwitchPlace kSwitches[]{
    {CurveRole::ofSource(0), "SP1", "sp1CurveBox", 224, 49},
    {CurveRole::ofSource(1), "SP2", "sp2CurveBox", 288, 41},
    {CurveRole::total(), "Total", "totalCurveBox", 344, 65},
};

QVector<double> frequenciesOf(ElementRange range) {
    QVector<double> frequencies;
    for (int j = range.first; j <= range.last; ++j)
        frequencies.append(j / 2.0);
    return frequencies;
}

QVector<double> levelsOf(const Curve& curve, ElementRange range) {
    QVector<double> levels;
    for (int j = range.first; j <= range.last; ++j)
        levels.append(curve[static_cast<std::size_t>(j)]);
    return levels;
}

} // namespace

ChartPanel::ChartPanel(SceneDocument& document, QWidget& client, QWidget& window)
    : QObject(&client), document_(document) {
    chart_ = new ResponseChart(&client);
    chart_->setObjectName(QStringLiteral("responseChart"));
    chart_->setGeometry(8, 32, 553, 417);
    createSwitches(client, window);
    connect(&document_, &SceneDocument::calculated, this, &ChartPanel::showResult);
    // The title names the file the curves were calculated for, also after a save under a
    // new name.
    connect(&document_, &SceneDocument::changed, this, [this](SceneDocument::Changes what) {
        if (what.testFlag(SceneDocument::Caption) && !document_.result().calculatedAt.isEmpty()) {
            writeTitle();
            chart_->replot();
        }
    });
}

// Made after the controls the chart lies under, so they lie over it.
void ChartPanel::createSwitches(QWidget& client, QWidget& window) {
    switchPanel_ = placeBevel(&client, QFrame::Panel, QRect(144, 456, 273, 33));
    switchPanel_->setObjectName(QStringLiteral("curvePanel"));
    switchTitle_ = placeLabel(&client, QStringLiteral("グラフ表示"), 152, 464);
    switchTitle_->setObjectName(QStringLiteral("curveTitle"));
    for (const CurveSwitchPlace& place : kSwitches) {
        auto* box = new QCheckBox(QString::fromLatin1(place.caption), &client);
        box->setObjectName(QString::fromLatin1(place.name));
        box->setChecked(true);
        box->setFocusPolicy(Qt::ClickFocus);
        box->setGeometry(place.left, 464, place.width, 17);
        switches_.emplace_back(place.role, box);
        connect(box, &QCheckBox::toggled, this, commandSlot(&window, [this, role = place.role, box] {
                    toggleCurve(role, box->isChecked());
                }));
    }
}

// A failed calculation leaves the chart empty but for its title.
void ChartPanel::showResult() {
    const SceneResult& result = document_.result();
    if (!result.calculated()) {
        for (const auto& [role, box] : switches_)
            chart_->clearCurve(role);
        chart_->clearCandidate();
        chart_->showSeatCurves({}, {}, false);
        writeTitle();
        chart_->replot();
        return;
    }
    // The level range typed in the graph axis dialog, unless that axis follows the data.
    if (axes_)
        if (const std::optional<LevelRange> range = axes_->fixedLevelRange())
            chart_->setAxisRange(ChartAxis::Level, range->min, range->max);
    // Only the curves whose switch is ticked are drawn; the others stay empty.
    for (const auto& [role, box] : switches_) {
        chart_->clearCurve(role);
        if (box->isChecked())
            addStoredPoints(role, result.scene.startFrequency, result.scene.endFrequency);
    }
    showOtherSeats();
    chart_->followData();
    writeTitle();
    chart_->replot();
}

void ChartPanel::showOtherSeats() {
    const SceneResult& result = document_.result();
    std::vector<QVector<double>> others;
    for (const Curve& total : result.otherSeatTotals)
        others.push_back(levelsOf(total, result.computed));
    chart_->showSeatCurves(others.empty() ? QVector<double>{} : frequenciesOf(result.computed), others,
                           otherSeatsAsBand_);
}

// The window's title names the file; the chart's title carries it with the time of the
// calculation, so a chart saved or printed after a save under a new name says which file it
// shows. Curves of the continuous delay model say so, wherever the chart goes.
void ChartPanel::writeTitle() {
    const SceneResult& result = document_.result();
    const bool continuous = result.scene.delays == DelayModel::Continuous;
    chart_->setTitleText(document_.caption() + QStringLiteral("      ") + result.calculatedAt +
                         (continuous ? QStringLiteral("      遅延: 連続") : QString()));
}

void ChartPanel::toggleCurve(CurveRole role, bool shown) {
    const FrequencyRange range = readFrequencyRange(document_.texts());
    if (shown)
        addStoredPoints(role, range.start, range.end);
    else
        chart_->clearCurve(role);
    chart_->followData();
    chart_->replot();
}

void ChartPanel::addStoredPoints(CurveRole role, std::int32_t start, std::int32_t end) {
    const SceneResult& result = document_.result();
    const Curve& levels = role.kind == CurveRole::Kind::Source
                              ? result.curves.sources.at(static_cast<std::size_t>(role.source))
                              : result.curves.total;
    // Element j holds the level of j/2 Hz. Only levels the last calculation computed are
    // shown: a range typed but not yet applied may reach beyond them, and older elements
    // belong to another scene (or are the zeros of start-up).
    const ElementRange requested = storedElements(start, end);
    const ElementRange shown{std::max(requested.first, result.computed.first),
                             std::min(requested.last, result.computed.last)};
    chart_->addPoints(role, frequenciesOf(shown), levelsOf(levels, shown));
}

void ChartPanel::showCandidate(const Curve& total, ElementRange range) {
    chart_->showCandidate(frequenciesOf(range), levelsOf(total, range));
}

void ChartPanel::showSeatCandidates(const std::vector<Curve>& totals, ElementRange range) {
    std::vector<QVector<double>> others;
    for (std::size_t s = 1; s < totals.size(); ++s)
        others.push_back(levelsOf(totals[s], range));
    chart_->showSeatCurves(frequenciesOf(range), others, otherSeatsAsBand_);
    showCandidate(totals.at(0), range);
}

void ChartPanel::clearCandidate() {
    chart_->clearCandidate();
}

} // namespace kolmarin
