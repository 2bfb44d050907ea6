// The main window as a view of the scene document: the read-outs and the caption follow
// its texts, an applied scene lays the window out, and the edit menu takes steps back and
// forward.
#include "mainwindow/main_window.h"

#include "widgets/ui_support.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace kolmarin {

void MainWindow::showChanges(SceneDocument::Changes what) {
    if (what.testFlag(SceneDocument::Caption))
        setWindowTitle(document_.caption());
}

// A failure goes back to whoever applied the scene, which shows it where the user acted.
void MainWindow::layOutApplied() {
    try {
        applyScene();
    } catch (...) {
        document_.refuse(std::current_exception());
    }
}

void MainWindow::createEditMenu() {
    editMenu_ = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    editMenu_->setObjectName(QStringLiteral("editMenu"));
    undoAction_ = editMenu_->addAction(QString());
    undoAction_->setObjectName(QStringLiteral("undoAction"));
    undoAction_->setShortcuts(QKeySequence::Undo);
    redoAction_ = editMenu_->addAction(QString());
    redoAction_->setObjectName(QStringLiteral("redoAction"));
    // Ctrl+Y and Ctrl+Shift+Z both, whichever the desktop calls its own.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)})
        if (!redoKeys.contains(key))
            redoKeys.append(key);
    redoAction_->setShortcuts(redoKeys);
    connect(undoAction_, &QAction::triggered, this,
            commandSlot(this, [this] { applyOrClear([this] { document_.undo(); }); }));
    connect(redoAction_, &QAction::triggered, this,
            commandSlot(this, [this] { applyOrClear([this] { document_.redo(); }); }));
    connect(&document_, &SceneDocument::historyChanged, this, &MainWindow::showHistory);
    showHistory();
}

void MainWindow::showHistory() {
    const auto name = [](const QString& command, const QString& step) {
        return step.isEmpty() ? command : command + QStringLiteral(": ") + step;
    };
    undoAction_->setText(name(QStringLiteral("元に戻す"), document_.undoName()));
    undoAction_->setEnabled(document_.canUndo());
    redoAction_->setText(name(QStringLiteral("やり直し"), document_.redoName()));
    redoAction_->setEnabled(document_.canRedo());
}

} // namespace kolmarin
