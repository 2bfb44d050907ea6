#include "widgets/recent_files_menu.h"

#include "files/file_errors.h"
#include "model/errors.h"
#include "widgets/ui_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace kolmarin {

namespace {

constexpr char kSettingsKey[] = "recentFiles";

// A path as the list keeps it, so the same file reached by two relative paths is one entry.
QString listed(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

// The settings are filed under the program's organisation name, which only the window
// program sets: a run that only writes an image keeps nothing.
bool settingsKept() {
    return !QCoreApplication::organizationName().isEmpty();
}

} // namespace

RecentFilesMenu::RecentFilesMenu(QWidget* parent) : QMenu(QStringLiteral("最近使ったファイル(&R)"), parent) {
    setObjectName(QStringLiteral("recentFilesMenu"));
    load();
    rebuild();
}

// Another running copy of the program may have added files since this one started; the
// list it stored is the one to add to.
void RecentFilesMenu::load() {
    if (settingsKept())
        files_ = QSettings().value(kSettingsKey).toStringList().mid(0, kMaximum);
}

void RecentFilesMenu::store() const {
    if (settingsKept())
        QSettings().setValue(kSettingsKey, files_);
}

void RecentFilesMenu::remember(const QString& path) {
    load();
    const QString file = listed(path);
    files_.removeAll(file);
    files_.prepend(file);
    files_ = files_.mid(0, kMaximum);
    store();
    rebuild();
}

void RecentFilesMenu::choose(const QString& path) {
    if (!QFileInfo::exists(path)) {
        load();
        files_.removeAll(path);
        store();
        rebuild();
        throw UserError(
            toStdString(fileMessage(QDir::toNativeSeparators(path),
                                    QString::fromUtf8(msg::kFileNotFound) +
                                        QStringLiteral("\n最近使ったファイルの一覧から外しました。"))));
    }
    emit fileChosen(path);
}

void RecentFilesMenu::rebuild() {
    clear();
    for (int i = 0; i < files_.size(); ++i) {
        const QString& path = files_[i];
        // The number is the entry's access key; an ampersand in a name is shown as it is.
        QString text = QDir::toNativeSeparators(path);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* entry = addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(text));
        QWidget* errorOwner = parentWidget() ? parentWidget() : this;
        connect(entry, &QAction::triggered, this, commandSlot(errorOwner, [this, path] { choose(path); }));
    }
    menuAction()->setEnabled(!files_.isEmpty());
}

} // namespace kolmarin
