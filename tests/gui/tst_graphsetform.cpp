// The graph axis dialog driven with real clicks, against a chart that records what it is
// asked to do.

#include "dialogs/graphset_form.h"
#include "widgets/chart_axes.h"
#include "widgets/ui_support.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>
#include <vector>

using namespace kolmarin;

namespace {

struct AxisCall {
    ChartAxis axis;
    bool automatic;
    double min = 0, max = 0;

    bool operator==(const AxisCall&) const = default;
};

AxisCall automaticCall(ChartAxis axis) {
    return {axis, true};
}
AxisCall rangeCall(ChartAxis axis, double min, double max) {
    return {axis, false, min, max};
}

class RecordingChart : public ChartAxes {
  public:
    std::vector<AxisCall> calls;
    void setAxisRange(ChartAxis axis, double min, double max) override {
        calls.push_back(rangeCall(axis, min, max));
    }
    void setAxisAutomatic(ChartAxis axis) override { calls.push_back(automaticCall(axis)); }
};

bool looksAutomatic(const QLineEdit* box) {
    return box->isReadOnly() && box->palette().color(QPalette::Base) != QColor(Qt::white);
}
bool looksFixed(const QLineEdit* box) {
    return !box->isReadOnly() && box->palette().color(QPalette::Base) == QColor(Qt::white);
}

} // namespace

class TestGraphsetForm : public QObject {
    Q_OBJECT

    RecordingChart chart;
    std::unique_ptr<TgraphsetForm> form;
    QStringList errors;

    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

  private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        errors.clear();
        setErrorBoxHandler([this](QWidget*, const QString& message) { errors << message; });
        chart.calls.clear();
        form = std::make_unique<TgraphsetForm>(chart);
        form->show();
    }

    void cleanup() {
        form.reset();
        setErrorBoxHandler({});
    }

    void startsWithFixedLevelsAndAutomaticFrequencies() {
        QVERIFY(chart.calls.empty());
        QVERIFY(!form->CheckBoxAutoY->isChecked());
        QVERIFY(form->CheckBoxAutoX->isChecked());
        QVERIFY(looksFixed(form->EditminY) && looksFixed(form->EditmaxY));
        QVERIFY(looksAutomatic(form->EditminX) && looksAutomatic(form->EditmaxX));
        QCOMPARE(form->EditminY->text(), QStringLiteral("-25"));
        QCOMPARE(form->EditmaxX->text(), QStringLiteral("500"));
        QCOMPARE(form->focusWidget(), form->OK);
    }

    void levelCheckBoxSwitchesBetweenDataAndTheTypedRange() {
        click(form->CheckBoxAutoY);
        QVERIFY(form->CheckBoxAutoY->isChecked());
        QCOMPARE(chart.calls, std::vector{automaticCall(ChartAxis::Level)});
        QVERIFY(looksAutomatic(form->EditminY) && looksAutomatic(form->EditmaxY));

        click(form->CheckBoxAutoY);
        QCOMPARE(chart.calls.back(), rangeCall(ChartAxis::Level, -25, 25));
        QVERIFY(looksFixed(form->EditminY) && looksFixed(form->EditmaxY));
        QCOMPARE(chart.calls.size(), size_t(2));
        QVERIFY(errors.isEmpty());
    }

    void uncheckingTheFrequencyGroupFixesTheShownRange() {
        click(form->CheckBoxAutoX);
        QCOMPARE(chart.calls, std::vector{rangeCall(ChartAxis::Frequency, 20, 500)});
        QVERIFY(looksFixed(form->EditminX) && looksFixed(form->EditmaxX));
    }

    void typingAloneChangesNothingUntilOk() {
        form->EditminY->setText(QStringLiteral("-40"));
        QTest::keyClicks(form->EditmaxY, QStringLiteral("0"));
        QVERIFY(chart.calls.empty());
        click(form->OK);
        QVERIFY(!form->isVisible());
        QCOMPARE(chart.calls,
                 (std::vector{rangeCall(ChartAxis::Level, -40, 250), automaticCall(ChartAxis::Frequency)}));
    }

    void reversedFrequenciesArePassedAsTypedForTheChartToOrder() {
        click(form->CheckBoxAutoX);
        chart.calls.clear();
        form->EditminX->setText(QStringLiteral("500"));
        form->EditmaxX->setText(QStringLiteral("20"));
        click(form->OK);
        QVERIFY(!form->isVisible());
        QCOMPARE(chart.calls.back(), rangeCall(ChartAxis::Frequency, 500, 20));
    }

    void okOnAnAutomaticGroupNeverFixesThatAxis() {
        form->EditminX->setText(QStringLiteral("30"));
        click(form->OK);
        for (const AxisCall& call : chart.calls)
            QVERIFY(call.axis != ChartAxis::Frequency || call.automatic);
        QVERIFY(looksAutomatic(form->EditminX));
    }

    void aBadLevelTextKeepsOkOpenAndSkipsTheFrequencyGroup() {
        click(form->CheckBoxAutoX);
        chart.calls.clear();
        form->EditmaxY->setText(QStringLiteral("abc"));
        form->EditminX->setText(QStringLiteral("30"));
        click(form->OK);
        QVERIFY(form->isVisible());
        QVERIFY(chart.calls.empty());
        QCOMPARE(errors, QStringList{QStringLiteral("'abc' は浮動小数点数ではありません")});

        // Mended, the same OK goes through.
        form->EditmaxY->setText(QStringLiteral("20"));
        click(form->OK);
        QVERIFY(!form->isVisible());
        QCOMPARE(chart.calls, (std::vector{rangeCall(ChartAxis::Level, -25, 20),
                                           rangeCall(ChartAxis::Frequency, 30, 500)}));
    }

    void aBadTextStillReadsWhenSwitchingToAutomatic() {
        // Both texts are read first, whatever the check box says; the box keeps its new
        // state, and neither the chart nor the looks change.
        form->EditminY->setText(QString());
        click(form->CheckBoxAutoY);
        QVERIFY(form->CheckBoxAutoY->isChecked());
        QVERIFY(chart.calls.empty());
        QVERIFY(looksFixed(form->EditminY));
        QCOMPARE(errors, QStringList{QStringLiteral("'' は浮動小数点数ではありません")});
    }

    void fractionalAndLocaleFormedLevelsAreAccepted() {
        form->EditminY->setText(QStringLiteral("-25.5"));
        click(form->OK);
        QVERIFY(errors.isEmpty());
        QCOMPARE(chart.calls.front(), rangeCall(ChartAxis::Level, -25.5, 25));

        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        chart.calls.clear();
        form->show();
        form->EditminY->setText(QStringLiteral("-12,5"));
        click(form->OK);
        QVERIFY(errors.isEmpty());
        QCOMPARE(chart.calls.front(), rangeCall(ChartAxis::Level, -12.5, 25));
    }

    void closingHidesWithoutApplying() {
        form->EditminY->setText(QStringLiteral("-10"));
        form->close();
        QVERIFY(!form->isVisible());
        QVERIFY(chart.calls.empty());
    }

    void tabOrderStartsAtOk() {
        const QList<QWidget*> expected{form->OK,       form->CheckBoxAutoY, form->EditminY,
                                       form->EditmaxY, form->CheckBoxAutoX, form->EditminX,
                                       form->EditmaxX};
        QList<QWidget*> chain;
        QWidget* w = form->OK;
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w;
            w = w->nextInFocusChain();
        } while (w != form->OK);
        QCOMPARE(chain, expected);
    }
};

QTEST_MAIN(TestGraphsetForm)
#include "tst_graphsetform.moc"
