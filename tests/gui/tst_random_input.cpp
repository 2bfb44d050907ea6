// A seeded run of random but plausible user input over the main window, the settings
// dialog, the graph axis dialog and the mode list window: clicks and drags on the plan
// and the markers, the height sliders, the nudge keys, texts typed into every box, and the
// menu commands with their file, question and print dialogs answered at random. Whatever
// the input, the program must not crash, must show only its own messages, must write only
// where it was told to, and must draw its start-up curves again once the start-up texts
// are typed back.
//
// KOLMARIN_RANDOM_SEED (default 1) and KOLMARIN_RANDOM_EVENTS (default 2000) choose the
// run; KOLMARIN_REPLAY_DIVISOR=D, set by the sanitizer run, runs the first 1/D of it.
// Left out: the help command (it hands the manual to the desktop's viewer), the version
// box (a modal dialog of its own), and the response map and placement search, whose work
// behind the window would make a run depend on timing rather than on its seed.

#include "main_window_fixture.h"

#include "dialogs/mode_list_window.h"
#include "files/file_errors.h"
#include "files/room_file.h"
#include "model/acoustics/eigenmodes.h"
#include "model/errors.h"
#include "printing/print_job_error.h"
#include "widgets/user_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QPrinter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>

#include <array>
#include <cstring>
#include <map>
#include <random>

using namespace kolmarin;
using kolmarin::testing::control;

namespace {

enum class EventKind {
    PlanClick,
    PlanDrag,
    MarkerClick,
    MarkerDrag,
    SliderDrag,
    SliderKey,
    SliderWheel,
    NudgeKey,
    LoneModifier,
    SettingsArrow,
    SettingsText,
    SettingsButton,
    AxisKey,
    AxisText,
    AxisCheck,
    AxisButton,
    CurveBox,
    MainCommand,
    ModeListCommand,
};
constexpr int KindCount = static_cast<int>(EventKind::ModeListCommand) + 1;

struct KindInfo {
    const char* name;
    int weight; // how often it is drawn, out of the sum of all weights
};

constexpr std::array<KindInfo, KindCount> kKinds{{
    {"plan click", 3},      {"plan drag", 3},      {"marker click", 4},      {"marker drag", 10},
    {"slider drag", 6},     {"slider key", 5},     {"slider wheel", 4},      {"nudge key", 12},
    {"lone modifier", 3},   {"settings arrow", 8}, {"settings text", 10},    {"settings button", 5},
    {"axis key", 2},        {"axis text", 5},      {"axis check box", 3},    {"axis button", 3},
    {"curve check box", 3}, {"menu command", 7},   {"mode list command", 4},
}};

int environmentNumber(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// One form of the texts the error box may show: a fixed text, or a text with one varying
// part (a typed text, a path, an error number) between a fixed head and tail.
struct MessageForm {
    QString head;
    QString tail;
    bool varies = false;

    QString name() const { return varies ? head + QStringLiteral("…") + tail : head; }
    bool matches(const QString& message) const {
        if (!varies)
            return message == head;
        return message.size() >= head.size() + tail.size() && message.startsWith(head) &&
               message.endsWith(tail);
    }
};

// The program's message functions filled with this mark where the text varies.
constexpr char kHole[] = "`";

MessageForm fixedForm(const std::string& text) {
    return {QString::fromStdString(text), QString(), false};
}
MessageForm holedForm(const std::string& filled) {
    const QString text = QString::fromStdString(filled);
    const auto first = text.indexOf(QLatin1Char(kHole[0]));
    const auto last = text.lastIndexOf(QLatin1Char(kHole[0]));
    return {text.left(first), text.mid(last + 1), true};
}
MessageForm printForm(PrintFailure failure, bool withFile) {
    QPrinter printer;
    if (withFile)
        printer.setOutputFileName(QString::fromLatin1(kHole));
    const std::string message = printJobError(failure, printer).what();
    return withFile ? holedForm(message) : fixedForm(message);
}

// Every message the driven windows can show: the numeric core's, the file commands' and
// the printing's, plus the texts the windows raise themselves.
QList<MessageForm> programMessages() {
    QList<MessageForm> forms;
    for (const char* text : {msg::kZeroDivide,
                             msg::kOverflow,
                             msg::kInvalidOperation,
                             msg::kIntegerOverflow,
                             msg::kFftPrimeFactor,
                             msg::kFileNotFound,
                             msg::kFolderNotFound,
                             msg::kAccessDenied,
                             msg::kDiskFull,
                             msg::kNotARoomFile,
                             msg::kNoCp932Converter,
                             "部屋の幅は 0 より大きい値にしてください",
                             "部屋の奥行きは 0 より大きい値にしてください",
                             "部屋の高さは 0 より大きい値にしてください",
                             "グラフの画像を作れませんでした",
                             msg::kNegativeReflectionCount,
                             msg::kFifo,
                             msg::kSocket,
                             msg::kDevice,
                             msg::kLinkLoop,
                             msg::kDanglingLink,
                             msg::kNoReader,
                             msg::kNoPipeReader,
                             msg::kSocketNotWritable,
                             "画像は拡張子 .png (PNG 画像) か .pdf (PDF) の名前で保存してください"})
        forms.append(fixedForm(text));
    forms.append(fixedForm("部屋が大きすぎます。200Hz以下の固有モードが" + std::to_string(kMaxModeCount) +
                           "個を超えるため、一覧を作れません。"));
    forms.append(holedForm(msg::notAFloat(kHole)));
    forms.append(holedForm(msg::notAnInteger(kHole)));
    // A room file's value, after its line.
    forms.append(holedForm(msg::notAFloat(kHole) + "。数値を書きます（小数点は「.」）"));
    forms.append(holedForm(msg::notAnInteger(kHole) + "。整数を書きます"));
    forms.append(holedForm(msg::ioError(QString::fromLatin1(kHole))));
    forms.append(holedForm(msg::notEncodable(kHole, kHole)));
    forms.append(holedForm(msg::breaksLine(kHole)));
    for (PrintFailure failure : {PrintFailure::NotStarted, PrintFailure::NotFinished}) {
        forms.append(printForm(failure, false));
        forms.append(printForm(failure, true));
    }
    return forms;
}

// The offscreen platform's note on every raise() would bury the run's own output.
QtMessageHandler testLogger = nullptr;
void dropPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.startsWith(QStringLiteral("This plugin does not support")))
        testLogger(type, context, message);
}

// The folder's entries, each marked with its type, so a device replaced by a plain file
// of the same name shows as well as a new file.
QStringList listing(const QString& folder) {
    QStringList entries;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(
             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        entries.append(entry.fileName() + (entry.isSymLink() ? QStringLiteral(" link")
                                           : entry.isDir()   ? QStringLiteral(" folder")
                                           : entry.isFile()  ? QStringLiteral(" file")
                                                             : QStringLiteral(" device")));
    return entries;
}

QByteArray bytesOf(const QVector<double>& numbers) {
    return QByteArray(reinterpret_cast<const char*>(numbers.constData()),
                      numbers.size() * static_cast<qsizetype>(sizeof(double)));
}

const char* const kSettingsBoxes[]{"roomWidthBox",       "roomDepthBox",       "roomHeightBox",
                                   "rightReflectionBox", "leftReflectionBox",  "frontReflectionBox",
                                   "backReflectionBox",  "floorReflectionBox", "ceilingReflectionBox",
                                   "reflectionCountBox", "startFrequencyBox",  "endFrequencyBox"};
const char* const kAxisBoxes[]{"levelMinBox", "levelMaxBox", "frequencyMinBox", "frequencyMaxBox"};
const char* const kMarkers[]{"sp1Marker", "sp2Marker", "listenerMarker"};
const char* const kSliders[]{"sp1HeightSlider", "sp2HeightSlider", "listenerHeightSlider"};
const char* const kNudgeBoxes[]{"sp1NudgeBox", "sp2NudgeBox", "listenerNudgeBox"};
const char* const kCurveBoxes[]{"sp1CurveBox", "sp2CurveBox", "totalCurveBox"};

} // namespace

class TestRandomInput : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

    std::mt19937 random_;
    std::unique_ptr<QTemporaryDir> folder_;
    QStringList answers_; // what the file dialogs answer, "" for Cancel
    QList<MessageForm> allowed_;
    std::array<int, KindCount> eventCounts_{};
    std::map<QString, int> commandCounts_;
    std::map<QString, int> errorCounts_;
    QStringList modalsSeen_;

    int draw(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    bool chance(int percent) { return draw(1, 100) <= percent; }
    template <class List> auto pick(const List& list) {
        return list[static_cast<std::size_t>(draw(0, static_cast<int>(std::size(list)) - 1))];
    }
    QString inFolder(const char* name) const { return folder_->filePath(QString::fromLatin1(name)); }

    Qt::MouseButton anyButton() {
        return chance(85) ? Qt::LeftButton : chance(50) ? Qt::RightButton : Qt::MiddleButton;
    }
    Qt::KeyboardModifiers anyModifiers() {
        return pick(std::array{Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::NoModifier),
                               Qt::KeyboardModifiers(Qt::ShiftModifier),
                               Qt::KeyboardModifiers(Qt::ControlModifier)});
    }
    QPoint anyPoint(int reach) { return QPoint(draw(-reach, reach), draw(-reach, reach)); }

    // A number of the kind `box` holds, in the range a user would try.
    QString plausibleText(const QString& box) {
        if (box == QStringLiteral("reflectionCountBox"))
            return QString::number(draw(0, 60));
        if (box.startsWith(QStringLiteral("room")))
            return QString::number(draw(30, 1200) / 100.0, 'f', draw(1, 2));
        if (box.endsWith(QStringLiteral("ReflectionBox")))
            return QString::number(draw(0, 100) / 100.0, 'f', 2);
        if (box.startsWith(QStringLiteral("level")))
            return QString::number(draw(-60, 60));
        if (box.startsWith(QStringLiteral("frequency")))
            return QString::number(draw(5, 1000));
        return QString::number(draw(5, 700)); // start and end frequency
    }

    // A text a user might type into `box`: a number of the box's kind, or something else.
    QString anyText(const QString& box) {
        if (chance(60))
            return plausibleText(box);
        // The texts by the number drawn: 0 is the empty text, 1 and 8 are made up below.
        static const QString kFixed[13] = {
            {},
            {},
            QStringLiteral("二・七メートル"),
            QStringLiteral("２．７０"),
            QStringLiteral("１２０"),
            QStringLiteral("1e400"),
            QStringLiteral("-0"),
            QStringLiteral("$7FFFFFFF"),
            {},
            QStringLiteral("3,6"),
            QStringLiteral(" 2.5"),
            QStringLiteral("-1e-400"),
            QStringLiteral("0"),
        };
        const int kind = draw(0, 12);
        if (kind == 1) {
            QString junk;
            for (int i = draw(1, 12); i > 0; --i)
                junk += QLatin1Char(static_cast<char>(draw(0x21, 0x7e)));
            return junk;
        }
        if (kind == 8) {
            QString longText;
            for (int i = 0; i < 300; ++i)
                longText += QLatin1Char(static_cast<char>(draw('0', '9')));
            if (chance(50))
                longText.insert(draw(0, 299), QLatin1Char('.'));
            return longText;
        }
        return kFixed[kind];
    }

    // Selects the box's text and types `text` over it: Latin characters as keys, the rest
    // committed as the input method commits what the user composed. The input method
    // serves only boxes that take it (a read-only box does not), as on a desktop.
    static void typeInto(QLineEdit* box, const QString& text) {
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        for (QChar c : text) {
            if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
                QTest::keyClick(box, c.toLatin1());
            } else if (box->testAttribute(Qt::WA_InputMethodEnabled)) {
                QInputMethodEvent composed;
                composed.setCommitString(QString(c));
                QApplication::sendEvent(box, &composed);
            }
        }
    }

    // The file dialogs answer with one of the test folder's files, a folder that does not
    // exist, a full device, the folder itself, a name relative to the current folder (the
    // test folder too), or Cancel; the question with Yes or No; the print dialog prints
    // to a PDF file there, to a file that cannot be made or written, or is cancelled.
    void answerDialogsAtRandom() {
        setFileDialogHandler([this](QWidget*, FileDialogKind, const FileDialogRequest& request) {
            return FileChoice(pick(answers_), draw(0, static_cast<int>(request.moreFilters.size())));
        });
        setQuestionHandler([this](QWidget*, const QString&, const QString&) { return chance(50); });
        setPrintDialogHandler([this](QWidget*, QPrinter& printer) {
            const QString target =
                pick(std::array{QString(), inFolder("print.pdf"), inFolder("missing/print.pdf"),
                                QStringLiteral("/dev/full")});
            if (target.isEmpty())
                return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(target);
            return true;
        });
    }

    void writeInputFiles() {
        QByteArray junk;
        for (int i = draw(1, 4096); i > 0; --i)
            junk += static_cast<char>(draw(0, 255));
        QFile junkFile(inFolder("junk.dtr"));
        QVERIFY(junkFile.open(QIODevice::WriteOnly));
        junkFile.write(junk);
        // A room file with a few bytes changed after its header.
        QByteArray damaged = roomFileBytes(startupSceneTexts());
        for (int i = draw(1, 6); i > 0; --i)
            damaged[draw(static_cast<int>(std::strlen(kRoomFileHeader)) + 2,
                         static_cast<int>(damaged.size()) - 1)] = static_cast<char>(draw(0, 255));
        QFile damagedFile(inFolder("damaged.dtr"));
        QVERIFY(damagedFile.open(QIODevice::WriteOnly));
        damagedFile.write(damaged);
    }

    // Types into one of `boxes` of `dialog`. Most often, after an error box has shown a box
    // with its text selected, the user mends that box with a number.
    template <class Names> void typeText(QDialog& dialog, const Names& boxes) {
        auto* shown = qobject_cast<QLineEdit*>(dialog.focusWidget());
        if (shown && shown->hasSelectedText() && !shown->isReadOnly() && chance(70)) {
            typeInto(shown, plausibleText(shown->objectName()));
            return;
        }
        const char* box = pick(boxes);
        typeInto(control<QLineEdit>(dialog, box), anyText(QString::fromLatin1(box)));
    }

    void showSettings() {
        if (!roomSettings().isVisible())
            control<QAction>(mainWindow(), "roomSettingsAction")->trigger();
    }
    void showAxes() {
        if (!axisSettings().isVisible())
            control<QAction>(mainWindow(), "axisSettingsAction")->trigger();
    }

    void dragMarker() {
        auto* marker = control<MarkerShape>(mainWindow(), pick(kMarkers));
        const Qt::MouseButton button = anyButton();
        QTest::mousePress(marker, button, chance(10) ? Qt::ControlModifier : Qt::NoModifier,
                          QPoint(draw(0, 14), draw(0, 14)));
        for (int i = draw(1, 8); i > 0; --i)
            QTest::mouseMove(marker, chance(30) ? anyPoint(900) : anyPoint(60));
        QTest::mouseRelease(marker, button, Qt::NoModifier, anyPoint(900));
    }

    void dragSlider() {
        auto* slider = control<HeightSlider>(mainWindow(), pick(kSliders));
        QPoint grip = slider->thumbRect().center();
        const Qt::MouseButton button = anyButton();
        QTest::mousePress(slider, button, Qt::NoModifier, grip);
        for (int i = draw(1, 10); i > 0; --i) {
            grip.ry() += chance(20) ? draw(-600, 600) : draw(-30, 30);
            QTest::mouseMove(slider, grip);
            if (chance(5))
                pressSliderKey(slider);
        }
        QTest::mouseRelease(slider, button, Qt::NoModifier, grip);
    }

    // A key on a slider, now and then held down: the desktop then sends repeated presses,
    // each after a release, all marked as repeats, and a last plain release.
    void pressSliderKey(HeightSlider* slider) {
        const Qt::Key key = pick(std::array{Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                                            Qt::Key_Home, Qt::Key_End, Qt::Key_Left, Qt::Key_Right});
        const Qt::KeyboardModifiers modifiers = anyModifiers();
        if (chance(70)) {
            QTest::keyClick(slider, key, modifiers);
            return;
        }
        QTest::keyPress(slider, key, modifiers);
        for (int i = draw(1, 12); i > 0; --i) {
            QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), true);
            QApplication::sendEvent(slider, &release);
            QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), true);
            QApplication::sendEvent(slider, &press);
        }
        QTest::keyRelease(slider, key, modifiers);
    }

    void turnWheel() {
        auto* slider = control<HeightSlider>(mainWindow(), pick(kSliders));
        const QPointF at(draw(0, slider->width() - 1), draw(0, slider->height() - 1));
        QWheelEvent wheel(at, slider->mapToGlobal(at), QPoint(),
                          QPoint(0, pick(std::array{-360, -120, -40, 40, 120, 240})), Qt::NoButton,
                          anyModifiers(), Qt::NoScrollPhase, false);
        QApplication::sendEvent(slider, &wheel);
    }

    void pressNudgeKey() {
        const Qt::Key key =
            pick(std::array{Qt::Key_U, Qt::Key_D, Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down,
                            Qt::Key_U, Qt::Key_D, Qt::Key_Left, Qt::Key_Up, Qt::Key_5, Qt::Key_X,
                            Qt::Key_Space, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Home});
        QTest::keyClick(control<NudgeBox>(mainWindow(), pick(kNudgeBoxes)), key,
                        chance(40) ? Qt::ShiftModifier : Qt::NoModifier);
    }

    void pressSettingsButton() {
        showSettings();
        switch (draw(0, 3)) {
        case 0:
            QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
            break;
        case 1:
            QTest::mouseClick(control<QPushButton>(roomSettings(), "okButton"), Qt::LeftButton);
            break;
        case 2:
            QTest::mouseClick(control<QPushButton>(roomSettings(), "modesButton"), Qt::LeftButton);
            break;
        default:
            QTest::keyClick(&roomSettings(), Qt::Key_Escape);
        }
    }

    void runMenuCommand() {
        static const char* const kCommands[]{
            "openRoomAction",         "saveRoomAction",    "saveResultAction", "saveChartImageAction",
            "printChartAction",       "printWindowAction", "modesAction",      "roomSettingsAction",
            "axisSettingsAction",     "exitAction",        "recalculate",      "settings openRoomAction",
            "settings saveRoomAction"};
        const QString command = QString::fromLatin1(pick(kCommands));
        ++commandCounts_[command];
        if (command == QStringLiteral("recalculate")) {
            QTest::mouseRelease(control<MarkerShape>(mainWindow(), "sp1Marker"), Qt::LeftButton);
        } else if (command.startsWith(QStringLiteral("settings "))) {
            showSettings();
            control<QAction>(roomSettings(), qPrintable(command.mid(9)))->trigger();
        } else {
            control<QAction>(mainWindow(), qPrintable(command))->trigger();
        }
        // The user starts the program again after 終了.
        if (!mainWindow().isVisible())
            mainWindow().show();
    }

    void runModeListCommand() {
        ModeListWindow& modes = windows->modeList;
        if (!modes.isVisible()) {
            ++commandCounts_[QStringLiteral("modes for the list")];
            control<QAction>(mainWindow(), "modesAction")->trigger();
            return;
        }
        static const char* const kCommands[]{"saveModesAction", "printModesAction", "printButton",
                                             "closeButton", "grid keys"};
        const QString command = QString::fromLatin1(pick(kCommands));
        ++commandCounts_[QStringLiteral("mode list ") + command];
        if (command.endsWith(QStringLiteral("Action")))
            control<QAction>(modes, qPrintable(command))->trigger();
        else if (command.endsWith(QStringLiteral("Button")))
            QTest::mouseClick(control<QPushButton>(modes, qPrintable(command)), Qt::LeftButton);
        else
            QTest::keyClick(control<QTableWidget>(modes, "modeGrid"),
                            pick(std::array{Qt::Key_PageDown, Qt::Key_End, Qt::Key_Down, Qt::Key_Home}));
    }

    void runEvent(EventKind kind) {
        MainWindow& f = mainWindow();
        switch (kind) {
        case EventKind::PlanClick:
            QTest::mouseClick(control<PlanView>(f, "planView"), anyButton(), anyModifiers(), anyPoint(450));
            break;
        case EventKind::PlanDrag: {
            auto* plan = control<PlanView>(f, "planView");
            QTest::mousePress(plan, Qt::LeftButton, Qt::NoModifier, anyPoint(450));
            QTest::mouseMove(plan, anyPoint(900));
            QTest::mouseRelease(plan, Qt::LeftButton, Qt::NoModifier, anyPoint(900));
            break;
        }
        case EventKind::MarkerClick:
            if (chance(80))
                QTest::mouseClick(control<MarkerShape>(f, pick(kMarkers)), anyButton(), Qt::NoModifier,
                                  QPoint(draw(0, 14), draw(0, 14)));
            else
                QTest::mouseDClick(control<MarkerShape>(f, pick(kMarkers)), anyButton(), Qt::NoModifier,
                                   QPoint(draw(0, 14), draw(0, 14)));
            break;
        case EventKind::MarkerDrag:
            dragMarker();
            break;
        case EventKind::SliderDrag:
            dragSlider();
            break;
        case EventKind::SliderKey:
            pressSliderKey(control<HeightSlider>(f, pick(kSliders)));
            break;
        case EventKind::SliderWheel:
            turnWheel();
            break;
        case EventKind::NudgeKey:
            pressNudgeKey();
            break;
        case EventKind::LoneModifier:
            QTest::keyClick(control<NudgeBox>(f, pick(kNudgeBoxes)),
                            pick(std::array{Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta}));
            break;
        case EventKind::SettingsArrow:
            showSettings();
            QTest::keyClick(control<QLineEdit>(roomSettings(), pick(kSettingsBoxes)),
                            chance(50) ? Qt::Key_Up : Qt::Key_Down, anyModifiers());
            break;
        case EventKind::SettingsText:
            showSettings();
            typeText(roomSettings(), kSettingsBoxes);
            break;
        case EventKind::SettingsButton:
            pressSettingsButton();
            break;
        case EventKind::AxisKey:
            showAxes();
            QTest::keyClick(control<QLineEdit>(axisSettings(), pick(kAxisBoxes)),
                            pick(std::array{Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right}),
                            anyModifiers());
            break;
        case EventKind::AxisText:
            showAxes();
            typeText(axisSettings(), kAxisBoxes);
            break;
        case EventKind::AxisCheck:
            showAxes();
            QTest::mouseClick(
                control<QCheckBox>(axisSettings(), chance(50) ? "levelAutoBox" : "frequencyAutoBox"),
                Qt::LeftButton);
            break;
        case EventKind::AxisButton:
            showAxes();
            if (chance(70))
                QTest::mouseClick(control<QPushButton>(axisSettings(), "okButton"), Qt::LeftButton);
            else
                QTest::keyClick(&axisSettings(), Qt::Key_Escape);
            break;
        case EventKind::CurveBox:
            QTest::mouseClick(control<QCheckBox>(f, pick(kCurveBoxes)), Qt::LeftButton);
            break;
        case EventKind::MainCommand:
            runMenuCommand();
            break;
        case EventKind::ModeListCommand:
            runModeListCommand();
            break;
        }
        // A menu the keys may have opened is closed again, as a click elsewhere would.
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    // The messages shown since `seen`, each counted by its form; the first that is none
    // of the program's own is returned.
    QString unknownMessageSince(qsizetype seen) {
        for (qsizetype i = seen; i < errors().size(); ++i) {
            // A file's message comes after the file's path (and a room file's line).
            QString message = errors()[i];
            auto form = allowed_.cend();
            for (qsizetype at = 0; at >= 0 && form == allowed_.cend();
                 at = message.indexOf(QStringLiteral(": "), at + 1)) {
                const QString rest = at == 0 ? message : message.mid(at + 2);
                form = std::find_if(allowed_.cbegin(), allowed_.cend(),
                                    [&](const MessageForm& f) { return f.matches(rest); });
            }
            if (form == allowed_.cend())
                return message;
            ++errorCounts_[form->name()];
        }
        return QString();
    }

    // Types the start-up texts of `fresh` back into every box of the settings and axis
    // dialogs, puts its positions back, checks its curve boxes as they are, and applies.
    void typeStartUpTextsBack(AppWindows& fresh) {
        // A box is read-only while its axis follows the data; texts go in while it is not.
        showAxes();
        const auto typeAxisTexts = [&] {
            for (const char* box : kAxisBoxes)
                if (!control<QLineEdit>(axisSettings(), box)->isReadOnly())
                    typeInto(control<QLineEdit>(axisSettings(), box),
                             control<QLineEdit>(fresh.axisSettings, box)->text());
        };
        typeAxisTexts();
        for (const char* check : {"levelAutoBox", "frequencyAutoBox"})
            if (control<QCheckBox>(axisSettings(), check)->isChecked() !=
                control<QCheckBox>(fresh.axisSettings, check)->isChecked())
                QTest::mouseClick(control<QCheckBox>(axisSettings(), check), Qt::LeftButton);
        typeAxisTexts();
        QTest::mouseClick(control<QPushButton>(axisSettings(), "okButton"), Qt::LeftButton);

        // The calculation reads the level range, so the settings come after the axes.
        showSettings();
        for (const char* box : kSettingsBoxes)
            typeInto(control<QLineEdit>(roomSettings(), box),
                     control<QLineEdit>(fresh.roomSettings, box)->text());
        editTexts([&fresh](SceneTexts& t) {
            t.sources = fresh.document.texts().sources;
            t.seats = fresh.document.texts().seats;
        });
        for (const char* box : kCurveBoxes)
            if (control<QCheckBox>(mainWindow(), box)->isChecked() !=
                control<QCheckBox>(fresh.mainWindow, box)->isChecked())
                QTest::mouseClick(control<QCheckBox>(mainWindow(), box), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
    }

  private slots:
    void initTestCase() {
        setUpApplication();
        testLogger = qInstallMessageHandler(dropPlatformNotes);
        allowed_ = programMessages();
    }
    void init() { start(); }
    void cleanup() {
        setFileDialogHandler({});
        setQuestionHandler({});
        setPrintDialogHandler({});
        stop();
    }

    void randomInputKeepsTheWindowsSound() {
        const int seed = environmentNumber("KOLMARIN_RANDOM_SEED", 1);
        const int divisor = std::max(1, environmentNumber("KOLMARIN_REPLAY_DIVISOR", 1));
        const int events = std::max(1, environmentNumber("KOLMARIN_RANDOM_EVENTS", 2000) / divisor);
        random_.seed(static_cast<std::mt19937::result_type>(seed));
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));

        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(folder_->isValid());
        QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("current")));
        writeInputFiles();
        answers_ = {QString(),
                    QString(),
                    inFolder("room.dtr"),
                    inFolder("room.dtr"),
                    inFolder("result.dat"),
                    inFolder("modes.dat"),
                    inFolder("chart.png"),
                    inFolder("junk.dtr"),
                    inFolder("damaged.dtr"),
                    inFolder("missing/file.dtr"),
                    inFolder("nothing-here.dtr"),
                    folder_->path(),
                    QStringLiteral("/dev/full"),
                    QStringLiteral("relative.dat")};
        answerDialogsAtRandom();

        // The run works in the test folder; the folders a stray relative or default path
        // would reach are compared afterwards.
        const QString startFolder = QDir::currentPath();
        const QStringList watched{startFolder, QDir::homePath(), QStringLiteral("/dev")};
        std::map<QString, QStringList> before;
        for (const QString& folder : watched)
            before[folder] = listing(folder);
        QVERIFY(QDir::setCurrent(folder_->filePath(QStringLiteral("current"))));

        // Any real modal dialog would wait for a person: it is noted and closed.
        QTimer modalGuard;
        connect(&modalGuard, &QTimer::timeout, this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modalsSeen_.append(QString::fromLatin1(modal->metaObject()->className()) + QLatin1Char(' ') +
                                   modal->windowTitle());
                modal->close();
            }
        });
        modalGuard.start(100);

        int totalWeight = 0;
        for (const KindInfo& kind : kKinds)
            totalWeight += kind.weight;
        QElapsedTimer clock;
        clock.start();
        for (int index = 0; index < events; ++index) {
            int roll = draw(0, totalWeight - 1);
            int kind = 0;
            while (roll >= kKinds[kind].weight)
                roll -= kKinds[kind++].weight;
            const qsizetype seen = errors().size();
            runEvent(static_cast<EventKind>(kind));
            ++eventCounts_[kind];
            const QString where =
                QStringLiteral("seed %1, event %2 (%3)").arg(seed).arg(index).arg(kKinds[kind].name);
            const QString unknown = unknownMessageSince(seen);
            QVERIFY2(unknown.isEmpty(), qPrintable(where + QStringLiteral(": unknown message: ") + unknown));
            QVERIFY2(modalsSeen_.isEmpty(), qPrintable(where + QStringLiteral(": a real dialog opened: ") +
                                                       modalsSeen_.join(QStringLiteral(", "))));
        }
        const qint64 runTime = clock.elapsed();
        modalGuard.stop();

        QVERIFY(QDir::setCurrent(startFolder));
        for (const QString& folder : watched)
            QCOMPARE(listing(folder), before[folder]);

        // The start-up texts typed back give the start-up curves, to the last bit. (Levels
        // stored outside the last calculated range may belong to an earlier scene; the
        // window never shows them.)
        AppWindows fresh;
        fresh.mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh.mainWindow));
        const qsizetype seen = errors().size();
        typeStartUpTextsBack(fresh);
        QVERIFY2(errors().size() == seen, qPrintable(errors().mid(seen).join(QLatin1Char('|'))));
        QCOMPARE(document().texts(), fresh.document.texts());
        auto& freshChart = *control<ResponseChart>(fresh.mainWindow, "responseChart");
        for (CurveRole curve : {kSp1Curve, kSp2Curve, kTotalCurve}) {
            QCOMPARE(bytesOf(keys(curve)), bytesOf(freshChart.frequencies(curve)));
            QCOMPARE(bytesOf(values(curve)), bytesOf(freshChart.levels(curve)));
        }
        QCOMPARE(chart().levelAxis()->range(), freshChart.levelAxis()->range());
        QCOMPARE(chart().frequencyAxis()->range(), freshChart.frequencyAxis()->range());

        qInfo("seed %d, %d events in %lld ms", seed, events, static_cast<long long>(runTime));
        for (int kind = 0; kind < KindCount; ++kind)
            qInfo("  %-18s %6d", kKinds[kind].name, eventCounts_[kind]);
        for (const auto& [command, count] : commandCounts_)
            qInfo("  command %-30s %5d", qPrintable(command), count);
        qInfo("error boxes: %lld", static_cast<long long>(seen));
        for (const auto& [form, count] : errorCounts_)
            qInfo("  %6d  %s", count,
                  qPrintable(QString(form).replace(QLatin1Char('\n'), QStringLiteral("\\n"))));
    }
};

QTEST_MAIN(TestRandomInput)
#include "tst_random_input.moc"
