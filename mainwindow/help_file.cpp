#include "mainwindow/help_file.h"

#include "model/errors.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kolmarin {

QString helpFileFor(const QString& programFolder, const QString& buildTreeManual) {
    const QDir folder(programFolder);
    const QString candidates[]{
        folder.filePath(QStringLiteral("Kolmarin2.chm")),
        folder.filePath(QStringLiteral("../share/doc/kolmarin2/manual/ja/index.html")),
        buildTreeManual,
    };
    // A folder of the file's name is no help file.
    for (const QString& path : candidates)
        if (!path.isEmpty() && QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    return QString();
}

void openHelpFile(QWidget* owner) {
    openHelpFileIn(owner, QCoreApplication::applicationDirPath(), QStringLiteral(KOLMARIN_SOURCE_MANUAL));
}

void openHelpFileIn(QWidget* owner, const QString& folder, const QString& buildTreeManual,
                    const std::function<bool(const QUrl&)>& open) {
    // The desktop's file handler takes no owner window.
    Q_UNUSED(owner);
    // Without a file, a desktop would answer with its own "not found" box; the help
    // command stays silent instead.
    const QString path = helpFileFor(folder, buildTreeManual);
    if (path.isEmpty())
        return;
    const QUrl url = QUrl::fromLocalFile(path);
    // Qt reports a missing launcher (xdg-open, a browser) only on stderr and with false.
    if (!(open ? open(url) : QDesktopServices::openUrl(url)))
        throw UserError(QStringLiteral("ヘルプを開くプログラム (ブラウザーなど) が見つかりません。\n"
                                       "次のファイルをブラウザーで開いてください:\n%1")
                            .arg(QDir::toNativeSeparators(path))
                            .toStdString());
}

} // namespace kolmarin
