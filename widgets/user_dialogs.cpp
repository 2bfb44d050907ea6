#include "widgets/user_dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>

#include <algorithm>

namespace kolmarin {

namespace {

FileDialogHandler& fileDialogHandler() {
    static FileDialogHandler handler;
    return handler;
}
QuestionHandler& questionHandler() {
    static QuestionHandler handler;
    return handler;
}
PrintDialogHandler& printDialogHandler() {
    static PrintDialogHandler handler;
    return handler;
}

} // namespace

namespace {

QString filterText(const QString& description, const QString& pattern) {
    return description + QStringLiteral(" (") + pattern + QStringLiteral(")");
}

// The folder each kind of file was last chosen in, the kind being its pattern ("*.dtr":
// room files, opened or saved) or a folder itself. It is kept in the user's settings
// beside the recent files, so the next run starts there too; a run without the window
// program's organisation name (an image written from the command line) keeps it only
// while it runs.
QString folderKey(FileDialogKind kind, const FileDialogRequest& request) {
    return QStringLiteral("lastFolders/") +
           (kind == FileDialogKind::Folder ? QStringLiteral("folder") : request.pattern.section(u'.', -1));
}

QHash<QString, QString>& foldersThisRun() {
    static QHash<QString, QString> folders;
    return folders;
}

bool settingsKept() {
    return !QCoreApplication::organizationName().isEmpty();
}

QString lastFolder(const QString& key) {
    const QString folder = settingsKept() ? QSettings().value(key).toString() : foldersThisRun().value(key);
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void rememberFolder(const QString& key, const QString& chosen, FileDialogKind kind) {
    const QFileInfo info(chosen);
    const QString folder = kind == FileDialogKind::Folder ? info.absoluteFilePath() : info.absolutePath();
    foldersThisRun().insert(key, folder);
    if (settingsKept())
        QSettings().setValue(key, folder);
}

// A dialog with nothing to propose starts in the folder last used for its kind of file,
// and a name proposed without a folder ("data.dat") is proposed in it; a name chosen
// earlier in the same dialog keeps its own folder.
FileDialogRequest startingInLastFolder(FileDialogRequest request, const QString& key) {
    const QString folder = lastFolder(key);
    if (folder.isEmpty())
        return request;
    if (request.proposedName.isEmpty())
        request.proposedName = folder;
    else if (QFileInfo(request.proposedName).isRelative())
        request.proposedName = QDir(folder).filePath(request.proposedName);
    return request;
}

FileChoice askPlatformDialog(QWidget* parent, FileDialogKind kind, const FileDialogRequest& request);

} // namespace

FileChoice askFileChoice(QWidget* parent, FileDialogKind kind, const FileDialogRequest& asked) {
    const QString key = folderKey(kind, asked);
    const FileDialogRequest request = startingInLastFolder(asked, key);
    const FileChoice choice = fileDialogHandler() ? fileDialogHandler()(parent, kind, request)
                                                  : askPlatformDialog(parent, kind, request);
    if (!choice.path.isEmpty())
        rememberFolder(key, choice.path, kind);
    return choice;
}

namespace {

FileChoice askPlatformDialog(QWidget* parent, FileDialogKind kind, const FileDialogRequest& request) {
    if (kind == FileDialogKind::Folder)
        return QFileDialog::getExistingDirectory(parent, request.description, request.proposedName);
    QFileDialog dialog(parent);
    const bool saving = kind == FileDialogKind::Save;
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The replace question is the program's own, asked after the dialog closes.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // Qt reads the patterns from the last parentheses of the filter text and, with the
    // details hidden, shows the user the description alone.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    QStringList filters{filterText(request.description, request.pattern)};
    QStringList descriptions{request.description};
    QStringList suffixes{request.defaultSuffix};
    for (const FileFilter& filter : request.moreFilters) {
        filters.append(filterText(filter.description, filter.pattern));
        descriptions.append(filter.description);
        suffixes.append(filter.pattern.section(u'.', -1)); // "*.pdf": pdf
    }
    dialog.setNameFilters(filters);
    // With several filters the extension depends on the one chosen, so it is added below.
    const bool several = filters.size() > 1;
    dialog.setDefaultSuffix(several ? QString() : request.defaultSuffix);
    if (QFileInfo(request.proposedName).isDir())
        dialog.setDirectory(request.proposedName);
    else if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return FileChoice();
    // With the details hidden, Qt's own dialog names the chosen filter by its description.
    const QString selected = dialog.selectedNameFilter();
    const int filter = static_cast<int>(std::max(filters.indexOf(selected), descriptions.indexOf(selected)));
    QString path = dialog.selectedFiles().constFirst();
    // A name typed without an extension gets the one of the filter chosen.
    if (several && filter >= 0 && QFileInfo(path).suffix().isEmpty() && !suffixes[filter].isEmpty())
        path += QLatin1Char('.') + suffixes[filter];
    return FileChoice(path, std::max(0, filter));
}

} // namespace

QString askFileName(QWidget* parent, FileDialogKind kind, const FileDialogRequest& request) {
    return askFileChoice(parent, kind, request).path;
}

bool askYesNo(QWidget* parent, const QString& caption, const QString& text) {
    if (questionHandler())
        return questionHandler()(parent, caption, text);
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

bool mayOverwrite(QWidget* parent, const QString& path) {
    // A folder of that name is no file to replace: the save itself then reports it.
    const QFileInfo existing(path);
    if (!existing.exists() || existing.isDir())
        return true;
    return askYesNo(parent, QStringLiteral("警告"),
                    QStringLiteral("同一名のファイルが存在します。上書きしてよろしいですか？"));
}

bool askPrint(QWidget* parent, QPrinter& printer) {
    if (printDialogHandler())
        return printDialogHandler()(parent, printer);
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void setFileDialogHandler(FileDialogHandler handler) {
    fileDialogHandler() = std::move(handler);
}
void setQuestionHandler(QuestionHandler handler) {
    questionHandler() = std::move(handler);
}
void setPrintDialogHandler(PrintDialogHandler handler) {
    printDialogHandler() = std::move(handler);
}

} // namespace kolmarin
