#include "app/start_up.h"

#include "app/app_windows.h"
#include "files/save_file.h"
#include "widgets/ui_support.h"

#include <exception>

namespace kolmarin {

StartRequest parseStartArguments(const QStringList& arguments) {
    StartRequest request;
    QStringList files;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != QStringLiteral("--chart-png")) {
            files.append(arguments[i]);
        } else if (i + 1 < arguments.size() && !request.chartPath.isEmpty()) {
            request.usageError = QStringLiteral("--chart-png が二度あります");
        } else if (i + 1 < arguments.size()) {
            request.chartPath = arguments[++i];
        } else {
            request.usageError = QStringLiteral("--chart-png の後に画像のファイル名がありません");
        }
    }
    if (!files.isEmpty())
        request.roomPath = files.takeFirst();
    request.ignored = files;
    if (request.usageError.isEmpty() && !request.chartPath.isEmpty() &&
        (request.roomPath.isEmpty() || !request.ignored.isEmpty()))
        request.usageError = QStringLiteral("--chart-png FILE には部屋データファイルを一つ指定します");
    return request;
}

void openStartRoomFile(AppWindows& windows, const QString& path) {
    runCommand(&windows.mainWindow, [&] { windows.mainWindow.openRoomFileAt(path); });
}

int writeChartPng(const QString& roomPath, const QString& imagePath, QStringList& messages) {
    // Whatever the windows would put in the error box while the file is read and the scene
    // computed concerns the room file.
    bool failed = false;
    setErrorBoxHandler([&](QWidget*, const QString& message) {
        failed = true;
        // The file's own messages name it already.
        const QString prefix = roomPath + QStringLiteral(": ");
        messages.append(message.startsWith(prefix) ? message : prefix + message);
    });
    AppWindows windows;
    // The first showing lays out the start-up room, as in the program with its window.
    windows.mainWindow.show();
    openStartRoomFile(windows, roomPath);
    setErrorBoxHandler({});
    if (failed)
        return 1;
    try {
        saveFileAtomically(imagePath, windows.mainWindow.chartImage(ChartImageFormat::Png));
    } catch (const std::exception& e) {
        messages.append(imagePath + QStringLiteral(": ") + QString::fromUtf8(e.what()));
        return 1;
    }
    return 0;
}

} // namespace kolmarin
