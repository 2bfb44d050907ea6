// The main window as a user meets it: the state after start-up, placing the loudspeakers
// and the listener with the mouse, the sliders and the nudge keys, and changing the room.
#include "main_window_fixture.h"
#include "widgets/user_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPrinter>
#include <QSignalSpy>
#include <QWheelEvent>

using namespace kolmarin;

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
        TForm1& f = form();
        QVERIFY(errors().isEmpty());
        QCOMPARE(f.windowTitle(), QStringLiteral("Kolmarin2 部屋.dtr"));
        QCOMPARE(f.Image1->geometry(), QRect(696, 32, 250, 417));
        QVERIFY(f.Image1->showsRoom());
        QCOMPARE(corner(f.ShapeSP1), QPoint(731, 90));
        QCOMPARE(corner(f.ShapeSP2), QPoint(897, 90));
        QCOMPARE(corner(f.ShapeL), QPoint(815, 294));
        // Heights snap to their sliders and are rewritten with the leading blank; x and y
        // keep their first texts.
        QCOMPARE(f.TrackBarExSP1->value(), 79);
        QCOMPARE(f.TrackBarExSP2->value(), 79);
        QCOMPARE(f.TrackBarExL->value(), 58);
        QCOMPARE(text(f.Label8), QStringLiteral(" 0.50"));
        QCOMPARE(text(f.Label15), QStringLiteral(" 0.50"));
        QCOMPARE(text(f.Label22), QStringLiteral(" 1.01"));
        QCOMPARE(text(f.Label6), QStringLiteral("0.45"));
        QCOMPARE(text(f.Label21), QStringLiteral("2.90"));
        QCOMPARE(text(f.Label2), QStringLiteral("幅：2.70m 奥行：4.50m 高さ：2.40m"));
        QCOMPARE(text(f.Label33), QStringLiteral("反射率  前0.85  後0.85  右0.8  左0.8  上0.9  下0.9"));
        QCOMPARE(text(f.Label34), QStringLiteral("反射回数 30"));
        QCOMPARE(text(f.Label28), QStringLiteral("2.40m"));
    }

    void startUpDrawsTheFirstCurves() {
        ResponseChart& c = chart();
        for (QCPGraph* g : {c.Series1, c.Series2, c.Series3}) {
            QCOMPARE(g->dataCount(), 961);
            QCOMPARE(keys(g).front(), 20.0);
            QCOMPARE(keys(g).back(), 500.0);
        }
        // The point at f shows the level stored for f.
        const ResponseCurves& stored = form().responseCurves();
        QCOMPARE(values(c.Series1).front(), stored.sp1[40]);
        QCOMPARE(values(c.Series2).back(), stored.sp2[1000]);
        QCOMPARE(values(c.Series3)[1], stored.total[41]);
        QVERIFY(stored.sp1[39] == 0.0 && stored.sp1[1001] == 0.0);
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
        TForm1& f = form();
        QVERIFY(f.maximumSize().width() <= 1024);
        QVERIFY(f.maximumSize().height() <= 602);
        QCOMPARE(f.size(), f.maximumSize());
        const QRect client = f.centralWidget()->rect();
        for (QWidget* child : f.centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(client.contains(child->geometry()), qPrintable(child->metaObject()->className()));
        QVERIFY(f.ShapeL->geometry().intersects(f.Image1->geometry()));
    }

    void markersStackWithTheListenerOnTop() {
        TForm1& f = form();
        const auto siblings = f.centralWidget()->children();
        const auto at = [&](QObject* o) { return siblings.indexOf(o); };
        QVERIFY(at(f.Image1) < at(f.ShapeSP1));
        QVERIFY(at(f.ShapeSP1) < at(f.ShapeSP2));
        QVERIFY(at(f.ShapeSP2) < at(f.ShapeL));
        f.ShapeSP2->move(f.ShapeL->pos());
        QCOMPARE(f.centralWidget()->childAt(f.ShapeL->geometry().center()), f.ShapeL);
    }

    void draggingFollowsThePointerAndStopsAtEachWall() {
        TForm1& f = form();
        MarkerShape* m = f.ShapeSP1;
        const ResponseCurves before = f.responseCurves();
        armCalculationProbe();
        QTest::mousePress(m, Qt::LeftButton, {}, QPoint(7, 7));
        QTest::mouseMove(m, QPoint(17, 27));
        QCOMPARE(corner(m), QPoint(741, 110));
        QCOMPARE(text(f.Label6), QStringLiteral(" 0.56")); // 52 of 250 pixels over 2.70 m
        QCOMPARE(text(f.Label7), QStringLiteral(" 0.92")); // 85 of 417 pixels over 4.50 m
        QCOMPARE(text(f.Label8), QStringLiteral(" 0.50"));

        // Left wall: the reference point stops on the plan's edge and the marker no longer
        // follows the pointer up or down.
        QTest::mouseMove(m, QPoint(-100, 60));
        QCOMPARE(corner(m), QPoint(689, 110));
        QCOMPARE(text(f.Label6), QStringLiteral(" 0.00"));
        QTest::mouseMove(m, QPoint(-5, 60));
        QCOMPARE(corner(m), QPoint(689, 110));
        // Back inside it follows again.
        QTest::mouseMove(m, QPoint(17, 17));
        QCOMPARE(corner(m), QPoint(699, 120));

        QTest::mouseMove(m, QPoint(400, -50)); // right wall
        QCOMPARE(corner(m), QPoint(939, 120));
        QCOMPARE(text(f.Label6), QStringLiteral(" 2.70"));
        // Front and back walls hold the marker's left where it was, here against the right wall.
        QTest::mouseMove(m, QPoint(-50, -300));
        QCOMPARE(corner(m), QPoint(939, 25));
        QCOMPARE(text(f.Label7), QStringLiteral(" 0.00"));
        QTest::mouseMove(m, QPoint(-20, 900));
        QCOMPARE(corner(m), QPoint(939, 442));
        QCOMPARE(text(f.Label7), QStringLiteral(" 4.50"));

        // Nothing is computed while dragging.
        QVERIFY(!calculationRan());
        QVERIFY(f.responseCurves().sp1 == before.sp1);
        QTest::mouseRelease(m, Qt::LeftButton, {}, QPoint(7, 7));
        QVERIFY(calculationRan());
        QVERIFY(f.responseCurves().sp1 != before.sp1);
        QCOMPARE(chart().Series1->dataCount(), 961);
        QVERIFY(errors().isEmpty());

        // After the release moves no longer drag.
        QTest::mouseMove(m, QPoint(-20, -20));
        QCOMPARE(corner(m), QPoint(939, 442));
    }

    void clicksRecalculateAndOnlyTheLeftButtonDrags() {
        TForm1& f = form();
        armCalculationProbe();
        QTest::mouseClick(f.ShapeL, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(calculationRan());
        QCOMPARE(text(f.Label20), QStringLiteral("1.36"));
        QCOMPARE(text(f.Label21), QStringLiteral("2.90"));

        armCalculationProbe();
        QTest::mousePress(f.ShapeL, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mouseMove(f.ShapeL, QPoint(40, 40));
        QCOMPARE(corner(f.ShapeL), QPoint(815, 294));
        QCOMPARE(text(f.Label20), QStringLiteral("1.36"));
        QVERIFY(!calculationRan());
        QTest::mouseRelease(f.ShapeL, Qt::RightButton, {}, QPoint(40, 40));
        QVERIFY(calculationRan());
    }

    void dragReadsTheRoomAsTypedInTheDialog() {
        // An unapplied width counts for the next drag: the plan keeps its pixels, the
        // read-outs use the new metres per pixel.
        TForm1& f = form();
        room().EditRoomW->setText(QStringLiteral("5.40"));
        QTest::mousePress(f.ShapeSP1, Qt::LeftButton, {}, QPoint(7, 7));
        QTest::mouseMove(f.ShapeSP1, QPoint(7, 8));
        QCOMPARE(text(f.Label6), QStringLiteral(" 0.91")); // 42 pixels of 250 over 5.40 m
        QTest::mouseRelease(f.ShapeSP1, Qt::LeftButton, {}, QPoint(7, 7));

        // The marker moves and x is written before the unreadable depth stops the move.
        room().EditRoomD->setText(QStringLiteral("deep"));
        const QString yBefore = text(f.Label7);
        QTest::mousePress(f.ShapeSP1, Qt::LeftButton, {}, QPoint(7, 7));
        QTest::mouseMove(f.ShapeSP1, QPoint(30, 30));
        QCOMPARE(errors().value(0), QStringLiteral("'deep' は浮動小数点数ではありません"));
        QCOMPARE(corner(f.ShapeSP1), QPoint(731 + 23, 91 + 23));
        QCOMPARE(text(f.Label6), QStringLiteral(" 1.40")); // 65 pixels of 250 over 5.40 m
        QCOMPARE(text(f.Label7), yBefore);
        QTest::mouseRelease(f.ShapeSP1, Qt::LeftButton, {}, QPoint(7, 7));
    }

    void sliderWritesTheHeightAndComputesAtRelease() {
        TForm1& f = form();
        TTrackBarEx* s = f.TrackBarExSP2;
        armCalculationProbe();
        QCOMPARE(s->thumbRect().height(), 17);
        QPoint grip = s->thumbRect().center();
        QTest::mousePress(s, Qt::LeftButton, {}, grip);
        QStringList written;
        for (int step = 0; step < 400 && s->value() != 50; ++step) {
            grip.ry() -= 1;
            QTest::mouseMove(s, grip);
            if (written.isEmpty() || written.back() != text(f.Label15))
                written.append(text(f.Label15));
        }
        QCOMPARE(s->value(), 50);
        QCOMPARE(text(f.Label15), QStringLiteral(" 1.20"));
        QVERIFY(written.size() > 5); // the read-out followed the thumb
        QVERIFY(!calculationRan());
        QTest::mouseRelease(s, Qt::LeftButton, {}, grip);
        QVERIFY(calculationRan());
        QCOMPARE(text(f.Label15), QStringLiteral(" 1.20"));

        // A key or a wheel turn on a slider moves it by the same rule and computes once, so
        // the curves always belong to the heights shown.
        QSignalSpy replots(&chart(), &QCustomPlot::afterReplot);
        f.Culcstundwave();
        const qsizetype once = replots.size();
        s->setFocus();
        QTest::keyClick(s, Qt::Key_Down);
        QCOMPARE(s->value(), 51);
        QCOMPARE(text(f.Label15), QStringLiteral(" 1.18"));
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
        TForm1& f = form();
        armCalculationProbe();
        QTest::keyClick(f.EditSP1, Qt::Key_U);
        QCOMPARE(text(f.Label8), QStringLiteral(" 0.60"));
        QCOMPARE(f.TrackBarExSP1->value(), 75);
        QVERIFY(calculationRan());

        QTest::keyClick(f.EditSP1, Qt::Key_D);
        QCOMPARE(text(f.Label8), QStringLiteral(" 0.50"));
        QCOMPARE(f.TrackBarExSP1->value(), 79);

        armCalculationProbe();
        QTest::keyClick(f.EditSP1, Qt::Key_U, Qt::ShiftModifier);
        QCOMPARE(text(f.Label8), QStringLiteral(" 0.51"));
        QCOMPARE(f.TrackBarExSP1->value(), 79);
        QVERIFY(calculationRan());
        QTest::keyClick(f.EditSP1, Qt::Key_U, Qt::ShiftModifier);
        QCOMPARE(f.TrackBarExSP1->value(), 78);
        QCOMPARE(text(f.Label8), QStringLiteral(" 0.53")); // 0.52 snapped to the slider's 0.528
        QCOMPARE(text(f.Label6), QStringLiteral("0.45"));
        QCOMPARE(text(f.Label7), QStringLiteral("0.70"));
        QVERIFY(errors().isEmpty());
    }

    void arrowKeysMoveTheMarkerAndStopAtTheWalls() {
        TForm1& f = form();
        f.Label20->setText(QStringLiteral(" 0.05"));
        QTest::keyClick(f.EditL, Qt::Key_Left);
        QCOMPARE(text(f.Label20), QStringLiteral(" 0.00"));
        QCOMPARE(corner(f.ShapeL).x(), 689);
        QTest::keyClick(f.EditL, Qt::Key_Left);
        QCOMPARE(text(f.Label20), QStringLiteral(" 0.00"));

        f.Label20->setText(QStringLiteral(" 2.65"));
        QTest::keyClick(f.EditL, Qt::Key_Right);
        QCOMPARE(text(f.Label20), QStringLiteral(" 2.70"));
        QCOMPARE(corner(f.ShapeL).x(), 939);

        QTest::keyClick(f.EditL, Qt::Key_Up);
        QCOMPARE(text(f.Label21), QStringLiteral(" 2.80"));
        QTest::keyClick(f.EditL, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(text(f.Label21), QStringLiteral(" 2.81"));
        QCOMPARE(corner(f.ShapeL).y(), 32 + 260 - 7); // 417 × 2.81 / 4.50 = 260.4
        // The walls are the room as typed, applied or not.
        room().EditRoomD->setText(QStringLiteral("2.85"));
        QTest::keyClick(f.EditL, Qt::Key_Down);
        QCOMPARE(text(f.Label21), QStringLiteral(" 2.85"));
        QVERIFY(errors().isEmpty());
        // A step toward the near wall needs no room size: it is written, and an unreadable
        // depth stops the key only where the marker is placed.
        room().EditRoomD->setText(QStringLiteral("deep"));
        QTest::keyClick(f.EditL, Qt::Key_Up);
        QCOMPARE(text(f.Label21), QStringLiteral(" 2.75"));
        QCOMPARE(errors(), QStringList{QStringLiteral("'deep' は浮動小数点数ではありません")});
    }

    void anyOtherKeyPlacesFromTheReadOutsAndRecalculates() {
        TForm1& f = form();
        f.Label6->setText(QStringLiteral(" 1.35"));
        f.Label8->setText(QStringLiteral(" 2.40"));
        armCalculationProbe();
        QTest::keyClick(f.EditSP1, Qt::Key_5);
        QCOMPARE(corner(f.ShapeSP1).x(), 696 + 125 - 7);
        QCOMPARE(f.TrackBarExSP1->value(), 0);
        QCOMPARE(f.EditSP1->text(), QStringLiteral("SP1"));
        QVERIFY(calculationRan());
    }

    void nudgeBoxesShowTheFocus() {
        TForm1& f = form();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        const QColor sky(166, 202, 240);
        f.EditSP2->setFocus();
        QCOMPARE(f.EditSP2->palette().color(QPalette::Base), sky);
        QVERIFY(f.EditSP1->palette().color(QPalette::Base) != sky);
        QTest::keyClick(f.EditSP2, Qt::Key_Tab);
        QVERIFY(f.EditL->hasFocus());
        QCOMPARE(f.EditL->palette().color(QPalette::Base), sky);
        QCOMPARE(f.EditSP2->palette().color(QPalette::Base), f.EditSP2->idleColour());
        QTest::keyClick(f.EditL, Qt::Key_Tab);
        QVERIFY(f.EditSP1->hasFocus());
    }

    void applyingASmallerRoomPullsPositionsBackIn() {
        TForm1& f = form();
        const ResponseCurves before = f.responseCurves();
        room().EditRoomW->setText(QStringLiteral("2.00"));
        room().EditRoomD->setText(QStringLiteral("2.00"));
        QTest::mouseClick(room().Button2, Qt::LeftButton);
        QVERIFY(errors().isEmpty());
        QCOMPARE(text(f.Label13), QStringLiteral(" 2.00"));
        QCOMPARE(text(f.Label21), QStringLiteral(" 2.00"));
        for (QLabel* unchanged : {f.Label6, f.Label7, f.Label14, f.Label20})
            QVERIFY(!text(unchanged).startsWith(QLatin1Char(' ')));
        QCOMPARE(text(f.Label8), QStringLiteral(" 0.50"));
        QCOMPARE(text(f.Label22), QStringLiteral(" 1.01"));
        QCOMPARE(f.Image1->geometry(), QRect(696, 32, 305, 305));
        QCOMPARE(corner(f.ShapeSP2), QPoint(696 + 305 - 7, 32 + 107 - 7));
        QCOMPARE(text(f.Label2), QStringLiteral("幅：2.00m 奥行：2.00m 高さ：2.40m"));
        QVERIFY(f.responseCurves().sp1 != before.sp1);

        // Narrower than SP1 and shallower than everyone: each object to its own wall.
        room().EditRoomW->setText(QStringLiteral("0.40"));
        room().EditRoomD->setText(QStringLiteral("0.50"));
        room().EditRoomH->setText(QStringLiteral("0.45"));
        QTest::mouseClick(room().Button2, Qt::LeftButton);
        QCOMPARE(text(f.Label6), QStringLiteral(" 0.00"));
        QCOMPARE(text(f.Label13), QStringLiteral(" 0.40"));
        QCOMPARE(text(f.Label20), QStringLiteral(" 0.20"));
        QCOMPARE(text(f.Label7), QStringLiteral(" 0.00"));
        QCOMPARE(text(f.Label14), QStringLiteral(" 0.00"));
        QCOMPARE(text(f.Label21), QStringLiteral(" 0.50"));
        QCOMPARE(text(f.Label22), QStringLiteral(" 0.45"));
        QCOMPARE(f.TrackBarExL->value(), 0);
        QCOMPARE(text(f.Label28), QStringLiteral("0.45m"));
        QVERIFY(errors().isEmpty());

        // The listener goes to x = 0.625 m, shown as " 0.62", and its marker to the pixel of
        // 0.625 m: 261 * 0.625 / 1.25 = 130.5, which rounds to 130.
        room().EditRoomW->setText(QStringLiteral("1.25"));
        room().EditRoomD->setText(QStringLiteral("2.00"));
        room().EditRoomH->setText(QStringLiteral("2.40"));
        f.Label20->setText(QStringLiteral("1.36"));
        QTest::mouseClick(room().Button2, Qt::LeftButton);
        QVERIFY(errors().isEmpty());
        QCOMPARE(f.Image1->geometry(), QRect(696, 32, 261, 417));
        QCOMPARE(text(f.Label20), QStringLiteral(" 0.62"));
        QCOMPARE(corner(f.ShapeL).x(), 696 + 130 - 7);
    }

    void aRoomWithoutExtentIsRefusedBeforeAnythingMoves() {
        TForm1& f = form();
        const QRect plan = f.Image1->geometry();
        const QPoint sp2 = corner(f.ShapeSP2);
        const QString caption = text(f.Label2);
        room().EditRoomW->setText(QStringLiteral("0"));
        QTest::mouseClick(room().Button2, Qt::LeftButton);
        QCOMPARE(errors(), QStringList{QStringLiteral("0 による浮動小数点数除算")});
        room().EditRoomD->setText(QStringLiteral("0.0"));
        QTest::mouseClick(room().Button2, Qt::LeftButton);
        QCOMPARE(errors().value(1), QStringLiteral("不正な浮動小数点数演算命令"));
        room().EditRoomW->setText(QStringLiteral("2.70"));
        QTest::mouseClick(room().Button2, Qt::LeftButton);
        QCOMPARE(errors().value(2), QStringLiteral("部屋の奥行きは 0 より大きい値にしてください"));
        room().EditRoomD->setText(QStringLiteral("4.50"));
        room().EditRoomH->setText(QStringLiteral("-2.40"));
        QTest::mouseClick(room().Button2, Qt::LeftButton);
        QCOMPARE(errors().value(3), QStringLiteral("部屋の高さは 0 より大きい値にしてください"));
        QCOMPARE(errors().size(), 4);
        QCOMPARE(f.Image1->geometry(), plan);
        QCOMPARE(corner(f.ShapeSP2), sp2);
        QCOMPARE(text(f.Label2), caption);
        QCOMPARE(text(f.Label13), QStringLiteral("2.25"));
    }

    void aBadTextNeverKeepsTheMenuFromTheKeyboard() {
        // "3,6" is no number in a point locale; the focus is in SP1's nudge box.
        TForm1& f = form();
        room().EditRoomW->setText(QStringLiteral("3,6"));
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.EditSP1->setFocus();
        // QTest presses Ctrl (or Alt) alone first, as a keyboard does.
        QTest::keyClick(f.EditSP1, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(room().isVisible());
        QVERIFY(errors().isEmpty());

        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.EditSP1->setFocus();
        QTest::keyClick(f.EditSP1, Qt::Key_F, Qt::AltModifier);
        QWidget* fileMenu = QApplication::activePopupWidget();
        QCOMPARE(fileMenu, static_cast<QWidget*>(f.F1));
        QTest::keyClick(fileMenu, Qt::Key_X);
        QVERIFY(!f.isVisible());
        QVERIFY(errors().isEmpty());

        // Any other key still commits the position, and so reports the width.
        QTest::keyClick(f.EditSP1, Qt::Key_5);
        QCOMPARE(errors(), QStringList{QStringLiteral("'3,6' は浮動小数点数ではありません")});
    }

    void aTextThatIsNoNumberIsShownInItsBoxAfterTheError() {
        room().EditRoomW->setText(QStringLiteral("3,6"));
        QTest::keyClick(form().EditSP1, Qt::Key_Left);
        QCOMPARE(errors(), QStringList{QStringLiteral("'3,6' は浮動小数点数ではありません")});
        QVERIFY(room().isVisible());
        QCOMPARE(room().focusWidget(), room().EditRoomW);
        QCOMPARE(room().EditRoomW->selectedText(), QStringLiteral("3,6"));

        // A text the calculation reads: the reflection count, after a click on a marker.
        room().EditRoomW->setText(QStringLiteral("2.70"));
        room().EditRefN->setText(QStringLiteral("30回"));
        QTest::mouseClick(form().ShapeL, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(errors().value(1), QStringLiteral("'30回' は整数ではありません"));
        QCOMPARE(room().focusWidget(), room().EditRefN);
        QCOMPARE(room().EditRefN->selectedText(), QStringLiteral("30回"));
    }

    void okAppliesAndHidesTheSettingsDialog() {
        TForm1& f = form();
        f.R1->trigger();
        QVERIFY(room().isVisible());
        f.R1->trigger();
        QCOMPARE(f.findChildren<TroomForm*>().size(), 1);
        room().EditRoomH->setText(QStringLiteral("3.00"));
        QTest::mouseClick(room().Button3, Qt::LeftButton);
        QVERIFY(!room().isVisible());
        QCOMPARE(text(f.Label28), QStringLiteral("3.00m"));
        QCOMPARE(text(f.Label22), QStringLiteral(" 1.02")); // 1.01 snaps to slider 66 of a 3.00 m room

        f.G1->trigger();
        QVERIFY(graphset().isVisible());
    }

    void menuOffersItsItemsWithTheirShortcuts() {
        TForm1& f = form();
        QStringList titles;
        for (QAction* menu : f.menuBar()->actions())
            titles.append(menu->text());
        QCOMPARE(titles, (QStringList{QStringLiteral("ファイル(&F)"), QStringLiteral("計算(&C)"),
                                      QStringLiteral("設定(&O)"), QStringLiteral("ヘルプ(&H)")}));
        QCOMPARE(f.R1->text(), QStringLiteral("部屋、計算条件(&R)"));
        QCOMPARE(f.R1->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
        QCOMPARE(f.G1->text(), QStringLiteral("グラフ(&G)"));
        for (QAction* item :
             {f.roomDateOpenM, f.roomSaveM, f.S1, f.Print, f.F2, f.X1, f.M1, f.R1, f.G1, f.Kolmarin1, f.N3})
            QVERIFY2(item->isEnabled(), qPrintable(item->text()));
        // The eigenmode item fills the mode list from the dialog's boxes and shows it, as
        // the dialog's own button does.
        f.M1->trigger();
        QVERIFY(windows->modeForm.isVisible());
        QCOMPARE(windows->modeForm.StringGrid1->rowCount(), 42);
        windows->modeForm.hide();
        room().EditRoomW->setText(QStringLiteral("0.5"));
        QTest::mouseClick(room().Button1, Qt::LeftButton);
        QVERIFY(windows->modeForm.isVisible());
        QVERIFY(windows->modeForm.StringGrid1->rowCount() < 42);
        QVERIFY(errors().isEmpty());

        // Both windows print on the one printer: the landscape set by the window print
        // (cancelled here) is what the mode list's print dialog is offered.
        QList<QPrinter*> offered;
        setPrintDialogHandler([&](QWidget*, QPrinter& printer) {
            offered.append(&printer);
            return false;
        });
        f.F2->trigger();
        windows->modeForm.P1->trigger();
        setPrintDialogHandler({});
        QCOMPARE(offered.size(), 2);
        QCOMPARE(offered[0], offered[1]);
        QCOMPARE(offered[1]->pageLayout().orientation(), QPageLayout::Landscape);
        f.X1->trigger();
        QVERIFY(!f.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
