#pragma once
// The one place where a failed user command is reported: every handler runs its work
// through runCommand, which shows a UserError's message in the error box and lets the
// program go on with whatever the command had already changed.

#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace kolmarin {

// Runs `command`; a UserError (or any std::exception) is shown in the error box.
// Returns false when the command failed.
bool runCommand(QWidget* parent, const std::function<void()>& command);

// Shows a message in the error box. Tests replace the box with a recorder.
void showErrorBox(QWidget* parent, const QString& message);
using ErrorBoxHandler = std::function<void(QWidget* parent, const QString& message)>;
void setErrorBoxHandler(ErrorBoxHandler handler); // empty handler: the real message box

// The decimal separator of the current QLocale (the user's locale unless a test set
// another default).
char decimalSeparator();

inline QString toQString(const std::string& utf8) {
    return QString::fromStdString(utf8);
}
inline std::string toStdString(const QString& text) {
    return text.toStdString();
}

} // namespace kolmarin
