#include "widgets/user_dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

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

} // namespace

FileChoice askFileChoice(QWidget* parent, FileDialogKind kind, const FileDialogRequest& request) {
    if (fileDialogHandler())
        return fileDialogHandler()(parent, kind, request);
    if (kind == FileDialogKind::Folder)
        return QFileDialog::getExistingDirectory(parent, request.description);
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
    if (!request.proposedName.isEmpty())
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
