#include "mainwindow/response_map_layer.h"

#include "dialogs/band_dialog.h"
#include "dialogs/placement_search_window.h"
#include "mainwindow/map_picture.h"
#include "mainwindow/map_runner.h"
#include "mainwindow/plan_view.h"
#include "model/acoustics/listening_area.h"
#include "model/acoustics/placement.h"
#include "model/acoustics/spread.h"
#include "model/layout/colour_scale.h"
#include "widgets/placed_controls.h"
#include "widgets/ui_support.h"

#include <QAction>
#include <QActionGroup>
#include <QHelpEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>

#include <cmath>
#include <functional>
#include <tuple>
#include <utility>

namespace kolmarin {

namespace {

struct BandChoice {
    Band band;
    const char* name;
};
constexpr std::array<BandChoice, 3> kBands{
    {{{20, 200}, "band20to200Action"}, {{20, 300}, "band20to300Action"}, {{10, 500}, "band10to500Action"}}};

QString bandText(Band band) {
    return QStringLiteral("%1–%2 Hz").arg(band.low).arg(band.high);
}

QString decibels(double value, int decimals) {
    return QLocale().toString(value, 'f', decimals);
}

QAction* addChoice(QMenu* menu, QActionGroup* group, const QString& text, const char* name) {
    QAction* action = menu->addAction(text);
    action->setCheckable(true);
    action->setObjectName(QString::fromLatin1(name));
    group->addAction(action);
    return action;
}

} // namespace

ResponseMapLayer::ResponseMapLayer(SceneDocument& document, PlanView& planView, const PlanRect& plan,
                                   QMenu& menu, QWidget& legendParent, QWidget& window)
    : QObject(&window), document_(document), planView_(planView), plan_(plan), window_(window) {
    shown_ = menu.addAction(QStringLiteral("応答マップ"));
    shown_->setCheckable(true);
    shown_->setObjectName(QStringLiteral("responseMapAction"));
    QMenu* choices = menu.addMenu(QStringLiteral("応答マップの条件"));
    choices->setObjectName(QStringLiteral("responseMapMenu"));
    auto* moving = new QActionGroup(choices);
    listener_ = addChoice(choices, moving, QStringLiteral("聴取者"), "listenerMapAction");
    addChoice(choices, moving, QStringLiteral("スピーカー対"), "speakerMapAction");
    listener_->setChecked(true);
    choices->addSeparator();
    auto* bands = new QActionGroup(choices);
    static_assert(std::tuple_size_v<decltype(bands_)> == kBands.size(), "one menu item per band");
    for (std::size_t i = 0; i < kBands.size(); ++i)
        bands_[i] = addChoice(choices, bands, bandText(kBands[i].band), kBands[i].name);
    otherBand_ = addChoice(choices, bands, QStringLiteral("帯域を指定..."), "otherBandAction");
    bands_[0]->setChecked(true);
    lastBand_ = bands_[0];
    choices->addSeparator();
    auto* figures = new QActionGroup(choices);
    addChoice(choices, figures, QStringLiteral("ばらつき (1 点)"), "pointFigureAction")->setChecked(true);
    areaFigure_ = addChoice(choices, figures, QStringLiteral("聴取範囲のばらつき"), "areaFigureAction");
    createLegend(legendParent);

    runner_ = new MapRunner(this);
    connect(runner_, &MapRunner::passDone, this, &ResponseMapLayer::showPass);
    connect(runner_, &MapRunner::progressed, this, &ResponseMapLayer::showProgress);
    connect(runner_, &MapRunner::currentFigured, this, &ResponseMapLayer::showCurrent);
    connect(shown_, &QAction::toggled, this, commandSlot(&window_, [this] { toggle(); }));
    connect(moving, &QActionGroup::triggered, this, commandSlot(&window_, [this] { choiceChanged(); }));
    connect(figures, &QActionGroup::triggered, this, commandSlot(&window_, [this] { choiceChanged(); }));
    connect(bands, &QActionGroup::triggered, this,
            [this](QAction* chosen) { runCommand(&window_, [this, chosen] { bandChosen(chosen); }); });
    // Each calculation's scene, none after one that failed.
    connect(&document_, &SceneDocument::calculated, this, [this] {
        if (document_.result().calculated())
            restart(document_.result().scene);
        else
            stop();
    });
    planView_.installEventFilter(this);
}

// Below the plan, left of the read-outs: the progress, the colour scale with the range of
// spreads it spans, and the spread where the markers stand now.
void ResponseMapLayer::createLegend(QWidget& parent) {
    legend_ = new QWidget(&parent);
    legend_->setObjectName(QStringLiteral("mapLegend"));
    legend_->setGeometry(432, 456, 256, 88);
    caption_ = placeLabel(legend_, QString(), 0, 0);
    caption_->setObjectName(QStringLiteral("mapCaption"));
    scale_ = new MapScale(legend_);
    scale_->setObjectName(QStringLiteral("mapScale"));
    scale_->setGeometry(0, 20, 200, 10);
    scale_->setToolTip(
        QStringLiteral("ばらつき: その点に置いたときの、帯域での Total のレベルの標準偏差 (dB)。\n"
                       "左 (暗い青紫) ほど小さく平坦、右 (黄) ほど大きく山と谷が深い。\n"
                       "「聴取範囲のばらつき」では、その点と 0.10 m ずらした 8 点のばらつきの平均です。\n"
                       "縦線は今の配置のばらつき。灰色は計算できない点 (スピーカーと聴取者が重なるなど)、\n"
                       "白っぽく薄い所は配置の探索の条件 (壁からの距離など) の外です。"));
    range_ = placeLabel(legend_, QString(), 0, 34);
    range_->setObjectName(QStringLiteral("mapRangeCaption"));
    current_ = placeLabel(legend_, QString(), 0, 52);
    current_->setObjectName(QStringLiteral("mapSpreadCaption"));
    placeLabel(legend_, QStringLiteral("薄い所: 配置の条件の外"), 0, 70)
        ->setObjectName(QStringLiteral("mapRuledOutCaption"));
    legend_->hide();
}

MapMarker ResponseMapLayer::marker() const {
    return listener_->isChecked() ? MapMarker::Listener : MapMarker::Speakers;
}

MapFigure ResponseMapLayer::figure() const {
    return areaFigure_->isChecked() ? MapFigure::Area : MapFigure::Point;
}

Band ResponseMapLayer::band() const {
    for (std::size_t i = 0; i < bands_.size(); ++i)
        if (bands_[i]->isChecked())
            return kBands[i].band;
    return chosenBand_;
}

QString ResponseMapLayer::choiceText() const {
    const QString moving = listener_->isChecked() ? QStringLiteral("聴取者") : QStringLiteral("スピーカー対");
    const QString grid = step_ == kDefaultMapStep
                             ? QString()
                             : QStringLiteral(" 格子 %1 m").arg(QLocale().toString(step_, 'f', 2));
    return moving + (areaFigure_->isChecked() ? QStringLiteral(" 聴取範囲 ") : QStringLiteral(" ")) +
           bandText(band()) + grid;
}

void ResponseMapLayer::toggle() {
    stop();
    legend_->setVisible(shown_->isChecked());
    if (shown_->isChecked())
        restart(document_.calculationScene(decimalSeparator()));
}

void ResponseMapLayer::choiceChanged() {
    if (!shown_->isChecked())
        return;
    stop();
    restart(document_.calculationScene(decimalSeparator()));
}

// The band dialog for 帯域を指定...; a cancel keeps the band chosen before.
void ResponseMapLayer::bandChosen(QAction* chosen) {
    if (chosen == otherBand_) {
        const std::optional<Band> band = askBand(&window_, chosenBand_, QStringLiteral("応答マップの帯域"));
        if (!band) {
            lastBand_->setChecked(true);
            return;
        }
        chosenBand_ = *band;
        otherBand_->setText(QStringLiteral("帯域を指定... (%1)").arg(bandText(*band)));
    }
    lastBand_ = chosen;
    choiceChanged();
}

// Whether the search window's constraints (or the default ones) let the moving marker
// stand at plan point (x, y), for the layout that moves what the map moves.
bool ResponseMapLayer::pointAllowed(double x, double y) const {
    const Scene placed = withMarkerAt(scene_, marker(), x, y);
    Placement placement = placementOf(placed);
    // A pair on the right half is the same pair as its mirror image with SP1 on the left,
    // which is how the layout places it.
    if (placement.sp1.x > placement.sp2.x)
        std::swap(placement.sp1, placement.sp2);
    const PlacementConstraints constraints = search_ ? search_->constraints() : PlacementConstraints{};
    return keepsConstraints(scene_, placement,
                            marker() == MapMarker::Listener ? Layout::Seats : Layout::Speakers, constraints);
}

void ResponseMapLayer::stop() {
    runner_->stop();
    map_.reset();
    if (planView_.hasLayer())
        planView_.setLayer(QImage(), QRectF());
    setCaption(caption_, QStringLiteral("応答マップ"));
    setCaption(range_, QString());
    setCaption(current_, QString());
    scale_->setMark(std::nullopt);
}

void ResponseMapLayer::restart(const Scene& scene) {
    if (!shown_->isChecked())
        return;
    scene_ = scene;
    // The spread of the curves on the chart, when the last calculation covered the band,
    // else of a calculation of the band alone; the map computes its points the same way,
    // so they agree bit for bit.
    const Band band = this->band();
    const SceneResult& result = document_.result();
    const bool covered = result.computed.first <= 2 * band.low && 2 * band.high <= result.computed.last;
    // Otherwise one calculation of the band, or nine for the listening area, on the map's
    // thread: at high reflection counts they take seconds.
    std::function<std::optional<double>()> later;
    if (figure() == MapFigure::Point && covered) {
        showCurrent(totalSpread(result.curves, band));
    } else if (figure() == MapFigure::Point) {
        later = [scene, band] { return spreadOf(scene, band); };
    } else {
        later = [scene, band]() -> std::optional<double> {
            const std::optional<AreaFigures> area = areaFiguresOf(scene, band);
            return area && !std::isnan(area->area) ? std::optional<double>(area->area) : std::nullopt;
        };
    }
    if (later) {
        currentSpread_.reset();
        setCaption(current_, currentTitle() + QStringLiteral("計算中…"));
    }
    setCaption(caption_, QStringLiteral("応答マップ 0%"));
    step_ = fittingMapStep(scene.width, scene.depth, kDefaultMapStep);
    runner_->start(scene, marker(), band, step_, figure(), later);
}

QString ResponseMapLayer::currentTitle() const {
    return figure() == MapFigure::Area ? QStringLiteral("現在の配置 (聴取範囲) ")
                                       : QStringLiteral("現在の配置 ");
}

void ResponseMapLayer::showCurrent(std::optional<double> value) {
    currentSpread_ = value;
    const QString unknown =
        figure() == MapFigure::Area
            ? QStringLiteral("不明 (聴取者から 0.10 m の範囲が部屋からはみ出すか、計算できない点があります)")
            : QStringLiteral("不明 (この配置では計算できません。スピーカーが聴取位置に重なっていませんか)");
    // With the band: the seats' figures under the chart have a band of their own.
    setCaption(current_, currentTitle() + (value ? decibels(*value, 2) + QStringLiteral(" dB (") +
                                                       bandText(band()) + QStringLiteral(")")
                                                 : unknown));
    // A map already drawn gets its scale again, now with the current value on it.
    if (map_)
        showPass(*map_);
}

void ResponseMapLayer::showProgress(int percent) {
    setCaption(caption_, QStringLiteral("応答マップ %1%").arg(percent));
}

void ResponseMapLayer::showPass(const ResponseMap& map) {
    map_ = map;
    const MapSpan span = withValue(mapSpan(map), currentSpread_.value_or(NAN));
    QImage cells = mapCells(map, span);
    fadeRuledOut(cells, map.grid, [this](double x, double y) { return pointAllowed(x, y); });
    planView_.setLayer(cells,
                       mapArea(map.grid, scene_.width, scene_.depth, planView_.width(), planView_.height()));
    scale_->setMark(currentSpread_ && span.known
                        ? std::optional<double>(scalePosition(*currentSpread_, span.low, span.high))
                        : std::nullopt);
    setCaption(range_,
               QStringLiteral("ばらつき ") + (span.known ? decibels(span.low, 1) + QStringLiteral("–") +
                                                               decibels(span.high, 1) + QStringLiteral(" dB")
                                                         : QStringLiteral("不明")));
    if (map.passes == kMapPasses)
        setCaption(caption_, QStringLiteral("応答マップ ") + choiceText());
}

// The point under the pointer, in metres as a marker dropped there would read, and the
// spread of its cell.
QString ResponseMapLayer::tip(QPoint planPoint) const {
    if (!map_)
        return QString();
    const double x = markerX(plan_, scene_.width, plan_.left + planPoint.x() - kMarkerHalf);
    const double y = markerY(plan_, scene_.depth, plan_.top + planPoint.y() - kMarkerHalf);
    const std::optional<double> spread = mapSpreadAt(*map_, x, y);
    return QStringLiteral("x %1 m, y %2 m: %3")
        .arg(decibels(x, 2), decibels(y, 2),
             spread ? decibels(*spread, 2) + QStringLiteral(" dB") : QStringLiteral("不明"));
}

bool ResponseMapLayer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &planView_ || !shown_->isChecked())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString text = tip(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, &planView_);
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && mouse->modifiers().testFlag(Qt::ControlModifier)) {
            emit pointChosen(mouse->position().toPoint());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kolmarin
