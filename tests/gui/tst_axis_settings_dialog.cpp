// The graph axis dialog driven with real clicks, against a chart that records what it is
// asked to do.

#include "dialogs/axis_settings_dialog.h"
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

class TestAxisSettingsDialog : public QObject {
    Q_OBJECT

    RecordingChart chart;
    std::unique_ptr<AxisSettingsDialog> form;
    QStringList errors;

    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

  private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        errors.clear();
        setErrorBoxHandler([this](QWidget*, const QString& message) { errors << message; });
        chart.calls.clear();
        form = std::make_unique<AxisSettingsDialog>(chart);
        form->show();
    }

    void cleanup() {
        form.reset();
        setErrorBoxHandler({});
    }

    void startsWithFixedLevelsAndAutomaticFrequencies() {
        QVERIFY(chart.calls.empty());
        QVERIFY(!form->levelAutoBox->isChecked());
        QVERIFY(form->frequencyAutoBox->isChecked());
        QVERIFY(looksFixed(form->levelMinBox) && looksFixed(form->levelMaxBox));
        QVERIFY(looksAutomatic(form->frequencyMinBox) && looksAutomatic(form->frequencyMaxBox));
        QCOMPARE(form->levelMinBox->text(), QStringLiteral("-25"));
        QCOMPARE(form->frequencyMaxBox->text(), QStringLiteral("500"));
        QCOMPARE(form->focusWidget(), form->okButton);
    }

    void levelCheckBoxSwitchesBetweenDataAndTheTypedRange() {
        click(form->levelAutoBox);
        QVERIFY(form->levelAutoBox->isChecked());
        QCOMPARE(chart.calls, std::vector{automaticCall(ChartAxis::Level)});
        QVERIFY(looksAutomatic(form->levelMinBox) && looksAutomatic(form->levelMaxBox));

        click(form->levelAutoBox);
        QCOMPARE(chart.calls.back(), rangeCall(ChartAxis::Level, -25, 25));
        QVERIFY(looksFixed(form->levelMinBox) && looksFixed(form->levelMaxBox));
        QCOMPARE(chart.calls.size(), size_t(2));
        QVERIFY(errors.isEmpty());
    }

    void uncheckingTheFrequencyGroupFixesTheShownRange() {
        click(form->frequencyAutoBox);
        QCOMPARE(chart.calls, std::vector{rangeCall(ChartAxis::Frequency, 20, 500)});
        QVERIFY(looksFixed(form->frequencyMinBox) && looksFixed(form->frequencyMaxBox));
    }

    void typingAloneChangesNothingUntilOk() {
        form->levelMinBox->setText(QStringLiteral("-40"));
        QTest::keyClicks(form->levelMaxBox, QStringLiteral("0"));
        QVERIFY(chart.calls.empty());
        click(form->okButton);
        QVERIFY(!form->isVisible());
        QCOMPARE(chart.calls,
                 (std::vector{rangeCall(ChartAxis::Level, -40, 250), automaticCall(ChartAxis::Frequency)}));
    }

    void reversedFrequenciesArePassedAsTypedForTheChartToOrder() {
        click(form->frequencyAutoBox);
        chart.calls.clear();
        form->frequencyMinBox->setText(QStringLiteral("500"));
        form->frequencyMaxBox->setText(QStringLiteral("20"));
        click(form->okButton);
        QVERIFY(!form->isVisible());
        QCOMPARE(chart.calls.back(), rangeCall(ChartAxis::Frequency, 500, 20));
    }

    void okOnAnAutomaticGroupNeverFixesThatAxis() {
        form->frequencyMinBox->setText(QStringLiteral("30"));
        click(form->okButton);
        for (const AxisCall& call : chart.calls)
            QVERIFY(call.axis != ChartAxis::Frequency || call.automatic);
        QVERIFY(looksAutomatic(form->frequencyMinBox));
    }

    void aBadLevelTextKeepsOkOpenAndSkipsTheFrequencyGroup() {
        click(form->frequencyAutoBox);
        chart.calls.clear();
        form->levelMaxBox->setText(QStringLiteral("abc"));
        form->frequencyMinBox->setText(QStringLiteral("30"));
        click(form->okButton);
        QVERIFY(form->isVisible());
        QVERIFY(chart.calls.empty());
        QCOMPARE(errors, QStringList{QStringLiteral("'abc' は浮動小数点数ではありません")});

        // Mended, the same okButton goes through.
        form->levelMaxBox->setText(QStringLiteral("20"));
        click(form->okButton);
        QVERIFY(!form->isVisible());
        QCOMPARE(chart.calls, (std::vector{rangeCall(ChartAxis::Level, -25, 20),
                                           rangeCall(ChartAxis::Frequency, 30, 500)}));
    }

    void aBadTextStillReadsWhenSwitchingToAutomatic() {
        // Both texts are read first, whatever the check box says; the box keeps its new
        // state, and neither the chart nor the looks change.
        form->levelMinBox->setText(QString());
        click(form->levelAutoBox);
        QVERIFY(form->levelAutoBox->isChecked());
        QVERIFY(chart.calls.empty());
        QVERIFY(looksFixed(form->levelMinBox));
        QCOMPARE(errors, QStringList{QStringLiteral("'' は浮動小数点数ではありません")});
    }

    void fractionalAndLocaleFormedLevelsAreAccepted() {
        form->levelMinBox->setText(QStringLiteral("-25.5"));
        click(form->okButton);
        QVERIFY(errors.isEmpty());
        QCOMPARE(chart.calls.front(), rangeCall(ChartAxis::Level, -25.5, 25));

        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        chart.calls.clear();
        form->show();
        form->levelMinBox->setText(QStringLiteral("-12,5"));
        click(form->okButton);
        QVERIFY(errors.isEmpty());
        QCOMPARE(chart.calls.front(), rangeCall(ChartAxis::Level, -12.5, 25));
    }

    void closingHidesWithoutApplying() {
        form->levelMinBox->setText(QStringLiteral("-10"));
        form->close();
        QVERIFY(!form->isVisible());
        QVERIFY(chart.calls.empty());
    }

    void tabOrderStartsAtOk() {
        const QList<QWidget*> expected{form->okButton,       form->levelAutoBox,     form->levelMinBox,
                                       form->levelMaxBox,    form->frequencyAutoBox, form->frequencyMinBox,
                                       form->frequencyMaxBox};
        QList<QWidget*> chain;
        QWidget* w = form->okButton;
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w;
            w = w->nextInFocusChain();
        } while (w != form->okButton);
        QCOMPARE(chain, expected);
    }
};

QTEST_MAIN(TestAxisSettingsDialog)
#include "tst_axis_settings_dialog.moc"
