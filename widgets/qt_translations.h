#pragma once
// Qt's own Japanese texts: the buttons and labels of the standard dialogs (file, print,
// question) read in Japanese like the rest of the program, whatever the desktop's language.

namespace kolmarin {

// Loads Qt's Japanese translations from Qt's translations folder into the running
// application. Returns false when they are not installed; the dialogs then stay in
// Qt's English.
bool installJapaneseQtTranslations();

} // namespace kolmarin
