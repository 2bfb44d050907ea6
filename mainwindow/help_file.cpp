#include "mainwindow/help_file.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kolmarin {

void openHelpFile(QWidget* owner) {
    openHelpFileIn(owner, QCoreApplication::applicationDirPath());
}

void openHelpFileIn(QWidget* owner, const QString& folder) {
    // The desktop's file handler takes no owner window.
    Q_UNUSED(owner);
    const QString path = QDir(folder).filePath(QStringLiteral("Kolmarin2.chm"));
    // Without the file, a desktop would answer with its own "not found" box; the help
    // command stays silent instead. Whether the desktop managed to open it is not examined.
    if (!QFileInfo(path).isFile())
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace kolmarin
