#include "cli/chart_program.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>

namespace kolmarin::cli {

namespace {

// Installed, both programs share one folder; in a build folder each has its own, side by
// side (cli/ and app/).
QString chartProgram() {
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {here.filePath(QStringLiteral("kolmarin2")), here.filePath(QStringLiteral("../app/kolmarin2"))})
        if (QFileInfo(candidate).isExecutable())
            return QDir::cleanPath(candidate);
    return QString();
}

void printMessage(const QString& message) {
    const QByteArray bytes = (QStringLiteral("kolmarin2-cli: ") + message + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

// Runs the program with `option PNG [extra...] ROOM`.
int runPictureProgram(const QString& option, const QString& roomPath, const QString& pngPath,
                      const QStringList& extra) {
    const QString program = chartProgram();
    if (program.isEmpty()) {
        printMessage(QStringLiteral("グラフを描く kolmarin2 が ") + QCoreApplication::applicationDirPath() +
                     QStringLiteral(" にありません"));
        return 1;
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    // Absolute paths start with "/", so the program's Qt never takes a file named like
    // one of its options (-reverse, -style) for that option.
    process.start(program, QStringList{option, QFileInfo(pngPath).absoluteFilePath()}
                               << extra << QFileInfo(roomPath).absoluteFilePath());
    if (!process.waitForStarted(-1)) {
        printMessage(program + QStringLiteral(" を起動できません: ") + process.errorString());
        return 1;
    }
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit) {
        printMessage(QStringLiteral("グラフを描く ") + program + QStringLiteral(" が異常終了しました"));
        return 1;
    }
    return process.exitCode();
}

} // namespace

int writeChartPngWithProgram(const QString& roomPath, const QString& pngPath, const QString& delays) {
    return runPictureProgram(QStringLiteral("--chart-png"), roomPath, pngPath,
                             {QStringLiteral("--delays"), delays});
}

int writeWaterfallPngWithProgram(const QString& roomPath, const QString& pngPath, const QString& band,
                                 const QString& delays) {
    return runPictureProgram(QStringLiteral("--waterfall-png"), roomPath, pngPath,
                             {QStringLiteral("--band"), band, QStringLiteral("--delays"), delays});
}

int writeReportPdfWithProgram(const QString& setupPath, const QString& pdfPath) {
    return runPictureProgram(QStringLiteral("--report-pdf"), setupPath, pdfPath, {});
}

} // namespace kolmarin::cli
