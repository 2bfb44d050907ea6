#pragma once
// The questions the program puts to the user through the platform's standard dialogs:
// choosing a file, a Yes/No question, and the print dialog. Each can be replaced by a
// handler, so the window tests answer them without a person at the screen.

#include <QList>
#include <QString>

#include <functional>
#include <utility>

class QPrinter;
class QWidget;

namespace kolmarin {

enum class FileDialogKind { Save, Open, Folder }; // Folder: an existing folder, no filter

struct FileFilter {
    QString description; // as the user sees it
    QString pattern;     // the file names it lists, "*.pdf"
};

struct FileDialogRequest {
    QString description;   // the filter's text as the user sees it
    QString pattern;       // the file names it lists, "*.dtr"
    QString proposedName;  // the name the dialog starts with; empty for none
    QString defaultSuffix; // added to a name typed without one; empty for none
    // Filters offered after the first. While one of them is chosen, a name typed without
    // an extension gets that filter's extension instead of the default suffix.
    QList<FileFilter> moreFilters = {};
};

// What the user chose in a file dialog: the file's full path (empty when the user
// cancelled) and the filter chosen, 0 for the first and 1 for the first of moreFilters.
struct FileChoice {
    FileChoice(QString chosenPath = QString(), int chosenFilter = 0)
        : path(std::move(chosenPath)), filter(chosenFilter) {}
    QString path;
    int filter = 0;
};

FileChoice askFileChoice(QWidget* parent, FileDialogKind kind, const FileDialogRequest& request);
// The chosen file's full path, or an empty string when the user cancelled.
QString askFileName(QWidget* parent, FileDialogKind kind, const FileDialogRequest& request);

// A Yes/No message box; true for Yes.
bool askYesNo(QWidget* parent, const QString& caption, const QString& text);

// Whether a save may go on: true when no file `path` exists, or when the user agrees to
// replace it ("警告" / "同一名のファイルが存在します。上書きしてよろしいですか？").
bool mayOverwrite(QWidget* parent, const QString& path);

// The print dialog on `printer`, with its default options; true when the user chose to
// print (the printer then holds the choices).
bool askPrint(QWidget* parent, QPrinter& printer);

// A handler may answer with a path alone, which chooses the first filter.
using FileDialogHandler = std::function<FileChoice(QWidget*, FileDialogKind, const FileDialogRequest&)>;
using QuestionHandler = std::function<bool(QWidget*, const QString& caption, const QString& text)>;
using PrintDialogHandler = std::function<bool(QWidget*, QPrinter&)>;
// An empty handler puts the real dialog back.
void setFileDialogHandler(FileDialogHandler handler);
void setQuestionHandler(QuestionHandler handler);
void setPrintDialogHandler(PrintDialogHandler handler);

} // namespace kolmarin
