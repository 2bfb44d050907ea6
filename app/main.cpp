#include "app/app_windows.h"
#include "app/start_up.h"
#include "widgets/qt_translations.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {

void printMessage(const QString& message) {
    const QByteArray bytes = (QStringLiteral("kolmarin2: ") + message + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

} // namespace

int main(int argc, char** argv) {
    // The chart image is drawn without a screen; that choice has to be made before the
    // application connects to one.
    // Qt's notes about the desktop session it finds are no concern of whoever asked for it.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--chart-png") == 0) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        }
    QApplication app(argc, argv);
    kolmarin::installJapaneseQtTranslations();

    // QApplication has taken its own options out of argv.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));
    const kolmarin::StartRequest request = kolmarin::parseStartArguments(arguments);
    if (!request.usageError.isEmpty()) {
        printMessage(request.usageError);
        return 2;
    }
    if (!request.chartPath.isEmpty()) {
        QStringList messages;
        const int code = kolmarin::writeChartPng(request.roomPath, request.chartPath, messages);
        for (const QString& message : messages)
            printMessage(message);
        return code;
    }
    // A desktop gives one file per program; from a terminal only the first one is opened.
    for (const QString& file : request.ignored)
        printMessage(QStringLiteral("最初のファイルだけを開きます。開かないファイル: ") + file);

    kolmarin::AppWindows windows;
    // The first showing lays out the default room and draws the first curves.
    windows.mainWindow.show();
    // A file named on the command line is opened once the window is up, so its messages
    // stand in front of it.
    if (!request.roomPath.isEmpty())
        QTimer::singleShot(0, &windows.mainWindow,
                           [&windows, &request] { kolmarin::openStartRoomFile(windows, request.roomPath); });
    return app.exec();
}
