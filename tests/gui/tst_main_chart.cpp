// The response chart in the main window: the labels of the frequency axis, the level
// axis, the curve switches, and the calculation's failures that must leave the chart as
// it was.
#include "main_window_fixture.h"

#include <QApplication>

using namespace kolmarin;

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
        room().EditSHz->setText("10");
        click(room().Button2);
        QCOMPARE(chart().Series1->dataCount(), 981);
        QCOMPARE(ticks().front(), 10.0);
        QCOMPARE(tickTexts().front(), QStringLiteral("10"));
        QCOMPARE(ticks().size(), 14);
    }

    void aFixedMinimumOffTheTableGetsAnUnnumberedLine() {
        graphset().EditminX->setText("25");
        click(graphset().CheckBoxAutoX);
        QVERIFY(errors().isEmpty());
        QCOMPARE(chart().frequencyAxis()->range().lower, 25.0);
        QCOMPARE(ticks().mid(0, 3), (QVector<double>{25, 30, 40}));
        QCOMPARE(tickTexts().mid(0, 3), (QStringList{"", "30", "40"}));
        // The fixed range stays through a calculation.
        clickMarker(form().ShapeSP1);
        QCOMPARE(chart().frequencyAxis()->range().lower, 25.0);
    }

    void aWideFixedRangeEndsAtTwoThousandWithAGroupedThousand() {
        graphset().CheckBoxAutoX->setChecked(false);
        graphset().EditmaxX->setText("3000");
        click(graphset().OK);
        QVERIFY(errors().isEmpty());
        QCOMPARE(ticks().mid(12), (QVector<double>{500, 600, 700, 800, 900, 1000, 2000}));
        QCOMPARE(tickTexts().mid(12), (QStringList{"500", "", "", "", "", "1,000", ""}));
        // The plot's locale decides the separator.
        chart().setLocale(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(tickTexts().mid(17), (QStringList{"1.000", ""}));
    }

    void theLevelAxisFollowsTheDataWhenAutomatic() {
        click(graphset().CheckBoxAutoY);
        QVERIFY(chart().isAxisAutomatic(ChartAxis::Level));
        const auto dataRange = [&] {
            bool found = false;
            QCPRange range = chart().Series1->getValueRange(found);
            range.expand(chart().Series2->getValueRange(found));
            range.expand(chart().Series3->getValueRange(found));
            return range;
        };
        QCOMPARE(chart().levelAxis()->range(), dataRange());
        // A calculation leaves an automatic level axis to the data.
        form().Label20->setText(" 0.30");
        clickMarker(form().ShapeL);
        QCOMPARE(chart().levelAxis()->range(), dataRange());
        // Back to fixed: the typed range applies at once.
        click(graphset().CheckBoxAutoY);
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
        const QVector<double> before = values(chart().Series2);
        // A moved loudspeaker would change the stored levels if anything recalculated.
        const ResponseCurves stored = form().responseCurves();
        form().Label13->setText(" 1.00");
        click(form().CheckBoxSP2);
        QVERIFY(!form().CheckBoxSP2->isChecked());
        QCOMPARE(chart().Series2->dataCount(), 0);
        QCOMPARE(chart().Series1->dataCount(), 961);
        QCOMPARE(chart().legend->itemCount(), 3);
        click(form().CheckBoxSP2);
        QCOMPARE(values(chart().Series2), before);
        QCOMPARE(keys(chart().Series2).front(), 20.0);
        QVERIFY(form().responseCurves().sp2 == stored.sp2);
        QVERIFY(errors().isEmpty());
    }

    void aCalculationLeavesAnUncheckedCurveEmpty() {
        click(form().CheckBoxSP2);
        clickMarker(form().ShapeSP1);
        QCOMPARE(chart().Series1->dataCount(), 961);
        QCOMPARE(chart().Series2->dataCount(), 0);
        QCOMPARE(chart().Series3->dataCount(), 961);
        // The levels were still computed and are shown when the box is ticked again.
        click(form().CheckBoxSP2);
        QCOMPARE(values(chart().Series2).front(), form().responseCurves().sp2[40]);
    }

    void aCurveSwitchShowsOnlyComputedLevels() {
        // A typed but unapplied range shows the part the last calculation computed (20..500
        // Hz) and never reads beyond the stored 0..600 Hz.
        room().EditSHz->setText("-5");
        room().EditEHz->setText("800");
        click(form().CheckBoxSP1);
        click(form().CheckBoxSP1);
        QCOMPARE(chart().Series1->dataCount(), 961);
        QCOMPARE(keys(chart().Series1).front(), 20.0);
        QCOMPARE(keys(chart().Series1).back(), 500.0);
        room().EditSHz->setText("100");
        room().EditEHz->setText("200");
        click(form().CheckBoxSP1);
        click(form().CheckBoxSP1);
        QCOMPARE(chart().Series1->dataCount(), 201);
        QCOMPARE(values(chart().Series1).front(), form().responseCurves().sp1[200]);
        QVERIFY(errors().isEmpty());
    }

    void aCurveSwitchWithABadRangeKeepsTheCurve() {
        room().EditSHz->setText("abc");
        click(form().CheckBoxSP1);
        QCOMPARE(errors(), QStringList{"'abc' は整数ではありません"});
        QVERIFY(!form().CheckBoxSP1->isChecked());
        QCOMPARE(chart().Series1->dataCount(), 961);
    }

    void aTextThatIsNoNumberLeavesTheChartUntouched() {
        const QVector<double> shown = values(chart().Series1);
        const QString title = chart().titleText();
        const ResponseCurves stored = form().responseCurves();
        room().EditRefF->setText("x");
        form().Label6->setText(" 1.00");
        clickMarker(form().ShapeSP1);
        QCOMPARE(errors(), QStringList{"'x' は浮動小数点数ではありません"});
        QCOMPARE(values(chart().Series1), shown);
        QCOMPARE(chart().titleText(), title);
        QVERIFY(form().responseCurves().sp1 == stored.sp1);
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // A condition corrected before the failing one stays corrected.
        room().EditRefF->setText("0.85");
        room().EditSHz->setText("5");
        room().EditEHz->setText("five hundred");
        clickMarker(form().ShapeSP1);
        QCOMPARE(errors().value(1), QStringLiteral("'five hundred' は整数ではありません"));
        QCOMPARE(room().EditSHz->text(), QStringLiteral("10"));
        QCOMPARE(values(chart().Series1), shown);
        QVERIFY(form().responseCurves().sp1 == stored.sp1);
    }

    void aFractionalLevelLimitStopsAfterTheLevelsAreStored() {
        const QVector<double> shown = values(chart().Series1);
        graphset().EditminY->setText("-25.5");
        form().Label6->setText(" 1.00");
        clickMarker(form().ShapeSP1);
        QCOMPARE(errors(), QStringList{"'-25.5' は整数ではありません"});
        QVERIFY(form().responseCurves().sp1[40] != shown.front()); // new levels stored
        QCOMPARE(values(chart().Series1), shown);                  // old curve shown
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void aLoudspeakerOnTheListenerIsReported() {
        const QVector<double> shown = values(chart().Series3);
        form().Label13->setText(form().Label20->text());
        form().Label14->setText(form().Label21->text());
        form().Label15->setText(form().Label22->text());
        clickMarker(form().ShapeSP2);
        QCOMPARE(errors(), QStringList{"0 による浮動小数点数除算"});
        QCOMPARE(values(chart().Series3), shown);
    }

    void correctedConditionsAndAnEmptyRange() {
        room().EditSHz->setText("5");
        clickMarker(form().ShapeL);
        QCOMPARE(room().EditSHz->text(), QStringLiteral("10"));
        QCOMPARE(chart().Series3->dataCount(), 981);
        QCOMPARE(keys(chart().Series3).front(), 10.0);

        room().EditSHz->setText("300");
        room().EditEHz->setText("200");
        clickMarker(form().ShapeL);
        QVERIFY(errors().isEmpty());
        for (QCPGraph* g : {chart().Series1, chart().Series2, chart().Series3})
            QCOMPARE(g->dataCount(), 0);
        QVERIFY(chart().titleText().startsWith(form().windowTitle() + "      "));
    }

    void applyingTheSceneEmptiesTheFoot() {
        const int rows = chart().plotLayout()->rowCount();
        chart().setFootText(QStringLiteral("反射率"));
        QCOMPARE(chart().plotLayout()->rowCount(), rows + 1);
        click(room().Button2);
        QCOMPARE(chart().footText(), QString());
        QCOMPARE(chart().plotLayout()->rowCount(), rows);
    }

    void arrowKeysInTheSettingsDialogRecomputeTheWindow() {
        const ResponseCurves before = form().responseCurves();
        QTest::keyClick(room().EditRoomH, Qt::Key_Down);
        QCOMPARE(room().EditRoomH->text(), QStringLiteral("2.3"));
        QCOMPARE(form().Label28->text(), QStringLiteral("2.3m"));
        QVERIFY(form().responseCurves().total != before.total);
    }
};

QTEST_MAIN(TestMainChart)
#include "tst_main_chart.moc"
