// The main window's subwoofers and other seats: the setup file commands, their markers on
// the plan, and the other seats' curves and figures. Without them the window is the room
// file's window: no marker, curve, caption or calculation is added.
#include "mainwindow/main_window.h"

#include "dialogs/band_dialog.h"
#include "dialogs/room_settings_dialog.h"
#include "dialogs/subwoofer_optimiser_window.h"
#include "files/setup_file.h"
#include "model/layout/marker_colours.h"
#include "model/text/number_text.h"
#include "widgets/marker_shape.h"
#include "widgets/placed_controls.h"
#include "widgets/recent_files_menu.h"
#include "widgets/response_chart.h"
#include "widgets/save_command.h"
#include "widgets/ui_support.h"
#include "widgets/user_dialogs.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenu>

#include <algorithm>
#include <cmath>
#include <exception>

namespace kolmarin {

namespace {

const FileDialogRequest kSetupDialog{QStringLiteral("Kolmarin2セットアップファイル(*.k2s)"),
                                     QStringLiteral("*.k2s"), QString(), QStringLiteral("k2s")};

QString captionFor(const QString& path) {
    return QStringLiteral("Kolmarin2\u3000") + QFileInfo(path).fileName();
}

} // namespace

void MainWindow::createSetupCommands() {
    // After the room file's own commands.
    openSetupAction_ = new QAction(QStringLiteral("セットアップを開く..."), fileMenu_);
    saveSetupAction_ = new QAction(QStringLiteral("セットアップの保存..."), fileMenu_);
    const QList<QAction*> items = fileMenu_->actions();
    QAction* before = items.value(items.indexOf(saveRoomAction_) + 1);
    fileMenu_->insertAction(before, openSetupAction_);
    fileMenu_->insertAction(before, saveSetupAction_);
    seatBandAction_ = new QAction(QStringLiteral("ほかの座席を範囲 (最小〜最大) で表示"), calculationMenu_);
    seatBandAction_->setCheckable(true);
    subsOnlyAction_ = new QAction(QStringLiteral("座席の比較をサブウーファーだけで"), calculationMenu_);
    subsOnlyAction_->setCheckable(true);
    calculationMenu_->addSeparator();
    calculationMenu_->addAction(seatBandAction_);
    calculationMenu_->addAction(subsOnlyAction_);
    seatComparisonBandAction_ = calculationMenu_->addAction(QString());
    showSeatComparisonBand();
    subwooferOptimiserAction_ = calculationMenu_->addAction(QStringLiteral("サブウーファーの最適化..."));
    const std::pair<QAction*, const char*> names[]{{openSetupAction_, "openSetupAction"},
                                                   {saveSetupAction_, "saveSetupAction"},
                                                   {seatBandAction_, "seatBandAction"},
                                                   {subsOnlyAction_, "subsOnlyAction"},
                                                   {seatComparisonBandAction_, "seatComparisonBandAction"},
                                                   {subwooferOptimiserAction_, "subwooferOptimiserAction"}};
    for (const auto& [action, name] : names)
        action->setObjectName(QString::fromLatin1(name));
    connect(openSetupAction_, &QAction::triggered, this, commandSlot(this, [this] { openSetupFile(); }));
    connect(saveSetupAction_, &QAction::triggered, this, commandSlot(this, [this] { saveSetupFile(); }));
    connect(seatBandAction_, &QAction::toggled, this, commandSlot(this, [this] { recalculateResponse(); }));
    connect(subwooferOptimiserAction_, &QAction::triggered, this,
            commandSlot(this, [this] { showSubwooferOptimiser(); }));
    connect(seatComparisonBandAction_, &QAction::triggered, this, commandSlot(this, [this] {
                if (const std::optional<Band> band =
                        askBand(this, seatComparisonBand_, QStringLiteral("座席の比較の帯域"))) {
                    seatComparisonBand_ = *band;
                    showSeatComparisonBand();
                    recalculateResponse();
                }
            }));
    connect(subsOnlyAction_, &QAction::toggled, this, commandSlot(this, [this] { recalculateResponse(); }));

    seatCaption_ = placeLabel(centralWidget(), QString(), 144, 516);
    seatCaption_->setObjectName(QStringLiteral("seatCaption"));
    seatCaption_->setToolTip(
        QStringLiteral("座席間のばらつき: 同じ周波数で座席ごとの Total のレベルがどれだけ違うか (dB)。\n"
                       "0.5 Hz ごとに座席間の標準偏差をとり、帯域で平均したものです。\n"
                       "小さいほど、どの座席でも同じ低音が聞こえます。\n"
                       "平均: 全座席・帯域での Total のレベルの平均 (dB)。大きいほど低音がよく出ます。\n"
                       "座席 1 のばらつき: 聴取位置の Total が帯域の中でどれだけ上下するか (dB)。\n"
                       "ほかの座席のものは、その座席のマーカーの上に出ます。\n"
                       "帯域は「計算」→「座席の比較の帯域...」で変えられます。"));
    seatCaption_->hide();
}

BassSetup MainWindow::bassSetup() const {
    return document_.setup();
}

void MainWindow::openSetupFile() {
    const QString path =
        askFileName(this, FileDialogKind::Open,
                    {kSetupDialog.description, kSetupDialog.pattern, setupProposal_, QString()});
    if (!path.isEmpty())
        openSetupFileAt(path);
}

void MainWindow::openSetupFileAt(const QString& path) {
    // Read and checked whole before anything changes, as a room file is.
    BassSetup setup;
    try {
        setup = readSetupFile(path, decimalSeparator());
    } catch (const std::exception& e) {
        throw UserError(toStdString(fileMessage(path, QString::fromUtf8(e.what()))));
    }
    setupProposal_ = path;
    recentFilesMenu_->remember(path);
    document_.setCaption(captionFor(path));
    document_.setSetup(setup);
    applyOpenedFile(QStringLiteral("セットアップを開く"));
}

void MainWindow::openFileAt(const QString& path) {
    if (startsAsSetupFile(path))
        openSetupFileAt(path);
    else
        openRoomFileAt(path);
}

void MainWindow::takeSetup(const BassSetup& setup, const QString& step) {
    document_.setSetup(setup);
    applyScene();
    document_.commit(step);
}

void MainWindow::saveSetupFile() {
    const QByteArray bytes = setupFileBytes(bassSetup(), decimalSeparator());
    if (saveThroughDialog(this, kSetupDialog, setupProposal_, bytes)) {
        document_.setCaption(captionFor(setupProposal_));
        recentFilesMenu_->remember(setupProposal_);
    }
}

// The subwoofers' markers are squares in purple, the other seats' circles in the
// listener's cyan, each with its name beside it. They are made anew for each setup, over
// the three markers of the room file.
void MainWindow::placeSetupMarkers() {
    const BassSetup setup = document_.setup();
    const auto subs = static_cast<std::size_t>(setup.subwooferCount());
    const std::size_t seats = setup.texts.seats.size() - 1;
    // As many markers as before may still be another mix of subwoofers and seats.
    if (setupMarkers_.size() != subs + seats || setupMarkerSubs_ != subs) {
        setupMarkerSubs_ = subs;
        for (auto& [shape, label] : setupMarkers_) {
            delete shape;
            delete label;
        }
        setupMarkers_.clear();
        for (std::size_t i = 0; i < subs + seats; ++i) {
            const bool sub = i < subs;
            const Rgb colour = sub ? kSubwooferColour : kSeatColour;
            auto* shape = new MarkerShape(sub ? MarkerShape::Form::Square : MarkerShape::Form::Circle,
                                          QColor(colour.r, colour.g, colour.b), centralWidget());
            const QString name =
                sub ? QStringLiteral("SW%1").arg(i + 1) : QStringLiteral("%1").arg(i - subs + 2);
            shape->setObjectName(sub ? QStringLiteral("sw%1Marker").arg(i + 1)
                                     : QStringLiteral("seat%1Marker").arg(i - subs + 2));
            shape->setToolTip(sub ? name : QStringLiteral("座席 ") + name);
            auto* label = placeLabel(centralWidget(), name, 0, 0);
            label->setAttribute(Qt::WA_TransparentForMouseEvents);
            connect(shape, &MarkerShape::mouseDown, this, [this](Qt::MouseButton button, QPoint position) {
                runCommand(this, [&] { markerPressed(PlacedObject::SP1, button, position); });
            });
            connect(shape, &MarkerShape::mouseMove, this,
                    [this, i](QPoint position) { runCommand(this, [&] { dragSetupMarker(i, position); }); });
            connect(shape, &MarkerShape::mouseUp, this, [this, i](Qt::MouseButton, QPoint) {
                runCommand(this, [&] {
                    if (dragging_)
                        setupMarkerReleased(i);
                });
            });
            if (!sub)
                connect(shape, &MarkerShape::hovered, this,
                        [this, seat = static_cast<int>(i - subs)](bool inside) {
                            responseChart_->highlightSeat(inside ? seat : -1);
                        });
            shape->show();
            label->show();
            setupMarkers_.emplace_back(shape, label);
        }
    }
    const char separator = decimalSeparator();
    for (std::size_t i = 0; i < setupMarkers_.size(); ++i) {
        const PositionTexts& p =
            i < subs ? setup.texts.sources[setup.loudspeakers.size() + i] : setup.texts.seats[1 + i - subs];
        const PixelPoint corner = toMarkerCorner(
            plan_, roomSettings().dimension(Coordinate::X), roomSettings().dimension(Coordinate::Y),
            {parseDecimal(p.x, separator), parseDecimal(p.y, separator)});
        setupMarkers_[i].first->move(corner.left, corner.top);
        setupMarkers_[i].first->raise();
        placeMarkerName(setupMarkers_[i].second, corner);
        setupMarkers_[i].second->raise();
    }
}

// Subwoofers and other seats a smaller room leaves outside are brought to its nearest
// wall, floor or ceiling, as the room file's markers are pulled back, so that the setup
// saved afterwards opens again. The room's own two-decimal bound keeps the written text
// inside it.
void MainWindow::pullSetupIntoRoom(double width, double depth, double height) {
    BassSetup setup = document_.setup();
    const char separator = decimalSeparator();
    const double limits[3]{width, depth, height};
    bool pulled = false;
    const auto pull = [&](PositionTexts& p) {
        std::string* texts[3]{&p.x, &p.y, &p.z};
        for (int a = 0; a < 3; ++a) {
            const double value = parseDecimal(*texts[a], separator);
            if (value < 0.0 || value > limits[a]) {
                *texts[a] = formatPosition(std::clamp(value, 0.0, std::floor(limits[a] * 100 + 1e-9) / 100),
                                           separator);
                pulled = true;
            }
        }
    };
    for (std::size_t s = 2; s < setup.texts.sources.size(); ++s) // SP1 and SP2 are the room file's
        pull(setup.texts.sources[s]);
    for (std::size_t s = 1; s < setup.texts.seats.size(); ++s)
        pull(setup.texts.seats[s]);
    if (pulled)
        document_.setSetup(setup);
}

// The name stays on the plan, clear of the wall lines (markerNameCorner).
void MainWindow::placeMarkerName(QLabel* name, PixelPoint markerCorner) {
    name->adjustSize();
    const PixelPoint at = markerNameCorner(plan_, markerCorner, name->width(), name->height());
    name->move(at.left, at.top);
}

void MainWindow::dragSetupMarker(std::size_t index, QPoint position) {
    if (!dragging_)
        return;
    auto [shape, label] = setupMarkers_.at(index);
    const PixelPoint corner =
        dragMarker(plan_, {shape->x(), shape->y()}, {position.x(), position.y()}, grabPoint_);
    shape->move(corner.left, corner.top);
    placeMarkerName(label, corner);
    BassSetup setup = document_.setup();
    const auto subs = static_cast<std::size_t>(setup.subwooferCount());
    PositionTexts& p = index < subs ? setup.texts.sources[setup.loudspeakers.size() + index]
                                    : setup.texts.seats[1 + index - subs];
    const char separator = decimalSeparator();
    p.x = formatPosition(markerX(plan_, roomSettings().dimension(Coordinate::X), corner.left), separator);
    p.y = formatPosition(markerY(plan_, roomSettings().dimension(Coordinate::Y), corner.top), separator);
    document_.setSetup(setup);
}

void MainWindow::setupMarkerReleased(std::size_t index) {
    dragging_ = false;
    recalculateResponse();
    const QString name = index < setupMarkerSubs_
                             ? QStringLiteral("SW%1").arg(index + 1)
                             : QStringLiteral("座席 %1").arg(index - setupMarkerSubs_ + 2);
    document_.commit(name + QStringLiteral(" の移動"));
}

// With subwoofers or a crossover the chart's curves are seat 1's through the setup; with
// other seats their Totals are drawn thin (or as a band) and the seats' figures written.
void MainWindow::calculateSeats(const Scene& scene) {
    const BassSetup setup = document_.setup();
    placeSetupMarkers();
    if (setup.plain()) {
        if (seatFigures_) {
            seatFigures_.reset();
            responseChart_->showSeatCurves({}, {}, false);
            seatCaption_->hide();
        }
        return;
    }
    const int crossover = setup.crossover;
    const bool subsOnly = subsOnlyAction_->isChecked() && setup.subwooferCount() > 0;
    std::vector<QVector<double>> others;
    QVector<double> frequencies;
    for (int j = computed_.first; j <= computed_.last; ++j)
        frequencies.append(j / 2.0);
    const std::vector<Curve> totals = seatTotals(scene, crossover, false, computed_);
    for (std::size_t s = 1; s < totals.size(); ++s) {
        QVector<double> values;
        for (int j = computed_.first; j <= computed_.last; ++j)
            values.append(totals[s][static_cast<std::size_t>(j)]);
        others.push_back(values);
    }
    responseChart_->showSeatCurves(frequencies, others, seatBandAction_->isChecked());
    if (scene.seats.size() > 1)
        seatFigures_ = setupFigures(scene, crossover, subsOnly, seatComparisonBand_);
    else
        seatFigures_.reset();
    // Each other seat's own figures on its marker's tip.
    const std::size_t subs = scene.sources.size() - 2;
    for (std::size_t i = subs; i < setupMarkers_.size() && seatFigures_; ++i) {
        const std::size_t seat = i - subs + 1;
        setupMarkers_[i].first->setToolTip(QStringLiteral("座席 %1: ばらつき %2 dB、平均 %3 dB")
                                               .arg(seat + 1)
                                               .arg(QLocale().toString(seatFigures_->spread.at(seat), 'f', 2),
                                                    QLocale().toString(seatFigures_->mean.at(seat), 'f', 1)));
    }
    writeSeatCaption();
}

void MainWindow::showSeatComparisonBand() {
    seatComparisonBandAction_->setText(QStringLiteral("座席の比較の帯域... (%1–%2 Hz)")
                                           .arg(seatComparisonBand_.low)
                                           .arg(seatComparisonBand_.high));
}

void MainWindow::writeSeatCaption() {
    if (!seatFigures_) {
        seatCaption_->hide();
        return;
    }
    // Two lines, clear of the response map's legend to the right, each figure with its band
    // (the map's band is another).
    setCaption(
        seatCaption_,
        QStringLiteral("座席間のばらつき %1 dB  平均 %2 dB\n座席 1 のばらつき %3 dB (座席の比較 %4–%5 Hz%6)")
            .arg(QLocale().toString(seatFigures_->variation, 'f', 2),
                 QLocale().toString(seatFigures_->meanLevel, 'f', 1),
                 QLocale().toString(seatFigures_->spread.at(0), 'f', 2))
            .arg(seatComparisonBand_.low)
            .arg(seatComparisonBand_.high)
            .arg(subsOnlyAction_->isChecked() ? QStringLiteral(", SW のみ") : QString()));
    seatCaption_->show();
}

void MainWindow::showSubwooferOptimiser() {
    if (!subwooferOptimiser_) {
        subwooferOptimiser_ = new SubwooferOptimiserWindow(this);
        subwooferOptimiser_->readSetup = [this] { return bassSetup(); };
        subwooferOptimiser_->showSetup = [this](const BassSetup* setup) {
            if (setup)
                previewSetup(*setup);
            else
                responseChart_->clearCandidate();
        };
        subwooferOptimiser_->applySetup = [this](const BassSetup& setup) {
            responseChart_->clearCandidate();
            takeSetup(setup, QStringLiteral("サブウーファーの最適化の適用"));
        };
    }
    subwooferOptimiser_->show();
    subwooferOptimiser_->raise();
    subwooferOptimiser_->activateWindow();
}

// A configuration looked at: seat 1's Total as the candidate curve and the other seats'
// Totals as their thin curves or band, until the next calculation.
void MainWindow::previewSetup(const BassSetup& setup) {
    const Scene scene = setupScene(setup, decimalSeparator());
    const std::vector<Curve> totals = seatTotals(scene, setup.crossover, false, computed_);
    QVector<double> frequencies;
    std::vector<QVector<double>> levels(totals.size());
    for (int j = computed_.first; j <= computed_.last; ++j) {
        frequencies.append(j / 2.0);
        for (std::size_t s = 0; s < totals.size(); ++s)
            levels[s].append(totals[s][static_cast<std::size_t>(j)]);
    }
    const QVector<double> first = levels.front();
    levels.erase(levels.begin());
    responseChart_->showSeatCurves(frequencies, levels, seatBandAction_->isChecked());
    responseChart_->showCandidate(frequencies, first);
}

} // namespace kolmarin
