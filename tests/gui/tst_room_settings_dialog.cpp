// The room and calculation settings dialog driven with real key and mouse events on its
// boxes and buttons; the main window's scene update is replaced by a counter.

#include "dialogs/room_settings_dialog.h"
#include "find_control.h"
#include "model/errors.h"
#include "widgets/ui_support.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace kolmarin;
using kolmarin::testing::control;

class TestRoomSettingsDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<RoomSettingsDialog> form;
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
        form = std::make_unique<RoomSettingsDialog>();
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
            heightsSeen << control<QLineEdit>(*form, "roomHeightBox")->text();
        };
        QCOMPARE(press(control<QLineEdit>(*form, "roomHeightBox"), Qt::Key_Down), QStringLiteral("2.3"));
        QCOMPARE(applied, 1);
        QCOMPARE(heightsSeen, QStringList{QStringLiteral("2.3")});
        QCOMPARE(press(control<QLineEdit>(*form, "roomWidthBox"), Qt::Key_Up), QStringLiteral("2.8"));
        QCOMPARE(press(control<QLineEdit>(*form, "roomDepthBox"), Qt::Key_Up), QStringLiteral("4.6"));
        QCOMPARE(applied, 3);

        // The step never takes a dimension to 0.1 m or below, but applies all the same.
        control<QLineEdit>(*form, "roomHeightBox")->setText(QStringLiteral("0.2"));
        QCOMPARE(press(control<QLineEdit>(*form, "roomHeightBox"), Qt::Key_Down), QStringLiteral("0.2"));
        QCOMPARE(applied, 4);
        control<QLineEdit>(*form, "roomHeightBox")->setText(QStringLiteral("0.25"));
        QCOMPARE(press(control<QLineEdit>(*form, "roomHeightBox"), Qt::Key_Down), QStringLiteral("0.15"));
        QCOMPARE(applied, 5);
        QVERIFY(errors.isEmpty());
    }

    void coefficientArrowsStayInsideZeroToOne() {
        QCOMPARE(press(control<QLineEdit>(*form, "rightReflectionBox"), Qt::Key_Up), QStringLiteral("0.85"));
        QCOMPARE(press(control<QLineEdit>(*form, "backReflectionBox"), Qt::Key_Down), QStringLiteral("0.8"));
        control<QLineEdit>(*form, "leftReflectionBox")->setText(QStringLiteral("0.97"));
        QCOMPARE(press(control<QLineEdit>(*form, "leftReflectionBox"), Qt::Key_Up), QStringLiteral("1"));
        QCOMPARE(press(control<QLineEdit>(*form, "leftReflectionBox"), Qt::Key_Up), QStringLiteral("1"));
        control<QLineEdit>(*form, "floorReflectionBox")->setText(QStringLiteral("0.03"));
        QCOMPARE(press(control<QLineEdit>(*form, "floorReflectionBox"), Qt::Key_Down), QStringLiteral("0"));
        QCOMPARE(press(control<QLineEdit>(*form, "ceilingReflectionBox"), Qt::Key_Down),
                 QStringLiteral("0.85"));
        QCOMPARE(press(control<QLineEdit>(*form, "frontReflectionBox"), Qt::Key_Up), QStringLiteral("0.9"));
        QCOMPARE(applied, 7);
    }

    void modifiersMakeNoDifferenceAndOtherKeysDoNothing() {
        QCOMPARE(press(control<QLineEdit>(*form, "roomWidthBox"), Qt::Key_Up, Qt::ShiftModifier),
                 QStringLiteral("2.8"));
        QCOMPARE(press(control<QLineEdit>(*form, "rightReflectionBox"), Qt::Key_Down, Qt::ControlModifier),
                 QStringLiteral("0.75"));
        QCOMPARE(applied, 2);
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_Return})
            press(control<QLineEdit>(*form, "roomWidthBox"), key);
        QCOMPARE(applied, 2);
        QCOMPARE(control<QLineEdit>(*form, "roomWidthBox")->text(), QStringLiteral("2.8"));
    }

    void theConditionBoxesIgnoreArrows() {
        for (QLineEdit* box :
             {control<QLineEdit>(*form, "reflectionCountBox"), control<QLineEdit>(*form, "startFrequencyBox"),
              control<QLineEdit>(*form, "endFrequencyBox")}) {
            const QString before = box->text();
            QCOMPARE(press(box, Qt::Key_Up), before);
            QCOMPARE(press(box, Qt::Key_Down), before);
        }
        QCOMPARE(applied, 0);
    }

    void anUnreadableBoxReportsTheTextAndAppliesNothing() {
        control<QLineEdit>(*form, "roomWidthBox")->setText(QStringLiteral("2,70"));
        QCOMPARE(press(control<QLineEdit>(*form, "roomWidthBox"), Qt::Key_Up), QStringLiteral("2,70"));
        control<QLineEdit>(*form, "ceilingReflectionBox")->setText(QStringLiteral("abc"));
        QCOMPARE(press(control<QLineEdit>(*form, "ceilingReflectionBox"), Qt::Key_Down),
                 QStringLiteral("abc"));
        QCOMPARE(applied, 0);
        QCOMPARE(errors, QStringList({QStringLiteral("'2,70' は浮動小数点数ではありません"),
                                      QStringLiteral("'abc' は浮動小数点数ではありません")}));
    }

    void stepsFollowTheLocaleDecimalSeparator() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        control<QLineEdit>(*form, "roomHeightBox")->setText(QStringLiteral("2,40"));
        QCOMPARE(press(control<QLineEdit>(*form, "roomHeightBox"), Qt::Key_Down), QStringLiteral("2,3"));
        // A point is no decimal separator here: the start-up text no longer reads.
        QCOMPARE(press(control<QLineEdit>(*form, "rightReflectionBox"), Qt::Key_Up), QStringLiteral("0.8"));
        QCOMPARE(errors, QStringList{QStringLiteral("'0.8' は浮動小数点数ではありません")});
        QCOMPARE(applied, 1);
    }

    void aCommaLocaleStartsWithTextsItCanRead() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        RoomSettingsDialog german;
        QCOMPARE(control<QLineEdit>(german, "roomWidthBox")->text(), QStringLiteral("2,70"));
        QCOMPARE(control<QLineEdit>(german, "frontReflectionBox")->text(), QStringLiteral("0,85"));
        QCOMPARE(control<QLineEdit>(german, "reflectionCountBox")->text(), QStringLiteral("30"));
        QCOMPARE(press(control<QLineEdit>(german, "frontReflectionBox"), Qt::Key_Up), QStringLiteral("0,9"));
        QVERIFY(errors.isEmpty());
    }

    void aFailingApplyAfterAStepKeepsTheSteppedText() {
        form->applyScene = [this] {
            ++applied;
            throw UserError(msg::kZeroDivide);
        };
        QCOMPARE(press(control<QLineEdit>(*form, "roomWidthBox"), Qt::Key_Down), QStringLiteral("2.6"));
        QCOMPARE(applied, 1);
        QCOMPARE(errors, QStringList{QString::fromUtf8(msg::kZeroDivide)});
    }

    void applyButtonAppliesAndStaysOpen() {
        QTest::mouseClick(control<QPushButton>(*form, "applyButton"), Qt::LeftButton);
        QCOMPARE(applied, 1);
        QVERIFY(form->isVisible());
    }

    void okAppliesHidesAndBringsTheMainWindowBack() {
        QMainWindow mainWindow;
        form = std::make_unique<RoomSettingsDialog>(&mainWindow);
        form->applyScene = [this] { ++applied; };
        form->show();
        QVERIFY(!mainWindow.isVisible());

        QTest::mouseClick(control<QPushButton>(*form, "okButton"), Qt::LeftButton);
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
        QTest::mouseClick(control<QPushButton>(*form, "okButton"), Qt::LeftButton);
        QCOMPARE(applied, 1);
        QVERIFY(form->isVisible());
        QCOMPARE(errors, QStringList{QStringLiteral("'x' は浮動小数点数ではありません")});
    }

    void closingOnlyHidesAndTheTextsSurvive() {
        control<QLineEdit>(*form, "roomWidthBox")->setText(QStringLiteral("3.1"));
        form->close();
        QVERIFY(!form->isVisible());
        form->show();
        QCOMPARE(control<QLineEdit>(*form, "roomWidthBox")->text(), QStringLiteral("3.1"));
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
        QCOMPARE(control<QLineEdit>(*form, "floorReflectionBox")->text(), QStringLiteral("0.5"));
        QCOMPARE(control<QLineEdit>(*form, "ceilingReflectionBox")->text(), QStringLiteral("0.6"));
        QCOMPARE(control<QLineEdit>(*form, "startFrequencyBox")->text(), QStringLiteral(" 15"));

        SceneTexts read;
        form->readTexts(read);
        QCOMPARE(read, texts);
        QCOMPARE(applied, 0);
    }

    void applyHasTheFocusFirstAndTabFollowsTheBoxes() {
        const QList<QWidget*> expected{control<QPushButton>(*form, "applyButton"),
                                       control<QLineEdit>(*form, "roomWidthBox"),
                                       control<QLineEdit>(*form, "roomDepthBox"),
                                       control<QLineEdit>(*form, "roomHeightBox"),
                                       control<QLineEdit>(*form, "rightReflectionBox"),
                                       control<QLineEdit>(*form, "leftReflectionBox"),
                                       control<QLineEdit>(*form, "frontReflectionBox"),
                                       control<QLineEdit>(*form, "backReflectionBox"),
                                       control<QLineEdit>(*form, "floorReflectionBox"),
                                       control<QLineEdit>(*form, "ceilingReflectionBox"),
                                       control<QPushButton>(*form, "modesButton"),
                                       control<QLineEdit>(*form, "reflectionCountBox"),
                                       control<QLineEdit>(*form, "startFrequencyBox"),
                                       control<QLineEdit>(*form, "endFrequencyBox"),
                                       control<QPushButton>(*form, "okButton")};
        QList<QWidget*> chain;
        QWidget* w = control<QPushButton>(*form, "applyButton");
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w;
            w = w->nextInFocusChain();
        } while (w != control<QPushButton>(*form, "applyButton"));
        QCOMPARE(chain, expected);
        QCOMPARE(form->focusWidget(), control<QPushButton>(*form, "applyButton"));
    }
};

QTEST_MAIN(TestRoomSettingsDialog)
#include "tst_room_settings_dialog.moc"
