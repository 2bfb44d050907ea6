// Undo and redo through the edit menu: a committed change is one step, taken back and done
// again to the texts and curves it found and left; typing alone is no step.
#include "main_window_fixture.h"

#include "dialogs/placed_things_window.h"
#include "files/room_file.h"
#include "model/acoustics/placed_things.h"
#include "model/text/number_text.h"

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

    // A value typed into the table of placed things is one step, which the plan, the chart
    // and the seats follow; a refused one changes nothing and is no step.
    void aTableEditIsOneStepAndARefusedOneNone() {
        BassSetup setup = document().setup();
        setup.texts.sources.push_back({"0.30", "0.30", "0.30"});
        setup.subwoofers = {{0.0, 0.0, false}};
        setup.texts.seats.push_back({"0.86", "2.90", "1.00"});
        document().applySetup(setup, QStringLiteral("準備"));
        control<QAction>(mainWindow(), "placedThingsAction")->trigger();
        auto& table = *static_cast<PlacedThingsWindow*>(control<QWidget>(mainWindow(), "placedThingsWindow"));
        using Column = PlacedThingsWindow::Column;
        const std::vector<PlacedThing> things = placedThings(setup); // SP1, SP2, SW1, seats 1 and 2
        QCOMPARE(things.size(), std::size_t{5});
        const struct {
            const PlacedThing& thing;
            Column column;
            QString text;
            QString step;
        } edits[]{{things[0], Column::X, QStringLiteral("1.0"), QStringLiteral("スピーカー1 の移動")},
                  {things[4], Column::Y, QStringLiteral("3.5"), QStringLiteral("座席 2 の移動")},
                  {things[2], Column::Level, QStringLiteral("-6"), QStringLiteral("SW1 の設定")},
                  {things[2], Column::Polarity, QStringLiteral("-"), QStringLiteral("SW1 の設定")}};
        for (const auto& edit : edits) {
            const Shown before = shown();
            table.edit(edit.thing, edit.column, edit.text);
            checkUndoAndRedo(before, edit.step);
        }
        QCOMPARE(document().setup().texts.sources[0].x, formatPosition(1.0));
        QCOMPARE(document().setup().subwoofers[0], (SubwooferSignal{-6.0, 0.0, true}));
        QCOMPARE(table.cellText(things[4], Column::Spread),
                 QLocale().toString(mainWindow().seatFigures()->spread[1], 'f', 2));

        const Shown before = shown();
        for (const QString& text : {QStringLiteral("9.99"), QStringLiteral("abc")})
            QVERIFY_THROWS_EXCEPTION(UserError, table.edit(things[0], Column::Y, text));
        QVERIFY(shown() == before);
        QCOMPARE(table.cellText(things[0], Column::Y), QString::fromStdString(before.texts.sources[0].y));
        QCOMPARE(control<QAction>(mainWindow(), "undoAction")->text(),
                 QStringLiteral("元に戻す: SW1 の設定"));
    }

    // A centre added from the table stands on the plan, and adding it, making it large and
    // taking it away again are one step each; the fronts stay.
    void aCentreComesAndGoesFromTheTableAsStepsOfItsOwn() {
        BassSetup setup = document().setup();
        setup.crossover = 80;
        document().applySetup(setup, QStringLiteral("準備"));
        control<QAction>(mainWindow(), "placedThingsAction")->trigger();
        auto& table = *static_cast<PlacedThingsWindow*>(control<QWidget>(mainWindow(), "placedThingsWindow"));
        Shown before = shown();
        table.addLoudspeaker(LoudspeakerRole::Centre);
        QVERIFY(control<MarkerShape>(mainWindow(), "cMarker")->isVisible());
        checkUndoAndRedo(before, QStringLiteral("センター の追加"));
        const PlacedThing centre = placedThings(document().setup()).at(2);
        QCOMPARE(centre.label, std::string("C"));

        before = shown();
        table.edit(centre, PlacedThingsWindow::Column::Size, QStringLiteral("ラージ"));
        QVERIFY(mainWindow().responseCurves().total != before.curves.total);
        checkUndoAndRedo(before, QStringLiteral("C の設定"));

        before = shown();
        table.removeLoudspeaker(centre);
        checkUndoAndRedo(before, QStringLiteral("センター を外す"));
        QVERIFY_THROWS_EXCEPTION(UserError, table.removeLoudspeaker(placedThings(document().setup()).at(0)));
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
