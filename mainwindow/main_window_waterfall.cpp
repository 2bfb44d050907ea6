// The waterfall from the main window: the 計算 menu shows the window, and every
// calculation hands it the impulse responses its curves came from.
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
        waterfall_ = new WaterfallWindow([this]() -> QPrinter& { return printer(); }, this);
        if (computed_.first <= computed_.last)
            waterfall_->setImpulseResponses(impulses_, windowTitle());
    }
    waterfall_->show();
    waterfall_->raise();
    waterfall_->activateWindow();
}

} // namespace kolmarin
