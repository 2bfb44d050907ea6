#pragma once
// Qt's messages for the commands that draw without a window.

namespace kolmarin {

// Qt's notes about the desktop session it finds are no concern of whoever asked for an
// image or a table, so they are dropped. A fatal message is not: Qt ends the program right
// after it, and without it the user would see only an exit code. It goes to stderr after
// `program: `, which must outlive the program's run.
void keepOnlyFatalQtMessages(const char* program);

} // namespace kolmarin
