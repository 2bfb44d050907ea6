// The chart's curves by role, and the curve kept to compare against: the Total kept or a
// measurement loaded, and the Total written as a measurement program reads it.
#include "file_command_fixture.h"
#include "files/curve_text.h"

#include <QAction>

using namespace kolmarin;
using kolmarin::testing::control;

class TestReferenceCurve : public QObject, public testing::FileCommandFixture {
    Q_OBJECT

    void trigger(const char* action) { control<QAction>(mainWindow(), action)->trigger(); }

  private slots:
    void initTestCase() { setUpApplication(); }
    void init() { startWithScriptedDialogs(); }
    void cleanup() { stopAndRestoreDialogs(); }

    void eachCurveHasItsOwnPenAndLegendEntry() {
        trigger("keepReferenceAction");
        ResponseChart& c = chart();
        const struct {
            CurveRole curve;
            QString name;
            QColor colour;
        } roles[]{
            {kSp1Curve, "SP1", Qt::black}, {kSp2Curve, "SP2", Qt::red}, {kTotalCurve, "Total", Qt::blue}};
        for (const auto& role : roles) {
            QCOMPARE(c.legendName(role.curve), role.name);
            QCOMPARE(c.pen(role.curve).color(), role.colour);
        }
        // The kept curve and the candidate stand apart from the three and from each other.
        const QPen reference = c.pen(kReferenceCurve);
        QVERIFY(!c.legendName(kReferenceCurve).isEmpty());
        for (CurveRole other : {kSp1Curve, kSp2Curve, kTotalCurve, kCandidateCurve})
            QVERIFY(c.pen(other).color() != reference.color() || c.pen(other).style() != reference.style());
    }

    void aLongMeasurementNameNeitherNarrowsThePlotNorIsLost() {
        const int plotWidth = chart().axisRect()->width();
        const QString name = QStringLiteral("比較 (measured_sofa_centre_after_treatment.txt, -78.8 dB)");
        chart().showReference(name, {20, 500}, {0, 1});
        QCOMPARE(chart().axisRect()->width(), plotWidth);
        QCOMPARE(chart().legendName(kReferenceCurve), name);
        // The shortened entry tells the whole name under the mouse.
        const QRect entry = chart().legend->item(chart().legend->itemCount() - 1)->rect();
        QCOMPARE(chart().legendTip(entry.center()), name);
        QVERIFY(chart().legendTip(chart().legend->item(0)->rect().center()).isEmpty()); // "SP1" whole
    }

    void theKeptTotalStaysUntilClearedAndIsExported() {
        const QVector<double> before = values(kTotalCurve);
        trigger("keepReferenceAction");
        QCOMPARE(values(kReferenceCurve), before);
        QTest::keyClick(control<NudgeBox>(mainWindow(), "listenerNudgeBox"), Qt::Key_Right);
        QVERIFY(values(kTotalCurve) != before);
        QCOMPARE(values(kReferenceCurve), before);

        answers << path("Total.txt");
        trigger("saveCurveTextAction");
        const std::vector<CurvePoint> saved = readCurveFile(path("Total.txt"));
        QCOMPARE(saved.size(), static_cast<std::size_t>(pointCount(kTotalCurve)));
        QVERIFY(std::abs(saved[40].level - values(kTotalCurve)[40]) < 5e-4);

        trigger("clearReferenceAction");
        QVERIFY(!chart().hasReference());
        QVERIFY(chart().legendName(kReferenceCurve).isEmpty());
        QVERIFY(errors().isEmpty());
    }

    void aMeasurementIsLaidOverTheTotalOrItsBadLineNamed() {
        // 80 dB above the Total at two of its frequencies, 1 kHz beyond the chart.
        const QVector<double> total = values(kTotalCurve); // element 0 is 20 Hz
        testing::writeAll(path("m.txt"), QStringLiteral("* measured\r\n20\t%1\t10\r\n50,%2,20\r\n1000 90\r\n")
                                             .arg(total[0] + 80, 0, 'g', 17)
                                             .arg(total[60] + 90, 0, 'g', 17)
                                             .toLatin1());
        answers << path("m.txt");
        trigger("loadReferenceAction");
        QVERIFY(errors().isEmpty());
        QCOMPARE(keys(kReferenceCurve), (QVector<double>{20, 50}));
        // Moved by -85 dB: the two points' mean lies on the Total's mean there.
        QVERIFY(std::abs(values(kReferenceCurve)[0] - (total[0] - 5)) < 1e-9);
        QVERIFY(chart().legendName(kReferenceCurve).contains(QStringLiteral("m.txt")));

        testing::writeAll(path("bad.txt"), "20 1\n30 x\n");
        answers << path("bad.txt");
        trigger("loadReferenceAction");
        QCOMPARE(errors(),
                 QStringList{path("bad.txt") + QStringLiteral(" の 2 行目: 'x' は数値ではありません")});
        QCOMPARE(keys(kReferenceCurve), (QVector<double>{20, 50}));
    }
};

QTEST_MAIN(TestReferenceCurve)
#include "tst_reference_curve.moc"
