// The main window's scene operations: laying the window out for the scene and the response
// calculation.
#include "mainwindow/chart_panel.h"
#include "mainwindow/main_window.h"
#include "mainwindow/plan_panel.h"
#include "mainwindow/response_map_layer.h"

#include "dialogs/axis_settings_dialog.h"
#include "dialogs/placement_search_window.h"
#include "dialogs/room_settings_dialog.h"
#include "dialogs/subwoofer_optimiser_window.h"
#include "model/acoustics/amplifying_surfaces.h"
#include "model/text/number_text.h"
#include "widgets/busy_cursor.h"
#include "widgets/placed_controls.h"
#include "widgets/response_chart.h"
#include "widgets/ui_support.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>

namespace kolmarin {

double MainWindow::roomSize(Coordinate axis) const {
    const SceneText text = axis == Coordinate::X   ? &SceneTexts::width
                           : axis == Coordinate::Y ? &SceneTexts::depth
                                                   : &SceneTexts::height;
    return readRoomSize(document_.texts(), text, decimalSeparator());
}

void MainWindow::applyScene() {
    const SceneTexts texts = document_.texts();
    const double width = roomSize(Coordinate::X);
    const double depth = roomSize(Coordinate::Y);
    const double height = roomSize(Coordinate::Z);
    // A room without extent has no plan: refuse it before anything is moved.
    checkRoomSize(width, depth, height);

    planPanel_->layOut(width, depth, height);
    setCaption(roomSizeCaption_,
               QStringLiteral("幅：%1m 奥行：%2m 高さ：%3m")
                   .arg(toQString(texts.width), toQString(texts.depth), toQString(texts.height)));
    setCaption(reflectionCaption_,
               QStringLiteral("反射率  前%1  後%2  右%3  左%4  上%5  下%6")
                   .arg(toQString(texts.reflFront), toQString(texts.reflBack), toQString(texts.reflRight),
                        toQString(texts.reflLeft), toQString(texts.reflCeiling), toQString(texts.reflFloor)));
    setCaption(reflectionCountCaption_, QStringLiteral("反射回数 ") + toQString(texts.reflectionCount));
    // The caption under the chart says why its levels may climb without bound.
    QStringList warnings;
    for (const std::string& warning : amplifyingSurfaces(texts, decimalSeparator()))
        warnings.append(QStringLiteral("注意: ") + toQString(warning));
    chart_->chart().setFootText(warnings.join(QLatin1Char('\n')));
    recalculateResponse();
}

// An opened file is the scene the window shows, calculated or not: its name is in the
// title, and the chart, figures and result file of the scene before it would stand under
// that name. So a failed calculation leaves them empty, and the file is one step that an
// undo takes back whole.
void MainWindow::applyOpenedFile(const QString& step) {
    try {
        applyScene();
    } catch (...) {
        clearCalculation();
        document_.commit(step);
        throw;
    }
    document_.commit(step);
}

void MainWindow::applyOrClear(const std::function<void()>& change) {
    try {
        change();
    } catch (...) {
        clearCalculation();
        throw;
    }
}

// The scene as the calculation reads it (see SceneDocument::calculationScene), so the
// chart, the map, the search and the waterfall all show the same scene.
Scene MainWindow::readScene() const {
    return document_.calculationScene(decimalSeparator());
}

void MainWindow::placed(const QString& step) {
    recalculateResponse();
    document_.commit(step);
}

void MainWindow::clearCalculation() {
    SceneResult none;
    none.calculatedAt = QStringLiteral("計算できません");
    document_.setResult(std::move(none));
}

void MainWindow::recalculateResponse() {
    BusyCursor busy;
    // The map's thread would take the processor from the calculation.
    mapLayer_->stop();
    const Scene scene = readScene();
    // A calculation overwrites only the elements of its own range; the others stay as the
    // last one left them.
    SceneResult result = document_.result();
    calculateResponse(scene, result.curves, result.impulses);
    result.scene = scene;
    result.computed = storedElements(scene.startFrequency, scene.endFrequency);
    calculateSeats(result);
    result.calculatedAt = QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    document_.setResult(std::move(result));
}

// The seats' caption follows the document's result (none after a failure), as the chart,
// the plan's markers and the map layer do.
void MainWindow::showResult() {
    writeSeatCaption();
}

} // namespace kolmarin
