// Qt's standard dialogs speak Japanese like the program's own windows.
#include "widgets/qt_translations.h"
#include "widgets/user_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace kolmarin;

class TestTranslations : public QObject {
    Q_OBJECT

  private slots:
    void theQuestionBoxAnswersInJapanese() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); // an English desktop
        QVERIFY(installJapaneseQtTranslations());
        QStringList buttons;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton* button : box->buttons())
                buttons.append(button->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)|&"))));
            box->button(QMessageBox::No)->click();
        });
        QVERIFY(!askYesNo(nullptr, QStringLiteral("警告"), QStringLiteral("上書きしてよろしいですか？")));
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral("いいえ"), QStringLiteral("はい")}));
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_qt_translations.moc"
