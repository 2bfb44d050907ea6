// The main window as a user meets it: the state after start-up, placing the loudspeakers
// and the listener with the mouse, the sliders and the nudge keys, and changing the room.
#include "find_control.h"
#include "main_window_fixture.h"
#include "widgets/user_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPrinter>
#include <QSignalSpy>
#include <QWheelEvent>

using namespace kolmarin;
using kolmarin::testing::control;

class TestMainWindow : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

  private:
    QString text(QLabel* label) { return label->text(); }
    QPoint corner(QWidget* w) { return w->pos(); }

  private slots:
    void initTestCase() { setUpApplication(); }
    void init() { start(); }
    void cleanup() { stop(); }

    void startUpLaysOutTheDefaultRoom() {
        MainWindow& f = mainWindow();
        QVERIFY(errors().isEmpty());
        QCOMPARE(f.windowTitle(), QStringLiteral("Kolmarin2 部屋.dtr"));
        QCOMPARE(control<PlanView>(f, "planView")->geometry(), QRect(696, 32, 250, 417));
        QVERIFY(control<PlanView>(f, "planView")->showsRoom());
        QCOMPARE(corner(control<MarkerShape>(f, "sp1Marker")), QPoint(731, 90));
        QCOMPARE(corner(control<MarkerShape>(f, "sp2Marker")), QPoint(897, 90));
        QCOMPARE(corner(control<MarkerShape>(f, "listenerMarker")), QPoint(815, 294));
        // Heights snap to their sliders and are rewritten with the leading blank; x and y
        // keep their first texts.
        QCOMPARE(control<HeightSlider>(f, "sp1HeightSlider")->value(), 79);
        QCOMPARE(control<HeightSlider>(f, "sp2HeightSlider")->value(), 79);
        QCOMPARE(control<HeightSlider>(f, "listenerHeightSlider")->value(), 58);
        QCOMPARE(text(control<QLabel>(f, "sp1ZReadOut")), QStringLiteral(" 0.50"));
        QCOMPARE(text(control<QLabel>(f, "sp2ZReadOut")), QStringLiteral(" 0.50"));
        QCOMPARE(text(control<QLabel>(f, "listenerZReadOut")), QStringLiteral(" 1.01"));
        QCOMPARE(text(control<QLabel>(f, "sp1XReadOut")), QStringLiteral("0.45"));
        QCOMPARE(text(control<QLabel>(f, "listenerYReadOut")), QStringLiteral("2.90"));
        QCOMPARE(text(control<QLabel>(f, "roomSizeCaption")),
                 QStringLiteral("幅：2.70m 奥行：4.50m 高さ：2.40m"));
        QCOMPARE(text(control<QLabel>(f, "reflectionCaption")),
                 QStringLiteral("反射率  前0.85  後0.85  右0.8  左0.8  上0.9  下0.9"));
        QCOMPARE(text(control<QLabel>(f, "reflectionCountCaption")), QStringLiteral("反射回数 30"));
        QCOMPARE(text(control<QLabel>(f, "ceilingHeightLabel")), QStringLiteral("2.40m"));
    }

    void eachObjectsRowStandsAtItsPlace() {
        const struct {
            const char* key;
            int sliderLeft, keyMarkerTop, boxTop, readOutTop;
        } rows[]{{"sp1", 576, 474, 471, 480}, {"sp2", 600, 498, 496, 504}, {"listener", 624, 522, 522, 528}};
        for (const auto& r : rows) {
            const auto named = [&](const char* what) { return QByteArray(r.key) + what; };
            QCOMPARE(control<HeightSlider>(mainWindow(), named("HeightSlider"))->geometry(),
                     QRect(r.sliderLeft, 128, 25, 305));
            QCOMPARE(corner(control<QLabel>(mainWindow(), named("SliderLabel"))), QPoint(r.sliderLeft, 112));
            QCOMPARE(corner(control<MarkerShape>(mainWindow(), named("KeyMarker"))),
                     QPoint(707, r.keyMarkerTop));
            QCOMPARE(control<NudgeBox>(mainWindow(), named("NudgeBox"))->geometry(),
                     QRect(725, r.boxTop, 47, 20));
            QCOMPARE(corner(control<QLabel>(mainWindow(), named("ZReadOut"))).y(), r.readOutTop);
        }
    }

    void startUpDrawsTheFirstCurves() {
        ResponseChart& c = chart();
        for (CurveRole g : {kSp1Curve, kSp2Curve, kTotalCurve}) {
            QCOMPARE(pointCount(g), 961);
            QCOMPARE(keys(g).front(), 20.0);
            QCOMPARE(keys(g).back(), 500.0);
        }
        // The point at f shows the level stored for f.
        const ResponseCurves& stored = mainWindow().responseCurves();
        QCOMPARE(values(kSp1Curve).front(), stored.sources[0][40]);
        QCOMPARE(values(kSp2Curve).back(), stored.sources[1][1000]);
        QCOMPARE(values(kTotalCurve)[1], stored.total[41]);
        QVERIFY(stored.sources[0][39] == 0.0 && stored.sources[0][1001] == 0.0);
        QCOMPARE(c.levelAxis()->range().lower, -25.0);
        QCOMPARE(c.levelAxis()->range().upper, 25.0);
        QCOMPARE(c.frequencyAxis()->range().lower, 20.0);
        QCOMPARE(c.frequencyAxis()->range().upper, 500.0);
        QVERIFY(c.titleText().startsWith(QStringLiteral("Kolmarin2 部屋.dtr      ")));
        QVERIFY(c.titleText().size() > QStringLiteral("Kolmarin2 部屋.dtr      ").size());
        QCOMPARE(c.footText(), QString());
        QCOMPARE(c.legend->itemCount(), 3);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void everyControlFitsTheWindow() {
        MainWindow& f = mainWindow();
        QVERIFY(f.maximumSize().width() <= 1024);
        QVERIFY(f.maximumSize().height() <= 602);
        QCOMPARE(f.size(), f.maximumSize());
        const QRect client = f.centralWidget()->rect();
        for (QWidget* child : f.centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(client.contains(child->geometry()), qPrintable(child->metaObject()->className()));
        QVERIFY(control<MarkerShape>(f, "listenerMarker")
                    ->geometry()
                    .intersects(control<PlanView>(f, "planView")->geometry()));
    }

    void markersStackWithTheListenerOnTop() {
        MainWindow& f = mainWindow();
        const auto siblings = f.centralWidget()->children();
        const auto at = [&](QObject* o) { return siblings.indexOf(o); };
        QVERIFY(at(control<PlanView>(f, "planView")) < at(control<MarkerShape>(f, "sp1Marker")));
        QVERIFY(at(control<MarkerShape>(f, "sp1Marker")) < at(control<MarkerShape>(f, "sp2Marker")));
        QVERIFY(at(control<MarkerShape>(f, "sp2Marker")) < at(control<MarkerShape>(f, "listenerMarker")));
        control<MarkerShape>(f, "sp2Marker")->move(control<MarkerShape>(f, "listenerMarker")->pos());
        QCOMPARE(f.centralWidget()->childAt(control<MarkerShape>(f, "listenerMarker")->geometry().center()),
                 control<MarkerShape>(f, "listenerMarker"));
    }

    void draggingFollowsThePointerAndStopsAtEachWall() {
        MainWindow& f = mainWindow();
        MarkerShape* m = control<MarkerShape>(f, "sp1Marker");
        const ResponseCurves before = f.responseCurves();
        armCalculationProbe();
        QTest::mousePress(m, Qt::LeftButton, {}, QPoint(7, 7));
        QTest::mouseMove(m, QPoint(17, 27));
        QCOMPARE(corner(m), QPoint(741, 110));
        QCOMPARE(text(control<QLabel>(f, "sp1XReadOut")),
                 QStringLiteral(" 0.56")); // 52 of 250 pixels over 2.70 m
        QCOMPARE(text(control<QLabel>(f, "sp1YReadOut")),
                 QStringLiteral(" 0.92")); // 85 of 417 pixels over 4.50 m
        QCOMPARE(text(control<QLabel>(f, "sp1ZReadOut")), QStringLiteral(" 0.50"));

        // Left wall: the reference point stops on the plan's edge and the marker no longer
        // follows the pointer up or down.
        QTest::mouseMove(m, QPoint(-100, 60));
        QCOMPARE(corner(m), QPoint(689, 110));
        QCOMPARE(text(control<QLabel>(f, "sp1XReadOut")), QStringLiteral(" 0.00"));
        QTest::mouseMove(m, QPoint(-5, 60));
        QCOMPARE(corner(m), QPoint(689, 110));
        // Back inside it follows again.
        QTest::mouseMove(m, QPoint(17, 17));
        QCOMPARE(corner(m), QPoint(699, 120));

        QTest::mouseMove(m, QPoint(400, -50)); // right wall
        QCOMPARE(corner(m), QPoint(939, 120));
        QCOMPARE(text(control<QLabel>(f, "sp1XReadOut")), QStringLiteral(" 2.70"));
        // Front and back walls hold the marker's left where it was, here against the right wall.
        QTest::mouseMove(m, QPoint(-50, -300));
        QCOMPARE(corner(m), QPoint(939, 25));
        QCOMPARE(text(control<QLabel>(f, "sp1YReadOut")), QStringLiteral(" 0.00"));
        QTest::mouseMove(m, QPoint(-20, 900));
        QCOMPARE(corner(m), QPoint(939, 442));
        QCOMPARE(text(control<QLabel>(f, "sp1YReadOut")), QStringLiteral(" 4.50"));

        // Nothing is computed while dragging.
        QVERIFY(!calculationRan());
        QVERIFY(f.responseCurves().sources[0] == before.sources[0]);
        QTest::mouseRelease(m, Qt::LeftButton, {}, QPoint(7, 7));
        QVERIFY(calculationRan());
        QVERIFY(f.responseCurves().sources[0] != before.sources[0]);
        QCOMPARE(pointCount(kSp1Curve), 961);
        QVERIFY(errors().isEmpty());

        // After the release moves no longer drag.
        QTest::mouseMove(m, QPoint(-20, -20));
        QCOMPARE(corner(m), QPoint(939, 442));
    }

    void clicksRecalculateAndOnlyTheLeftButtonDrags() {
        MainWindow& f = mainWindow();
        armCalculationProbe();
        QTest::mouseClick(control<MarkerShape>(f, "listenerMarker"), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(calculationRan());
        QCOMPARE(text(control<QLabel>(f, "listenerXReadOut")), QStringLiteral("1.36"));
        QCOMPARE(text(control<QLabel>(f, "listenerYReadOut")), QStringLiteral("2.90"));

        armCalculationProbe();
        QTest::mousePress(control<MarkerShape>(f, "listenerMarker"), Qt::RightButton, {}, QPoint(5, 5));
        QTest::mouseMove(control<MarkerShape>(f, "listenerMarker"), QPoint(40, 40));
        QCOMPARE(corner(control<MarkerShape>(f, "listenerMarker")), QPoint(815, 294));
        QCOMPARE(text(control<QLabel>(f, "listenerXReadOut")), QStringLiteral("1.36"));
        QVERIFY(!calculationRan());
        QTest::mouseRelease(control<MarkerShape>(f, "listenerMarker"), Qt::RightButton, {}, QPoint(40, 40));
        QVERIFY(calculationRan());
    }

    void dragReadsTheRoomAsTypedInTheDialog() {
        // An unapplied width counts for the next drag: the plan keeps its pixels, the
        // read-outs use the new metres per pixel.
        MainWindow& f = mainWindow();
        control<QLineEdit>(roomSettings(), "roomWidthBox")->setText(QStringLiteral("5.40"));
        QTest::mousePress(control<MarkerShape>(f, "sp1Marker"), Qt::LeftButton, {}, QPoint(7, 7));
        QTest::mouseMove(control<MarkerShape>(f, "sp1Marker"), QPoint(7, 8));
        QCOMPARE(text(control<QLabel>(f, "sp1XReadOut")),
                 QStringLiteral(" 0.91")); // 42 pixels of 250 over 5.40 m
        QTest::mouseRelease(control<MarkerShape>(f, "sp1Marker"), Qt::LeftButton, {}, QPoint(7, 7));

        // The marker moves and x is written before the unreadable depth stops the move.
        control<QLineEdit>(roomSettings(), "roomDepthBox")->setText(QStringLiteral("deep"));
        const QString yBefore = text(control<QLabel>(f, "sp1YReadOut"));
        QTest::mousePress(control<MarkerShape>(f, "sp1Marker"), Qt::LeftButton, {}, QPoint(7, 7));
        QTest::mouseMove(control<MarkerShape>(f, "sp1Marker"), QPoint(30, 30));
        QCOMPARE(errors().value(0), QStringLiteral("'deep' は浮動小数点数ではありません"));
        QCOMPARE(corner(control<MarkerShape>(f, "sp1Marker")), QPoint(731 + 23, 91 + 23));
        QCOMPARE(text(control<QLabel>(f, "sp1XReadOut")),
                 QStringLiteral(" 1.40")); // 65 pixels of 250 over 5.40 m
        QCOMPARE(text(control<QLabel>(f, "sp1YReadOut")), yBefore);
        QTest::mouseRelease(control<MarkerShape>(f, "sp1Marker"), Qt::LeftButton, {}, QPoint(7, 7));
    }

    void sliderWritesTheHeightAndComputesAtRelease() {
        MainWindow& f = mainWindow();
        HeightSlider* s = control<HeightSlider>(f, "sp2HeightSlider");
        armCalculationProbe();
        QCOMPARE(s->thumbRect().height(), 17);
        QPoint grip = s->thumbRect().center();
        QTest::mousePress(s, Qt::LeftButton, {}, grip);
        QStringList written;
        for (int step = 0; step < 400 && s->value() != 50; ++step) {
            grip.ry() -= 1;
            QTest::mouseMove(s, grip);
            if (written.isEmpty() || written.back() != text(control<QLabel>(f, "sp2ZReadOut")))
                written.append(text(control<QLabel>(f, "sp2ZReadOut")));
        }
        QCOMPARE(s->value(), 50);
        QCOMPARE(text(control<QLabel>(f, "sp2ZReadOut")), QStringLiteral(" 1.20"));
        QVERIFY(written.size() > 5); // the read-out followed the thumb
        QVERIFY(!calculationRan());
        QTest::mouseRelease(s, Qt::LeftButton, {}, grip);
        QVERIFY(calculationRan());
        QCOMPARE(text(control<QLabel>(f, "sp2ZReadOut")), QStringLiteral(" 1.20"));

        // A key or a wheel turn on a slider moves it by the same rule and computes once, so
        // the curves always belong to the heights shown.
        QSignalSpy replots(&chart(), &QCustomPlot::afterReplot);
        QTest::mouseRelease(control<MarkerShape>(f, "sp1Marker"), Qt::LeftButton); // one calculation
        const qsizetype once = replots.size();
        s->setFocus();
        QTest::keyClick(s, Qt::Key_Down);
        QCOMPARE(s->value(), 51);
        QCOMPARE(text(control<QLabel>(f, "sp2ZReadOut")), QStringLiteral(" 1.18"));
        QCOMPARE(replots.size(), 2 * once);
        QTest::keyClick(s, Qt::Key_PageUp);
        QCOMPARE(s->value(), 41);
        QCOMPARE(replots.size(), 3 * once);
        QTest::keyClick(s, Qt::Key_Shift);
        QCOMPARE(replots.size(), 3 * once);
        QWheelEvent wheel(QPointF(5, 5), s->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(s, &wheel);
        QVERIFY(s->value() > 41);
        QCOMPARE(replots.size(), 4 * once);
        QVERIFY(errors().isEmpty());
    }

    void nudgeKeysStepTheHeightAndSnapToTheSlider() {
        MainWindow& f = mainWindow();
        armCalculationProbe();
        QTest::keyClick(control<NudgeBox>(f, "sp1NudgeBox"), Qt::Key_U);
        QCOMPARE(text(control<QLabel>(f, "sp1ZReadOut")), QStringLiteral(" 0.60"));
        QCOMPARE(control<HeightSlider>(f, "sp1HeightSlider")->value(), 75);
        QVERIFY(calculationRan());

        QTest::keyClick(control<NudgeBox>(f, "sp1NudgeBox"), Qt::Key_D);
        QCOMPARE(text(control<QLabel>(f, "sp1ZReadOut")), QStringLiteral(" 0.50"));
        QCOMPARE(control<HeightSlider>(f, "sp1HeightSlider")->value(), 79);

        armCalculationProbe();
        QTest::keyClick(control<NudgeBox>(f, "sp1NudgeBox"), Qt::Key_U, Qt::ShiftModifier);
        QCOMPARE(text(control<QLabel>(f, "sp1ZReadOut")), QStringLiteral(" 0.51"));
        QCOMPARE(control<HeightSlider>(f, "sp1HeightSlider")->value(), 79);
        QVERIFY(calculationRan());
        QTest::keyClick(control<NudgeBox>(f, "sp1NudgeBox"), Qt::Key_U, Qt::ShiftModifier);
        QCOMPARE(control<HeightSlider>(f, "sp1HeightSlider")->value(), 78);
        QCOMPARE(text(control<QLabel>(f, "sp1ZReadOut")),
                 QStringLiteral(" 0.53")); // 0.52 snapped to the slider's 0.528
        QCOMPARE(text(control<QLabel>(f, "sp1XReadOut")), QStringLiteral("0.45"));
        QCOMPARE(text(control<QLabel>(f, "sp1YReadOut")), QStringLiteral("0.70"));
        QVERIFY(errors().isEmpty());
    }

    void arrowKeysMoveTheMarkerAndStopAtTheWalls() {
        MainWindow& f = mainWindow();
        editTexts([](SceneTexts& t) { t.seats[0].x = " 0.05"; });
        QTest::keyClick(control<NudgeBox>(f, "listenerNudgeBox"), Qt::Key_Left);
        QCOMPARE(text(control<QLabel>(f, "listenerXReadOut")), QStringLiteral(" 0.00"));
        QCOMPARE(corner(control<MarkerShape>(f, "listenerMarker")).x(), 689);
        QTest::keyClick(control<NudgeBox>(f, "listenerNudgeBox"), Qt::Key_Left);
        QCOMPARE(text(control<QLabel>(f, "listenerXReadOut")), QStringLiteral(" 0.00"));

        editTexts([](SceneTexts& t) { t.seats[0].x = " 2.65"; });
        QTest::keyClick(control<NudgeBox>(f, "listenerNudgeBox"), Qt::Key_Right);
        QCOMPARE(text(control<QLabel>(f, "listenerXReadOut")), QStringLiteral(" 2.70"));
        QCOMPARE(corner(control<MarkerShape>(f, "listenerMarker")).x(), 939);

        QTest::keyClick(control<NudgeBox>(f, "listenerNudgeBox"), Qt::Key_Up);
        QCOMPARE(text(control<QLabel>(f, "listenerYReadOut")), QStringLiteral(" 2.80"));
        QTest::keyClick(control<NudgeBox>(f, "listenerNudgeBox"), Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(text(control<QLabel>(f, "listenerYReadOut")), QStringLiteral(" 2.81"));
        QCOMPARE(corner(control<MarkerShape>(f, "listenerMarker")).y(),
                 32 + 260 - 7); // 417 × 2.81 / 4.50 = 260.4
        // The walls are the room as typed, applied or not.
        control<QLineEdit>(roomSettings(), "roomDepthBox")->setText(QStringLiteral("2.85"));
        QTest::keyClick(control<NudgeBox>(f, "listenerNudgeBox"), Qt::Key_Down);
        QCOMPARE(text(control<QLabel>(f, "listenerYReadOut")), QStringLiteral(" 2.85"));
        QVERIFY(errors().isEmpty());
        // A step toward the near wall needs no room size: it is written, and an unreadable
        // depth stops the key only where the marker is placed.
        control<QLineEdit>(roomSettings(), "roomDepthBox")->setText(QStringLiteral("deep"));
        QTest::keyClick(control<NudgeBox>(f, "listenerNudgeBox"), Qt::Key_Up);
        QCOMPARE(text(control<QLabel>(f, "listenerYReadOut")), QStringLiteral(" 2.75"));
        QCOMPARE(errors(), QStringList{QStringLiteral("'deep' は浮動小数点数ではありません")});
    }

    void anyOtherKeyPlacesFromTheReadOutsAndRecalculates() {
        MainWindow& f = mainWindow();
        editTexts([](SceneTexts& t) { t.sources[0].x = " 1.35"; });
        editTexts([](SceneTexts& t) { t.sources[0].z = " 2.40"; });
        armCalculationProbe();
        QTest::keyClick(control<NudgeBox>(f, "sp1NudgeBox"), Qt::Key_5);
        QCOMPARE(corner(control<MarkerShape>(f, "sp1Marker")).x(), 696 + 125 - 7);
        QCOMPARE(control<HeightSlider>(f, "sp1HeightSlider")->value(), 0);
        QCOMPARE(control<NudgeBox>(f, "sp1NudgeBox")->text(), QStringLiteral("SP1"));
        QVERIFY(calculationRan());
    }

    void nudgeBoxesShowTheFocus() {
        MainWindow& f = mainWindow();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        const QColor sky(166, 202, 240);
        control<NudgeBox>(f, "sp2NudgeBox")->setFocus();
        QCOMPARE(control<NudgeBox>(f, "sp2NudgeBox")->palette().color(QPalette::Base), sky);
        QVERIFY(control<NudgeBox>(f, "sp1NudgeBox")->palette().color(QPalette::Base) != sky);
        QTest::keyClick(control<NudgeBox>(f, "sp2NudgeBox"), Qt::Key_Tab);
        QVERIFY(control<NudgeBox>(f, "listenerNudgeBox")->hasFocus());
        QCOMPARE(control<NudgeBox>(f, "listenerNudgeBox")->palette().color(QPalette::Base), sky);
        QCOMPARE(control<NudgeBox>(f, "sp2NudgeBox")->palette().color(QPalette::Base),
                 control<NudgeBox>(f, "sp2NudgeBox")->idleColour());
        QTest::keyClick(control<NudgeBox>(f, "listenerNudgeBox"), Qt::Key_Tab);
        QVERIFY(control<NudgeBox>(f, "sp1NudgeBox")->hasFocus());
    }

    void applyingASmallerRoomPullsPositionsBackIn() {
        MainWindow& f = mainWindow();
        const ResponseCurves before = f.responseCurves();
        control<QLineEdit>(roomSettings(), "roomWidthBox")->setText(QStringLiteral("2.00"));
        control<QLineEdit>(roomSettings(), "roomDepthBox")->setText(QStringLiteral("2.00"));
        QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
        QVERIFY(errors().isEmpty());
        QCOMPARE(text(control<QLabel>(f, "sp2XReadOut")), QStringLiteral(" 2.00"));
        QCOMPARE(text(control<QLabel>(f, "listenerYReadOut")), QStringLiteral(" 2.00"));
        for (QLabel* unchanged : {control<QLabel>(f, "sp1XReadOut"), control<QLabel>(f, "sp1YReadOut"),
                                  control<QLabel>(f, "sp2YReadOut"), control<QLabel>(f, "listenerXReadOut")})
            QVERIFY(!text(unchanged).startsWith(QLatin1Char(' ')));
        QCOMPARE(text(control<QLabel>(f, "sp1ZReadOut")), QStringLiteral(" 0.50"));
        QCOMPARE(text(control<QLabel>(f, "listenerZReadOut")), QStringLiteral(" 1.01"));
        QCOMPARE(control<PlanView>(f, "planView")->geometry(), QRect(696, 32, 305, 305));
        QCOMPARE(corner(control<MarkerShape>(f, "sp2Marker")), QPoint(696 + 305 - 7, 32 + 107 - 7));
        QCOMPARE(text(control<QLabel>(f, "roomSizeCaption")),
                 QStringLiteral("幅：2.00m 奥行：2.00m 高さ：2.40m"));
        QVERIFY(f.responseCurves().sources[0] != before.sources[0]);

        // Narrower than SP1 and shallower than everyone: each object to its own wall.
        control<QLineEdit>(roomSettings(), "roomWidthBox")->setText(QStringLiteral("0.40"));
        control<QLineEdit>(roomSettings(), "roomDepthBox")->setText(QStringLiteral("0.50"));
        control<QLineEdit>(roomSettings(), "roomHeightBox")->setText(QStringLiteral("0.45"));
        QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
        QCOMPARE(text(control<QLabel>(f, "sp1XReadOut")), QStringLiteral(" 0.00"));
        QCOMPARE(text(control<QLabel>(f, "sp2XReadOut")), QStringLiteral(" 0.40"));
        QCOMPARE(text(control<QLabel>(f, "listenerXReadOut")), QStringLiteral(" 0.20"));
        QCOMPARE(text(control<QLabel>(f, "sp1YReadOut")), QStringLiteral(" 0.00"));
        QCOMPARE(text(control<QLabel>(f, "sp2YReadOut")), QStringLiteral(" 0.00"));
        QCOMPARE(text(control<QLabel>(f, "listenerYReadOut")), QStringLiteral(" 0.50"));
        QCOMPARE(text(control<QLabel>(f, "listenerZReadOut")), QStringLiteral(" 0.45"));
        QCOMPARE(control<HeightSlider>(f, "listenerHeightSlider")->value(), 0);
        QCOMPARE(text(control<QLabel>(f, "ceilingHeightLabel")), QStringLiteral("0.45m"));
        QVERIFY(errors().isEmpty());

        // The listener goes to x = 0.625 m, shown as " 0.62", and its marker to the pixel of
        // 0.625 m: 261 * 0.625 / 1.25 = 130.5, which rounds to 130.
        control<QLineEdit>(roomSettings(), "roomWidthBox")->setText(QStringLiteral("1.25"));
        control<QLineEdit>(roomSettings(), "roomDepthBox")->setText(QStringLiteral("2.00"));
        control<QLineEdit>(roomSettings(), "roomHeightBox")->setText(QStringLiteral("2.40"));
        editTexts([](SceneTexts& t) { t.seats[0].x = "1.36"; });
        QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
        QVERIFY(errors().isEmpty());
        QCOMPARE(control<PlanView>(f, "planView")->geometry(), QRect(696, 32, 261, 417));
        QCOMPARE(text(control<QLabel>(f, "listenerXReadOut")), QStringLiteral(" 0.62"));
        QCOMPARE(corner(control<MarkerShape>(f, "listenerMarker")).x(), 696 + 130 - 7);
    }

    void aRoomWithoutExtentIsRefusedBeforeAnythingMoves() {
        MainWindow& f = mainWindow();
        const QRect plan = control<PlanView>(f, "planView")->geometry();
        const QPoint sp2 = corner(control<MarkerShape>(f, "sp2Marker"));
        const QString caption = text(control<QLabel>(f, "roomSizeCaption"));
        control<QLineEdit>(roomSettings(), "roomWidthBox")->setText(QStringLiteral("0"));
        QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
        QCOMPARE(errors(), QStringList{QStringLiteral("部屋の幅は 0 より大きい値にしてください")});
        control<QLineEdit>(roomSettings(), "roomDepthBox")->setText(QStringLiteral("0.0"));
        QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
        QCOMPARE(errors().value(1), QStringLiteral("部屋の幅は 0 より大きい値にしてください"));
        control<QLineEdit>(roomSettings(), "roomWidthBox")->setText(QStringLiteral("2.70"));
        QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
        QCOMPARE(errors().value(2), QStringLiteral("部屋の奥行きは 0 より大きい値にしてください"));
        control<QLineEdit>(roomSettings(), "roomDepthBox")->setText(QStringLiteral("4.50"));
        control<QLineEdit>(roomSettings(), "roomHeightBox")->setText(QStringLiteral("-2.40"));
        QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
        QCOMPARE(errors().value(3), QStringLiteral("部屋の高さは 0 より大きい値にしてください"));
        QCOMPARE(errors().size(), 4);
        QCOMPARE(control<PlanView>(f, "planView")->geometry(), plan);
        QCOMPARE(corner(control<MarkerShape>(f, "sp2Marker")), sp2);
        QCOMPARE(text(control<QLabel>(f, "roomSizeCaption")), caption);
        QCOMPARE(text(control<QLabel>(f, "sp2XReadOut")), QStringLiteral("2.25"));
    }

    void aBadTextNeverKeepsTheMenuFromTheKeyboard() {
        // "3,6" is no number in a point locale; the focus is in SP1's nudge box.
        MainWindow& f = mainWindow();
        control<QLineEdit>(roomSettings(), "roomWidthBox")->setText(QStringLiteral("3,6"));
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        control<NudgeBox>(f, "sp1NudgeBox")->setFocus();
        // QTest presses Ctrl (or Alt) alone first, as a keyboard does.
        QTest::keyClick(control<NudgeBox>(f, "sp1NudgeBox"), Qt::Key_R, Qt::ControlModifier);
        QVERIFY(roomSettings().isVisible());
        QVERIFY(errors().isEmpty());

        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        control<NudgeBox>(f, "sp1NudgeBox")->setFocus();
        QTest::keyClick(control<NudgeBox>(f, "sp1NudgeBox"), Qt::Key_F, Qt::AltModifier);
        QWidget* fileMenu = QApplication::activePopupWidget();
        QCOMPARE(fileMenu, static_cast<QWidget*>(control<QMenu>(f, "fileMenu")));
        QTest::keyClick(fileMenu, Qt::Key_X);
        QVERIFY(!f.isVisible());
        QVERIFY(errors().isEmpty());

        // Any other key still commits the position, and so reports the width.
        QTest::keyClick(control<NudgeBox>(f, "sp1NudgeBox"), Qt::Key_5);
        QCOMPARE(errors(), QStringList{QStringLiteral("'3,6' は浮動小数点数ではありません")});
    }

    void aTextThatIsNoNumberIsShownInItsBoxAfterTheError() {
        control<QLineEdit>(roomSettings(), "roomWidthBox")->setText(QStringLiteral("3,6"));
        QTest::keyClick(control<NudgeBox>(mainWindow(), "sp1NudgeBox"), Qt::Key_Left);
        QCOMPARE(errors(), QStringList{QStringLiteral("'3,6' は浮動小数点数ではありません")});
        QVERIFY(roomSettings().isVisible());
        QCOMPARE(roomSettings().focusWidget(), control<QLineEdit>(roomSettings(), "roomWidthBox"));
        QCOMPARE(control<QLineEdit>(roomSettings(), "roomWidthBox")->selectedText(), QStringLiteral("3,6"));

        // A text the calculation reads: the reflection count, after a click on a marker.
        control<QLineEdit>(roomSettings(), "roomWidthBox")->setText(QStringLiteral("2.70"));
        control<QLineEdit>(roomSettings(), "reflectionCountBox")->setText(QStringLiteral("30回"));
        QTest::mouseClick(control<MarkerShape>(mainWindow(), "listenerMarker"), Qt::LeftButton, {},
                          QPoint(5, 5));
        QCOMPARE(errors().value(1), QStringLiteral("'30回' は整数ではありません"));
        QCOMPARE(roomSettings().focusWidget(), control<QLineEdit>(roomSettings(), "reflectionCountBox"));
        QCOMPARE(control<QLineEdit>(roomSettings(), "reflectionCountBox")->selectedText(),
                 QStringLiteral("30回"));
    }

    void okAppliesAndHidesTheSettingsDialog() {
        MainWindow& f = mainWindow();
        control<QAction>(f, "roomSettingsAction")->trigger();
        QVERIFY(roomSettings().isVisible());
        control<QAction>(f, "roomSettingsAction")->trigger();
        QCOMPARE(f.findChildren<RoomSettingsDialog*>().size(), 1);
        control<QLineEdit>(roomSettings(), "roomHeightBox")->setText(QStringLiteral("3.00"));
        QTest::mouseClick(control<QPushButton>(roomSettings(), "okButton"), Qt::LeftButton);
        QVERIFY(!roomSettings().isVisible());
        QCOMPARE(text(control<QLabel>(f, "ceilingHeightLabel")), QStringLiteral("3.00m"));
        QCOMPARE(text(control<QLabel>(f, "listenerZReadOut")),
                 QStringLiteral(" 1.02")); // 1.01 snaps to slider 66 of a 3.00 m room

        control<QAction>(f, "axisSettingsAction")->trigger();
        QVERIFY(axisSettings().isVisible());
    }

    void menuOffersItsItemsWithTheirShortcuts() {
        MainWindow& f = mainWindow();
        QStringList titles;
        for (QAction* menu : f.menuBar()->actions())
            titles.append(menu->text());
        QCOMPARE(titles, (QStringList{QStringLiteral("ファイル(&F)"), QStringLiteral("編集(&E)"),
                                      QStringLiteral("計算(&C)"), QStringLiteral("設定(&O)"),
                                      QStringLiteral("ヘルプ(&H)")}));
        QCOMPARE(control<QAction>(f, "roomSettingsAction")->text(), QStringLiteral("部屋、計算条件(&R)"));
        QCOMPARE(control<QAction>(f, "roomSettingsAction")->shortcut(),
                 QKeySequence(QStringLiteral("Ctrl+R")));
        // The platform's own keys where the menu has their items.
        const std::pair<const char*, QKeySequence::StandardKey> standardKeys[]{
            {"openRoomAction", QKeySequence::Open},
            {"saveRoomAction", QKeySequence::Save},
            {"printChartAction", QKeySequence::Print},
            {"exitAction", QKeySequence::Quit},
            {"helpAction", QKeySequence::HelpContents}};
        for (const auto& [name, key] : standardKeys)
            QCOMPARE(control<QAction>(f, name)->shortcuts(), QKeySequence::keyBindings(key));
        QCOMPARE(control<QAction>(f, "axisSettingsAction")->text(), QStringLiteral("グラフ(&G)"));
        for (QAction* item :
             {control<QAction>(f, "openRoomAction"), control<QAction>(f, "saveRoomAction"),
              control<QAction>(f, "saveResultAction"), control<QAction>(f, "printChartAction"),
              control<QAction>(f, "printWindowAction"), control<QAction>(f, "exitAction"),
              control<QAction>(f, "modesAction"), control<QAction>(f, "roomSettingsAction"),
              control<QAction>(f, "axisSettingsAction"), control<QAction>(f, "helpAction"),
              control<QAction>(f, "aboutAction")})
            QVERIFY2(item->isEnabled(), qPrintable(item->text()));
        // The eigenmode item fills the mode list from the dialog's boxes and shows it, as
        // the dialog's own button does.
        control<QAction>(f, "modesAction")->trigger();
        QVERIFY(windows->modeList.isVisible());
        QCOMPARE(control<QTableWidget>(windows->modeList, "modeGrid")->rowCount(), 42);
        windows->modeList.hide();
        control<QLineEdit>(roomSettings(), "roomWidthBox")->setText(QStringLiteral("0.5"));
        QTest::mouseClick(control<QPushButton>(roomSettings(), "modesButton"), Qt::LeftButton);
        QVERIFY(windows->modeList.isVisible());
        QVERIFY(control<QTableWidget>(windows->modeList, "modeGrid")->rowCount() < 42);
        QVERIFY(errors().isEmpty());

        // Both windows print on the one printer: the landscape set by the window print
        // (cancelled here) is what the mode list's print dialog is offered.
        QList<QPrinter*> offered;
        setPrintDialogHandler([&](QWidget*, QPrinter& printer) {
            offered.append(&printer);
            return false;
        });
        control<QAction>(f, "printWindowAction")->trigger();
        control<QAction>(windows->modeList, "printModesAction")->trigger();
        setPrintDialogHandler({});
        QCOMPARE(offered.size(), 2);
        QCOMPARE(offered[0], offered[1]);
        QCOMPARE(offered[1]->pageLayout().orientation(), QPageLayout::Landscape);
        control<QAction>(f, "exitAction")->trigger();
        QVERIFY(!f.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
