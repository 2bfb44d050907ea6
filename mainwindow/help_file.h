#pragma once
// The help command: the help file Kolmarin2.chm from the program's own folder, opened with
// whatever the desktop uses for such files, or else the Japanese manual in the desktop's
// browser.

#include <QString>

class QWidget;

namespace kolmarin {

// The file the help command opens for a program in `programFolder`: Kolmarin2.chm there;
// else the manual where `cmake --install` and the package put it,
// <programFolder>/../share/doc/kolmarin2/manual/ja/index.html; else `buildTreeManual`,
// the source tree's manual for a program run from its build folder. Empty when none of
// them is there.
QString helpFileFor(const QString& programFolder, const QString& buildTreeManual);

// Opens the help file of the running program. Without any, nothing visible happens.
void openHelpFile(QWidget* owner);

// The same for a program in `folder`, with the source tree's manual as the last resort.
void openHelpFileIn(QWidget* owner, const QString& folder, const QString& buildTreeManual = QString());

} // namespace kolmarin
