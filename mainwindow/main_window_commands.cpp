// The main window's menu commands: each hands over to the window or file command that
// does the work.
#include "dialogs/about_box.h"
#include "dialogs/axis_settings_dialog.h"
#include "dialogs/eigenmode_command.h"
#include "dialogs/mode_list_window.h"
#include "dialogs/room_settings_dialog.h"
#include "mainwindow/chart_panel.h"
#include "mainwindow/help_file.h"
#include "mainwindow/main_window.h"
#include "printing/graph_print.h"
#include "widgets/response_chart.h"
#include "widgets/save_command.h"
#include "widgets/ui_support.h"

#include <QPrinter>

namespace kolmarin {

namespace {

void bringForward(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

// The window follows the scene after a load or a cancelled dialog. A refused file or one
// that could not be read changed nothing, so the window, chart title included, stays as it
// was.
bool followsOpenedFile(OpenOutcome outcome) {
    return outcome == OpenOutcome::Loaded || outcome == OpenOutcome::Cancelled;
}

} // namespace

QPrinter& MainWindow::printer() {
    return printer_.printer();
}

void MainWindow::openRoomFile() {
    followOpenedFile(roomSettings().openRoomFile());
}

void MainWindow::openRoomFileAt(const QString& path) {
    followOpenedFile(roomSettings().openRoomFileAt(path));
}

void MainWindow::followOpenedFile(OpenOutcome outcome) {
    if (!followsOpenedFile(outcome))
        return;
    if (outcome == OpenOutcome::Loaded)
        applyOpenedFile(QStringLiteral("部屋データを開く"));
    else
        applyScene();
}

void MainWindow::saveRoomFile() {
    roomSettings().saveRoomFile();
}

void MainWindow::saveResultFile() {
    resultFile_.run(this, bassSetup(), document_.result().curves, document_.result().computed);
}

SceneGroups MainWindow::sceneOnPage() const {
    const BassSetup setup = bassSetup();
    if (setup.plain())
        return {};
    std::optional<SeatSummary> seats;
    if (const std::optional<SeatFigures>& figures = document_.result().seatFigures)
        seats = SeatSummary{*figures, seatComparisonBand_, subsOnlyAction_->isChecked()};
    return sceneGroups(setup, seats, decimalSeparator());
}

QByteArray MainWindow::chartImage(ChartImageFormat format) {
    return chartImageBytes(chart_->chart(), format, sceneOnPage());
}

void MainWindow::saveChartImage() {
    // The format follows the name's extension, whichever filter is chosen: the dialog adds
    // the chosen filter's extension to a name typed without one, and a name typed with
    // another extension than the two is refused rather than given bytes it does not name.
    saveImageThroughDialog(this, chartImageProposal_,
                           [this](ChartImageFormat format) { return chartImage(format); });
}

void MainWindow::printChart() {
    if (const SceneGroups scene = sceneOnPage(); !scene.empty())
        printGraph(*this, chart_->chart(), scene, printer());
    else
        printGraph(*this, chart_->chart(), document_.texts(), printer());
}

void MainWindow::printWindow() {
    printWholeWindow(*this, *centralWidget(), printer());
}

void MainWindow::exitProgram() {
    close();
}

void MainWindow::showModes() {
    computeAndShowEigenmodes(document_, modeList());
}

void MainWindow::showRoomSettings() {
    bringForward(roomSettings());
}

void MainWindow::showAxisSettings() {
    bringForward(axisSettings());
}

void MainWindow::openHelp() {
    openHelpFile(this);
}

void MainWindow::showAbout() {
    aboutBox().exec();
}

} // namespace kolmarin
