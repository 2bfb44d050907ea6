// The main window's command that saves the chart as an image, on the program's real
// windows: the file dialog and the replace question are answered by the test.
#include "file_command_fixture.h"
#include "find_control.h"
#include "pdf_pages.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QImage>
#include <QTimer>

#include <csignal>

#include <sys/resource.h>

using namespace kolmarin;
using kolmarin::testing::control;
using kolmarin::testing::readAll;
using kolmarin::testing::writeAll;

class TestChartImage : public QObject, public testing::FileCommandFixture {
    Q_OBJECT

    void saveImage() { control<QAction>(mainWindow(), "saveChartImageAction")->trigger(); }

  private slots:
    void initTestCase() { setUpApplication(); }

    void init() { startWithScriptedDialogs(); }
    void cleanup() { stopAndRestoreDialogs(); }

    void theItemFollowsTheResultFileItem() {
        const QList<QAction*> items = control<QMenu>(mainWindow(), "fileMenu")->actions();
        const qsizetype result = items.indexOf(control<QAction>(mainWindow(), "saveResultAction"));
        QCOMPARE(items.value(result + 1), control<QAction>(mainWindow(), "saveChartImageAction"));
        QCOMPARE(items[result + 1]->text(), QStringLiteral("グラフを画像として保存..."));
    }

    void theChosenFilterGivesAPngAtTwiceTheSizeOrAPdf() {
        answers << path("chart.png") << path("chart.pdf");
        filters << 0 << 1;
        saveImage();
        saveImage();
        QVERIFY(errors().isEmpty());
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].request.description, QStringLiteral("PNG 画像"));
        QCOMPARE(asked[0].request.pattern, QStringLiteral("*.png"));
        QCOMPARE(asked[0].request.defaultSuffix, QStringLiteral("png"));
        QCOMPARE(asked[0].request.moreFilters.size(), 1);
        QCOMPARE(asked[0].request.moreFilters[0].description, QStringLiteral("PDF"));
        QCOMPARE(asked[0].request.moreFilters[0].pattern, QStringLiteral("*.pdf"));
        QCOMPARE(asked[1].request.proposedName, path("chart.png"));

        const QImage image(path("chart.png"), "PNG");
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), chart().size() * 2);
        const QByteArray pdf = readAll(path("chart.pdf"));
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(testing::pdfPageCount(pdf), 1);
    }

    void theTypedExtensionDecidesTheTypeAndTheTitleTheCurrentName() {
        const struct {
            const char* name;
            int filter;
            QByteArray start; // the file's signature, or nothing for a refused name
        } cases[]{{"typed.pdf", 0, "%PDF"}, {"typed.PNG", 1, "\x89PNG"}, {"typed.jpg", 0, {}}};
        for (const auto& c : cases) {
            errors().clear();
            answers << path(c.name);
            filters << c.filter;
            saveImage();
            QCOMPARE(readAll(path(c.name)).left(4), c.start);
            QCOMPARE(errors().size(), c.start.isEmpty() ? 1 : 0);
        }
        // A room saved under a new name: the chart's title, and so its image, says it.
        answers << path("新しい部屋.dtr");
        control<QAction>(mainWindow(), "saveRoomAction")->trigger();
        QVERIFY(chart().titleText().startsWith(mainWindow().windowTitle() + QStringLiteral("  ")));
        QVERIFY(chart().titleText().contains(QStringLiteral("新しい部屋")));
    }

    void qtsDialogTellsTheChosenFilterAndAddsItsExtension() {
        restoreDialogs();
        // The user picks "PDF" and types a name without an extension.
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QCOMPARE(types->itemText(1), QStringLiteral("PDF"));
            types->setCurrentIndex(1);
            emit types->activated(1);
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("chart"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const FileChoice choice = askFileChoice(nullptr, FileDialogKind::Save,
                                                {QStringLiteral("PNG 画像"),
                                                 QStringLiteral("*.png"),
                                                 path("グラフ.png"),
                                                 QStringLiteral("png"),
                                                 {{QStringLiteral("PDF"), QStringLiteral("*.pdf")}}});
        QCOMPARE(choice.path, path("chart.pdf"));
        QCOMPARE(choice.filter, 1);
    }

    void aFailedSaveKeepsTheOldFile() {
        writeAll(path("old.png"), "old picture");
        replace = false;
        answers << path("old.png");
        saveImage();
        QCOMPARE(questions, QStringList{QStringLiteral(
                                "警告|同一名のファイルが存在します。上書きしてよろしいですか？")});
        QCOMPARE(readAll(path("old.png")), QByteArray("old picture"));

        // A file size limit below the picture's size makes the write itself fail.
        replace = true;
        answers << path("old.png");
        rlimit previous{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
        rlimit small = previous;
        small.rlim_cur = 4096;
        const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        saveImage();
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousSignal);
        QCOMPARE(errors().size(), 1);
        QCOMPARE(readAll(path("old.png")), QByteArray("old picture"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("old.png")});
    }
};

QTEST_MAIN(TestChartImage)
#include "tst_chart_image.moc"
