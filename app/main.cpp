#include "app/app_windows.h"
#include "app/start_up.h"
#include "files/quiet_qt_messages.h"
#include "widgets/qt_translations.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

namespace {

void printMessage(const QString& message) {
    const QByteArray bytes = (QStringLiteral("kolmarin2: ") + message + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

// Qt takes its own options (-reverse, -style S, -platform P) out of the command line. An
// argument that names an existing file, and every argument after "--", is a file for the
// program instead: it is kept from Qt and comes back in its place. With `noneForQt` Qt
// gets none of them.
class ProgramArguments {
  public:
    ProgramArguments(int argc, char** argv, bool noneForQt) : original_(argv + 1, argv + argc) {
        qtArguments_.push_back(argv[0]);
        bool filesOnly = false;
        for (char* argument : original_) {
            if (!filesOnly && std::strcmp(argument, "--") == 0) {
                filesOnly = true;
                dropped_.insert(argument);
            } else if (noneForQt || filesOnly ||
                       (argument[0] == '-' && QFileInfo::exists(QFile::decodeName(argument)))) {
                kept_.insert(argument);
            } else {
                qtArguments_.push_back(argument);
            }
        }
        qtCount_ = static_cast<int>(qtArguments_.size());
        qtArguments_.push_back(nullptr);
    }
    int& qtCount() { return qtCount_; }
    char** qtArguments() { return qtArguments_.data(); }

    // The program's own arguments in their order, once Qt has taken its options.
    QStringList remaining() const {
        const std::set<char*> left(qtArguments_.begin() + 1, qtArguments_.begin() + qtCount_);
        QStringList arguments;
        for (char* argument : original_)
            if (kept_.count(argument) || (left.count(argument) && !dropped_.count(argument)))
                arguments.append(QFile::decodeName(argument));
        return arguments;
    }

  private:
    std::vector<char*> original_;
    std::vector<char*> qtArguments_;
    std::set<char*> kept_, dropped_;
    int qtCount_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    // A reader that leaves a pipe early is a failed save with its message.
    std::signal(SIGPIPE, SIG_IGN);
    // The chart image is drawn without a screen; that choice has to be made before the
    // application connects to one. Its arguments are then all the program's: Qt's options
    // belong to a window, and a bad one would end the run.
    bool drawsImage = false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--chart-png") == 0 || std::strcmp(argv[i], "--waterfall-png") == 0 ||
            std::strcmp(argv[i], "--report-pdf") == 0) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            kolmarin::keepOnlyFatalQtMessages("kolmarin2");
            drawsImage = true;
        }
    ProgramArguments arguments(argc, argv, drawsImage);
    QApplication app(arguments.qtCount(), arguments.qtArguments());
    kolmarin::installJapaneseQtTranslations();
    const kolmarin::StartRequest request = kolmarin::parseStartArguments(arguments.remaining());
    if (!request.usageError.isEmpty()) {
        printMessage(request.usageError);
        return 2;
    }
    if (request.writesFile()) {
        QStringList messages;
        const int code =
            !request.reportPath.isEmpty()
                ? kolmarin::writeReportPdf(request.roomPath, request.reportPath, request.delays, messages)
            : request.chartPath.isEmpty()
                ? kolmarin::writeWaterfallPng(request.roomPath, request.waterfallPath, request.waterfallBand,
                                              request.delays, messages)
                : kolmarin::writeChartPng(request.roomPath, request.chartPath, request.delays, messages);
        for (const QString& message : messages)
            printMessage(message);
        return code;
    }
    // A desktop gives one file per program; from a terminal only the first one is opened.
    for (const QString& file : request.ignored)
        printMessage(QStringLiteral("最初のファイルだけを開きます。開かないファイル: ") + file);

    // The user's settings (the recent files) are kept under this name.
    QCoreApplication::setOrganizationName(QStringLiteral("Kolmarin2"));
    kolmarin::AppWindows windows;
    kolmarin::rememberDelayModel(windows.document);
    // The first showing lays out the default room and draws the first curves.
    windows.mainWindow.show();
    // A file named on the command line is opened once the window is up, so its messages
    // stand in front of it.
    if (!request.roomPath.isEmpty())
        QTimer::singleShot(0, &windows.mainWindow,
                           [&windows, &request] { kolmarin::openStartRoomFile(windows, request.roomPath); });
    return app.exec();
}
