// The main window as a view of the scene document: the read-outs and the caption follow
// its texts, an applied scene lays the window out, and the edit menu takes steps back and
// forward.
#include "mainwindow/main_window.h"

#include "model/text/number_text.h"
#include "widgets/ui_support.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace kolmarin {

namespace {

std::string& coordinateText(PositionTexts& position, Coordinate coordinate) {
    return coordinate == Coordinate::X ? position.x : coordinate == Coordinate::Y ? position.y : position.z;
}

constexpr PlacedObject kObjects[]{PlacedObject::SP1, PlacedObject::SP2, PlacedObject::Listener};

} // namespace

void MainWindow::showChanges(SceneDocument::Changes what) {
    if (what.testFlag(SceneDocument::Caption))
        setWindowTitle(document_.caption());
    // Subwoofers and seats come and go with a setup (a room file opened in the settings
    // dialog takes them away); a marker being dragged follows the pointer on its own.
    if (what.testFlag(SceneDocument::Setup) && !dragging_)
        placeSetupMarkers();
    if (!what.testFlag(SceneDocument::Positions))
        return;
    SceneTexts texts = document_.texts();
    for (PlacedObject object : kObjects)
        for (Coordinate coordinate : {Coordinate::X, Coordinate::Y, Coordinate::Z})
            readOut(object, coordinate)
                ->setText(toQString(coordinateText(positionTexts(texts, object), coordinate)));
}

// A failure goes back to whoever applied the scene, which shows it where the user acted.
void MainWindow::layOutApplied() {
    try {
        applyScene();
    } catch (...) {
        document_.refuse(std::current_exception());
    }
}

void MainWindow::writePosition(PlacedObject object, Coordinate coordinate, double value) {
    SceneTexts texts = document_.texts();
    coordinateText(positionTexts(texts, object), coordinate) = formatPosition(value, decimalSeparator());
    document_.setTexts(texts);
}

std::string MainWindow::positionText(PlacedObject object, Coordinate coordinate) const {
    SceneTexts texts = document_.texts();
    return coordinateText(positionTexts(texts, object), coordinate);
}

Point3 MainWindow::position(PlacedObject object) const {
    SceneTexts texts = document_.texts();
    const PositionTexts& p = positionTexts(texts, object);
    const char separator = decimalSeparator();
    return {parseDecimal(p.x, separator), parseDecimal(p.y, separator), parseDecimal(p.z, separator)};
}

QString MainWindow::moveStepName(PlacedObject object) {
    const QString names[]{QStringLiteral("スピーカー1"), QStringLiteral("スピーカー2"),
                          QStringLiteral("聴取者")};
    return names[static_cast<int>(object)] + QStringLiteral(" の移動");
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
