// The main window with subwoofers and other seats: a setup file opened shows them on the
// plan with the seats' figures the command line gives; a room file save says what it drops;
// each change of the subwoofers, the seats or the crossover is one undo step.
#include "file_command_fixture.h"
#include "find_control.h"

#include "dialogs/subwoofer_dialog.h"
#include "dialogs/subwoofer_optimiser_window.h"
#include "files/bass_settings_text.h"
#include "files/room_file.h"
#include "files/seat_curve_text.h"
#include "files/setup_file.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace kolmarin;
using kolmarin::testing::control;

class TestSetupWindow : public QObject, public testing::FileCommandFixture {
    Q_OBJECT

    static BassSetup twoSubsThreeSeats() {
        BassSetup setup;
        setup.texts = startupSceneTexts();
        setup.texts.sources.push_back({"0.30", "0.30", "0.30"});
        setup.texts.sources.push_back({"2.40", "4.20", "0.30"});
        setup.subwoofers = {{-3.0, 2.5, true}, {0.0, 0.0, false}};
        setup.texts.seats.push_back({"0.86", "2.90", "1.00"});
        setup.texts.seats.push_back({"1.86", "3.40", "1.00"});
        return setup;
    }

    // The optimiser window set to place one subwoofer on the candidates of the file the
    // next answer names, over 20–60 Hz: a search within seconds.
    SubwooferOptimiserWindow& optimiserOverCandidateFile() {
        control<QAction>(mainWindow(), "subwooferOptimiserAction")->trigger();
        auto& window = *static_cast<SubwooferOptimiserWindow*>(
            control<QWidget>(mainWindow(), "subwooferOptimiserWindow"));
        control<QPushButton>(window, "candidateFileButton")->click();
        control<QSpinBox>(window, "countBox")->setValue(1);
        control<QSpinBox>(window, "bandHighBox")->setValue(60);
        return window;
    }

  private slots:
    void initTestCase() { setUpApplication(); }
    void init() { startWithScriptedDialogs(); }
    void cleanup() { stopAndRestoreDialogs(); }

    void aSetupShowsItsMarkersAndTheCommandLinesVariation() {
        for (int crossover : {0, 80}) {
            BassSetup setup = twoSubsThreeSeats();
            setup.crossover = crossover;
            const QString path = dir->filePath(QStringLiteral("a.k2s"));
            testing::writeAll(path, setupFileBytes(setup));
            answers = {path};
            control<QAction>(mainWindow(), "openSetupAction")->trigger();
            QVERIFY2(errors().isEmpty(), qPrintable(errors().join('\n')));
            for (const char* name : {"sw1Marker", "sw2Marker", "seat2Marker", "seat3Marker"})
                QVERIFY(control<MarkerShape>(mainWindow(), name)->isVisible());
            const SeatFigures cli = setupFigures(setupScene(setup, '.'), crossover, false, {20, 120});
            QVERIFY(mainWindow().seatFigures());
            QCOMPARE(mainWindow().seatFigures()->variation, cli.variation);
            QCOMPARE(mainWindow().bassSetup(), setup);
        }
        // Over another band the figures are the command line's over that band.
        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            control<QSpinBox>(*dialog, "bandLowBox")->setValue(30);
            control<QSpinBox>(*dialog, "bandHighBox")->setValue(90);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        control<QAction>(mainWindow(), "seatComparisonBandAction")->trigger();
        BassSetup setup = twoSubsThreeSeats();
        setup.crossover = 80;
        QCOMPARE(mainWindow().seatFigures()->variation,
                 setupFigures(setupScene(setup, '.'), 80, false, {30, 90}).variation);
    }

    void aRoomFileSaveNamesWhatItCannotHoldAndARoomFileTakesThemAway() {
        const QString setupPath = dir->filePath(QStringLiteral("a.k2s"));
        testing::writeAll(setupPath, setupFileBytes(twoSubsThreeSeats()));
        const QString roomPath = dir->filePath(QStringLiteral("a.dtr"));
        answers = {setupPath, roomPath, roomPath, roomPath};
        control<QAction>(mainWindow(), "openSetupAction")->trigger();
        control<QAction>(mainWindow(), "saveRoomAction")->trigger();
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions[0].contains(QStringLiteral("サブウーファー 2 台、聴取位置のほかの座席 2 席")));
        // A damaged setup is refused whole: the subwoofers stay.
        testing::writeAll(dir->filePath(QStringLiteral("b.k2s")), "Kolmarin2 setup 1\nwidth = 2.7\n");
        runCommand(&mainWindow(),
                   [&] { mainWindow().openSetupFileAt(dir->filePath(QStringLiteral("b.k2s"))); });
        QVERIFY(!errors().isEmpty());
        QVERIFY(mainWindow().findChild<MarkerShape*>(QStringLiteral("sw1Marker")));
        control<QAction>(mainWindow(), "openRoomAction")->trigger();
        QVERIFY(!mainWindow().findChild<MarkerShape*>(QStringLiteral("sw1Marker")));
        QVERIFY(!mainWindow().seatFigures());
        // The setup stays among the recent files and opens again as a setup.
        // (Choosing an entry makes the list anew, so the entry is found before it is chosen.)
        const QList<QAction*> entries = control<QMenu>(mainWindow(), "recentFilesMenu")->actions();
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&](const QAction* a) { return a->text().endsWith(setupPath); });
        QVERIFY(entry != entries.end());
        (*entry)->trigger();
        QVERIFY(mainWindow().findChild<MarkerShape*>(QStringLiteral("sw1Marker")));
        // So does the settings dialog's own command.
        control<QAction>(roomSettings(), "openRoomAction")->trigger();
        QVERIFY(mainWindow().bassSetup().plain());
        QVERIFY(!mainWindow().findChild<MarkerShape*>(QStringLiteral("sw1Marker")));
    }

    void aSmallerRoomPullsTheSubwoofersAndSeatsInsideSoTheSetupOpensAgain() {
        testing::writeAll(path("a.k2s"), setupFileBytes(twoSubsThreeSeats()));
        answers = {path("a.k2s")};
        control<QAction>(mainWindow(), "openSetupAction")->trigger();
        control<QLineEdit>(roomSettings(), "roomDepthBox")->setText("3.256");
        control<QPushButton>(roomSettings(), "applyButton")->click();
        const BassSetup setup = parseSetupFile(setupFileBytes(mainWindow().bassSetup()));
        QCOMPARE(setup.texts.sources[3].y, std::string(" 3.25"));                 // SW2, from 4.20
        QCOMPARE(setup.texts.seats[2], (PositionTexts{"1.86", " 3.25", "1.00"})); // seat 3, from 3.40
        QCOMPARE(setup.texts.sources[2], twoSubsThreeSeats().texts.sources[2]);   // SW1 stays
    }

    void theOptimisersRowAppliedPutsItsSubwoofersOnThePlan() {
        testing::writeAll(dir->filePath(QStringLiteral("a.k2s")), setupFileBytes(twoSubsThreeSeats()));
        testing::writeAll(dir->filePath(QStringLiteral("c.txt")),
                          "0.3 0.3 0.3\n2.4 2.25 0.3\n\n1.35 4.2 0.3\n");
        answers = {dir->filePath(QStringLiteral("a.k2s")), dir->filePath(QStringLiteral("c.txt"))};
        control<QAction>(mainWindow(), "openSetupAction")->trigger();
        SubwooferOptimiserWindow& window = optimiserOverCandidateFile();
        control<QPushButton>(window, "startButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!window.searching(), 60000);
        QCOMPARE(window.rowCount(), 3); // one per candidate of the file
        control<QTableWidget>(window, "resultTable")->selectRow(1);
        // The row looked at: its seat 1 Total as the candidate, the two other seats' beside it.
        const Scene looked = setupScene(window.rowSetup(1), '.');
        const Curve seat1 = seatTotals(looked, 0, false, document().result().computed).front();
        const QVector<double> candidate = chart().levels(CurveRole::candidate());
        QCOMPARE(chart().seatCurveCount(), 2);
        QCOMPARE(candidate.size(), chart().levels(CurveRole::total()).size());
        QCOMPARE(candidate.front(), seat1[static_cast<std::size_t>(document().result().computed.first)]);
        // Its settings written out for a processor, as CSV under a name ending in .csv.
        answers = {dir->filePath(QStringLiteral("s.csv"))};
        control<QPushButton>(window, "exportButton")->click();
        QCOMPARE(testing::readAll(dir->filePath(QStringLiteral("s.csv"))),
                 bassSettingsCsv(window.rowSetup(1).subwoofers, window.rowSetup(1).subwooferEq));
        control<QPushButton>(window, "applyButton")->click();
        const BassSetup applied = mainWindow().bassSetup();
        QCOMPARE(applied.subwoofers, window.rowSetup(1).subwoofers);
        QCOMPARE(applied.texts.sources, window.rowSetup(1).texts.sources);
        QCOMPARE(applied.texts.sources.size(), 3u);
        const QString x = toQString(applied.texts.sources[2].x).trimmed();
        QVERIFY2(QStringList({"0.30", "2.40", "1.35"}).contains(x), qPrintable(x));
        QCOMPARE(applied.texts.seats.size(), 3u);
        QVERIFY(!mainWindow().findChild<MarkerShape*>(QStringLiteral("sw2Marker")));
        QCOMPARE(control<QAction>(mainWindow(), "undoAction")->text(),
                 QStringLiteral("元に戻す: サブウーファーの最適化の適用"));
        // Applied, the rows still belong to the scene; a seat added makes them another's.
        QVERIFY(!window.stale());
        control<QAction>(mainWindow(), "addSeatAction")->trigger();
        QVERIFY(window.stale());
        const BassSetup withSeat = mainWindow().bassSetup();
        control<QPushButton>(window, "applyButton")->click();
        QCOMPARE(errors().size(), 1);
        QCOMPARE(mainWindow().bassSetup(), withSeat);
    }

    void aSecondOptimiserRunShowsItsOwnFirstRow() {
        testing::writeAll(path("a.k2s"), setupFileBytes(twoSubsThreeSeats()));
        testing::writeAll(path("c.txt"), "0.3 0.3 0.3\n2.4 2.25 0.3\n1.35 4.2 0.3\n");
        answers = {path("a.k2s"), path("c.txt")};
        control<QAction>(mainWindow(), "openSetupAction")->trigger();
        control<QAction>(mainWindow(), "subwooferOptimiserAction")->trigger();
        auto& window = *static_cast<SubwooferOptimiserWindow*>(
            control<QWidget>(mainWindow(), "subwooferOptimiserWindow"));
        control<QPushButton>(window, "candidateFileButton")->click();
        control<QSpinBox>(window, "bandHighBox")->setValue(60);
        for (int count : {1, 2}) {
            control<QSpinBox>(window, "countBox")->setValue(count);
            control<QPushButton>(window, "startButton")->click();
            QTRY_VERIFY_WITH_TIMEOUT(!window.searching(), 60000);
            const BassSetup first = window.rowSetup(0);
            QCOMPARE(first.subwooferCount(), count);
            const Curve expected =
                seatTotals(setupScene(first, '.'), first.crossover, false, storedElements(20, 500)).front();
            QCOMPARE(values(kCandidateCurve).front(), expected[40]);
            QCOMPARE(values(kCandidateCurve).back(), expected[1000]);
            QVERIFY(control<QPushButton>(window, "applyButton")->isEnabled());
        }
    }

    void aSetupWhoseCalculationFailsOpensAsOneStepWithTheChartCleared() {
        // Inverted subwoofers on the loudspeakers cancel them exactly: the Total is silent.
        BassSetup silent;
        silent.texts = startupSceneTexts();
        silent.texts.width = "3.60"; // another plan
        silent.texts.sources.push_back(silent.texts.sources[0]);
        silent.texts.sources.push_back(silent.texts.sources[1]);
        silent.subwoofers = {{0.0, 0.0, true}, {0.0, 0.0, true}};
        testing::writeAll(path("a.k2s"), setupFileBytes(twoSubsThreeSeats()));
        testing::writeAll(path("silent.k2s"), setupFileBytes(silent));
        answers = {path("a.k2s"), path("silent.k2s")};
        control<QAction>(mainWindow(), "openSetupAction")->trigger();
        const Shown before = shown();
        const QString title = mainWindow().windowTitle();
        control<QAction>(mainWindow(), "openSetupAction")->trigger();
        const auto checkFailedOpen = [&] {
            QCOMPARE(errors(), QStringList{"0 による浮動小数点数除算"});
            QCOMPARE(mainWindow().windowTitle(), QStringLiteral("Kolmarin2\u3000silent.k2s"));
            QVERIFY(chart().titleText().startsWith(mainWindow().windowTitle()));
            QVERIFY(values(kTotalCurve).isEmpty() && values(kSp1Curve).isEmpty());
            QVERIFY(!mainWindow().seatFigures());
            QCOMPARE(mainWindow().bassSetup(), silent);
            QCOMPARE(control<MarkerShape>(mainWindow(), "sw1Marker")->pos(),
                     control<MarkerShape>(mainWindow(), "sp1Marker")->pos());
            errors().clear();
        };
        checkFailedOpen();
        QCOMPARE(control<QAction>(mainWindow(), "undoAction")->text(),
                 QStringLiteral("元に戻す: セットアップを開く"));
        control<QAction>(mainWindow(), "undoAction")->trigger();
        QVERIFY(shown() == before);
        QCOMPARE(mainWindow().windowTitle(), title);
        control<QAction>(mainWindow(), "redoAction")->trigger();
        checkFailedOpen();
    }

    // The optimiser's rows bring their own subwoofers; everything else they were found
    // for, each changed alone, makes them another scene's.
    void theOptimisersRowsOfAnotherSceneAreGreyed() {
        BassSetup searched = twoSubsThreeSeats();
        searched.crossover = 80;
        testing::writeAll(path("c.txt"), "0.3 0.3 0.3\n2.4 2.25 0.3\n");
        answers = {path("c.txt")};
        SubwooferOptimiserWindow& window = optimiserOverCandidateFile();
        const struct {
            bool stale;
            std::function<void(BassSetup&)> change;
        } changes[]{
            {true, [](BassSetup& s) { s.texts.depth = "4.40"; }},
            {true, [](BassSetup& s) { s.texts.reflLeft = "0.7"; }},
            {true, [](BassSetup& s) { s.texts.reflectionCount = "29"; }},
            {true, [](BassSetup& s) { s.texts.sources[0].x = " 0.55"; }}, // SP1
            {true, [](BassSetup& s) { s.texts.sources[1].z = " 0.60"; }}, // SP2's height
            {true, [](BassSetup& s) { s.texts.seats[0].y = " 3.00"; }},   // the listener
            {true, [](BassSetup& s) { s.texts.seats[2].z = " 1.20"; }},   // another seat's height
            {true, [](BassSetup& s) { s.texts.seats.pop_back(); }},
            {true, [](BassSetup& s) { s.crossover = 90; }},
            {true, [](BassSetup& s) { s.texts.delays = DelayModel::Continuous; }},
            {false, [](BassSetup& s) { s.subwoofers[1].reversed = true; }},
            {false, [](BassSetup& s) { s.texts.sources[2].x = " 1.00"; }},
        };
        for (const auto& c : changes) {
            document().setSetup(searched);
            document().apply();
            control<QPushButton>(window, "startButton")->click();
            QTRY_VERIFY_WITH_TIMEOUT(!window.searching(), 60000);
            QVERIFY(window.rowCount() > 0 && !window.stale());
            BassSetup setup = searched;
            c.change(setup);
            document().setSetup(setup);
            document().apply();
            QCOMPARE(window.stale(), c.stale);
            const QColor grey = window.palette().color(QPalette::Disabled, QPalette::Text);
            QCOMPARE(control<QTableWidget>(window, "resultTable")->item(0, 1)->foreground().color() == grey,
                     c.stale);
            QCOMPARE(control<QLabel>(window, "statusLabel")
                         ->text()
                         .contains(QStringLiteral("部屋、スピーカー、座席かクロスオーバーが変わりました")),
                     c.stale);
        }
        QVERIFY(errors().isEmpty());
    }

    void theSubwooferDialogAppliesWhatItsBoxesSayAndRefusesABadBox() {
        const Shown before = shown();
        control<QAction>(mainWindow(), "subwooferDialogAction")->trigger();
        auto& dialog = *static_cast<SubwooferDialog*>(control<QDialog>(mainWindow(), "subwooferDialog"));
        control<QPushButton>(dialog, "addSubwooferButton")->click();
        const std::pair<const char*, const char*> typed[]{{"sw1_xBox", "0.50"},
                                                          {"sw1_yBox", "4.00"},
                                                          {"sw1_levelBox", "-4.5"},
                                                          {"sw1_delayBox", "7.5"},
                                                          {"crossoverBox", "90"}};
        for (const auto& [name, text] : typed)
            control<QLineEdit>(dialog, name)->setText(QString::fromLatin1(text));
        control<QComboBox>(dialog, "sw1_polarityBox")->setCurrentIndex(1);
        control<QCheckBox>(dialog, "crossoverCheck")->setChecked(true);
        editTexts([](SceneTexts& t) { t.seats[0].x = " 1.00"; }); // the listener moved meanwhile
        QVERIFY(dialog.apply());
        BassSetup expected = mainWindow().bassSetup();
        QCOMPARE(expected.texts.seats[0].x, std::string(" 1.00"));
        QCOMPARE(expected.subwoofers, (std::vector<SubwooferSignal>{{-4.5, 7.5, true}}));
        QCOMPARE(expected.crossover, 90);
        QCOMPARE(expected.texts.sources.at(2), (PositionTexts{" 0.50", " 4.00", " 0.30"}));
        ResponseCurves model;
        calculateResponse(setupScene(expected, '.'), model);
        QCOMPARE(mainWindow().responseCurves().total, model.total);
        checkUndoAndRedo(before, QStringLiteral("サブウーファーとクロスオーバー"));
        // A level out of range is refused naming its box, and the scene keeps what it had.
        control<QLineEdit>(dialog, "sw1_levelBox")->setText(QStringLiteral("11"));
        QVERIFY(!dialog.apply());
        QCOMPARE(errors().size(), 1);
        QVERIFY2(errors()[0].contains(QStringLiteral("SW1 の レベル (dB)")), qPrintable(errors()[0]));
        QCOMPARE(mainWindow().bassSetup(), expected);
    }

    void eachChangeOfTheSeatsOrTheSetupIsOneStep() {
        testing::writeAll(path("a.k2s"), setupFileBytes(twoSubsThreeSeats()));
        testing::writeAll(path("a.dtr"), roomFileBytes(startupSceneTexts()));
        BassSetup oneSubFourSeats = twoSubsThreeSeats(); // as many markers, of other kinds
        oneSubFourSeats.texts.sources.pop_back();
        oneSubFourSeats.subwoofers.pop_back();
        oneSubFourSeats.texts.seats.push_back({"1.36", "3.60", "1.00"});
        testing::writeAll(path("b.k2s"), setupFileBytes(oneSubFourSeats));
        const struct {
            const char* step;
            const char* control; // an action, or a marker to drag
            const char* file;    // what the action opens
        } cases[]{{"座席の追加", "addSeatAction", ""},
                  {"座席の消去", "clearSeatsAction", ""},
                  {"SW1 の移動", "sw1Marker", ""},
                  {"座席 3 の移動", "seat3Marker", ""},
                  {"部屋データを開く", "openRoomAction", "a.dtr"},
                  {"セットアップを開く", "openSetupAction", "b.k2s"}};
        for (const auto& c : cases) {
            answers = {path("a.k2s"), path(c.file)};
            control<QAction>(mainWindow(), "openSetupAction")->trigger();
            const Shown before = shown();
            if (auto* marker = mainWindow().findChild<MarkerShape*>(QString::fromLatin1(c.control))) {
                QTest::mousePress(marker, Qt::LeftButton, {}, QPoint(5, 5));
                QTest::mouseMove(marker, QPoint(40, -30));
                QTest::mouseRelease(marker, Qt::LeftButton, {}, QPoint(40, -30));
            } else {
                control<QAction>(mainWindow(), c.control)->trigger();
            }
            checkUndoAndRedo(before, QString::fromUtf8(c.step));
        }
        QVERIFY(mainWindow().findChild<MarkerShape*>(QStringLiteral("seat4Marker")));
    }

    void theSeatCurvesAreWrittenOnePerSourceAndSeatIntoTheChosenFolder() {
        const BassSetup setup = twoSubsThreeSeats();
        testing::writeAll(dir->filePath(QStringLiteral("a.k2s")), setupFileBytes(setup));
        answers = {dir->filePath(QStringLiteral("a.k2s")), dir->path()};
        control<QAction>(mainWindow(), "openSetupAction")->trigger();
        control<QAction>(mainWindow(), "exportSeatCurvesAction")->trigger();
        const std::vector<SeatCurveFile> expected = sourceCurveTexts(setupScene(setup, '.'), 0);
        QCOMPARE(expected.size(), 12u);
        for (const SeatCurveFile& file : expected)
            QCOMPARE(testing::readAll(dir->filePath(file.name)), file.text);
    }
};

QTEST_MAIN(TestSetupWindow)
#include "tst_setup_window.moc"
