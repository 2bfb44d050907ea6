// The subwoofer dialog, the table of placed things, and each source's curve at each seat
// written out for measurement software.
#include "mainwindow/main_window.h"

#include "dialogs/placed_things_window.h"
#include "dialogs/subwoofer_dialog.h"
#include "files/save_file.h"
#include "files/seat_curve_text.h"
#include "widgets/ui_support.h"
#include "widgets/user_dialogs.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace kolmarin {

void MainWindow::createSubwooferCommands() {
    subwooferDialogAction_ = settingsMenu_->addAction(QStringLiteral("サブウーファーとクロスオーバー..."));
    subwooferDialogAction_->setObjectName(QStringLiteral("subwooferDialogAction"));
    QAction* placedThings = settingsMenu_->addAction(QStringLiteral("配置の一覧..."));
    placedThings->setObjectName(QStringLiteral("placedThingsAction"));
    connect(placedThings, &QAction::triggered, this, commandSlot(this, [this] { showPlacedThings(); }));
    exportSeatCurvesAction_ = new QAction(QStringLiteral("曲線を座席ごとに書き出す..."), fileMenu_);
    exportSeatCurvesAction_->setObjectName(QStringLiteral("exportSeatCurvesAction"));
    const QList<QAction*> items = fileMenu_->actions();
    fileMenu_->insertAction(items.value(items.indexOf(saveSetupAction_) + 1), exportSeatCurvesAction_);
    connect(subwooferDialogAction_, &QAction::triggered, this,
            commandSlot(this, [this] { showSubwooferDialog(); }));
    connect(exportSeatCurvesAction_, &QAction::triggered, this,
            commandSlot(this, [this] { exportSeatCurves(); }));
}

void MainWindow::showSubwooferDialog() {
    auto* dialog = new SubwooferDialog(document_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void MainWindow::showPlacedThings() {
    if (!placedThings_)
        placedThings_ = new PlacedThingsWindow(document_, this);
    placedThings_->show();
    placedThings_->raise();
    placedThings_->activateWindow();
}

// Every file is written whole or not at all; the first that fails stops the rest and says
// which file it was.
void MainWindow::exportSeatCurves() {
    const BassSetup setup = bassSetup();
    const std::vector<SeatCurveFile> files =
        sourceCurveTexts(setupScene(setup, decimalSeparator()), setup.crossover, sourceLabels(setup));
    const QString folder =
        askFileName(this, FileDialogKind::Folder,
                    {QStringLiteral("曲線を書き出すフォルダー"), QString(), seatCurveFolder_, QString()});
    if (folder.isEmpty())
        return;
    seatCurveFolder_ = folder;
    const QDir dir(folder);
    bool replacing = false; // asked once, for the first file already there
    for (const SeatCurveFile& file : files) {
        const QString path = dir.filePath(file.name);
        if (!replacing && QFileInfo::exists(path)) {
            if (!mayOverwrite(this, path))
                return;
            replacing = true;
        }
        try {
            saveFileAtomically(path, file.text);
        } catch (const std::exception& e) {
            throw UserError(toStdString(fileMessage(path, QString::fromUtf8(e.what()))));
        }
    }
}

} // namespace kolmarin
