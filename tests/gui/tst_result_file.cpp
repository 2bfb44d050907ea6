// The main window's calculation result command on the program's real windows: the file
// dialog and the replace question are answered by the test, errors recorded.
#include "file_command_fixture.h"
#include "find_control.h"

#include <QFile>

using namespace kolmarin;
using kolmarin::testing::control;
using kolmarin::testing::readAll;
using kolmarin::testing::writeAll;

namespace {

// The first `count` CR LF lines of `bytes`, each with its line end.
QByteArray firstLines(const QByteArray& bytes, int count) {
    qsizetype end = 0;
    for (int i = 0; i < count && end >= 0; ++i) {
        end = bytes.indexOf("\r\n", end);
        if (end >= 0)
            end += 2;
    }
    return end < 0 ? bytes : bytes.first(end);
}

} // namespace

class TestResultFile : public QObject, public testing::FileCommandFixture {
    Q_OBJECT

    void saveResult() { control<QAction>(mainWindow(), "saveResultAction")->trigger(); }

    // What kolmarin2-cli writes for the start-up room file.
    static QByteArray startupResult() { return readAll(QFINDTESTDATA("../files/data/startup_result.dat")); }

  private slots:
    void initTestCase() {
        setUpApplication();
        QVERIFY(!startupResult().isEmpty());
    }

    void init() { startWithScriptedDialogs(); }
    void cleanup() { stopAndRestoreDialogs(); }

    void theStartUpSceneIsWrittenAsTheCommandLineToolWritesIt() {
        answers << path("data.dat");
        saveResult();
        QVERIFY(errors().isEmpty());
        QCOMPARE(readAll(path("data.dat")), startupResult());

        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].kind, FileDialogKind::Save);
        QCOMPARE(asked[0].parent, &mainWindow());
        QCOMPARE(asked[0].request.description, QStringLiteral("Kolmarin2計算データ(*.dat)"));
        QCOMPARE(asked[0].request.pattern, QStringLiteral("*.dat"));
        QCOMPARE(asked[0].request.proposedName, QStringLiteral("data.dat"));
        QCOMPARE(asked[0].request.defaultSuffix, QString());
        QVERIFY(questions.isEmpty()); // a new name is never asked about
    }

    void aCurveSwitchedOffIsWrittenAll() {
        QTest::mouseClick(control<QCheckBox>(mainWindow(), "sp2CurveBox"), Qt::LeftButton);
        QVERIFY(!control<QCheckBox>(mainWindow(), "sp2CurveBox")->isChecked());
        answers << path("off.dat");
        saveResult();
        QCOMPARE(readAll(path("off.dat")), startupResult());
    }

    void anUnappliedNarrowerRangeWritesItsRowsOnly() {
        control<QLineEdit>(roomSettings(), "endFrequencyBox")->setText(QStringLiteral("100"));
        answers << path("narrow.dat");
        saveResult();
        QCOMPARE(readAll(path("narrow.dat")), firstLines(startupResult(), 10 + 161));
    }

    void aBadFrequencyFailsBeforeTheDialog() {
        control<QLineEdit>(roomSettings(), "startFrequencyBox")->setText(QStringLiteral("2O"));
        saveResult();
        control<QLineEdit>(roomSettings(), "startFrequencyBox")->setText(QStringLiteral("20"));
        control<QLineEdit>(roomSettings(), "endFrequencyBox")->setText(QStringLiteral("5.0e2"));
        saveResult();
        QVERIFY(asked.isEmpty());
        QCOMPARE(errors(), (QStringList{QStringLiteral("'2O' は整数ではありません"),
                                        QStringLiteral("'5.0e2' は整数ではありません")}));
        QVERIFY(QDir(dir->path()).isEmpty());
    }

    void replacingAsksFirstAndThenReplacesWhole() {
        const QByteArray old(200000, 'x');
        writeAll(path("old.dat"), old);
        replace = false;
        answers << path("old.dat");
        saveResult();
        QCOMPARE(questions, QStringList{QStringLiteral(
                                "警告|同一名のファイルが存在します。上書きしてよろしいですか？")});
        QCOMPARE(readAll(path("old.dat")), old);

        replace = true;
        answers << path("old.dat");
        saveResult();
        QCOMPARE(questions.size(), 2);
        QCOMPARE(readAll(path("old.dat")), startupResult());
        QVERIFY(errors().isEmpty());
    }

    void theDialogProposesTheNameLastChosen() {
        answers << path("one.dat") << QString() << path("two") << QString();
        for (int i = 0; i < 4; ++i)
            saveResult();
        QStringList proposed;
        for (const testing::AskedFile& a : asked)
            proposed << a.request.proposedName;
        QCOMPARE(proposed,
                 (QStringList{QStringLiteral("data.dat"), path("one.dat"), path("one.dat"), path("two")}));
        // A name without extension is used as typed.
        QCOMPARE(readAll(path("two")), startupResult());
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files),
                 (QStringList{QStringLiteral("one.dat"), QStringLiteral("two")}));
    }

    void aFailedSaveIsReported() {
        answers << path("missing/data.dat");
        saveResult();
        QCOMPARE(errors(), QStringList{path("missing/data.dat") +
                                       QStringLiteral(": 保存先のフォルダが見つかりません")});

        // A folder of the chosen name is no file to replace: no question, only the failure.
        errors().clear();
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("folder.dat")));
        answers << path("folder.dat");
        saveResult();
        QVERIFY(questions.isEmpty());
        QCOMPARE(errors(),
                 QStringList{path("folder.dat") + QStringLiteral(": ファイルへのアクセスが拒否されました")});
    }
};

QTEST_MAIN(TestResultFile)
#include "tst_result_file.moc"
