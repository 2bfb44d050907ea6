#pragma once
// The one place where a failed user command is reported: every handler runs its work
// through runCommand, which shows a UserError's message in the error box and lets the
// program go on with whatever the command had already changed.

#include "model/acoustics/scene.h"
#include "model/errors.h"

#include <QLineEdit>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace kolmarin {

// A text in an edit box that could not be read. Once the user has closed the error box,
// runCommand brings the box's window into view and selects the text, so the user sees
// what to fix.
class BoxTextError : public UserError {
  public:
    BoxTextError(const std::string& message, QLineEdit* box) : UserError(message), box_(box) {}
    QLineEdit* box() const { return box_; }

  private:
    QPointer<QLineEdit> box_;
};

// A box's text read with the decimal or the whole-number parser; a refusal is a
// BoxTextError naming the box.
double readDecimalBox(QLineEdit* box);
std::int32_t readWholeBox(QLineEdit* box);

// The boxes where the room, coefficient and condition texts are typed: the settings dialog
// names them while it lives, so a SceneTextError is shown at its box as a BoxTextError is.
using SceneTextBoxes = std::function<QLineEdit*(SceneText)>;
void setSceneTextBoxes(SceneTextBoxes boxes);

// Runs `command`; a UserError (or any std::exception) is shown in the error box, and the
// box of a BoxTextError or a SceneTextError is shown afterwards. Returns false when the
// command failed.
bool runCommand(QWidget* parent, const std::function<void()>& command);

// A slot that runs `command` through runCommand, the error box over `parent`:
// connect(action, &QAction::triggered, this, commandSlot(this, [this] { saveRoomFile(); }));
template <class Command> auto commandSlot(QWidget* parent, Command command) {
    return [parent, command] { runCommand(parent, command); };
}

// Shows a message in the error box. Tests replace the box with a recorder.
// `detail`, when there is one, is the box's informative text under the message; the
// handler is given the message alone.
void showErrorBox(QWidget* parent, const QString& message, const QString& detail = {});
using ErrorBoxHandler = std::function<void(QWidget* parent, const QString& message)>;
void setErrorBoxHandler(ErrorBoxHandler handler); // empty handler: the real message box

// A message about a file, after the file's path: "PATH: message".
QString fileMessage(const QString& path, const QString& message);

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
