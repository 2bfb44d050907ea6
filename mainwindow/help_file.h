#pragma once
// The help command: the help file Kolmarin2.chm from the program's own folder, opened with
// whatever the desktop uses for such files, or else the Japanese manual in the desktop's
// browser.

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace kolmarin {

// The file the help command opens for a program in `programFolder`: Kolmarin2.chm there;
// else the manual where `cmake --install` and the package put it,
// <programFolder>/../share/doc/kolmarin2/manual/ja/index.html; else `buildTreeManual`,
// the source tree's manual for a program run from its build folder. Empty when none of
// them is there.
QString helpFileFor(const QString& programFolder, const QString& buildTreeManual);

// Opens the help file of the running program. Without any, nothing visible happens; when
// the desktop has nothing to open it with (no browser, no launcher), a UserError says so
// and names the file, so the user can open it by hand.
void openHelpFile(QWidget* owner);

// The same for a program in `folder`, with the source tree's manual as the last resort,
// handing the file to `open` (the desktop's handler unless a test gives its own).
void openHelpFileIn(QWidget* owner, const QString& folder, const QString& buildTreeManual = QString(),
                    const std::function<bool(const QUrl&)>& open = {});

} // namespace kolmarin
