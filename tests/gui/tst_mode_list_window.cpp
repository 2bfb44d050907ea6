// The mode list window and the eigenmode command that fills it, driven as a user would:
// the settings dialog's boxes, the command, the close button, and the window's save and
// print commands with their dialogs answered by the test.

#include "find_control.h"
#include "pdf_pages.h"
#include "scripted_dialogs.h"

#include "dialogs/eigenmode_command.h"
#include "dialogs/mode_list_window.h"
#include "dialogs/room_settings_dialog.h"
#include "files/mode_file.h"
#include "widgets/ui_support.h"
#include "widgets/user_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace kolmarin;
using kolmarin::testing::control;
using kolmarin::testing::readAll;
using kolmarin::testing::writeAll;

class TestModeListWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<SceneDocument> scene;
    SharedPrinter sharedPrinter;
    std::unique_ptr<RoomSettingsDialog> room;
    std::unique_ptr<ModeListWindow> modes;
    QStringList errors;
    QStringList questions;
    std::unique_ptr<QTemporaryDir> dir;

    // The command as the settings dialog's button runs it.
    bool runEigenmodes() {
        return runCommand(room.get(), [this] { computeAndShowEigenmodes(*scene, *modes); });
    }

    QStringList row(int r) const {
        QStringList texts;
        for (int c = 0; c < control<QTableWidget>(*modes, "modeGrid")->columnCount(); ++c) {
            const QTableWidgetItem* cell = control<QTableWidget>(*modes, "modeGrid")->item(r, c);
            texts << (cell ? cell->text() : QString());
        }
        return texts;
    }

    void setRoom(const QString& w, const QString& d, const QString& h) {
        control<QLineEdit>(*room, "roomWidthBox")->setText(w);
        control<QLineEdit>(*room, "roomDepthBox")->setText(d);
        control<QLineEdit>(*room, "roomHeightBox")->setText(h);
    }

    SceneTexts boxTexts() const {
        SceneTexts texts;
        room->readTexts(texts);
        return texts;
    }

  private slots:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        errors.clear();
        questions.clear();
        setErrorBoxHandler([this](QWidget*, const QString& message) { errors << message; });
        setQuestionHandler([this](QWidget*, const QString& caption, const QString& text) {
            questions << caption + QLatin1Char('/') + text;
            return false;
        });
        dir = std::make_unique<QTemporaryDir>();
        scene = std::make_unique<SceneDocument>(startupTexts(decimalSeparator()), QString());
        room = std::make_unique<RoomSettingsDialog>(*scene);
        modes = std::make_unique<ModeListWindow>(*scene, sharedPrinter);
    }

    void cleanup() {
        modes.reset();
        room.reset();
        scene.reset();
        setErrorBoxHandler({});
        setQuestionHandler({});
        setFileDialogHandler({});
        setPrintDialogHandler({});
    }

    void startsHiddenWithItsLayout() {
        ModeListWindow& m = *modes;
        QVERIFY(!m.isVisible());
        QCOMPARE(m.windowTitle(), QStringLiteral("部屋の固有モード"));
        QCOMPARE(control<QLabel>(m, "roomSizeTitle")->text(), QStringLiteral("部屋の大きさ"));
        QCOMPARE(control<QLabel>(m, "roomSizeCaption")->text(), QStringLiteral("幅　　奥行き　　高さ"));
        QCOMPARE(control<QPushButton>(m, "printButton")->text(), QStringLiteral("印刷"));
        QCOMPARE(control<QPushButton>(m, "closeButton")->text(), QStringLiteral("閉じる"));
        QCOMPARE(control<QPushButton>(m, "printButton")->size(), QSize(73, 33));
        QCOMPARE(control<QPushButton>(m, "closeButton")->size(), QSize(65, 33));
        QVERIFY(control<QPushButton>(m, "printButton")->x() < control<QPushButton>(m, "closeButton")->x());
        QCOMPARE(control<QMenu>(m, "fileMenu")->title(), QStringLiteral("ファイル(&F)"));
        QCOMPARE(control<QMenu>(m, "fileMenu")->actions(),
                 (QList<QAction*>{control<QAction>(m, "saveModesAction"),
                                  control<QAction>(m, "printModesAction")}));
        QCOMPARE(control<QAction>(m, "saveModesAction")->text(), QStringLiteral("固有モードの保存(&S)"));
        QCOMPARE(control<QAction>(m, "printModesAction")->text(), QStringLiteral("固有モードの印刷(&P)"));

        m.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m));
        // 312 pixels wide with 64-pixel columns, unless a title needs more ("モード(奥行)").
        auto* grid = control<QTableWidget>(m, "modeGrid");
        int columns = 0;
        for (int c = 1; c < 5; ++c) {
            QVERIFY(grid->columnWidth(c) >= 64);
            QVERIFY(grid->fontMetrics().horizontalAdvance(grid->item(0, c)->text()) < grid->columnWidth(c));
            columns += grid->columnWidth(c);
        }
        const int width = 312 + columns - 4 * 64;
        QCOMPARE(control<QWidget>(m, "panel")->geometry(),
                 QRect(0, control<QMenuBar>(m, "menuBar")->height(), width, 105));
        QCOMPARE(grid->geometry(),
                 QRect(0, control<QMenuBar>(m, "menuBar")->height() + 105, width, 468 - 105));
        QCOMPARE(m.minimumWidth(), width);
        QCOMPARE(m.maximumWidth(), width);
        QVERIFY(m.minimumHeight() < m.height() && m.maximumHeight() > m.height());
        QCOMPARE(grid->columnCount(), 5);
        QCOMPARE(grid->columnWidth(0), 30);
        // Every column shows without scrolling sideways.
        QVERIFY(control<QTableWidget>(m, "modeGrid")->horizontalScrollBar()->maximum() == 0);

        // Close comes first in the tab order and has the focus.
        QCOMPARE(m.focusWidget(), control<QPushButton>(m, "closeButton"));
        QCOMPARE(control<QPushButton>(m, "closeButton")->nextInFocusChain(),
                 control<QPushButton>(m, "printButton"));

        QCOMPARE(m.gridPrinter().grid, control<QTableWidget>(m, "modeGrid"));
        QCOMPARE(m.gridPrinter().leftMargin, 25);
        QCOMPARE(m.gridPrinter().topMargin, 20);
        QCOMPARE(m.gridPrinter().rightMargin, 5);
        QVERIFY(static_cast<bool>(m.gridPrinter().onBeginPage));
    }

    void theDefaultRoomFillsTheGridAndShowsTheWindow() {
        QVERIFY(runEigenmodes());
        QVERIFY(errors.isEmpty());
        QVERIFY(modes->isVisible());
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(control<QLabel>(*modes, "roomSizeCaption")->text(),
                 QStringLiteral("幅：2.70m 奥行：4.50m 高さ：2.40m"));

        QTableWidget& grid = *control<QTableWidget>(*modes, "modeGrid");
        QCOMPARE(grid.rowCount(), 42);
        QCOMPARE(row(0), (QStringList{"No", "モード(幅)", "モード(奥行)", "モード(高さ)", "  周波数"}));
        QCOMPARE(row(1), (QStringList{"  1", "  0", "  1", "  0", "    38.2"}));
        QCOMPARE(row(2), (QStringList{"  2", "  1", "  0", "  0", "    63.7"}));
        QCOMPARE(row(3), (QStringList{"  3", "  0", "  0", "  1", "    71.7"}));
        QCOMPARE(row(4), (QStringList{"  4", "  1", "  1", "  0", "    74.3"}));
        QCOMPARE(row(5), (QStringList{"  5", "  0", "  2", "  0", "    76.4"}));
        QCOMPARE(row(41), (QStringList{" 41", "  2", "  4", "  0", "   199.0"}));
        QCOMPARE(grid.columnWidth(0), 30);
        QCOMPARE(modes->modeTable().rows, computeModeTable(2.7, 4.5, 2.4).rows);

        // The title row and the number column are fixed cells.
        QVERIFY(!(grid.item(0, 3)->flags() & Qt::ItemIsSelectable));
        QVERIFY(!(grid.item(17, 0)->flags() & Qt::ItemIsSelectable));
        QVERIFY(grid.item(17, 1)->flags() & Qt::ItemIsSelectable);
        QVERIFY(!(grid.item(17, 1)->flags() & Qt::ItemIsEditable));
    }

    void aFailedRunLeavesListAndSizeAsTheyWere() {
        QVERIFY(runEigenmodes());
        modes->hide();
        const ModeTable before = modes->modeTable();
        const QString label = control<QLabel>(*modes, "roomSizeCaption")->text();

        const auto failsWith = [&](const QString& w, const QString& d, const QString& h,
                                   const QString& message) {
            errors.clear();
            setRoom(w, d, h);
            QVERIFY(!runEigenmodes());
            QCOMPARE(errors, QStringList{message});
            QCOMPARE(modes->modeTable().rows, before.rows);
            QCOMPARE(control<QLabel>(*modes, "roomSizeCaption")->text(), label);
            QVERIFY(!modes->isVisible());
            QVERIFY(QApplication::overrideCursor() == nullptr);
        };
        failsWith("0", "4.50", "2.40", QStringLiteral("不正な浮動小数点数演算命令"));
        failsWith("2.70", "4.50", "0.0", QStringLiteral("不正な浮動小数点数演算命令"));
        failsWith("abc", "4.50", "2.40", QStringLiteral("'abc' は浮動小数点数ではありません"));
        failsWith("2.70", "", "2.40", QStringLiteral("'' は浮動小数点数ではありません"));
        // The width is read first, so its text is the one named.
        failsWith("2,70", "x", "y", QStringLiteral("'2,70' は浮動小数点数ではありません"));
    }

    void aShorterListLeavesNoRowOfTheLongerOne() {
        QVERIFY(runEigenmodes());
        setRoom("0.8", "0.80", "0.85");
        QVERIFY(runEigenmodes());
        QCOMPARE(control<QTableWidget>(*modes, "modeGrid")->rowCount(), 1);
        QCOMPARE(modes->modeTable().rows, std::vector<ModeRow>{modeTableHeader()});
        QCOMPARE(control<QLabel>(*modes, "roomSizeCaption")->text(),
                 QStringLiteral("幅：0.8m 奥行：0.80m 高さ：0.85m"));

        // Growing again writes every new row whole; the size texts stay as typed.
        setRoom("-2.70", "4.5", "3");
        QVERIFY(runEigenmodes());
        QCOMPARE(modes->modeTable().rows, computeModeTable(2.7, 4.5, 3.0).rows);
        QCOMPARE(control<QLabel>(*modes, "roomSizeCaption")->text(),
                 QStringLiteral("幅：-2.70m 奥行：4.5m 高さ：3m"));
        QVERIFY(errors.isEmpty());
    }

    void theLocaleDecimalCommaReadsAndWritesCommas() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        setRoom("2,70", "4,50", "2,40");
        QVERIFY(runEigenmodes());
        QCOMPARE(row(1), (QStringList{"  1", "  0", "  1", "  0", "    38,2"}));
        QCOMPARE(control<QLabel>(*modes, "roomSizeCaption")->text(),
                 QStringLiteral("幅：2,70m 奥行：4,50m 高さ：2,40m"));
    }

    void closingOnlyHidesAndTheNextRunReopensWithTheNewList() {
        QVERIFY(runEigenmodes());
        QTest::mouseClick(control<QPushButton>(*modes, "closeButton"), Qt::LeftButton);
        QVERIFY(!modes->isVisible());
        QCOMPARE(control<QTableWidget>(*modes, "modeGrid")->rowCount(), 42);

        setRoom("3.00", "4.50", "2.40");
        QVERIFY(runEigenmodes());
        QVERIFY(modes->isVisible());
        QCOMPARE(modes->modeTable().rows, computeModeTable(3.0, 4.5, 2.4).rows);
        QCOMPARE(control<QLabel>(*modes, "roomSizeCaption")->text(),
                 QStringLiteral("幅：3.00m 奥行：4.50m 高さ：2.40m"));
    }

    void theTitleRowStaysInViewWhileTheBodyScrolls() {
        setRoom("6", "8", "4"); // a few hundred modes
        QVERIFY(runEigenmodes());
        QVERIFY(QTest::qWaitForWindowExposed(modes.get()));
        QTableWidget& grid = *control<QTableWidget>(*modes, "modeGrid");
        QScrollBar* bar = grid.verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());

        // Whatever lies at the viewport's top shows the titles, not a body row.
        const QPoint topLeft = grid.viewport()->mapTo(&grid, QPoint(5, 5));
        auto* shown = qobject_cast<QAbstractItemView*>(grid.childAt(topLeft)->parentWidget());
        QVERIFY(shown && shown != &grid);
        QCOMPARE(shown->indexAt(shown->viewport()->mapFrom(&grid, topLeft)).row(), 0);
        QCOMPARE(shown->model(), grid.model());

        // Moving to the first body row with the keyboard brings it out from under the titles.
        grid.setFocus();
        grid.setCurrentCell(1, 1);
        grid.scrollToItem(grid.item(1, 1));
        QCOMPARE(grid.visualItemRect(grid.item(1, 1)).top(), grid.rowHeight(0));
    }

    void saveWritesTheListUnderTheSizeTextsOfTheMomentOfSaving() {
        QVERIFY(runEigenmodes());
        const ModeTable computed = modes->modeTable();
        setRoom("3", "4.50", "2.40"); // typed after the calculation
        const QString path = dir->filePath(QStringLiteral("room.dat"));
        QList<FileDialogRequest> requests;
        QList<FileDialogKind> kinds;
        setFileDialogHandler([&](QWidget*, FileDialogKind kind, const FileDialogRequest& request) {
            kinds << kind;
            requests << request;
            return path;
        });

        control<QAction>(*modes, "saveModesAction")->trigger();
        QVERIFY(errors.isEmpty());
        QVERIFY(questions.isEmpty());
        QCOMPARE(kinds, QList<FileDialogKind>{FileDialogKind::Save});
        QCOMPARE(requests[0].description, QStringLiteral("固有モードデータファイル(*.dat)"));
        QCOMPARE(requests[0].pattern, QStringLiteral("*.dat"));
        QCOMPARE(requests[0].proposedName, QStringLiteral("mode.dat"));
        QCOMPARE(requests[0].defaultSuffix, QString());
        const QByteArray saved = readAll(path);
        QCOMPARE(saved, modeFileBytes(boxTexts(), computed));
        QVERIFY(saved.contains("\x95\x94\x89\xae\x82\xcc\x95\x9d"
                               "3m")); // 部屋の幅3m in CP932
        QCOMPARE(saved.count("\r\n"), 45);
        QCOMPARE(modes->modeTable().rows, computed.rows);
        QCOMPARE(control<QLabel>(*modes, "roomSizeCaption")->text(),
                 QStringLiteral("幅：2.70m 奥行：4.50m 高さ：2.40m"));

        // The next save proposes the name chosen last; No keeps the old file.
        setRoom("4", "4.50", "2.40");
        control<QAction>(*modes, "saveModesAction")->trigger();
        QCOMPARE(requests.size(), 2);
        QCOMPARE(requests[1].proposedName, path);
        QCOMPARE(questions, QStringList{QStringLiteral(
                                "警告/同一名のファイルが存在します。上書きしてよろしいですか？")});
        QCOMPARE(readAll(path), saved);

        setQuestionHandler([](QWidget*, const QString&, const QString&) { return true; });
        control<QAction>(*modes, "saveModesAction")->trigger();
        QCOMPARE(readAll(path), modeFileBytes(boxTexts(), computed));
        QVERIFY(readAll(path) != saved);
        QVERIFY(errors.isEmpty());
    }

    void cancellingTheSaveDialogWritesNothing() {
        QVERIFY(runEigenmodes());
        writeAll(dir->filePath(QStringLiteral("mode.dat")), "old");
        setFileDialogHandler([](QWidget*, FileDialogKind, const FileDialogRequest&) { return QString(); });
        control<QAction>(*modes, "saveModesAction")->trigger();
        QVERIFY(errors.isEmpty());
        QVERIFY(questions.isEmpty());
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("mode.dat")});
        QCOMPARE(readAll(dir->filePath(QStringLiteral("mode.dat"))), QByteArray("old"));

        // Cancelling does not change the name the dialog proposes.
        QString proposed;
        setFileDialogHandler([&](QWidget*, FileDialogKind, const FileDialogRequest& request) {
            proposed = request.proposedName;
            return QString();
        });
        control<QAction>(*modes, "saveModesAction")->trigger();
        QCOMPARE(proposed, QStringLiteral("mode.dat"));
    }

    void aSaveThatCannotWriteIsReported() {
        QVERIFY(runEigenmodes());
        const QString path = dir->filePath(QStringLiteral("missing/mode.dat"));
        setFileDialogHandler([&](QWidget*, FileDialogKind, const FileDialogRequest&) { return path; });
        control<QAction>(*modes, "saveModesAction")->trigger();
        QCOMPARE(errors, QStringList{path + QStringLiteral(": 保存先のフォルダが見つかりません")});
        QVERIFY(!QFile::exists(path));

        // A size text the file's code page cannot hold is refused before anything is written.
        errors.clear();
        const QString good = dir->filePath(QStringLiteral("mode.dat"));
        setFileDialogHandler([&](QWidget*, FileDialogKind, const FileDialogRequest&) { return good; });
        control<QLineEdit>(*room, "roomWidthBox")->setText(QStringLiteral("2.70\U0001F600"));
        control<QAction>(*modes, "saveModesAction")->trigger();
        QCOMPARE(errors.size(), 1);
        QVERIFY(!QFile::exists(good));
    }

    void printingDrawsTheListWithTheHeaderOnEveryPage() {
        QVERIFY(runEigenmodes());
        setRoom("3", "4.50", "2.40"); // the header names the boxes at the time of printing
        QCOMPARE(modes->pageHeaderText(),
                 QStringLiteral("部屋の基準振動モード　部屋の幅：3m  奥行：4.50m  高さ：2.40m"));

        int jobs = 0;
        setPrintDialogHandler([&](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir->filePath(QStringLiteral("job%1.pdf").arg(++jobs)));
            return true;
        });
        QStringList headers;
        const auto pageHeader = modes->gridPrinter().onBeginPage;
        modes->gridPrinter().onBeginPage = [&](GridPrinter& sender) {
            headers << modes->pageHeaderText();
            pageHeader(sender);
        };

        QTest::mouseClick(control<QPushButton>(*modes, "printButton"), Qt::LeftButton);
        control<QAction>(*modes, "printModesAction")->trigger();
        QVERIFY(errors.isEmpty());
        QCOMPARE(jobs, 2);
        const QByteArray byButton = readAll(dir->filePath(QStringLiteral("job1.pdf")));
        const QByteArray byMenu = readAll(dir->filePath(QStringLiteral("job2.pdf")));
        QVERIFY(byButton.startsWith("%PDF"));
        QVERIFY(byMenu.startsWith("%PDF"));
        const int perJob = testing::pdfPageCount(byButton);
        QVERIFY(perJob >= 1);
        QCOMPARE(testing::pdfPageCount(byMenu), perJob);
        QCOMPARE(headers.size(), 2 * perJob);
        QCOMPARE(headers.front(),
                 QStringLiteral("部屋の基準振動モード　部屋の幅：3m  奥行：4.50m  高さ：2.40m"));

        // A list of a few hundred modes runs over more pages.
        setRoom("6", "8", "4");
        QVERIFY(runEigenmodes());
        control<QAction>(*modes, "printModesAction")->trigger();
        QVERIFY(testing::pdfPageCount(readAll(dir->filePath(QStringLiteral("job3.pdf")))) > perJob);
    }

    void cancellingThePrintDialogPrintsNothing() {
        QVERIFY(runEigenmodes());
        int asked = 0;
        setPrintDialogHandler([&](QWidget*, QPrinter& printer) {
            ++asked;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir->filePath(QStringLiteral("cancelled.pdf")));
            return false;
        });
        control<QAction>(*modes, "printModesAction")->trigger();
        QCOMPARE(asked, 1);
        QVERIFY(errors.isEmpty());
        QVERIFY(!QFile::exists(dir->filePath(QStringLiteral("cancelled.pdf"))));
    }

    void aPrintJobThatCannotStartIsReported() {
        QVERIFY(runEigenmodes());
        setPrintDialogHandler([&](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir->filePath(QStringLiteral("missing/list.pdf")));
            return true;
        });
        control<QAction>(*modes, "printModesAction")->trigger();
        QCOMPARE(errors, QStringList{QStringLiteral("印刷を開始できません\n") +
                                     dir->filePath(QStringLiteral("missing/list.pdf"))});
    }
};

QTEST_MAIN(TestModeListWindow)
#include "tst_mode_list_window.moc"
