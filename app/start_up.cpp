#include "app/start_up.h"

#include "app/app_windows.h"
#include "files/save_file.h"
#include "widgets/ui_support.h"
#include "widgets/waterfall_picture.h"

#include <QBuffer>
#include <QSettings>

#include <exception>
#include <functional>
#include <optional>

namespace kolmarin {

StartRequest parseStartArguments(const QStringList& arguments) {
    StartRequest request;
    QStringList files;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--report-pdf")) {
            // An empty name would leave the windows open on no screen, waiting for ever.
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                request.usageError = arguments[i] + QStringLiteral(" の後に PDF のファイル名がありません");
            else
                request.reportPath = arguments[++i];
        } else if (arguments[i] == QStringLiteral("--waterfall-png") ||
                   arguments[i] == QStringLiteral("--band") || arguments[i] == QStringLiteral("--delays")) {
            if (i + 1 >= arguments.size()) {
                request.usageError = arguments[i] + QStringLiteral(" の後に値がありません");
            } else if (arguments[i] == QStringLiteral("--delays")) {
                const std::optional<DelayModel> delays = delayModelOfWord(arguments[++i].toStdString());
                if (delays)
                    request.delays = *delays;
                else
                    request.usageError = QStringLiteral("--delays は sample か continuous です");
            } else if (arguments[i] == QStringLiteral("--band")) {
                const QStringList ends = arguments[++i].split(u'-');
                request.waterfallBand =
                    ends.size() == 2 ? Band{ends[0].toInt(), ends[1].toInt()} : Band{0, 0};
                if (!isValidBand(request.waterfallBand))
                    request.usageError = QStringLiteral("--band は 10 から 500 までの LO-HI です");
            } else {
                request.waterfallPath = arguments[++i];
            }
        } else if (arguments[i] != QStringLiteral("--chart-png")) {
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
    if (request.usageError.isEmpty() && request.writesFile() &&
        (request.roomPath.isEmpty() || !request.ignored.isEmpty()))
        request.usageError = QStringLiteral(
            "--chart-png / --waterfall-png / --report-pdf FILE には部屋データファイルを一つ指定します");
    return request;
}

void openStartRoomFile(AppWindows& windows, const QString& path) {
    runCommand(&windows.mainWindow, [&] { windows.mainWindow.openFileAt(path); });
}

namespace {

// Opens the room file in windows never shown on a screen and saves the image `draw` makes
// of them.
int writeImage(const QString& roomPath, const QString& imagePath, DelayModel delays, QStringList& messages,
               const std::function<QByteArray(MainWindow&)>& draw) {
    if (isSameFile(roomPath, imagePath)) {
        messages.append(imagePath +
                        QStringLiteral(": 読み込む部屋データファイルと同じファイルには書き出しません"));
        return 1;
    }
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
    SceneTexts texts = windows.document.texts();
    texts.delays = delays;
    windows.document.setTexts(texts);
    // The first showing lays out the start-up room, as in the program with its window.
    windows.mainWindow.show();
    openStartRoomFile(windows, roomPath);
    setErrorBoxHandler({});
    if (failed)
        return 1;
    try {
        saveFileAtomically(imagePath, draw(windows.mainWindow));
    } catch (const std::exception& e) {
        messages.append(imagePath + QStringLiteral(": ") + QString::fromUtf8(e.what()));
        return 1;
    }
    return 0;
}

} // namespace

int writeChartPng(const QString& roomPath, const QString& imagePath, DelayModel delays,
                  QStringList& messages) {
    return writeImage(roomPath, imagePath, delays, messages,
                      [](MainWindow& window) { return window.chartImage(ChartImageFormat::Png); });
}

int writeWaterfallPng(const QString& roomPath, const QString& imagePath, Band band, DelayModel delays,
                      QStringList& messages) {
    return writeImage(roomPath, imagePath, delays, messages, [&](MainWindow& window) {
        WaterfallSettings settings;
        settings.band = band;
        const WaterfallPicture picture{
            computeWaterfall(impulseResponseOf(window.impulseResponses(), ImpulseCurve::Total), settings,
                             window.impulseResponses().delays),
            WaterfallStyle::Slices, window.windowTitle() + QStringLiteral("   Total")};
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!waterfallImage(picture, QSize(720, 440), 2.0).save(&buffer, "PNG"))
            throw UserError("滝グラフの画像を作れませんでした");
        return bytes;
    });
}

void rememberDelayModel(SceneDocument& document) {
    static const QString key = QStringLiteral("calculation/delays");
    if (const std::optional<DelayModel> saved =
            delayModelOfWord(QSettings().value(key).toString().toStdString())) {
        SceneTexts texts = document.texts();
        texts.delays = *saved;
        document.setTexts(texts);
    }
    QObject::connect(&document, &SceneDocument::applied, &document, [&document] {
        QSettings().setValue(key, QString::fromLatin1(delayModelWord(document.texts().delays)));
    });
}

int writeReportPdf(const QString& roomPath, const QString& pdfPath, DelayModel delays,
                   QStringList& messages) {
    return writeImage(roomPath, pdfPath, delays, messages,
                      [](MainWindow& window) { return window.reportPdf(); });
}

} // namespace kolmarin
