// The room data file commands of the settings dialog, run on the program's real windows:
// the file dialogs and the replace question are answered by the test, errors recorded.
#include "file_command_fixture.h"
#include "find_control.h"

#include "app/start_up.h"
#include "files/file_errors.h"
#include "files/room_file.h"

#include <QAction>
#include <QFile>
#include <QLocale>
#include <QMenu>

using namespace kolmarin;
using kolmarin::testing::control;
using kolmarin::testing::readAll;
using kolmarin::testing::writeAll;

namespace {

const QString kQuestion = QStringLiteral("同一名のファイルが存在します。上書きしてよろしいですか？");
const QString kNotARoomFile = QString::fromUtf8(msg::kNotARoomFile);

} // namespace

class TestRoomFile : public QObject, public testing::FileCommandFixture {
    Q_OBJECT

    QString caption() { return mainWindow().windowTitle(); }
    static QString mainCaption(const char* name) { return QStringLiteral("Kolmarin2\u3000") + name; }

    // The nine read-outs and the twelve boxes as the controls hold them.
    SceneTexts shownTexts() { return document().texts(); }

    SceneTexts otherScene() {
        SceneTexts t;
        t.width = "3.1";
        t.depth = "5";
        t.height = "2.2";
        t.reflRight = "0.7";
        t.reflLeft = "0.6";
        t.reflFront = "0.5";
        t.reflBack = "0.4";
        t.reflFloor = "0.3";
        t.reflCeiling = "0.2";
        t.reflectionCount = "12";
        t.startFrequency = "30";
        t.endFrequency = "300";
        t.sources[0] = {" 0.40", " 0.60", " 0.80"};
        t.sources[1] = {" 2.00", " 0.90", " 1.10"};
        t.seats[0] = {" 1.50", " 3.00", " 1.20"};
        return t;
    }

    void show(const SceneTexts& t) { document().setTexts(t); }

    QString save() {
        control<QAction>(roomSettings(), "saveRoomAction")->trigger();
        return caption();
    }
    OpenOutcome open() { return roomSettings().openRoomFile(); }

  private slots:
    void initTestCase() { setUpApplication(); }

    void init() { startWithScriptedDialogs(); }
    void cleanup() { stopAndRestoreDialogs(); }

    QStringList recentEntries() {
        QStringList texts;
        for (QAction* entry : control<QMenu>(mainWindow(), "recentFilesMenu")->actions())
            texts.append(entry->text());
        return texts;
    }

    void recentFilesKeepTheNewestEightAcrossRuns() {
        QStringList expected;
        for (int i = 1; i <= 9; ++i) {
            answers << path(qPrintable(QStringLiteral("r%1.dtr").arg(i)));
            save();
        }
        // A file opened again goes to the top.
        QCOMPARE(roomSettings().openRoomFileAt(path("r2.dtr")), OpenOutcome::Loaded);
        for (const char* name :
             {"r2.dtr", "r9.dtr", "r8.dtr", "r7.dtr", "r6.dtr", "r5.dtr", "r4.dtr", "r3.dtr"})
            expected.append(QStringLiteral("&%1 %2").arg(expected.size() + 1).arg(path(name)));
        QCOMPARE(recentEntries(), expected);
        stop();
        start();
        QCOMPARE(recentEntries(), expected);
    }

    void aMissingRecentFileIsDroppedWithAMessage() {
        answers << path("gone.dtr") << path("kept.dtr");
        save();
        save();
        QVERIFY(QFile::remove(path("gone.dtr")));
        control<QMenu>(mainWindow(), "recentFilesMenu")->actions().at(1)->trigger();
        QCOMPARE(errors(),
                 QStringList{
                     path("gone.dtr") +
                     QStringLiteral(": ファイルが見つかりません\n最近使ったファイルの一覧から外しました。")});
        QCOMPARE(caption(), mainCaption("kept.dtr"));
        QCOMPARE(recentEntries().mid(0, 1), QStringList{QStringLiteral("&1 ") + path("kept.dtr")});
        QVERIFY(!recentEntries().join(QString()).contains(QStringLiteral("gone.dtr")));
        // An entry that is there opens as the open command does.
        show(otherScene());
        control<QMenu>(mainWindow(), "recentFilesMenu")->actions().at(0)->trigger();
        QCOMPARE(errors(), QStringList{} << errors().first());
        QCOMPARE(shownTexts().width, SceneTexts().width);
    }

    void theDialogsMenuOffersBothCommands() {
        QVERIFY(control<QAction>(roomSettings(), "openRoomAction")->isEnabled());
        QVERIFY(control<QAction>(roomSettings(), "saveRoomAction")->isEnabled());
        QCOMPARE(control<QAction>(roomSettings(), "openRoomAction")->text(),
                 QStringLiteral("部屋データを開く(&O)"));
        QCOMPARE(control<QAction>(roomSettings(), "saveRoomAction")->text(),
                 QStringLiteral("部屋データの保存(&S)"));
    }

    void savingRightAfterStartUpAndOpeningAgainGivesBackEveryText() {
        answers << path("room.dtr");
        QCOMPARE(save(), mainCaption("room.dtr"));
        QVERIFY(errors().isEmpty());
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].kind, FileDialogKind::Save);
        QCOMPARE(asked[0].request.description, QStringLiteral("Kolmarin2部屋データファイル(*.dtr)"));
        QCOMPARE(asked[0].request.pattern, QStringLiteral("*.dtr"));
        QCOMPARE(asked[0].request.proposedName, QStringLiteral("部屋.dtr"));
        QCOMPARE(asked[0].request.defaultSuffix, QStringLiteral("dtr"));
        QVERIFY(questions.isEmpty()); // a new name is never asked about

        const QByteArray expected = readAll(QFINDTESTDATA("../files/data/startup_room.dtr"));
        QVERIFY(!expected.isEmpty());
        QCOMPARE(readAll(path("room.dtr")), expected);

        show(otherScene());
        const QPoint sp1Marker = control<MarkerShape>(mainWindow(), "sp1Marker")->pos();
        document().setCaption(QStringLiteral("before"));
        answers << path("room.dtr");
        QCOMPARE(open(), OpenOutcome::Loaded);
        QVERIFY(errors().isEmpty());
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[1].kind, FileDialogKind::Open);
        QCOMPARE(asked[1].request.description, QStringLiteral("Kolmarin2部屋データファイル(*dtr)"));
        QCOMPARE(asked[1].request.pattern, QStringLiteral("*.dtr"));
        QCOMPARE(asked[1].request.proposedName, dir->path()); // where the room file was saved
        QCOMPARE(shownTexts(), startupSceneTexts());
        QCOMPARE(control<QLabel>(mainWindow(), "listenerZReadOut")->text(), QStringLiteral(" 1.01"));
        QCOMPARE(caption(), mainCaption("room.dtr"));
        // Loading alone moves nothing: the scene takes effect with the next Apply.
        QCOMPARE(control<MarkerShape>(mainWindow(), "sp1Marker")->pos(), sp1Marker);
    }

    void aCommaLocaleSavesAFileEveryLocaleReads() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        show(startupSceneTexts(','));
        answers << path("komma.dtr");
        save();
        answers << path("komma.dtr");
        const OpenOutcome outcome = open();
        const SceneTexts shown = shownTexts();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(errors().isEmpty());
        QCOMPARE(readAll(path("komma.dtr")), readAll(QFINDTESTDATA("../files/data/startup_room.dtr")));
        QCOMPARE(outcome, OpenOutcome::Loaded);
        QCOMPARE(shown, startupSceneTexts(','));
    }

    void eachDialogProposesTheNameLastChosenInIt() {
        answers << path("first.dtr") << path("second.dtr") << QString() << path("first.dtr")
                << path("plain.rmd") << QString();
        save();
        open();
        save(); // cancelled
        open();
        save();
        open(); // cancelled
        QStringList proposed;
        for (const testing::AskedFile& a : asked)
            proposed << a.request.proposedName;
        QCOMPARE(proposed, (QStringList{QStringLiteral("部屋.dtr"), dir->path(), path("first.dtr"),
                                        path("second.dtr"), path("first.dtr"), path("first.dtr")}));
        // A name the dialog completed with .rmd opens like any other: only the header counts.
        show(otherScene());
        answers << path("plain.rmd");
        QCOMPARE(open(), OpenOutcome::Loaded);
        QCOMPARE(shownTexts(), startupSceneTexts());
        QCOMPARE(caption(), mainCaption("plain.rmd"));
    }

    void eachKindOfFileStartsInTheFolderLastUsedForItAlsoInTheNextRun() {
        QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("rooms")));
        answers << path("rooms/a.dtr");
        save();
        stop(); // the next run
        start();
        asked.clear();
        answers << QString() << QString() << QString();
        open();
        save();
        control<QAction>(mainWindow(), "openSetupAction")->trigger();
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked[0].request.proposedName, path("rooms"));
        QCOMPARE(asked[1].request.proposedName, path("rooms/部屋.dtr"));
        QCOMPARE(asked[2].request.proposedName, QStringLiteral("セットアップ.k2s")); // none used yet
    }

    void cancellingEitherDialogChangesNothing() {
        const QString before = caption();
        save();
        QCOMPARE(caption(), before);
        QVERIFY(QDir(dir->path()).isEmpty());
        show(otherScene());
        QCOMPARE(open(), OpenOutcome::Cancelled);
        QCOMPARE(shownTexts(), otherScene());
        QCOMPARE(caption(), before);
        QVERIFY(errors().isEmpty());
    }

    void savingOverAFileAsksFirst() {
        writeAll(path("kept.dtr"), "old contents\r\n");
        const QString before = caption();
        replace = false;
        answers << path("kept.dtr");
        save();
        QCOMPARE(questions, QStringList{QStringLiteral("警告|") + kQuestion});
        QCOMPARE(readAll(path("kept.dtr")), QByteArray("old contents\r\n"));
        QCOMPARE(caption(), before);

        replace = true;
        answers << path("kept.dtr");
        QCOMPARE(save(), mainCaption("kept.dtr"));
        QCOMPARE(questions.size(), 2);
        QVERIFY(readAll(path("kept.dtr")).startsWith("Kolmarin2 Ver0.85 room data\r\n4.50\r\n"));
    }

    void aRefusedFileChangesNothing() {
        QByteArray negative = readAll(QFINDTESTDATA("../files/data/startup_room.dtr"));
        QByteArray comma = negative;
        QByteArray shortFile = negative.left(negative.indexOf("\r\n0.85") + 2); // up to the height
        negative.replace("\r\n2.70\r\n", "\r\n-3.6\r\n");
        comma.replace("\r\n2.70\r\n", "\r\n3,6\r\n");
        const QList<QPair<const char*, QByteArray>> refused{
            {"blank.dtr", "Kolmarin2 Ver0.85 room data \r\n4.50\r\n"},
            {"version.dtr", "Kolmarin2 Ver0.86 room data\r\n4.50\r\n"},
            {"negative.dtr", negative},
            {"comma.dtr", comma},
            {"short.dtr", shortFile},
        };
        const QStringList messages{kNotARoomFile, kNotARoomFile,
                                   QStringLiteral("部屋の幅は 0 より大きい値にしてください"),
                                   QStringLiteral("3 行目 (幅): '3,6' は浮動小数点数ではありません。"
                                                  "数値を書きます（小数点は「.」）"),
                                   QStringLiteral("5 行目 (前の壁の反射率): '' は浮動小数点数ではありません。"
                                                  "数値を書きます（小数点は「.」）")};
        show(otherScene());
        const QString kept = QStringLiteral("Kolmarin2\u3000kept.dtr");
        document().setCaption(kept);
        const QPoint sp1Marker = control<MarkerShape>(mainWindow(), "sp1Marker")->pos();
        for (qsizetype i = 0; i < refused.size(); ++i) {
            errors().clear();
            writeAll(path(refused[i].first), refused[i].second);
            answers << path(refused[i].first);
            QCOMPARE(open(), OpenOutcome::Refused);
            QCOMPARE(errors(), QStringList{path(refused[i].first) + QStringLiteral(": ") + messages[i]});
            QCOMPARE(shownTexts(), otherScene());
            QCOMPARE(caption(), kept);
            QCOMPARE(control<MarkerShape>(mainWindow(), "sp1Marker")->pos(), sp1Marker);
            QVERIFY(!roomSettings().isVisible()); // a file's text is no box's
        }
        // From the main menu nothing is recomputed: caption and chart title stay as they were.
        const QString title = chart().titleText();
        answers << path("negative.dtr");
        control<QAction>(mainWindow(), "openRoomAction")->trigger();
        QCOMPARE(caption(), kept);
        QCOMPARE(chart().titleText(), title);
        QCOMPARE(kNotARoomFile, QStringLiteral("このアプリケーションのデータファイルでないか\n"
                                               "バージョンが違うためこのファイルを読み込めません。"));
    }

    void aMissingFileIsReportedAndNothingIsRead() {
        show(otherScene());
        answers << path("gone.dtr");
        QCOMPARE(open(), OpenOutcome::IoError);
        QCOMPARE(errors(), QStringList{path("gone.dtr") + QStringLiteral(": ファイルが見つかりません")});
        QCOMPARE(shownTexts(), otherScene());
        QCOMPARE(caption(), QStringLiteral("Kolmarin2 部屋.dtr"));
    }

    void aFailedSaveReportsItAndKeepsTheCaption() {
        const QString before = caption();
        answers << path("no such folder/room.dtr");
        save();
        QCOMPARE(errors(),
                 QStringList{path("no such folder/room.dtr") + QStringLiteral(": ") + msg::kFolderNotFound});
        QCOMPARE(caption(), before);
        QVERIFY(!QFile::exists(path("no such folder/room.dtr")));
    }

    void aTextTheFileCannotHoldIsRefusedBeforeAnyDialog() {
        control<QLineEdit>(roomSettings(), "roomWidthBox")
            ->setText(QStringLiteral("3\u00e9")); // é has no CP932 code
        save();
        QVERIFY(asked.isEmpty());
        QCOMPARE(errors(), QStringList{QString::fromUtf8(msg::notEncodable("3\u00e9", "\u00e9"))});
    }

    void theMainMenusOpenAppliesTheSceneUnlessReadingFailed() {
        // A cancelled dialog still applies the boxes' current texts; a refused file does not.
        armCalculationProbe();
        control<QAction>(mainWindow(), "openRoomAction")->trigger();
        QVERIFY(calculationRan());
        writeAll(path("other.dtr"), "Kolmarin2 Ver0.84 room data\r\n");
        answers << path("other.dtr");
        armCalculationProbe();
        control<QAction>(mainWindow(), "openRoomAction")->trigger();
        QVERIFY(!calculationRan());
        QCOMPARE(errors(), QStringList{path("other.dtr") + QStringLiteral(": ") + kNotARoomFile});

        errors().clear();
        answers << path("gone.dtr");
        armCalculationProbe();
        control<QAction>(mainWindow(), "openRoomAction")->trigger();
        QVERIFY(!calculationRan());
        QCOMPARE(errors(), QStringList{path("gone.dtr") + QStringLiteral(": ファイルが見つかりません")});

        // A loaded file takes effect at once: the plan follows the new room.
        SceneTexts wide = otherScene();
        wide.endFrequency = "501";
        show(wide);
        answers << path("wide.dtr");
        control<QAction>(mainWindow(), "saveRoomAction")->trigger();
        QCOMPARE(caption(), mainCaption("wide.dtr"));
        show(startupSceneTexts());
        document().apply();
        answers << path("wide.dtr");
        control<QAction>(mainWindow(), "openRoomAction")->trigger();
        QCOMPARE(control<QLabel>(mainWindow(), "roomSizeCaption")->text(),
                 QStringLiteral("幅：3.1m 奥行：5m 高さ：2.2m"));
        QVERIFY(calculationRan());
        QCOMPARE(errors().size(), 1);
    }

    void aFileNamedAtStartOpensAsTheMenuOpensIt() {
        QCOMPARE(parseStartArguments({}).roomPath, QString());
        const StartRequest two = parseStartArguments({QStringLiteral("a.dtr"), QStringLiteral("b.dtr")});
        QCOMPARE(two.roomPath, QStringLiteral("a.dtr"));
        QCOMPARE(two.ignored, QStringList{QStringLiteral("b.dtr")});
        QVERIFY(two.usageError.isEmpty());
        const StartRequest chart = parseStartArguments(
            {QStringLiteral("--chart-png"), QStringLiteral("c.png"), QStringLiteral("a.dtr")});
        QCOMPARE(chart.chartPath, QStringLiteral("c.png"));
        QCOMPARE(chart.roomPath, QStringLiteral("a.dtr"));
        QVERIFY(!parseStartArguments({QStringLiteral("a.dtr"), QStringLiteral("--chart-png")})
                     .usageError.isEmpty());
        QVERIFY(!parseStartArguments({QStringLiteral("--chart-png"), QStringLiteral("c.png")})
                     .usageError.isEmpty());

        // Loaded and applied at once, without any file dialog.
        writeAll(path("other.dtr"), roomFileBytes(otherScene()));
        armCalculationProbe();
        openStartRoomFile(*windows, path("other.dtr"));
        QVERIFY(asked.isEmpty());
        QVERIFY(errors().isEmpty());
        QCOMPARE(shownTexts().sources[1].x, otherScene().sources[1].x);
        QCOMPARE(caption(), mainCaption("other.dtr"));
        QCOMPARE(control<QLabel>(mainWindow(), "roomSizeCaption")->text(),
                 QStringLiteral("幅：3.1m 奥行：5m 高さ：2.2m"));
        // The open dialog proposes the file next time.
        open();
        QCOMPARE(asked.back().request.proposedName, path("other.dtr"));

        // A refused or unreadable file is reported and nothing recomputed.
        writeAll(path("old.dtr"), "Kolmarin2 Ver0.84 room data\r\n");
        armCalculationProbe();
        openStartRoomFile(*windows, path("old.dtr"));
        QCOMPARE(errors(), QStringList{path("old.dtr") + QStringLiteral(": ") + kNotARoomFile});
        QVERIFY(!calculationRan());
        QCOMPARE(shownTexts().width, otherScene().width);
        errors().clear();
        armCalculationProbe();
        openStartRoomFile(*windows, path("gone.dtr"));
        QCOMPARE(errors(), QStringList{path("gone.dtr") + QStringLiteral(": ファイルが見つかりません")});
        QVERIFY(!calculationRan());
    }

    void theDialogsBelongToTheWindowTheCommandCameFrom() {
        // From the main window's menu the settings dialog may be hidden.
        QVERIFY(!roomSettings().isVisible());
        open();
        QCOMPARE(asked.back().parent, static_cast<QWidget*>(&mainWindow()));
        roomSettings().show();
        open();
        QCOMPARE(asked.back().parent, static_cast<QWidget*>(&roomSettings()));
    }
};

QTEST_MAIN(TestRoomFile)
#include "tst_room_file.moc"
