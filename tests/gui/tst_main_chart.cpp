// The response chart in the main window: the labels of the frequency axis, the level
// axis, the curve switches, and the calculation's failures that must leave the chart as
// it was.
#include "find_control.h"
#include "main_window_fixture.h"

#include <algorithm>

#include <QApplication>

using namespace kolmarin;
using kolmarin::testing::control;

class TestMainChart : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

  private:
    QVector<double> ticks() {
        chart().replot();
        return chart().frequencyAxis()->tickVector();
    }
    QStringList tickTexts() {
        chart().replot();
        return chart().frequencyAxis()->tickVectorLabels();
    }
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    void clickMarker(QWidget* marker) { QTest::mouseClick(marker, Qt::LeftButton, {}, QPoint(7, 7)); }

  private slots:
    void initTestCase() { setUpApplication(); }
    void init() { start(); }
    void cleanup() { stop(); }

    void defaultRangeLabelsTheDecadesWithoutCrowding() {
        QCOMPARE(ticks(), (QVector<double>{20, 30, 40, 50, 60, 70, 80, 90, 100, 200, 300, 400, 500}));
        QCOMPARE(tickTexts(), (QStringList{"20", "30", "40", "50", "60", "70", "", "", "100", "200", "300",
                                           "400", "500"}));
        QCOMPARE(chart().frequencyAxis()->scaleType(), QCPAxis::stLogarithmic);
        // The level axis keeps the plot's own evenly spaced numbers.
        const QStringList level = chart().levelAxis()->tickVectorLabels();
        QVERIFY(level.contains("-20") && level.contains("0") && level.contains("20"));
    }

    void anAutomaticAxisFollowsAStartAtTenHertz() {
        control<QLineEdit>(roomSettings(), "startFrequencyBox")->setText("10");
        click(control<QPushButton>(roomSettings(), "applyButton"));
        QCOMPARE(pointCount(kSp1Curve), 981);
        QCOMPARE(ticks().front(), 10.0);
        QCOMPARE(tickTexts().front(), QStringLiteral("10"));
        QCOMPARE(ticks().size(), 14);
    }

    void aFixedMinimumOffTheTableGetsAnUnnumberedLine() {
        control<QLineEdit>(axisSettings(), "frequencyMinBox")->setText("25");
        click(control<QCheckBox>(axisSettings(), "frequencyAutoBox"));
        QVERIFY(errors().isEmpty());
        QCOMPARE(chart().frequencyAxis()->range().lower, 25.0);
        QCOMPARE(ticks().mid(0, 3), (QVector<double>{25, 30, 40}));
        QCOMPARE(tickTexts().mid(0, 3), (QStringList{"", "30", "40"}));
        // The fixed range stays through a calculation.
        clickMarker(control<MarkerShape>(mainWindow(), "sp1Marker"));
        QCOMPARE(chart().frequencyAxis()->range().lower, 25.0);
    }

    void aWideFixedRangeEndsAtTwoThousandWithAGroupedThousand() {
        control<QCheckBox>(axisSettings(), "frequencyAutoBox")->setChecked(false);
        control<QLineEdit>(axisSettings(), "frequencyMaxBox")->setText("3000");
        click(control<QPushButton>(axisSettings(), "okButton"));
        QVERIFY(errors().isEmpty());
        QCOMPARE(ticks().mid(12), (QVector<double>{500, 600, 700, 800, 900, 1000, 2000}));
        QCOMPARE(tickTexts().mid(12), (QStringList{"500", "", "", "", "", "1,000", ""}));
        // The plot's locale decides the separator.
        chart().setLocale(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(tickTexts().mid(17), (QStringList{"1.000", ""}));
    }

    void theLevelAxisFollowsTheDataWhenAutomatic() {
        click(control<QCheckBox>(axisSettings(), "levelAutoBox"));
        QVERIFY(chart().isAxisAutomatic(ChartAxis::Level));
        const auto dataRange = [&] {
            QVector<double> levels = values(kSp1Curve) + values(kSp2Curve) + values(kTotalCurve);
            const auto [low, high] = std::minmax_element(levels.begin(), levels.end());
            return QCPRange(*low, *high);
        };
        QCOMPARE(chart().levelAxis()->range(), dataRange());
        // A calculation leaves an automatic level axis to the data.
        editTexts([](SceneTexts& t) { t.seats[0].x = " 0.30"; });
        clickMarker(control<MarkerShape>(mainWindow(), "listenerMarker"));
        QCOMPARE(chart().levelAxis()->range(), dataRange());
        // Back to fixed: the typed range applies at once.
        click(control<QCheckBox>(axisSettings(), "levelAutoBox"));
        QCOMPARE(chart().levelAxis()->range(), QCPRange(-25, 25));
    }

    void axisRangesAreSwappedAndWidened() {
        chart().setAxisRange(ChartAxis::Level, 10, -10);
        QCOMPARE(chart().levelAxis()->range(), QCPRange(-10, 10));
        chart().setAxisRange(ChartAxis::Level, 3, 3);
        QCOMPARE(chart().levelAxis()->range().lower, 3.0);
        QVERIFY(chart().levelAxis()->range().upper > 3.0);
        QVERIFY(chart().levelAxis()->range().upper <= 3.0 + 2e-10);
    }

    void uncheckingAndRecheckingACurveNeedsNoCalculation() {
        const QVector<double> before = values(kSp2Curve);
        // A moved loudspeaker would change the stored levels if anything recalculated.
        const ResponseCurves stored = mainWindow().responseCurves();
        editTexts([](SceneTexts& t) { t.sources[1].x = " 1.00"; });
        click(control<QCheckBox>(mainWindow(), "sp2CurveBox"));
        QVERIFY(!control<QCheckBox>(mainWindow(), "sp2CurveBox")->isChecked());
        QCOMPARE(pointCount(kSp2Curve), 0);
        QCOMPARE(pointCount(kSp1Curve), 961);
        QCOMPARE(chart().legend->itemCount(), 3);
        click(control<QCheckBox>(mainWindow(), "sp2CurveBox"));
        QCOMPARE(values(kSp2Curve), before);
        QCOMPARE(keys(kSp2Curve).front(), 20.0);
        QVERIFY(mainWindow().responseCurves().sources[1] == stored.sources[1]);
        QVERIFY(errors().isEmpty());
    }

    void aCalculationLeavesAnUncheckedCurveEmpty() {
        click(control<QCheckBox>(mainWindow(), "sp2CurveBox"));
        clickMarker(control<MarkerShape>(mainWindow(), "sp1Marker"));
        QCOMPARE(pointCount(kSp1Curve), 961);
        QCOMPARE(pointCount(kSp2Curve), 0);
        QCOMPARE(pointCount(kTotalCurve), 961);
        // The levels were still computed and are shown when the box is ticked again.
        click(control<QCheckBox>(mainWindow(), "sp2CurveBox"));
        QCOMPARE(values(kSp2Curve).front(), mainWindow().responseCurves().sources[1][40]);
    }

    void aCurveSwitchShowsOnlyComputedLevels() {
        // A typed but unapplied range shows the part the last calculation computed (20..500
        // Hz) and never reads beyond the stored 0..600 Hz.
        control<QLineEdit>(roomSettings(), "startFrequencyBox")->setText("-5");
        control<QLineEdit>(roomSettings(), "endFrequencyBox")->setText("800");
        click(control<QCheckBox>(mainWindow(), "sp1CurveBox"));
        click(control<QCheckBox>(mainWindow(), "sp1CurveBox"));
        QCOMPARE(pointCount(kSp1Curve), 961);
        QCOMPARE(keys(kSp1Curve).front(), 20.0);
        QCOMPARE(keys(kSp1Curve).back(), 500.0);
        control<QLineEdit>(roomSettings(), "startFrequencyBox")->setText("100");
        control<QLineEdit>(roomSettings(), "endFrequencyBox")->setText("200");
        click(control<QCheckBox>(mainWindow(), "sp1CurveBox"));
        click(control<QCheckBox>(mainWindow(), "sp1CurveBox"));
        QCOMPARE(pointCount(kSp1Curve), 201);
        QCOMPARE(values(kSp1Curve).front(), mainWindow().responseCurves().sources[0][200]);
        QVERIFY(errors().isEmpty());
    }

    void aCurveSwitchWithABadRangeKeepsTheCurve() {
        control<QLineEdit>(roomSettings(), "startFrequencyBox")->setText("abc");
        click(control<QCheckBox>(mainWindow(), "sp1CurveBox"));
        QCOMPARE(errors(), QStringList{"'abc' は整数ではありません"});
        QVERIFY(!control<QCheckBox>(mainWindow(), "sp1CurveBox")->isChecked());
        QCOMPARE(pointCount(kSp1Curve), 961);
    }

    void aTextThatIsNoNumberLeavesTheChartUntouched() {
        const QVector<double> shown = values(kSp1Curve);
        const QString title = chart().titleText();
        const ResponseCurves stored = mainWindow().responseCurves();
        control<QLineEdit>(roomSettings(), "frontReflectionBox")->setText("x");
        editTexts([](SceneTexts& t) { t.sources[0].x = " 1.00"; });
        clickMarker(control<MarkerShape>(mainWindow(), "sp1Marker"));
        QCOMPARE(errors(), QStringList{"'x' は浮動小数点数ではありません"});
        QCOMPARE(values(kSp1Curve), shown);
        QCOMPARE(chart().titleText(), title);
        QVERIFY(mainWindow().responseCurves().sources[0] == stored.sources[0]);
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // A condition corrected before the failing one stays corrected.
        control<QLineEdit>(roomSettings(), "frontReflectionBox")->setText("0.85");
        control<QLineEdit>(roomSettings(), "startFrequencyBox")->setText("5");
        control<QLineEdit>(roomSettings(), "endFrequencyBox")->setText("five hundred");
        clickMarker(control<MarkerShape>(mainWindow(), "sp1Marker"));
        QCOMPARE(errors().value(1), QStringLiteral("'five hundred' は整数ではありません"));
        QCOMPARE(control<QLineEdit>(roomSettings(), "startFrequencyBox")->text(), QStringLiteral("10"));
        QCOMPARE(values(kSp1Curve), shown);
        QVERIFY(mainWindow().responseCurves().sources[0] == stored.sources[0]);
    }

    void aFractionalLevelLimitStopsAfterTheLevelsAreStored() {
        const QVector<double> shown = values(kSp1Curve);
        control<QLineEdit>(axisSettings(), "levelMinBox")->setText("-25.5");
        editTexts([](SceneTexts& t) { t.sources[0].x = " 1.00"; });
        clickMarker(control<MarkerShape>(mainWindow(), "sp1Marker"));
        QCOMPARE(errors(), QStringList{"'-25.5' は整数ではありません"});
        QVERIFY(mainWindow().responseCurves().sources[0][40] != shown.front()); // new levels stored
        QCOMPARE(values(kSp1Curve), shown);                                     // old curve shown
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void aLoudspeakerOnTheListenerIsReported() {
        const QVector<double> shown = values(kTotalCurve);
        editTexts([](SceneTexts& t) { t.sources[1] = t.seats[0]; });
        clickMarker(control<MarkerShape>(mainWindow(), "sp2Marker"));
        QCOMPARE(errors(), QStringList{"0 による浮動小数点数除算"});
        QCOMPARE(values(kTotalCurve), shown);
    }

    void correctedConditionsAndAnEmptyRange() {
        control<QLineEdit>(roomSettings(), "startFrequencyBox")->setText("5");
        clickMarker(control<MarkerShape>(mainWindow(), "listenerMarker"));
        QCOMPARE(control<QLineEdit>(roomSettings(), "startFrequencyBox")->text(), QStringLiteral("10"));
        QCOMPARE(pointCount(kTotalCurve), 981);
        QCOMPARE(keys(kTotalCurve).front(), 10.0);

        control<QLineEdit>(roomSettings(), "startFrequencyBox")->setText("300");
        control<QLineEdit>(roomSettings(), "endFrequencyBox")->setText("200");
        clickMarker(control<MarkerShape>(mainWindow(), "listenerMarker"));
        QVERIFY(errors().isEmpty());
        for (CurveRole g : {kSp1Curve, kSp2Curve, kTotalCurve})
            QCOMPARE(pointCount(g), 0);
        QVERIFY(chart().titleText().startsWith(mainWindow().windowTitle() + "      "));
    }

    void applyingTheSceneEmptiesTheFoot() {
        const int rows = chart().plotLayout()->rowCount();
        chart().setFootText(QStringLiteral("反射率"));
        QCOMPARE(chart().plotLayout()->rowCount(), rows + 1);
        click(control<QPushButton>(roomSettings(), "applyButton"));
        QCOMPARE(chart().footText(), QString());
        QCOMPARE(chart().plotLayout()->rowCount(), rows);
    }

    // A surface that amplifies is still calculated, and said under the chart.
    void aReflectionAboveOneIsWarnedOfUnderTheChart() {
        control<QLineEdit>(roomSettings(), "frontReflectionBox")->setText("1.2");
        click(control<QPushButton>(roomSettings(), "applyButton"));
        QVERIFY(chart().footText().contains(QStringLiteral("前の壁の反射率 1.2 は 1 を超える")));
        control<QLineEdit>(roomSettings(), "frontReflectionBox")->setText("0.85");
        click(control<QPushButton>(roomSettings(), "applyButton"));
        QCOMPARE(chart().footText(), QString());
    }

    void arrowKeysInTheSettingsDialogRecomputeTheWindow() {
        const ResponseCurves before = mainWindow().responseCurves();
        QTest::keyClick(control<QLineEdit>(roomSettings(), "roomHeightBox"), Qt::Key_Down);
        QCOMPARE(control<QLineEdit>(roomSettings(), "roomHeightBox")->text(), QStringLiteral("2.3"));
        QCOMPARE(control<QLabel>(mainWindow(), "ceilingHeightLabel")->text(), QStringLiteral("2.3m"));
        QVERIFY(mainWindow().responseCurves().total != before.total);
    }
};

QTEST_MAIN(TestMainChart)
#include "tst_main_chart.moc"
