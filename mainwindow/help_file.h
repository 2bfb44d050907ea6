#pragma once
// The help command: the help file Kolmarin2.chm from the program's own folder, opened with
// whatever the desktop uses for such files.

#include <QString>

class QWidget;

namespace kolmarin {

// Opens Kolmarin2.chm from the folder of the running program. A missing file, or one the
// desktop cannot open, does nothing visible.
void openHelpFile(QWidget* owner);

// The same with the help file looked for in `folder`.
void openHelpFileIn(QWidget* owner, const QString& folder);

} // namespace kolmarin
