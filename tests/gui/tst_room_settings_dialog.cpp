// The room and calculation settings dialog driven with real key and mouse events on its
// boxes and buttons, over a scene document of its own; the main window's scene update is
// replaced by a counter.

#include "dialogs/room_settings_dialog.h"
#include "find_control.h"
#include "model/errors.h"
#include "widgets/ui_support.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

using namespace kolmarin;
using kolmarin::testing::control;

class TestRoomSettingsDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<SceneDocument> document;
    std::unique_ptr<RoomSettingsDialog> dialog;
    int applied = 0;
    // What the main window does when the document applies its scene.
    std::function<void()> onApply;
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
        document = std::make_unique<SceneDocument>(startupTexts(decimalSeparator()), QString());
        connect(document.get(), &SceneDocument::applied, this, [this] {
            try {
                onApply();
            } catch (...) {
                document->refuse(std::current_exception());
            }
        });
        dialog = std::make_unique<RoomSettingsDialog>(*document);
        applied = 0;
        onApply = [this] { ++applied; };
        dialog->show();
    }

    void cleanup() {
        dialog.reset();
        document.reset();
        setErrorBoxHandler({});
    }

    void startsWithTheDefaultSceneTexts() {
        SceneTexts read;
        read.sources[0] = {"9", "9", "9"};
        dialog->readTexts(read);
        SceneTexts expected;
        expected.sources[0] = {"9", "9", "9"}; // positions are not the dialog's
        QCOMPARE(read, expected);
    }

    void dimensionArrowsStepAndApply() {
        // The scene update reads the boxes, so it must see the stepped text.
        QStringList heightsSeen;
        onApply = [&] {
            ++applied;
            heightsSeen << control<QLineEdit>(*dialog, "roomHeightBox")->text();
        };
        QCOMPARE(press(control<QLineEdit>(*dialog, "roomHeightBox"), Qt::Key_Down), QStringLiteral("2.3"));
        QCOMPARE(applied, 1);
        QCOMPARE(heightsSeen, QStringList{QStringLiteral("2.3")});
        QCOMPARE(press(control<QLineEdit>(*dialog, "roomWidthBox"), Qt::Key_Up), QStringLiteral("2.8"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "roomDepthBox"), Qt::Key_Up), QStringLiteral("4.6"));
        QCOMPARE(applied, 3);

        // The step never takes a dimension to 0.1 m or below, but applies all the same.
        control<QLineEdit>(*dialog, "roomHeightBox")->setText(QStringLiteral("0.2"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "roomHeightBox"), Qt::Key_Down), QStringLiteral("0.2"));
        QCOMPARE(applied, 4);
        control<QLineEdit>(*dialog, "roomHeightBox")->setText(QStringLiteral("0.25"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "roomHeightBox"), Qt::Key_Down), QStringLiteral("0.15"));
        QCOMPARE(applied, 5);
        QVERIFY(errors.isEmpty());
    }

    void coefficientArrowsStayInsideZeroToOne() {
        QCOMPARE(press(control<QLineEdit>(*dialog, "rightReflectionBox"), Qt::Key_Up),
                 QStringLiteral("0.85"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "backReflectionBox"), Qt::Key_Down),
                 QStringLiteral("0.8"));
        control<QLineEdit>(*dialog, "leftReflectionBox")->setText(QStringLiteral("0.97"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "leftReflectionBox"), Qt::Key_Up), QStringLiteral("1"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "leftReflectionBox"), Qt::Key_Up), QStringLiteral("1"));
        control<QLineEdit>(*dialog, "floorReflectionBox")->setText(QStringLiteral("0.03"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "floorReflectionBox"), Qt::Key_Down), QStringLiteral("0"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "ceilingReflectionBox"), Qt::Key_Down),
                 QStringLiteral("0.85"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "frontReflectionBox"), Qt::Key_Up), QStringLiteral("0.9"));
        QCOMPARE(applied, 7);
    }

    void modifiersMakeNoDifferenceAndOtherKeysDoNothing() {
        QCOMPARE(press(control<QLineEdit>(*dialog, "roomWidthBox"), Qt::Key_Up, Qt::ShiftModifier),
                 QStringLiteral("2.8"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "rightReflectionBox"), Qt::Key_Down, Qt::ControlModifier),
                 QStringLiteral("0.75"));
        QCOMPARE(applied, 2);
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_Return})
            press(control<QLineEdit>(*dialog, "roomWidthBox"), key);
        QCOMPARE(applied, 2);
        QCOMPARE(control<QLineEdit>(*dialog, "roomWidthBox")->text(), QStringLiteral("2.8"));
    }

    void theConditionBoxesIgnoreArrows() {
        for (QLineEdit* box : {control<QLineEdit>(*dialog, "reflectionCountBox"),
                               control<QLineEdit>(*dialog, "startFrequencyBox"),
                               control<QLineEdit>(*dialog, "endFrequencyBox")}) {
            const QString before = box->text();
            QCOMPARE(press(box, Qt::Key_Up), before);
            QCOMPARE(press(box, Qt::Key_Down), before);
        }
        QCOMPARE(applied, 0);
    }

    void anUnreadableBoxReportsTheTextAndAppliesNothing() {
        control<QLineEdit>(*dialog, "roomWidthBox")->setText(QStringLiteral("2,70"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "roomWidthBox"), Qt::Key_Up), QStringLiteral("2,70"));
        control<QLineEdit>(*dialog, "ceilingReflectionBox")->setText(QStringLiteral("abc"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "ceilingReflectionBox"), Qt::Key_Down),
                 QStringLiteral("abc"));
        QCOMPARE(applied, 0);
        QCOMPARE(errors, QStringList({QStringLiteral("'2,70' は浮動小数点数ではありません"),
                                      QStringLiteral("'abc' は浮動小数点数ではありません")}));
    }

    void stepsFollowTheLocaleDecimalSeparator() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        control<QLineEdit>(*dialog, "roomHeightBox")->setText(QStringLiteral("2,40"));
        QCOMPARE(press(control<QLineEdit>(*dialog, "roomHeightBox"), Qt::Key_Down), QStringLiteral("2,3"));
        // A point is no decimal separator here: the start-up text no longer reads.
        QCOMPARE(press(control<QLineEdit>(*dialog, "rightReflectionBox"), Qt::Key_Up), QStringLiteral("0.8"));
        QCOMPARE(errors, QStringList{QStringLiteral("'0.8' は浮動小数点数ではありません")});
        QCOMPARE(applied, 1);
    }

    void aCommaLocaleStartsWithTextsItCanRead() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        SceneDocument germanScene(startupTexts(decimalSeparator()), QString());
        RoomSettingsDialog german(germanScene);
        QCOMPARE(control<QLineEdit>(german, "roomWidthBox")->text(), QStringLiteral("2,70"));
        QCOMPARE(control<QLineEdit>(german, "frontReflectionBox")->text(), QStringLiteral("0,85"));
        QCOMPARE(control<QLineEdit>(german, "reflectionCountBox")->text(), QStringLiteral("30"));
        QCOMPARE(press(control<QLineEdit>(german, "frontReflectionBox"), Qt::Key_Up), QStringLiteral("0,9"));
        QVERIFY(errors.isEmpty());
    }

    void aFailingApplyAfterAStepKeepsTheSteppedText() {
        onApply = [this] {
            ++applied;
            throw UserError(msg::kZeroDivide);
        };
        QCOMPARE(press(control<QLineEdit>(*dialog, "roomWidthBox"), Qt::Key_Down), QStringLiteral("2.6"));
        QCOMPARE(applied, 1);
        QCOMPARE(errors, QStringList{QString::fromUtf8(msg::kZeroDivide)});
    }

    void applyButtonAppliesAndStaysOpen() {
        QTest::mouseClick(control<QPushButton>(*dialog, "applyButton"), Qt::LeftButton);
        QCOMPARE(applied, 1);
        QVERIFY(dialog->isVisible());
    }

    void okAppliesHidesAndBringsTheMainWindowBack() {
        QMainWindow mainWindow;
        dialog = std::make_unique<RoomSettingsDialog>(*document, &mainWindow);
        dialog->show();
        QVERIFY(!mainWindow.isVisible());

        QTest::mouseClick(control<QPushButton>(*dialog, "okButton"), Qt::LeftButton);
        QCOMPARE(applied, 1);
        QVERIFY(!dialog->isVisible());
        QVERIFY(mainWindow.isVisible());
        dialog.reset();
    }

    void okStaysOpenWhenApplyFails() {
        onApply = [this] {
            ++applied;
            throw UserError(msg::notAFloat("x"));
        };
        QTest::mouseClick(control<QPushButton>(*dialog, "okButton"), Qt::LeftButton);
        QCOMPARE(applied, 1);
        QVERIFY(dialog->isVisible());
        QCOMPARE(errors, QStringList{QStringLiteral("'x' は浮動小数点数ではありません")});
    }

    void closingOnlyHidesAndTheTextsSurvive() {
        control<QLineEdit>(*dialog, "roomWidthBox")->setText(QStringLiteral("3.1"));
        dialog->close();
        QVERIFY(!dialog->isVisible());
        dialog->show();
        QCOMPARE(control<QLineEdit>(*dialog, "roomWidthBox")->text(), QStringLiteral("3.1"));
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
        dialog->writeTexts(texts);
        QCOMPARE(control<QLineEdit>(*dialog, "floorReflectionBox")->text(), QStringLiteral("0.5"));
        QCOMPARE(control<QLineEdit>(*dialog, "ceilingReflectionBox")->text(), QStringLiteral("0.6"));
        QCOMPARE(control<QLineEdit>(*dialog, "startFrequencyBox")->text(), QStringLiteral(" 15"));

        SceneTexts read;
        dialog->readTexts(read);
        QCOMPARE(read, texts);
        QCOMPARE(applied, 0);
    }

    void applyHasTheFocusFirstAndTabFollowsTheBoxes() {
        const QList<QWidget*> expected{control<QPushButton>(*dialog, "applyButton"),
                                       control<QLineEdit>(*dialog, "roomWidthBox"),
                                       control<QLineEdit>(*dialog, "roomDepthBox"),
                                       control<QLineEdit>(*dialog, "roomHeightBox"),
                                       control<QLineEdit>(*dialog, "rightReflectionBox"),
                                       control<QLineEdit>(*dialog, "leftReflectionBox"),
                                       control<QLineEdit>(*dialog, "frontReflectionBox"),
                                       control<QLineEdit>(*dialog, "backReflectionBox"),
                                       control<QLineEdit>(*dialog, "floorReflectionBox"),
                                       control<QLineEdit>(*dialog, "ceilingReflectionBox"),
                                       control<QPushButton>(*dialog, "modesButton"),
                                       control<QLineEdit>(*dialog, "reflectionCountBox"),
                                       control<QLineEdit>(*dialog, "startFrequencyBox"),
                                       control<QLineEdit>(*dialog, "endFrequencyBox"),
                                       control<QComboBox>(*dialog, "delayModelBox"),
                                       control<QPushButton>(*dialog, "okButton")};
        QList<QWidget*> chain;
        QWidget* w = control<QPushButton>(*dialog, "applyButton");
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w;
            w = w->nextInFocusChain();
        } while (w != control<QPushButton>(*dialog, "applyButton"));
        QCOMPARE(chain, expected);
        QCOMPARE(dialog->focusWidget(), control<QPushButton>(*dialog, "applyButton"));
    }
};

QTEST_MAIN(TestRoomSettingsDialog)
#include "tst_room_settings_dialog.moc"
