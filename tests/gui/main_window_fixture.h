#pragma once
// Shared by the main window's test programs: the program's windows freshly started for
// each test, a recorder in place of the error box, and a probe that tells whether a
// response calculation ran.

#include "app/app_windows.h"
#include "dialogs/graphset_form.h"
#include "dialogs/room_form.h"
#include "mainwindow/main_form.h"
#include "mainwindow/nudge_box.h"
#include "mainwindow/plan_view.h"
#include "widgets/marker_shape.h"
#include "widgets/response_chart.h"
#include "widgets/trk_bar_ex.h"
#include "widgets/ui_support.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace kolmarin::testing {

class MainWindowFixture {
  public:
    // The locale fixes the decimal point and the thousands separator the texts use.
    static void setUpApplication() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        setErrorBoxHandler([](QWidget*, const QString& message) { errors().append(message); });
    }

    static QStringList& errors() {
        static QStringList recorded;
        return recorded;
    }

    void start() {
        errors().clear();
        windows = std::make_unique<AppWindows>();
        windows->form1.show();
    }
    void stop() { windows.reset(); }

    TForm1& form() { return windows->form1; }
    TroomForm& room() { return windows->roomForm; }
    TgraphsetForm& graphset() { return windows->graphsetForm; }
    ResponseChart& chart() { return *windows->form1.Chart1; }

    // An end frequency above 500 Hz is lowered to 500 by every calculation and written
    // back, so the box tells whether a calculation ran since the probe was armed.
    void armCalculationProbe() { room().EditEHz->setText(QStringLiteral("501")); }
    bool calculationRan() { return room().EditEHz->text() == QStringLiteral("500"); }

    static QVector<double> keys(const QCPGraph* graph) {
        QVector<double> out;
        for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
            out.append(it->key);
        return out;
    }
    static QVector<double> values(const QCPGraph* graph) {
        QVector<double> out;
        for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
            out.append(it->value);
        return out;
    }

    std::unique_ptr<AppWindows> windows;
};

} // namespace kolmarin::testing
