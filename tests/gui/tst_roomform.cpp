// The room and calculation settings dialog driven with real key and mouse events on its
// boxes and buttons; the main window's scene update is replaced by a counter.

#include "dialogs/room_form.h"
#include "model/errors.h"
#include "widgets/ui_support.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace kolmarin;

class TestRoomForm : public QObject {
    Q_OBJECT

    std::unique_ptr<TroomForm> form;
    int applied = 0;
    QStringList errors;

    // Presses `key` in `box` and reports the box's text afterwards.
    QString press(QLineEdit* box, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(box, key, modifiers);
        return box->text();
    }

  private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        errors.clear();
        setErrorBoxHandler([this](QWidget*, const QString& message) { errors << message; });
        form = std::make_unique<TroomForm>();
        applied = 0;
        form->applyScene = [this] { ++applied; };
        form->show();
    }

    void cleanup() {
        form.reset();
        setErrorBoxHandler({});
    }

    void startsWithTheDefaultSceneTexts() {
        SceneTexts read;
        read.sp1 = {"9", "9", "9"};
        form->readTexts(read);
        SceneTexts expected;
        expected.sp1 = {"9", "9", "9"}; // positions are not the dialog's
        QCOMPARE(read, expected);
    }

    void dimensionArrowsStepAndApply() {
        // The scene update reads the boxes, so it must see the stepped text.
        QStringList heightsSeen;
        form->applyScene = [&] {
            ++applied;
            heightsSeen << form->EditRoomH->text();
        };
        QCOMPARE(press(form->EditRoomH, Qt::Key_Down), QStringLiteral("2.3"));
        QCOMPARE(applied, 1);
        QCOMPARE(heightsSeen, QStringList{QStringLiteral("2.3")});
        QCOMPARE(press(form->EditRoomW, Qt::Key_Up), QStringLiteral("2.8"));
        QCOMPARE(press(form->EditRoomD, Qt::Key_Up), QStringLiteral("4.6"));
        QCOMPARE(applied, 3);

        // The step never takes a dimension to 0.1 m or below, but applies all the same.
        form->EditRoomH->setText(QStringLiteral("0.2"));
        QCOMPARE(press(form->EditRoomH, Qt::Key_Down), QStringLiteral("0.2"));
        QCOMPARE(applied, 4);
        form->EditRoomH->setText(QStringLiteral("0.25"));
        QCOMPARE(press(form->EditRoomH, Qt::Key_Down), QStringLiteral("0.15"));
        QCOMPARE(applied, 5);
        QVERIFY(errors.isEmpty());
    }

    void coefficientArrowsStayInsideZeroToOne() {
        QCOMPARE(press(form->EditRefR, Qt::Key_Up), QStringLiteral("0.85"));
        QCOMPARE(press(form->EditRefB, Qt::Key_Down), QStringLiteral("0.8"));
        form->EditRefL->setText(QStringLiteral("0.97"));
        QCOMPARE(press(form->EditRefL, Qt::Key_Up), QStringLiteral("1"));
        QCOMPARE(press(form->EditRefL, Qt::Key_Up), QStringLiteral("1"));
        form->EditRefFloor->setText(QStringLiteral("0.03"));
        QCOMPARE(press(form->EditRefFloor, Qt::Key_Down), QStringLiteral("0"));
        QCOMPARE(press(form->EditRefC, Qt::Key_Down), QStringLiteral("0.85"));
        QCOMPARE(press(form->EditRefF, Qt::Key_Up), QStringLiteral("0.9"));
        QCOMPARE(applied, 7);
    }

    void modifiersMakeNoDifferenceAndOtherKeysDoNothing() {
        QCOMPARE(press(form->EditRoomW, Qt::Key_Up, Qt::ShiftModifier), QStringLiteral("2.8"));
        QCOMPARE(press(form->EditRefR, Qt::Key_Down, Qt::ControlModifier), QStringLiteral("0.75"));
        QCOMPARE(applied, 2);
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_Return})
            press(form->EditRoomW, key);
        QCOMPARE(applied, 2);
        QCOMPARE(form->EditRoomW->text(), QStringLiteral("2.8"));
    }

    void theConditionBoxesIgnoreArrows() {
        for (QLineEdit* box : {form->EditRefN, form->EditSHz, form->EditEHz}) {
            const QString before = box->text();
            QCOMPARE(press(box, Qt::Key_Up), before);
            QCOMPARE(press(box, Qt::Key_Down), before);
        }
        QCOMPARE(applied, 0);
    }

    void anUnreadableBoxReportsTheTextAndAppliesNothing() {
        form->EditRoomW->setText(QStringLiteral("2,70"));
        QCOMPARE(press(form->EditRoomW, Qt::Key_Up), QStringLiteral("2,70"));
        form->EditRefC->setText(QStringLiteral("abc"));
        QCOMPARE(press(form->EditRefC, Qt::Key_Down), QStringLiteral("abc"));
        QCOMPARE(applied, 0);
        QCOMPARE(errors, QStringList({QStringLiteral("'2,70' は浮動小数点数ではありません"),
                                      QStringLiteral("'abc' は浮動小数点数ではありません")}));
    }

    void stepsFollowTheLocaleDecimalSeparator() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        form->EditRoomH->setText(QStringLiteral("2,40"));
        QCOMPARE(press(form->EditRoomH, Qt::Key_Down), QStringLiteral("2,3"));
        // A point is no decimal separator here: the start-up text no longer reads.
        QCOMPARE(press(form->EditRefR, Qt::Key_Up), QStringLiteral("0.8"));
        QCOMPARE(errors, QStringList{QStringLiteral("'0.8' は浮動小数点数ではありません")});
        QCOMPARE(applied, 1);
    }

    void aCommaLocaleStartsWithTextsItCanRead() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        TroomForm german;
        QCOMPARE(german.EditRoomW->text(), QStringLiteral("2,70"));
        QCOMPARE(german.EditRefF->text(), QStringLiteral("0,85"));
        QCOMPARE(german.EditRefN->text(), QStringLiteral("30"));
        QCOMPARE(press(german.EditRefF, Qt::Key_Up), QStringLiteral("0,9"));
        QVERIFY(errors.isEmpty());
    }

    void aFailingApplyAfterAStepKeepsTheSteppedText() {
        form->applyScene = [this] {
            ++applied;
            throw UserError(msg::kZeroDivide);
        };
        QCOMPARE(press(form->EditRoomW, Qt::Key_Down), QStringLiteral("2.6"));
        QCOMPARE(applied, 1);
        QCOMPARE(errors, QStringList{QString::fromUtf8(msg::kZeroDivide)});
    }

    void applyButtonAppliesAndStaysOpen() {
        QTest::mouseClick(form->Button2, Qt::LeftButton);
        QCOMPARE(applied, 1);
        QVERIFY(form->isVisible());
    }

    void okAppliesHidesAndBringsTheMainWindowBack() {
        QMainWindow mainWindow;
        form = std::make_unique<TroomForm>(&mainWindow);
        form->applyScene = [this] { ++applied; };
        form->show();
        QVERIFY(!mainWindow.isVisible());

        QTest::mouseClick(form->Button3, Qt::LeftButton);
        QCOMPARE(applied, 1);
        QVERIFY(!form->isVisible());
        QVERIFY(mainWindow.isVisible());
        form.reset();
    }

    void okStaysOpenWhenApplyFails() {
        form->applyScene = [this] {
            ++applied;
            throw UserError(msg::notAFloat("x"));
        };
        QTest::mouseClick(form->Button3, Qt::LeftButton);
        QCOMPARE(applied, 1);
        QVERIFY(form->isVisible());
        QCOMPARE(errors, QStringList{QStringLiteral("'x' は浮動小数点数ではありません")});
    }

    void closingOnlyHidesAndTheTextsSurvive() {
        form->EditRoomW->setText(QStringLiteral("3.1"));
        form->close();
        QVERIFY(!form->isVisible());
        form->show();
        QCOMPARE(form->EditRoomW->text(), QStringLiteral("3.1"));
        QCOMPARE(applied, 0);
    }

    void textsRoundTripThroughSceneTexts() {
        SceneTexts texts;
        texts.width = "3.3";
        texts.depth = "5.25";
        texts.height = "2.1e0";
        texts.reflRight = "0.1";
        texts.reflLeft = "0.2";
        texts.reflFront = "0.3";
        texts.reflBack = "0.4";
        texts.reflFloor = "0.5";
        texts.reflCeiling = "0.6";
        texts.reflectionCount = "$1E";
        texts.startFrequency = " 15";
        texts.endFrequency = "250";
        form->writeTexts(texts);
        QCOMPARE(form->EditRefFloor->text(), QStringLiteral("0.5"));
        QCOMPARE(form->EditRefC->text(), QStringLiteral("0.6"));
        QCOMPARE(form->EditSHz->text(), QStringLiteral(" 15"));

        SceneTexts read;
        form->readTexts(read);
        QCOMPARE(read, texts);
        QCOMPARE(applied, 0);
    }

    void applyHasTheFocusFirstAndTabFollowsTheBoxes() {
        const QList<QWidget*> expected{form->Button2,      form->EditRoomW, form->EditRoomD, form->EditRoomH,
                                       form->EditRefR,     form->EditRefL,  form->EditRefF,  form->EditRefB,
                                       form->EditRefFloor, form->EditRefC,  form->Button1,   form->EditRefN,
                                       form->EditSHz,      form->EditEHz,   form->Button3};
        QList<QWidget*> chain;
        QWidget* w = form->Button2;
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w;
            w = w->nextInFocusChain();
        } while (w != form->Button2);
        QCOMPARE(chain, expected);
        QCOMPARE(form->focusWidget(), form->Button2);
    }
};

QTEST_MAIN(TestRoomForm)
#include "tst_roomform.moc"
