// Undo and redo through the edit menu: a committed change is one step, taken back and done
// again to the texts and curves it found and left; typing alone is no step.
#include "main_window_fixture.h"

#include "files/room_file.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QKeySequence>
#include <QTemporaryDir>

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

    // The delay model is a calculation condition: applied, it is one step and the chart's
    // title names it; a room file opened afterwards keeps it.
    void theDelayModelAppliedIsOneStepAndKeptByARoomFile() {
        const Shown before = shown();
        control<QAction>(mainWindow(), "roomSettingsAction")->trigger();
        QTest::keyClick(control<QComboBox>(roomSettings(), "delayModelBox"), Qt::Key_Down);
        QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
        QVERIFY(chart().titleText().endsWith(QStringLiteral("遅延: 連続")));
        checkUndoAndRedo(before, QStringLiteral("部屋、計算条件の変更"));
        QVERIFY(chart().titleText().endsWith(QStringLiteral("遅延: 連続")));

        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("a.dtr")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(roomFileBytes(SceneTexts{})) > 0);
        file.close();
        QCOMPARE(roomSettings().openRoomFileAt(file.fileName()), OpenOutcome::Loaded);
        QCOMPARE(document().texts().delays, DelayModel::Continuous);
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
