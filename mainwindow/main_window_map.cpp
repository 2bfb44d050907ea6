// The response map in the main window: how flat the Total response would be with the
// listener, or the loudspeaker pair, at each point of the plan, as a colour layer under
// the plan's grid. Each calculation cancels the map and starts it again for the scene it
// read; the map fills in on a thread of its own, coarse points first. Hovering the plan
// tells a point's spread, Ctrl+click moves the marker there.
#include "dialogs/band_dialog.h"
#include "dialogs/placement_search_window.h"
#include "dialogs/room_settings_dialog.h"
#include "mainwindow/main_window.h"
#include "mainwindow/map_picture.h"
#include "mainwindow/map_runner.h"
#include "mainwindow/plan_view.h"
#include "model/acoustics/listening_area.h"
#include "model/acoustics/placement_search.h"
#include "model/acoustics/spread.h"
#include "model/layout/colour_scale.h"
#include "widgets/marker_shape.h"
#include "widgets/placed_controls.h"
#include "widgets/ui_support.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QToolTip>

#include <array>
#include <cmath>
#include <optional>
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

struct MainWindow::MapState : QObject {
    using QObject::QObject;

    QAction* shown = nullptr;
    QAction* listener = nullptr;
    std::array<QAction*, kBands.size()> bands{};
    QAction* otherBand = nullptr;  // any band, typed in two boxes
    QAction* areaFigure = nullptr; // the listening area's spread rather than the point's
    QAction* lastBand = nullptr;   // the band chosen before, for a cancelled band dialog
    Band chosenBand{20, 200};
    MapRunner* runner = nullptr;
    QWidget* legend = nullptr;
    QLabel* caption = nullptr;
    MapScale* scale = nullptr;
    QLabel* range = nullptr;
    QLabel* current = nullptr;
    QLabel* ruledOut = nullptr;

    // The map as far as it is computed, the scene it was computed for, and the spread
    // where the markers stand (nothing when that cannot be calculated).
    std::optional<ResponseMap> map;
    Scene scene;
    double width = 0;
    double depth = 0;
    std::optional<double> currentSpread;
    // The grid step: the usual one, or as much coarser as a large room needs to stay
    // within the map's bound on points.
    double step = kDefaultMapStep;

    MapMarker marker() const { return listener->isChecked() ? MapMarker::Listener : MapMarker::Speakers; }
    MapFigure figure() const { return areaFigure->isChecked() ? MapFigure::Area : MapFigure::Point; }
    Band band() const {
        for (std::size_t i = 0; i < bands.size(); ++i)
            if (bands[i]->isChecked())
                return kBands[i].band;
        return chosenBand;
    }
    QString choiceText() const {
        const QString moving =
            listener->isChecked() ? QStringLiteral("聴取者") : QStringLiteral("スピーカー対");
        const QString grid = step == kDefaultMapStep
                                 ? QString()
                                 : QStringLiteral(" 格子 %1 m").arg(QLocale().toString(step, 'f', 2));
        return moving + (areaFigure->isChecked() ? QStringLiteral(" 聴取範囲 ") : QStringLiteral(" ")) +
               bandText(band()) + grid;
    }
};

void MainWindow::createResponseMap() {
    map_ = new MapState(this);
    MapState& m = *map_;
    m.shown = calculationMenu_->addAction(QStringLiteral("応答マップ"));
    m.shown->setCheckable(true);
    m.shown->setObjectName(QStringLiteral("responseMapAction"));
    QMenu* choices = calculationMenu_->addMenu(QStringLiteral("応答マップの条件"));
    choices->setObjectName(QStringLiteral("responseMapMenu"));
    auto* moving = new QActionGroup(choices);
    m.listener = addChoice(choices, moving, QStringLiteral("聴取者"), "listenerMapAction");
    addChoice(choices, moving, QStringLiteral("スピーカー対"), "speakerMapAction");
    m.listener->setChecked(true);
    choices->addSeparator();
    auto* bands = new QActionGroup(choices);
    for (std::size_t i = 0; i < kBands.size(); ++i)
        m.bands[i] = addChoice(choices, bands, bandText(kBands[i].band), kBands[i].name);
    m.otherBand = addChoice(choices, bands, QStringLiteral("帯域を指定..."), "otherBandAction");
    m.bands[0]->setChecked(true);
    m.lastBand = m.bands[0];
    choices->addSeparator();
    auto* figures = new QActionGroup(choices);
    addChoice(choices, figures, QStringLiteral("ばらつき (1 点)"), "pointFigureAction")->setChecked(true);
    m.areaFigure = addChoice(choices, figures, QStringLiteral("聴取範囲のばらつき"), "areaFigureAction");

    // Below the plan, left of the read-outs: the progress, the colour scale with the range
    // of spreads it spans, and the spread where the markers stand now.
    m.legend = new QWidget(centralWidget());
    m.legend->setObjectName(QStringLiteral("mapLegend"));
    m.legend->setGeometry(432, 456, 256, 88);
    m.caption = placeLabel(m.legend, QString(), 0, 0);
    m.caption->setObjectName(QStringLiteral("mapCaption"));
    m.scale = new MapScale(m.legend);
    m.scale->setObjectName(QStringLiteral("mapScale"));
    m.scale->setGeometry(0, 20, 200, 10);
    m.scale->setToolTip(
        QStringLiteral("ばらつき: その点に置いたときの、帯域での Total のレベルの標準偏差 (dB)。\n"
                       "左 (暗い青紫) ほど小さく平坦、右 (黄) ほど大きく山と谷が深い。\n"
                       "「聴取範囲のばらつき」では、その点と 0.10 m ずらした 8 点のばらつきの平均です。\n"
                       "縦線は今の配置のばらつき。灰色は計算できない点 (スピーカーと聴取者が重なるなど)、\n"
                       "白っぽく薄い所は配置の探索の条件 (壁からの距離など) の外です。"));
    m.range = placeLabel(m.legend, QString(), 0, 34);
    m.range->setObjectName(QStringLiteral("mapRangeCaption"));
    m.current = placeLabel(m.legend, QString(), 0, 52);
    m.current->setObjectName(QStringLiteral("mapSpreadCaption"));
    m.ruledOut = placeLabel(m.legend, QStringLiteral("薄い所: 配置の条件の外"), 0, 70);
    m.ruledOut->setObjectName(QStringLiteral("mapRuledOutCaption"));
    m.legend->hide();

    m.runner = new MapRunner(&m);
    connect(m.runner, &MapRunner::passDone, this, &MainWindow::showMapPass);
    connect(m.runner, &MapRunner::progressed, this, &MainWindow::showMapProgress);
    connect(m.runner, &MapRunner::currentFigured, this, &MainWindow::showMapCurrent);
    connect(m.shown, &QAction::toggled, this, commandSlot(this, [this] { toggleResponseMap(); }));
    connect(moving, &QActionGroup::triggered, this, commandSlot(this, [this] { mapChoiceChanged(); }));
    connect(figures, &QActionGroup::triggered, this, commandSlot(this, [this] { mapChoiceChanged(); }));
    connect(bands, &QActionGroup::triggered, this,
            [this](QAction* chosen) { runCommand(this, [this, chosen] { mapBandChosen(chosen); }); });
    planView_->installEventFilter(this);
}

// The scene as the calculation reads it (see SceneDocument::calculationScene), so the
// chart, the map, the search and the waterfall all show the same scene.
Scene MainWindow::readScene() const {
    return document_.calculationScene(decimalSeparator());
}

void MainWindow::toggleResponseMap() {
    stopResponseMap();
    map_->legend->setVisible(map_->shown->isChecked());
    if (map_->shown->isChecked())
        restartResponseMap(readScene());
}

void MainWindow::mapChoiceChanged() {
    if (!map_->shown->isChecked())
        return;
    stopResponseMap();
    restartResponseMap(readScene());
}

// The band dialog for 帯域を指定...; a cancel keeps the band chosen before.
void MainWindow::mapBandChosen(QAction* chosen) {
    MapState& m = *map_;
    if (chosen == m.otherBand) {
        const std::optional<Band> band = askBand(this, m.chosenBand, QStringLiteral("応答マップの帯域"));
        if (!band) {
            m.lastBand->setChecked(true);
            return;
        }
        m.chosenBand = *band;
        m.otherBand->setText(QStringLiteral("帯域を指定... (%1)").arg(bandText(*band)));
    }
    m.lastBand = chosen;
    mapChoiceChanged();
}

// Whether the search window's constraints (or the default ones) let the moving marker
// stand at plan point (x, y), for the layout that moves what the map moves.
bool MainWindow::mapPointAllowed(double x, double y) const {
    const MapState& m = *map_;
    const MapMarker marker = m.marker();
    const Scene placed = withMarkerAt(m.scene, marker, x, y);
    Placement placement = placementOf(placed);
    // A pair on the right half is the same pair as its mirror image with SP1 on the left,
    // which is how the layout places it.
    if (placement.sp1.x > placement.sp2.x)
        std::swap(placement.sp1, placement.sp2);
    const PlacementConstraints constraints =
        placementSearch_ ? placementSearch_->constraints() : PlacementConstraints{};
    return keepsConstraints(m.scene, placement,
                            marker == MapMarker::Listener ? Layout::Listener : Layout::Speakers, constraints);
}

void MainWindow::stopResponseMap() {
    MapState& m = *map_;
    m.runner->stop();
    m.map.reset();
    if (planView_->hasLayer())
        planView_->setLayer(QImage(), QRectF());
    setCaption(m.caption, QStringLiteral("応答マップ"));
    setCaption(m.range, QString());
    setCaption(m.current, QString());
    m.scale->setMark(std::nullopt);
}

void MainWindow::restartResponseMap(const Scene& scene) {
    MapState& m = *map_;
    if (!m.shown->isChecked())
        return;
    m.scene = scene;
    m.width = scene.width;
    m.depth = scene.depth;
    // The spread of the curves on the chart, when the last calculation covered the band,
    // else of a calculation of the band alone; the map computes its points the same way,
    // so they agree bit for bit.
    const Band band = m.band();
    const SceneResult& result = document_.result();
    const bool covered = result.computed.first <= 2 * band.low && 2 * band.high <= result.computed.last;
    // Otherwise one calculation of the band, or nine for the listening area, on the map's
    // thread: at high reflection counts they take seconds.
    std::function<std::optional<double>()> later;
    if (m.figure() == MapFigure::Point && covered) {
        showMapCurrent(totalSpread(result.curves, band));
    } else if (m.figure() == MapFigure::Point) {
        later = [scene, band] { return spreadOf(scene, band); };
    } else {
        later = [scene, band]() -> std::optional<double> {
            const std::optional<AreaFigures> area = areaFiguresOf(scene, band);
            return area && !std::isnan(area->area) ? std::optional<double>(area->area) : std::nullopt;
        };
    }
    if (later) {
        m.currentSpread.reset();
        setCaption(m.current, currentCaptionTitle() + QStringLiteral("計算中…"));
    }
    setCaption(m.caption, QStringLiteral("応答マップ 0%"));
    m.step = fittingMapStep(scene.width, scene.depth, kDefaultMapStep);
    m.runner->start(scene, m.marker(), band, m.step, m.figure(), later);
}

QString MainWindow::currentCaptionTitle() const {
    return map_->figure() == MapFigure::Area ? QStringLiteral("現在の配置 (聴取範囲) ")
                                             : QStringLiteral("現在の配置 ");
}

void MainWindow::showMapCurrent(std::optional<double> value) {
    MapState& m = *map_;
    m.currentSpread = value;
    const QString unknown =
        m.figure() == MapFigure::Area
            ? QStringLiteral("不明 (聴取者から 0.10 m の範囲が部屋からはみ出すか、計算できない点があります)")
            : QStringLiteral("不明 (この配置では計算できません。スピーカーが聴取位置に重なっていませんか)");
    // With the band: the seats' figures under the chart have a band of their own.
    setCaption(m.current, currentCaptionTitle() + (value ? decibels(*value, 2) + QStringLiteral(" dB (") +
                                                               bandText(m.band()) + QStringLiteral(")")
                                                         : unknown));
    // A map already drawn gets its scale again, now with the current value on it.
    if (m.map)
        showMapPass(*m.map);
}

void MainWindow::showMapProgress(int percent) {
    setCaption(map_->caption, QStringLiteral("応答マップ %1%").arg(percent));
}

void MainWindow::showMapPass(const ResponseMap& map) {
    MapState& m = *map_;
    m.map = map;
    const MapSpan span = withValue(mapSpan(map), m.currentSpread.value_or(NAN));
    QImage cells = mapCells(map, span);
    fadeRuledOut(cells, map.grid, [this](double x, double y) { return mapPointAllowed(x, y); });
    planView_->setLayer(cells, mapArea(map.grid, m.width, m.depth, planView_->width(), planView_->height()));
    m.scale->setMark(m.currentSpread && span.known
                         ? std::optional<double>(scalePosition(*m.currentSpread, span.low, span.high))
                         : std::nullopt);
    setCaption(m.range,
               QStringLiteral("ばらつき ") + (span.known ? decibels(span.low, 1) + QStringLiteral("–") +
                                                               decibels(span.high, 1) + QStringLiteral(" dB")
                                                         : QStringLiteral("不明")));
    if (map.passes == kMapPasses)
        setCaption(m.caption, QStringLiteral("応答マップ ") + m.choiceText());
}

// The point under the pointer, in metres as a marker dropped there would read, and the
// spread of its cell.
QString MainWindow::mapTip(QPoint planPoint) const {
    const MapState& m = *map_;
    if (!m.map)
        return QString();
    const double x = markerX(plan_, m.width, plan_.left + planPoint.x() - kMarkerHalf);
    const double y = markerY(plan_, m.depth, plan_.top + planPoint.y() - kMarkerHalf);
    const std::optional<double> spread = mapSpreadAt(*m.map, x, y);
    return QStringLiteral("x %1 m, y %2 m: %3")
        .arg(decibels(x, 2), decibels(y, 2),
             spread ? decibels(*spread, 2) + QStringLiteral(" dB") : QStringLiteral("不明"));
}

// As if the marker had been dragged there: its reference point on the clicked pixel and
// the read-outs written from that pixel. The pair keeps SP2 at SP1's mirror image.
void MainWindow::moveMarkerToMapPoint(QPoint planPoint) {
    const double width = roomSize(Coordinate::X);
    const double depth = roomSize(Coordinate::Y);
    const PixelPoint corner{plan_.left + planPoint.x() - kMarkerHalf,
                            plan_.top + planPoint.y() - kMarkerHalf};
    const PlacedObject object =
        map_->marker() == MapMarker::Listener ? PlacedObject::Listener : PlacedObject::SP1;
    controls(object).shape->move(corner.left, corner.top);
    writePosition(object, Coordinate::X, markerX(plan_, width, corner.left));
    writePosition(object, Coordinate::Y, markerY(plan_, depth, corner.top));
    if (object == PlacedObject::SP1) {
        // Mirrored from what SP1's read-outs say, so the two read the same distances.
        const Point3 sp1 = position(PlacedObject::SP1);
        writePosition(PlacedObject::SP2, Coordinate::X, width - sp1.x);
        writePosition(PlacedObject::SP2, Coordinate::Y, sp1.y);
        placeMarker(PlacedObject::SP2, position(PlacedObject::SP2), width, depth);
    }
    recalculateResponse();
    document_.commit(moveStepName(object));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != planView_ || !map_->shown->isChecked())
        return QMainWindow::eventFilter(watched, event);
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = mapTip(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, planView_);
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && mouse->modifiers().testFlag(Qt::ControlModifier)) {
            runCommand(this, [&] { moveMarkerToMapPoint(mouse->position().toPoint()); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // No map goes on computing for a window that is gone.
    map_->runner->stop();
    if (placementSearch_)
        placementSearch_->close();
    QMainWindow::closeEvent(event);
}

} // namespace kolmarin
