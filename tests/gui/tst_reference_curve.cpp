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
    QString legendText(QCPGraph* curve) {
        auto* item = qobject_cast<QCPPlottableLegendItem*>(chart().legend->itemWithPlottable(curve));
        return item ? item->plottable()->name() : QString();
    }

  private slots:
    void initTestCase() { setUpApplication(); }
    void init() { startWithScriptedDialogs(); }
    void cleanup() { stopAndRestoreDialogs(); }

    void eachCurveHasItsOwnPenAndLegendEntry() {
        trigger("keepReferenceAction");
        ResponseChart& c = chart();
        const struct {
            QCPGraph* curve;
            QString name;
            QColor colour;
        } roles[]{
            {c.sp1Curve, "SP1", Qt::black}, {c.sp2Curve, "SP2", Qt::red}, {c.totalCurve, "Total", Qt::blue}};
        for (const auto& role : roles) {
            QCOMPARE(legendText(role.curve), role.name);
            QCOMPARE(role.curve->pen().color(), role.colour);
        }
        // The kept curve and the candidate stand apart from the three and from each other.
        const QPen reference = c.referenceCurve->pen();
        QVERIFY(!legendText(c.referenceCurve).isEmpty());
        for (QCPGraph* other : {c.sp1Curve, c.sp2Curve, c.totalCurve, c.candidateCurve})
            QVERIFY(other->pen().color() != reference.color() || other->pen().style() != reference.style());
    }

    void theKeptTotalStaysUntilClearedAndIsExported() {
        const QVector<double> before = values(chart().totalCurve);
        trigger("keepReferenceAction");
        QCOMPARE(values(chart().referenceCurve), before);
        QTest::keyClick(control<NudgeBox>(mainWindow(), "listenerNudgeBox"), Qt::Key_Right);
        QVERIFY(values(chart().totalCurve) != before);
        QCOMPARE(values(chart().referenceCurve), before);

        answers << path("Total.txt");
        trigger("saveCurveTextAction");
        const std::vector<CurvePoint> saved = readCurveFile(path("Total.txt"));
        QCOMPARE(saved.size(), static_cast<std::size_t>(chart().totalCurve->dataCount()));
        QVERIFY(std::abs(saved[40].level - values(chart().totalCurve)[40]) < 5e-4);

        trigger("clearReferenceAction");
        QVERIFY(!chart().hasReference());
        QVERIFY(legendText(chart().referenceCurve).isEmpty());
        QVERIFY(errors().isEmpty());
    }

    void aMeasurementIsLaidOverTheTotalOrItsBadLineNamed() {
        // 80 dB above the Total at two of its frequencies, 1 kHz beyond the chart.
        const QVector<double> total = values(chart().totalCurve); // element 0 is 20 Hz
        testing::writeAll(path("m.txt"), QStringLiteral("* measured\r\n20\t%1\t10\r\n50,%2,20\r\n1000 90\r\n")
                                             .arg(total[0] + 80, 0, 'g', 17)
                                             .arg(total[60] + 90, 0, 'g', 17)
                                             .toLatin1());
        answers << path("m.txt");
        trigger("loadReferenceAction");
        QVERIFY(errors().isEmpty());
        QCOMPARE(keys(chart().referenceCurve), (QVector<double>{20, 50}));
        // Moved by -85 dB: the two points' mean lies on the Total's mean there.
        QVERIFY(std::abs(values(chart().referenceCurve)[0] - (total[0] - 5)) < 1e-9);
        QVERIFY(legendText(chart().referenceCurve).contains(QStringLiteral("m.txt")));

        testing::writeAll(path("bad.txt"), "20 1\n30 x\n");
        answers << path("bad.txt");
        trigger("loadReferenceAction");
        QCOMPARE(errors(),
                 QStringList{path("bad.txt") + QStringLiteral(" の 2 行目: 'x' は数値ではありません")});
        QCOMPARE(keys(chart().referenceCurve), (QVector<double>{20, 50}));
    }
};

QTEST_MAIN(TestReferenceCurve)
#include "tst_reference_curve.moc"
