// The waterfall from the main window: the 計算 menu shows the window, which follows the
// document's calculations.
#include "dialogs/waterfall_window.h"
#include "mainwindow/main_window.h"
#include "widgets/ui_support.h"

#include <QAction>
#include <QMenu>

namespace kolmarin {

void MainWindow::createWaterfall() {
    QAction* action = calculationMenu_->addAction(QStringLiteral("減衰 (滝グラフ)..."));
    action->setObjectName(QStringLiteral("waterfallAction"));
    connect(action, &QAction::triggered, this, commandSlot(this, [this] { showWaterfall(); }));
}

void MainWindow::showWaterfall() {
    if (!waterfall_) {
        waterfall_ = new WaterfallWindow(document_, printer_, this);
    }
    waterfall_->show();
    waterfall_->raise();
    waterfall_->activateWindow();
}

} // namespace kolmarin
