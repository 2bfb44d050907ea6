#pragma once
// Shared by the main window's test programs: the program's windows freshly started for
// each test, a recorder in place of the error box, and a probe that tells whether a
// response calculation ran.

#include "app/app_windows.h"
#include "dialogs/axis_settings_dialog.h"
#include "dialogs/room_settings_dialog.h"
#include "find_control.h"
#include "mainwindow/main_window.h"
#include "mainwindow/nudge_box.h"
#include "mainwindow/plan_view.h"
#include "widgets/height_slider.h"
#include "widgets/marker_shape.h"
#include "widgets/response_chart.h"
#include "widgets/ui_support.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace kolmarin::testing {

class MainWindowFixture {
  public:
    // The locale fixes the decimal point and the thousands separator the texts use.
    static void setUpApplication() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        // The windows keep their recent files in settings of this test program's own, in a
        // folder of its own, never in the user's.
        QStandardPaths::setTestModeEnabled(true);
        static QTemporaryDir settingsFolder;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Kolmarin2 tests"));
        setErrorBoxHandler([](QWidget*, const QString& message) { errors().append(message); });
    }

    static QStringList& errors() {
        static QStringList recorded;
        return recorded;
    }

    void start() {
        errors().clear();
        windows = std::make_unique<AppWindows>();
        windows->mainWindow.show();
    }
    void stop() { windows.reset(); }

    MainWindow& mainWindow() { return windows->mainWindow; }
    RoomSettingsDialog& roomSettings() { return windows->roomSettings; }
    AxisSettingsDialog& axisSettings() { return windows->axisSettings; }
    ResponseChart& chart() { return *control<ResponseChart>(windows->mainWindow, "responseChart"); }
    SceneDocument& document() { return windows->document; }
    // Changes texts of the scene as a drag or a file would, without applying them.
    template <class Edit> void editTexts(Edit edit) {
        SceneTexts texts = document().texts();
        edit(texts);
        document().setTexts(texts);
    }

    // An end frequency above 500 Hz is lowered to 500 by every calculation and written
    // back, so the box tells whether a calculation ran since the probe was armed.
    void armCalculationProbe() {
        SceneTexts texts;
        roomSettings().readTexts(texts);
        texts.endFrequency = "501";
        roomSettings().writeTexts(texts);
    }
    bool calculationRan() {
        SceneTexts texts;
        roomSettings().readTexts(texts);
        return texts.endFrequency == "500";
    }

    static constexpr CurveRole kSp1Curve = CurveRole::ofSource(0);
    static constexpr CurveRole kSp2Curve = CurveRole::ofSource(1);
    static constexpr CurveRole kTotalCurve = CurveRole::total();
    static constexpr CurveRole kCandidateCurve = CurveRole::candidate();
    static constexpr CurveRole kReferenceCurve = CurveRole::reference();

    // What the chart shows of a curve: its frequencies, its levels, how many points.
    QVector<double> keys(CurveRole role) { return chart().frequencies(role); }
    QVector<double> values(CurveRole role) { return chart().levels(role); }
    int pointCount(CurveRole role) { return static_cast<int>(chart().levels(role).size()); }

    // The texts, the setup and the curves as the window shows them, to compare bit for bit,
    // with the subwoofers' and seats' markers by name and place and the seats' figures.
    struct Shown {
        SceneTexts texts;
        ResponseCurves curves;
        QVector<double> total; // the chart's Total
        BassSetup setup;
        QStringList setupMarkers;
        std::vector<double> seatSpreads;
        bool operator==(const Shown& o) const {
            return texts == o.texts && curves.sources == o.curves.sources && curves.total == o.curves.total &&
                   total == o.total && setup == o.setup && setupMarkers == o.setupMarkers &&
                   seatSpreads == o.seatSpreads;
        }
    };
    Shown shown() {
        QStringList markers;
        for (const auto* marker : mainWindow().findChildren<MarkerShape*>(QRegularExpression("^(sw|seat)")))
            markers << QStringLiteral("%1 %2,%3").arg(marker->objectName()).arg(marker->x()).arg(marker->y());
        const auto& seats = mainWindow().seatFigures();
        return {document().texts(),
                mainWindow().responseCurves(),
                values(kTotalCurve),
                mainWindow().bassSetup(),
                markers,
                seats ? seats->spread : std::vector<double>()};
    }

    // Takes the last step back through the edit menu, then does it again: each must show
    // exactly what was shown before and after it.
    void checkUndoAndRedo(const Shown& before, const QString& step) {
        const Shown after = shown();
        QVERIFY(!(after == before));
        QAction* undo = control<QAction>(mainWindow(), "undoAction");
        QCOMPARE(undo->text(), QStringLiteral("元に戻す: ") + step);
        undo->trigger();
        QVERIFY(shown() == before);
        QAction* redo = control<QAction>(mainWindow(), "redoAction");
        QCOMPARE(redo->text(), QStringLiteral("やり直し: ") + step);
        redo->trigger();
        QVERIFY(shown() == after);
        QVERIFY(errors().isEmpty());
    }

    std::unique_ptr<AppWindows> windows;
};

} // namespace kolmarin::testing
