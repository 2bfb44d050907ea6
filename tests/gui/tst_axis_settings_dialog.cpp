// The graph axis dialog driven with real clicks, against a chart that records what it is
// asked to do.

#include "dialogs/axis_settings_dialog.h"
#include "find_control.h"
#include "widgets/chart_axes.h"
#include "widgets/ui_support.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>
#include <vector>

using namespace kolmarin;
using kolmarin::testing::control;

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

class TestAxisSettingsDialog : public QObject {
    Q_OBJECT

    RecordingChart chart;
    std::unique_ptr<AxisSettingsDialog> dialog;
    QStringList errors;

    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

  private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        errors.clear();
        setErrorBoxHandler([this](QWidget*, const QString& message) { errors << message; });
        chart.calls.clear();
        dialog = std::make_unique<AxisSettingsDialog>(chart);
        dialog->show();
    }

    void cleanup() {
        dialog.reset();
        setErrorBoxHandler({});
    }

    void startsWithFixedLevelsAndAutomaticFrequencies() {
        QVERIFY(chart.calls.empty());
        QVERIFY(!control<QCheckBox>(*dialog, "levelAutoBox")->isChecked());
        QVERIFY(control<QCheckBox>(*dialog, "frequencyAutoBox")->isChecked());
        QVERIFY(looksFixed(control<QLineEdit>(*dialog, "levelMinBox")) &&
                looksFixed(control<QLineEdit>(*dialog, "levelMaxBox")));
        QVERIFY(looksAutomatic(control<QLineEdit>(*dialog, "frequencyMinBox")) &&
                looksAutomatic(control<QLineEdit>(*dialog, "frequencyMaxBox")));
        QCOMPARE(control<QLineEdit>(*dialog, "levelMinBox")->text(), QStringLiteral("-25"));
        QCOMPARE(control<QLineEdit>(*dialog, "frequencyMaxBox")->text(), QStringLiteral("500"));
        QCOMPARE(dialog->focusWidget(), control<QPushButton>(*dialog, "okButton"));
    }

    void levelCheckBoxSwitchesBetweenDataAndTheTypedRange() {
        click(control<QCheckBox>(*dialog, "levelAutoBox"));
        QVERIFY(control<QCheckBox>(*dialog, "levelAutoBox")->isChecked());
        QCOMPARE(chart.calls, std::vector{automaticCall(ChartAxis::Level)});
        QVERIFY(looksAutomatic(control<QLineEdit>(*dialog, "levelMinBox")) &&
                looksAutomatic(control<QLineEdit>(*dialog, "levelMaxBox")));

        click(control<QCheckBox>(*dialog, "levelAutoBox"));
        QCOMPARE(chart.calls.back(), rangeCall(ChartAxis::Level, -25, 25));
        QVERIFY(looksFixed(control<QLineEdit>(*dialog, "levelMinBox")) &&
                looksFixed(control<QLineEdit>(*dialog, "levelMaxBox")));
        QCOMPARE(chart.calls.size(), size_t(2));
        QVERIFY(errors.isEmpty());
    }

    void uncheckingTheFrequencyGroupFixesTheShownRange() {
        click(control<QCheckBox>(*dialog, "frequencyAutoBox"));
        QCOMPARE(chart.calls, std::vector{rangeCall(ChartAxis::Frequency, 20, 500)});
        QVERIFY(looksFixed(control<QLineEdit>(*dialog, "frequencyMinBox")) &&
                looksFixed(control<QLineEdit>(*dialog, "frequencyMaxBox")));
    }

    void typingAloneChangesNothingUntilOk() {
        control<QLineEdit>(*dialog, "levelMinBox")->setText(QStringLiteral("-40"));
        QTest::keyClicks(control<QLineEdit>(*dialog, "levelMaxBox"), QStringLiteral("0"));
        QVERIFY(chart.calls.empty());
        click(control<QPushButton>(*dialog, "okButton"));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(chart.calls,
                 (std::vector{rangeCall(ChartAxis::Level, -40, 250), automaticCall(ChartAxis::Frequency)}));
    }

    void reversedFrequenciesArePassedAsTypedForTheChartToOrder() {
        click(control<QCheckBox>(*dialog, "frequencyAutoBox"));
        chart.calls.clear();
        control<QLineEdit>(*dialog, "frequencyMinBox")->setText(QStringLiteral("500"));
        control<QLineEdit>(*dialog, "frequencyMaxBox")->setText(QStringLiteral("20"));
        click(control<QPushButton>(*dialog, "okButton"));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(chart.calls.back(), rangeCall(ChartAxis::Frequency, 500, 20));
    }

    void okOnAnAutomaticGroupNeverFixesThatAxis() {
        control<QLineEdit>(*dialog, "frequencyMinBox")->setText(QStringLiteral("30"));
        click(control<QPushButton>(*dialog, "okButton"));
        for (const AxisCall& call : chart.calls)
            QVERIFY(call.axis != ChartAxis::Frequency || call.automatic);
        QVERIFY(looksAutomatic(control<QLineEdit>(*dialog, "frequencyMinBox")));
    }

    void aBadLevelTextKeepsOkOpenAndSkipsTheFrequencyGroup() {
        click(control<QCheckBox>(*dialog, "frequencyAutoBox"));
        chart.calls.clear();
        control<QLineEdit>(*dialog, "levelMaxBox")->setText(QStringLiteral("abc"));
        control<QLineEdit>(*dialog, "frequencyMinBox")->setText(QStringLiteral("30"));
        click(control<QPushButton>(*dialog, "okButton"));
        QVERIFY(dialog->isVisible());
        QVERIFY(chart.calls.empty());
        QCOMPARE(errors, QStringList{QStringLiteral("'abc' は浮動小数点数ではありません")});

        // Mended, the same OK goes through.
        control<QLineEdit>(*dialog, "levelMaxBox")->setText(QStringLiteral("20"));
        click(control<QPushButton>(*dialog, "okButton"));
        QVERIFY(!dialog->isVisible());
        QCOMPARE(chart.calls, (std::vector{rangeCall(ChartAxis::Level, -25, 20),
                                           rangeCall(ChartAxis::Frequency, 30, 500)}));
    }

    void aBadTextStillReadsWhenSwitchingToAutomatic() {
        // Both texts are read first, whatever the check box says; the box keeps its new
        // state, and neither the chart nor the looks change.
        control<QLineEdit>(*dialog, "levelMinBox")->setText(QString());
        click(control<QCheckBox>(*dialog, "levelAutoBox"));
        QVERIFY(control<QCheckBox>(*dialog, "levelAutoBox")->isChecked());
        QVERIFY(chart.calls.empty());
        QVERIFY(looksFixed(control<QLineEdit>(*dialog, "levelMinBox")));
        QCOMPARE(errors, QStringList{QStringLiteral("'' は浮動小数点数ではありません")});
    }

    void fractionalAndLocaleFormedLevelsAreAccepted() {
        control<QLineEdit>(*dialog, "levelMinBox")->setText(QStringLiteral("-25.5"));
        click(control<QPushButton>(*dialog, "okButton"));
        QVERIFY(errors.isEmpty());
        QCOMPARE(chart.calls.front(), rangeCall(ChartAxis::Level, -25.5, 25));

        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        chart.calls.clear();
        dialog->show();
        control<QLineEdit>(*dialog, "levelMinBox")->setText(QStringLiteral("-12,5"));
        click(control<QPushButton>(*dialog, "okButton"));
        QVERIFY(errors.isEmpty());
        QCOMPARE(chart.calls.front(), rangeCall(ChartAxis::Level, -12.5, 25));
    }

    void closingHidesWithoutApplying() {
        control<QLineEdit>(*dialog, "levelMinBox")->setText(QStringLiteral("-10"));
        dialog->close();
        QVERIFY(!dialog->isVisible());
        QVERIFY(chart.calls.empty());
    }

    void tabOrderStartsAtOk() {
        const QList<QWidget*> expected{
            control<QPushButton>(*dialog, "okButton"),       control<QCheckBox>(*dialog, "levelAutoBox"),
            control<QLineEdit>(*dialog, "levelMinBox"),      control<QLineEdit>(*dialog, "levelMaxBox"),
            control<QCheckBox>(*dialog, "frequencyAutoBox"), control<QLineEdit>(*dialog, "frequencyMinBox"),
            control<QLineEdit>(*dialog, "frequencyMaxBox")};
        QList<QWidget*> chain;
        QWidget* w = control<QPushButton>(*dialog, "okButton");
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w;
            w = w->nextInFocusChain();
        } while (w != control<QPushButton>(*dialog, "okButton"));
        QCOMPARE(chain, expected);
    }
};

QTEST_MAIN(TestAxisSettingsDialog)
#include "tst_axis_settings_dialog.moc"
