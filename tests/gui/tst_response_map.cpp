// The response map over the main window's plan: off it changes nothing, on it fills in
// behind the window, restarts with every calculation, tells a point's spread and moves
// the marker there on Ctrl+click.
#include "find_control.h"
#include "main_window_fixture.h"
#include "model/acoustics/listening_area.h"
#include "model/acoustics/response_map.h"
#include "model/acoustics/spread.h"

#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QHelpEvent>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>
#include <QToolTip>

using namespace kolmarin;
using kolmarin::testing::control;

class TestResponseMap : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

  private:
    // A loaded machine computes slowly, and one under the sanitizers more slowly still.
    static constexpr int kPassTimeout = 240000;

    PlanView* plan() { return control<PlanView>(mainWindow(), "planView"); }
    QString caption(const char* name) { return control<QLabel>(mainWindow(), name)->text(); }
    void choose(const char* name) { control<QAction>(mainWindow(), name)->trigger(); }
    static QString twoDecimals(double value) { return QString::number(value, 'f', 2); }

  private slots:
    void initTestCase() { setUpApplication(); }
    void init() { start(); }
    void cleanup() { stop(); }

    void theMapOffLeavesTheWindowAsItWas() {
        // Compared once the window has settled: activation moves the focus to a nudge box.
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow()));
        QWidget* client = mainWindow().centralWidget();
        const QImage before = client->grab().toImage();
        QVERIFY(!control<QWidget>(mainWindow(), "mapLegend")->isVisible());
        choose("responseMapAction");
        QTRY_VERIFY_WITH_TIMEOUT(plan()->hasLayer(), kPassTimeout);
        QVERIFY(client->grab().toImage() != before);
        choose("responseMapAction");
        QVERIFY(!plan()->hasLayer());
        QCOMPARE(client->grab().toImage(), before);
        QVERIFY(errors().isEmpty());
    }

    void theMapFillsInAndShowsTheSpreadOfTheChart() {
        choose("responseMapAction");
        QVERIFY(caption("mapCaption").startsWith(QStringLiteral("応答マップ ")));
        QCOMPARE(caption("mapSpreadCaption"),
                 QStringLiteral("現在の配置 ") +
                     twoDecimals(totalSpread(mainWindow().responseCurves(), Band{20, 200})) +
                     QStringLiteral(" dB (20–200 Hz)"));
        QTRY_VERIFY_WITH_TIMEOUT(plan()->hasLayer(), kPassTimeout);
        QVERIFY(caption("mapRangeCaption")
                    .contains(QRegularExpression(QStringLiteral("^ばらつき \\d+\\.\\d–\\d+\\.\\d dB$"))));
        // The layer lies under the grid: the middle of a cell is coloured, a line stays grey.
        const QImage picture = plan()->grab().toImage();
        QVERIFY(picture.pixelColor(12, 12) != QColor(Qt::white));
        QCOMPARE(picture.pixelColor(25, 12), QColor(128, 128, 128));

        // The front left cell is one of the first pass; its tip gives the model's spread of
        // the listener there.
        QHelpEvent hover(QEvent::ToolTip, QPoint(1, 1), plan()->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(plan(), &hover);
        Scene scene = readCalculationScene(document().texts(), '.', {});
        const std::optional<double> corner =
            spreadOf(withMarkerAt(scene, MapMarker::Listener, 0.025, 0.025), Band{20, 200});
        QCOMPARE(QToolTip::text(),
                 QStringLiteral("x 0.01 m, y 0.01 m: ") + twoDecimals(*corner) + QStringLiteral(" dB"));

        // Another band: the spread at the placement follows it, calculated for the band
        // where the chart's calculation (20 to 500 Hz) left part of it out.
        choose("band20to300Action");
        QCOMPARE(caption("mapSpreadCaption"),
                 QStringLiteral("現在の配置 ") +
                     twoDecimals(totalSpread(mainWindow().responseCurves(), Band{20, 300})) +
                     QStringLiteral(" dB (20–300 Hz)"));
        QVERIFY(!plan()->hasLayer());
        QTRY_VERIFY_WITH_TIMEOUT(plan()->hasLayer(), kPassTimeout);
        // Outside the chart's range the value comes from the map's thread.
        choose("band10to500Action");
        QTRY_COMPARE_WITH_TIMEOUT(caption("mapSpreadCaption"),
                                  QStringLiteral("現在の配置 ") +
                                      twoDecimals(*spreadOf(scene, Band{10, 500})) +
                                      QStringLiteral(" dB (10–500 Hz)"),
                                  kPassTimeout);
        QVERIFY(errors().isEmpty());
    }

    void anyBandIsTakenAndTheScaleTakesInTheCurrentPlacement() {
        choose("responseMapAction");
        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            control<QSpinBox>(*dialog, "bandLowBox")->setValue(30);
            control<QSpinBox>(*dialog, "bandHighBox")->setValue(150);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        choose("otherBandAction");
        const double current = totalSpread(mainWindow().responseCurves(), Band{30, 150});
        QCOMPARE(caption("mapSpreadCaption"),
                 QStringLiteral("現在の配置 ") + twoDecimals(current) + QStringLiteral(" dB (30–150 Hz)"));
        QTRY_COMPARE_WITH_TIMEOUT(caption("mapCaption"), QStringLiteral("応答マップ 聴取者 30–150 Hz"),
                                  kPassTimeout);
        const QRegularExpressionMatch range =
            QRegularExpression(QStringLiteral("^ばらつき (\\d+\\.\\d)–(\\d+\\.\\d) dB$"))
                .match(caption("mapRangeCaption"));
        QVERIFY(range.hasMatch());
        QVERIFY(range.captured(1).toDouble() <= current + 0.05 &&
                current - 0.05 <= range.captured(2).toDouble());
        QVERIFY(!control<QWidget>(mainWindow(), "mapScale")->toolTip().isEmpty());
    }

    void theMapCanShowTheListeningAreasSpread() {
        choose("responseMapAction");
        choose("areaFigureAction");
        const Scene scene = readCalculationScene(document().texts(), '.', {});
        QTRY_COMPARE_WITH_TIMEOUT(caption("mapSpreadCaption"),
                                  QStringLiteral("現在の配置 (聴取範囲) ") +
                                      twoDecimals(areaFiguresOf(scene, Band{20, 200})->area) +
                                      QStringLiteral(" dB (20–200 Hz)"),
                                  kPassTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(caption("mapCaption"),
                                  QStringLiteral("応答マップ 聴取者 聴取範囲 20–200 Hz"), kPassTimeout);
        QVERIFY(errors().isEmpty());
    }

    void pointsTheSearchsConstraintsRuleOutAreWashedOut() {
        const auto cornerOfWholeMap = [this] {
            (void)QTest::qWaitFor(
                [this] { return caption("mapCaption") == QStringLiteral("応答マップ 聴取者 20–200 Hz"); },
                kPassTimeout);
            return plan()->grab().toImage().pixelColor(12, plan()->height() - 12);
        };
        choose("responseMapAction");
        const QColor ruledOut = cornerOfWholeMap(); // 0.1 m from two walls, 0.30 m asked
        choose("placementSearchAction");
        control<QDoubleSpinBox>(mainWindow(), "wallClearanceBox")->setValue(0.0);
        choose("speakerMapAction");
        choose("listenerMapAction");
        QVERIFY(cornerOfWholeMap().lightness() < ruledOut.lightness());
    }

    void everyCalculationRestartsTheMap() {
        choose("responseMapAction");
        QTRY_VERIFY_WITH_TIMEOUT(plan()->hasLayer(), kPassTimeout);
        const QString spread = caption("mapSpreadCaption");
        QTest::keyClick(control<NudgeBox>(mainWindow(), "listenerNudgeBox"), Qt::Key_Right);
        QVERIFY(!plan()->hasLayer());
        QCOMPARE(caption("mapCaption"), QStringLiteral("応答マップ 0%"));
        QVERIFY(caption("mapSpreadCaption") != spread);
        QTRY_VERIFY_WITH_TIMEOUT(plan()->hasLayer(), kPassTimeout);

        // A text the calculation cannot read: its error, and no map until it is mended.
        control<QLineEdit>(roomSettings(), "frontReflectionBox")->setText(QStringLiteral("hard"));
        QTest::keyClick(control<NudgeBox>(mainWindow(), "listenerNudgeBox"), Qt::Key_Left);
        QCOMPARE(errors().value(0), QStringLiteral("'hard' は浮動小数点数ではありません"));
        QTest::qWait(300);
        QVERIFY(!plan()->hasLayer());
        QCOMPARE(caption("mapSpreadCaption"), QString());
    }

    void closingTheWindowStopsTheMap() {
        choose("responseMapAction");
        mainWindow().close();
        QTest::qWait(1000);
        QVERIFY(!plan()->hasLayer());
    }

    void ctrlClickMovesTheMovingMarkerAndRecalculates() {
        MainWindow& f = mainWindow();
        // Without the map a Ctrl+click on the plan does nothing.
        armCalculationProbe();
        QTest::mouseClick(plan(), Qt::LeftButton, Qt::ControlModifier, QPoint(100, 50));
        QVERIFY(!calculationRan());

        choose("responseMapAction");
        choose("speakerMapAction");
        armCalculationProbe();
        QTest::mouseClick(plan(), Qt::LeftButton, Qt::ControlModifier, QPoint(100, 50));
        QVERIFY(calculationRan());
        // 100 of 250 pixels over 2.70 m, 50 of 417 over 4.50 m; SP2 mirrored.
        QCOMPARE(control<MarkerShape>(f, "sp1Marker")->pos(), QPoint(696 + 100 - 7, 32 + 50 - 7));
        QCOMPARE(caption("sp1XReadOut"), QStringLiteral(" 1.08"));
        QCOMPARE(caption("sp1YReadOut"), QStringLiteral(" 0.54"));
        QCOMPARE(caption("sp2XReadOut"), QStringLiteral(" 1.62"));
        QCOMPARE(caption("sp2YReadOut"), QStringLiteral(" 0.54"));
        QCOMPARE(control<MarkerShape>(f, "sp2Marker")->pos(), QPoint(696 + 150 - 7, 32 + 50 - 7));
        QCOMPARE(caption("listenerXReadOut"), QStringLiteral("1.36"));

        choose("listenerMapAction");
        QTest::mouseClick(plan(), Qt::LeftButton, Qt::ControlModifier, QPoint(125, 400));
        QCOMPARE(caption("listenerXReadOut"), QStringLiteral(" 1.35"));
        QCOMPARE(caption("listenerYReadOut"), QStringLiteral(" 4.32"));
        QCOMPARE(caption("sp1XReadOut"), QStringLiteral(" 1.08"));
        QCOMPARE(caption("mapSpreadCaption"),
                 QStringLiteral("現在の配置 ") + twoDecimals(totalSpread(f.responseCurves(), Band{20, 200})) +
                     QStringLiteral(" dB (20–200 Hz)"));
        // A plain click is no placing.
        QTest::mouseClick(plan(), Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(caption("listenerXReadOut"), QStringLiteral(" 1.35"));
        QVERIFY(errors().isEmpty());
    }
};

QTEST_MAIN(TestResponseMap)
#include "tst_response_map.moc"
