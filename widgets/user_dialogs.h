#pragma once
// The questions the program puts to the user through the platform's standard dialogs:
// choosing a file, a Yes/No question, and the print dialog. Each can be replaced by a
// handler, so the window tests answer them without a person at the screen.

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace kolmarin {

enum class FileDialogKind { Save, Open };

struct FileDialogRequest {
    QString description;   // the filter's text as the user sees it
    QString pattern;       // the file names it lists, "*.dtr"
    QString proposedName;  // the name the dialog starts with; empty for none
    QString defaultSuffix; // added to a name typed without one; empty for none
};

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

using FileDialogHandler = std::function<QString(QWidget*, FileDialogKind, const FileDialogRequest&)>;
using QuestionHandler = std::function<bool(QWidget*, const QString& caption, const QString& text)>;
using PrintDialogHandler = std::function<bool(QWidget*, QPrinter&)>;
// An empty handler puts the real dialog back.
void setFileDialogHandler(FileDialogHandler handler);
void setQuestionHandler(QuestionHandler handler);
void setPrintDialogHandler(PrintDialogHandler handler);

} // namespace kolmarin
