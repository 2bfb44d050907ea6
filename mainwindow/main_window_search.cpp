// The placement search from the main window: the 計算 menu opens the search window, which
// reads the scene through the main window, draws a chosen placement's Total as the dashed
// candidate curve, and moves the markers there only when 適用 is pressed.
#include "dialogs/placement_search_window.h"
#include "dialogs/room_settings_dialog.h"
#include "mainwindow/chart_panel.h"
#include "mainwindow/main_window.h"
#include "mainwindow/plan_panel.h"
#include "mainwindow/response_map_layer.h"
#include "widgets/response_chart.h"
#include "widgets/ui_support.h"

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/placement.h"
#include "model/text/number_text.h"

#include <QAction>
#include <QMenu>

#include <optional>

namespace kolmarin {

void MainWindow::createPlacementSearch() {
    placementSearchAction_ = calculationMenu_->addAction(QStringLiteral("配置の探索..."));
    placementSearchAction_->setObjectName(QStringLiteral("placementSearchAction"));
    connect(placementSearchAction_, &QAction::triggered, this,
            commandSlot(this, [this] { showPlacementSearch(); }));
}

void MainWindow::showPlacementSearch() {
    if (!placementSearch_) {
        placementSearch_ = new PlacementSearchWindow(document_, this);
        mapLayer_->setSearchWindow(placementSearch_);
        connect(placementSearch_, &PlacementSearchWindow::candidateChanged, this,
                [this](const std::optional<Placement>& placement) {
                    runCommand(placementSearch_, [&] { showCandidate(placement ? &*placement : nullptr); });
                });
        // A failure is shown over the search window, where 適用 was pressed.
        connect(placementSearch_, &PlacementSearchWindow::placementApplied, this,
                [this](const Placement& placement) {
                    runCommand(placementSearch_, [&] {
                        moveSeatsWith(placement.listener);
                        planPanel_->applyPlacement(placement);
                    });
                });
    }
    placementSearch_->show();
    placementSearch_->raise();
    placementSearch_->activateWindow();
}

// The seats after the listener to where they keep their places relative to `listener`; the
// plan's move that follows makes it one step with the rest.
void MainWindow::moveSeatsWith(const Point3& listener) {
    const std::vector<Point3> seats = seatsWith(readScene(), listener);
    if (seats.size() < 2)
        return;
    const char separator = decimalSeparator();
    BassSetup setup = document_.setup();
    for (std::size_t i = 1; i < seats.size() && i < setup.texts.seats.size(); ++i) {
        setup.texts.seats[i].x = formatPosition(seats[i].x, separator);
        setup.texts.seats[i].y = formatPosition(seats[i].y, separator);
    }
    document_.setSetup(setup);
}

// One calculation of the placement's scene, in this thread: a few milliseconds.
void MainWindow::showCandidate(const Placement* placement) {
    if (!placement) {
        chart_->clearCandidate();
        return;
    }
    const Scene scene = withPlacement(readScene(), *placement);
    ResponseCurves curves;
    calculateResponse(scene, curves);
    chart_->showCandidate(curves.total, storedElements(scene.startFrequency, scene.endFrequency));
}

} // namespace kolmarin
