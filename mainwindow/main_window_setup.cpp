// The main window's subwoofers and other seats: the setup file commands, their markers on
// the plan, and the other seats' curves and figures. Without them the window is the room
// file's window: no marker, curve, caption or calculation is added.
#include "mainwindow/chart_panel.h"
#include "mainwindow/main_window.h"

#include "dialogs/band_dialog.h"
#include "dialogs/room_settings_dialog.h"
#include "dialogs/subwoofer_optimiser_window.h"
#include "files/setup_file.h"
#include "model/text/number_text.h"
#include "widgets/placed_controls.h"
#include "widgets/recent_files_menu.h"
#include "widgets/save_command.h"
#include "widgets/ui_support.h"
#include "widgets/user_dialogs.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenu>

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
    connect(seatBandAction_, &QAction::toggled, this, commandSlot(this, [this] {
                chart_->setOtherSeatsAsBand(seatBandAction_->isChecked());
                recalculateResponse();
            }));
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

void MainWindow::saveSetupFile() {
    const QByteArray bytes = setupFileBytes(bassSetup(), decimalSeparator());
    if (saveThroughDialog(this, kSetupDialog, setupProposal_, bytes)) {
        document_.setCaption(captionFor(setupProposal_));
        recentFilesMenu_->remember(setupProposal_);
    }
}

// With other seats their Totals are drawn thin (or as a band) and the seats' figures
// written; without a setup nothing of them is calculated.
void MainWindow::calculateSeats(SceneResult& result) const {
    result.otherSeatTotals.clear();
    result.seatFigures.reset();
    const BassSetup setup = document_.setup();
    if (setup.plain())
        return;
    const bool subsOnly = subsOnlyAction_->isChecked() && setup.subwooferCount() > 0;
    OtherSeatResults others =
        otherSeatResults(result.scene, setup.crossover, subsOnly, result.computed, seatComparisonBand_);
    result.otherSeatTotals = std::move(others.totals);
    result.seatFigures = std::move(others.figures);
}

void MainWindow::showSeatComparisonBand() {
    seatComparisonBandAction_->setText(QStringLiteral("座席の比較の帯域... (%1–%2 Hz)")
                                           .arg(seatComparisonBand_.low)
                                           .arg(seatComparisonBand_.high));
}

void MainWindow::writeSeatCaption() {
    const std::optional<SeatFigures>& figures = document_.result().seatFigures;
    if (!figures) {
        seatCaption_->hide();
        return;
    }
    // Two lines, clear of the response map's legend to the right, each figure with its band
    // (the map's band is another).
    setCaption(
        seatCaption_,
        QStringLiteral("座席間のばらつき %1 dB  平均 %2 dB\n座席 1 のばらつき %3 dB (座席の比較 %4–%5 Hz%6)")
            .arg(QLocale().toString(figures->variation, 'f', 2),
                 QLocale().toString(figures->meanLevel, 'f', 1),
                 QLocale().toString(figures->spread.at(0), 'f', 2))
            .arg(seatComparisonBand_.low)
            .arg(seatComparisonBand_.high)
            .arg(subsOnlyAction_->isChecked() ? QStringLiteral(", SW のみ") : QString()));
    seatCaption_->show();
}

void MainWindow::showSubwooferOptimiser() {
    if (!subwooferOptimiser_) {
        subwooferOptimiser_ = new SubwooferOptimiserWindow(document_, this);
        connect(subwooferOptimiser_, &SubwooferOptimiserWindow::candidateChanged, this,
                [this](const std::optional<BassSetup>& setup) {
                    runCommand(subwooferOptimiser_, [&] {
                        if (setup)
                            previewSetup(*setup);
                        else
                            chart_->clearCandidate();
                    });
                });
        // A failure is shown over the optimiser, where 適用 was pressed.
        connect(subwooferOptimiser_, &SubwooferOptimiserWindow::setupApplied, this,
                [this](const BassSetup& setup) {
                    chart_->clearCandidate();
                    runCommand(subwooferOptimiser_, [&] {
                        document_.applySetup(setup, QStringLiteral("サブウーファーの最適化の適用"));
                    });
                });
    }
    subwooferOptimiser_->show();
    subwooferOptimiser_->raise();
    subwooferOptimiser_->activateWindow();
}

// A configuration looked at: seat 1's Total as the candidate curve and the other seats'
// Totals as their thin curves or band, until the next calculation.
void MainWindow::previewSetup(const BassSetup& setup) {
    const Scene scene = setupScene(setup, decimalSeparator());
    const ElementRange computed = document_.result().computed;
    chart_->showSeatCandidates(seatTotals(scene, setup.crossover, false, computed), computed);
}

} // namespace kolmarin
