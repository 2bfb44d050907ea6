// The version box as the user meets it, and the help command with and without its file
// and the manual.
#include "dialogs/about_box.h"
#include "find_control.h"
#include "mainwindow/help_file.h"
#include "widgets/ui_support.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace kolmarin;
using kolmarin::testing::control;

// Stands in for the desktop's handler of local files.
class OpenedFiles : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls.append(url); }
};

class TestAboutBox : public QObject {
    Q_OBJECT

    std::unique_ptr<AboutBox> box;
    OpenedFiles opened;
    QStringList errors;

  private slots:
    void initTestCase() {
        setErrorBoxHandler([this](QWidget*, const QString& message) { errors.append(message); });
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "open");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    void init() {
        box = std::make_unique<AboutBox>();
        opened.urls.clear();
        errors.clear();
    }
    void cleanup() { box.reset(); }

    void layoutAndTexts() {
        QCOMPARE(box->windowTitle(), QStringLiteral("バージョン情報"));
        QCOMPARE(box->size(), QSize(244, 230));
        QCOMPARE(box->minimumSize(), box->maximumSize());
        QCOMPARE(box->font().pixelSize(), 12);
        QCOMPARE(control<QWidget>(*box, "panel")->geometry(), QRect(7, 7, 226, 186));
        QCOMPARE(control<QWidget>(*box, "programPicture")->parentWidget(), control<QWidget>(*box, "panel"));
        QCOMPARE(control<QWidget>(*box, "programPicture")->geometry(), QRect(8, 8, 121, 113));
        QCOMPARE(control<QLabel>(*box, "productName")->text(), QStringLiteral("Kolmarin2"));
        QCOMPARE(control<QLabel>(*box, "productName")->pos(), QPoint(137, 15));
        QVERIFY(control<QLabel>(*box, "productName")->font().bold());
        QCOMPARE(control<QLabel>(*box, "productName")->font().pixelSize(), 16);
        QCOMPARE(control<QLabel>(*box, "version")->text(), QStringLiteral("バージョン0.90"));
        QCOMPARE(control<QLabel>(*box, "version")->pos(), QPoint(137, 45));
        QCOMPARE(control<QPushButton>(*box, "okButton")->text(), QStringLiteral("OK"));
        QCOMPARE(control<QPushButton>(*box, "okButton")->geometry(), QRect(94, 197, 69, 23));
        QVERIFY(control<QPushButton>(*box, "okButton")->isDefault());
        // Both texts fit on the panel beside the picture.
        for (const QLabel* label : {control<QLabel>(*box, "productName"), control<QLabel>(*box, "version")})
            QVERIFY(control<QWidget>(*box, "panel")->rect().contains(label->geometry()));
    }

    void pictureIsDrawn() {
        const QImage picture = control<QWidget>(*box, "programPicture")->grab().toImage();
        bool blueWave = false, redSpeaker = false;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                blueWave = blueWave || (c.blue() > 150 && c.red() < 80 && c.green() < 120);
                redSpeaker = redSpeaker || (c.red() > 200 && c.green() < 60 && c.blue() < 60);
            }
        QVERIFY(blueWave);
        QVERIFY(redSpeaker);
    }

    void showsModallyInTheMiddleOfTheScreen() {
        box->open();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QVERIFY(box->isModal());
        const QRect screen = box->screen()->availableGeometry();
        QVERIFY((box->frameGeometry().center() - screen.center()).manhattanLength() <= 2);
    }

    void okCloses() {
        box->open();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QTest::mouseClick(control<QPushButton>(*box, "okButton"), Qt::LeftButton);
        QVERIFY(!box->isVisible());
        QCOMPARE(box->result(), int(QDialog::Accepted));
    }

    void enterPressesOk() {
        box->open();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QTest::keyClick(box.get(), Qt::Key_Return);
        QVERIFY(!box->isVisible());
        QCOMPARE(box->result(), int(QDialog::Accepted));
        // It can be shown again.
        box->open();
        QVERIFY(box->isVisible());
    }

    void withoutHelpFileOrManualNothingHappens() {
        QVERIFY(!QFile::exists(QDir(QCoreApplication::applicationDirPath()).filePath("Kolmarin2.chm")));
        QTemporaryDir empty;
        openHelpFileIn(nullptr, empty.path());
        QVERIFY(opened.urls.isEmpty());
        QVERIFY(errors.isEmpty());
    }

    void aDesktopWithoutALauncherIsToldInAMessage() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("Kolmarin2.chm"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(!runCommand(
            nullptr, [&] { openHelpFileIn(nullptr, folder.path(), {}, [](const QUrl&) { return false; }); }));
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].contains(path));
    }

    void presentHelpFileGoesToTheDesktop() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("Kolmarin2.chm"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        openHelpFileIn(nullptr, folder.path());
        QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(path)});
        // A folder of that name is not the help file.
        QTemporaryDir other;
        QVERIFY(QDir(other.path()).mkdir(QStringLiteral("Kolmarin2.chm")));
        openHelpFileIn(nullptr, other.path());
        QCOMPARE(opened.urls.size(), 1);
    }

    void withoutHelpFileTheManualGoesToTheBrowser() {
        // Installed: <prefix>/bin/kolmarin2 and <prefix>/share/doc/kolmarin2/manual/ja.
        QTemporaryDir prefix;
        const QString manual = prefix.filePath(QStringLiteral("share/doc/kolmarin2/manual/ja/index.html"));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/doc/kolmarin2/manual/ja")));
        QFile file(manual);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString sourceManual = QDir::cleanPath(QFINDTESTDATA("../../docs/manual/ja/index.html"));
        openHelpFileIn(nullptr, prefix.filePath(QStringLiteral("bin")), sourceManual);
        // A build folder's program has only the source tree's manual.
        QTemporaryDir build;
        openHelpFileIn(nullptr, build.path(), sourceManual);
        QVERIFY(runCommand(nullptr, [] { openHelpFile(nullptr); }));
        QCOMPARE(opened.urls, (QList<QUrl>{QUrl::fromLocalFile(manual), QUrl::fromLocalFile(sourceManual),
                                           QUrl::fromLocalFile(sourceManual)}));
        QVERIFY(errors.isEmpty());
    }
};

QTEST_MAIN(TestAboutBox)
#include "tst_about_box.moc"
