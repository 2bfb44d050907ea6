// Undo and redo through the edit menu: a committed change is one step, taken back and done
// again to the texts and curves it found and left; typing alone is no step.
#include "main_window_fixture.h"

#include <QAction>
#include <QKeySequence>

using namespace kolmarin;
using kolmarin::testing::control;

class TestUndo : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

  private slots:
    void initTestCase() { setUpApplication(); }
    void init() { start(); }
    void cleanup() { stop(); }

    void nothingToUndoAtStartUp() {
        QAction* undo = control<QAction>(mainWindow(), "undoAction");
        QVERIFY(!undo->isEnabled());
        QCOMPARE(undo->text(), QStringLiteral("元に戻す"));
        QVERIFY(undo->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
        const QList<QKeySequence> redoKeys = control<QAction>(mainWindow(), "redoAction")->shortcuts();
        QVERIFY(redoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
        QVERIFY(redoKeys.contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    }

    void aDragIsOneStep() {
        const Shown before = shown();
        auto* marker = control<MarkerShape>(mainWindow(), "sp2Marker");
        QTest::mousePress(marker, Qt::LeftButton, {}, QPoint(7, 7));
        QTest::mouseMove(marker, QPoint(-30, 50));
        QTest::mouseRelease(marker, Qt::LeftButton, {}, QPoint(-30, 50));
        checkUndoAndRedo(before, QStringLiteral("スピーカー2 の移動"));
    }

    void theSettingsAppliedAreOneStepAndTypingIsNone() {
        const Shown before = shown();
        control<QAction>(mainWindow(), "roomSettingsAction")->trigger();
        QLineEdit* width = control<QLineEdit>(roomSettings(), "roomWidthBox");
        width->selectAll();
        QTest::keyClicks(width, QStringLiteral("3.1"));
        QVERIFY(!control<QAction>(mainWindow(), "undoAction")->isEnabled());
        QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
        checkUndoAndRedo(before, QStringLiteral("部屋、計算条件の変更"));
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
