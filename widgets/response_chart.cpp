#include "widgets/response_chart.h"

#include "widgets/chart_legend_item.h"
#include "widgets/frequency_ticker.h"
#include "widgets/japanese_fonts.h"

#include <QHelpEvent>
#include <QToolTip>

#include <algorithm>
#include <utility>

namespace kolmarin {

namespace {

constexpr double kNarrowestRange = 1e-10;

void styleAxis(QCPAxis* axis, const QFont& font) {
    axis->setTickLabelFont(font);
    axis->setLabelFont(font);
    axis->setTickLabelColor(Qt::black);
    axis->setSubTicks(false);
    axis->grid()->setPen(QPen(QColor(192, 192, 192), 0, Qt::SolidLine));
    axis->grid()->setSubGridVisible(false);
    axis->grid()->setZeroLinePen(Qt::NoPen);
}

} // namespace

ResponseChart::ResponseChart(QWidget* parent) : QCustomPlot(parent) {
    const QFont font = chartFont();
    setLocale(QLocale());
    setBackground(Qt::white);
    axisRect()->setBackground(Qt::white);

    // Frequency: logarithmic, a tick and grid line only where the label tables put one.
    styleAxis(xAxis, font);
    xAxis->setScaleType(QCPAxis::stLogarithmic);
    xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new FrequencyTicker(xAxis)));
    // The ticks are made before the layout sizes the plot; made again once it has, the
    // numbers are spaced for the plot's width on screen, in an image and on paper.
    connect(this, &QCustomPlot::afterLayout, this,
            [this] { axisRect()->update(QCPLayoutElement::upPreparation); });
    xAxis->setRange(20, 500);

    // Level: the plot's own tick spacing; its title "dB" stands upright to the left.
    styleAxis(yAxis, font);
    yAxis->setRange(-40, 30);
    auto* levelTitle = new QCPItemText(this);
    levelTitle->setClipToAxisRect(false);
    levelTitle->setFont(font);
    levelTitle->setText(QStringLiteral("dB"));
    levelTitle->position->setTypeX(QCPItemPosition::ptAbsolute);
    levelTitle->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    levelTitle->position->setCoords(2, 0.5);
    levelTitle->setPositionAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    yAxis->setPadding(QFontMetrics(font).horizontalAdvance(QStringLiteral("dB")) + 6);

    plotLayout()->insertRow(0);
    title_ = new QCPTextElement(this, QString(), font);
    plotLayout()->addElement(0, 0, title_);
    foot_ = new QCPTextElement(this, QString(), font);
    plotLayout()->addElement(2, 0, foot_);

    // The legend stands right of the plot, at its top, where it never hides a curve.
    auto* side = new QCPLayoutGrid;
    plotLayout()->addElement(1, 1, side);
    plotLayout()->setColumnStretchFactor(1, 0.001);
    axisRect()->insetLayout()->take(legend);
    side->addElement(0, 0, legend);
    side->addElement(1, 0, new QCPLayoutElement(this));
    side->setRowStretchFactor(0, 0.001);
    side->setMargins(QMargins(0, 0, 4, 0));
    legend->setVisible(true);
    legend->setFont(font);
    legend->setBrush(Qt::white);
    legend->setBorderPen(QPen(Qt::black, 0));
    legend->setIconSize(20, 10);
    // Curves are listed by the chart itself, each in an entry of one width.
    setAutoAddPlottableToLegend(false);

    // Drawn in this order: each loudspeaker, then the Total over them.
    const std::pair<const char*, QColor> sources[]{{"SP1", Qt::black}, {"SP2", Qt::red}};
    for (const auto& [name, colour] : sources)
        sources_.push_back(addCurve(QString::fromLatin1(name), colour));
    total_ = addCurve(QStringLiteral("Total"), Qt::blue);
    candidate_ = addCurve(QStringLiteral("候補"), QColor(0, 128, 0));
    candidate_->setPen(QPen(QColor(0, 128, 0), 2, Qt::DashLine));
    candidate_->removeFromLegend();
    reference_ = addCurve(QString(), QColor(128, 0, 160));
    reference_->setPen(QPen(QColor(128, 0, 160), 2, Qt::DashDotLine));
    reference_->removeFromLegend();
    setFootText(QString());
}

QCPGraph* ResponseChart::addCurve(const QString& name, const QColor& colour) {
    QCPGraph* graph = addGraph(xAxis, yAxis);
    graph->setName(name);
    graph->setPen(QPen(colour, 2));
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    legend->addItem(new ChartLegendItem(legend, graph));
    return graph;
}

QCPGraph* ResponseChart::curve(CurveRole role) const {
    switch (role.kind) {
    case CurveRole::Kind::Source:
        return sources_.at(static_cast<std::size_t>(role.source));
    case CurveRole::Kind::Total:
        return total_;
    case CurveRole::Kind::Candidate:
        return candidate_;
    case CurveRole::Kind::Reference:
        break;
    }
    return reference_;
}

void ResponseChart::addPoints(CurveRole role, const QVector<double>& frequencies,
                              const QVector<double>& levels) {
    curve(role)->addData(frequencies, levels, true);
}

void ResponseChart::clearCurve(CurveRole role) {
    curve(role)->data()->clear();
}

QVector<double> ResponseChart::frequencies(CurveRole role) const {
    QVector<double> out;
    for (const QCPGraphData& point : *curve(role)->data())
        out.append(point.key);
    return out;
}

QVector<double> ResponseChart::levels(CurveRole role) const {
    QVector<double> out;
    for (const QCPGraphData& point : *curve(role)->data())
        out.append(point.value);
    return out;
}

QPen ResponseChart::pen(CurveRole role) const {
    return curve(role)->pen();
}

QString ResponseChart::legendTip(QPoint position) const {
    for (int i = 0; i < legend->itemCount(); ++i) {
        auto* item = qobject_cast<ChartLegendItem*>(legend->item(i));
        if (item && item->visible() && item->rect().contains(position) &&
            item->shownText() != item->plottable()->name())
            return item->plottable()->name();
    }
    return QString();
}

bool ResponseChart::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QCustomPlot::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    if (const QString tip = legendTip(help->pos()); !tip.isEmpty()) {
        QToolTip::showText(help->globalPos(), tip, this);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

QString ResponseChart::legendName(CurveRole role) const {
    QCPGraph* graph = curve(role);
    return legend->hasItemWithPlottable(graph) ? graph->name() : QString();
}

void ResponseChart::showExtra(QCPGraph* curve, const QVector<double>& frequencies,
                              const QVector<double>& levels) {
    curve->setData(frequencies, levels, true);
    if (!legend->hasItemWithPlottable(curve))
        legend->addItem(new ChartLegendItem(legend, curve));
    followData();
    replot();
}

void ResponseChart::clearExtra(QCPGraph* curve) {
    if (curve->data()->isEmpty() && !legend->hasItemWithPlottable(curve))
        return;
    curve->data()->clear();
    curve->removeFromLegend();
    followData();
    replot();
}

void ResponseChart::showCandidate(const QVector<double>& frequencies, const QVector<double>& levels) {
    showExtra(candidate_, frequencies, levels);
}

void ResponseChart::clearCandidate() {
    clearExtra(candidate_);
}

void ResponseChart::showReference(const QString& name, const QVector<double>& frequencies,
                                  const QVector<double>& levels) {
    reference_->setName(name);
    showExtra(reference_, frequencies, levels);
}

void ResponseChart::clearReference() {
    clearExtra(reference_);
}

void ResponseChart::showSeatCurves(const QVector<double>& frequencies,
                                   const std::vector<QVector<double>>& levels, bool asBand) {
    if (seatHighlight_)
        removeGraph(std::exchange(seatHighlight_, nullptr));
    for (QCPGraph* graph : seatCurves_)
        removeGraph(graph);
    seatCurves_.clear();
    seatFrequencies_ = frequencies;
    seatLevels_ = levels;
    const QColor thin(100, 150, 230);
    auto add = [&](const QVector<double>& values) {
        QCPGraph* graph = addGraph(xAxis, yAxis);
        graph->setLayer(QStringLiteral("grid")); // under every other curve
        graph->setPen(QPen(thin, 1));
        graph->removeFromLegend();
        graph->setData(frequencies, values, true);
        seatCurves_.push_back(graph);
        return graph;
    };
    if (!asBand) {
        for (const QVector<double>& values : levels)
            add(values);
        return;
    }
    if (levels.empty())
        return;
    QVector<double> low = levels.front();
    QVector<double> high = levels.front();
    for (const QVector<double>& values : levels)
        for (qsizetype i = 0; i < values.size() && i < low.size(); ++i) {
            low[i] = std::min(low[i], values[i]);
            high[i] = std::max(high[i], values[i]);
        }
    QCPGraph* lowGraph = add(low);
    QCPGraph* highGraph = add(high);
    highGraph->setBrush(QColor(100, 150, 230, 70));
    highGraph->setChannelFillGraph(lowGraph);
}

void ResponseChart::highlightSeat(int index) {
    if (seatHighlight_)
        removeGraph(std::exchange(seatHighlight_, nullptr));
    if (index >= 0 && index < static_cast<int>(seatLevels_.size())) {
        seatHighlight_ = addGraph(xAxis, yAxis);
        seatHighlight_->setPen(QPen(QColor(0, 165, 175), 2)); // the seat markers' cyan, darkened
        seatHighlight_->removeFromLegend();
        seatHighlight_->setData(seatFrequencies_, seatLevels_[static_cast<std::size_t>(index)], true);
    }
    replot();
}

QCPAxis* ResponseChart::axisOf(ChartAxis axis) const {
    return axis == ChartAxis::Frequency ? xAxis : yAxis;
}

bool ResponseChart::isAxisAutomatic(ChartAxis axis) const {
    return automatic_[static_cast<std::size_t>(axis)];
}

void ResponseChart::setAxisRange(ChartAxis axis, double min, double max) {
    if (min > max)
        std::swap(min, max);
    if (max - min < kNarrowestRange)
        max = min + kNarrowestRange;
    automatic_[static_cast<std::size_t>(axis)] = false;
    axisOf(axis)->setRange(min, max);
    replot();
}

void ResponseChart::setAxisAutomatic(ChartAxis axis) {
    automatic_[static_cast<std::size_t>(axis)] = true;
    followData();
    replot();
}

void ResponseChart::followData() {
    bool anyData = false;
    for (int i = 0; i < graphCount(); ++i)
        anyData = anyData || !graph(i)->data()->isEmpty();
    if (!anyData)
        return;
    for (ChartAxis axis : {ChartAxis::Frequency, ChartAxis::Level})
        if (isAxisAutomatic(axis))
            axisOf(axis)->rescale(true);
}

void ResponseChart::setTitleText(const QString& text) {
    title_->setText(text);
}
QString ResponseChart::titleText() const {
    return title_->text();
}

void ResponseChart::setFootText(const QString& text) {
    foot_->setText(text);
    // An empty foot leaves the layout, so it takes no room below the plot.
    const bool shown = foot_->layout() != nullptr;
    if (text.isEmpty() && shown) {
        plotLayout()->take(foot_);
        plotLayout()->simplify();
    } else if (!text.isEmpty() && !shown) {
        plotLayout()->addElement(plotLayout()->rowCount(), 0, foot_);
    }
    foot_->setVisible(!text.isEmpty());
}

QString ResponseChart::footText() const {
    return foot_->text();
}

} // namespace kolmarin
