#pragma once
// The program's windows, created in their start-up order and kept for the whole run:
// the main window first, so it becomes the application's main window, then the settings
// dialog, the mode list window, the graph axis dialog and the version box, hidden until
// their menu commands show them.

#include "dialogs/about_box.h"
#include "dialogs/graphset_form.h"
#include "dialogs/mode_form.h"
#include "dialogs/room_form.h"
#include "mainwindow/main_form.h"

namespace kolmarin {

class AppWindows {
  public:
    AppWindows();

    TForm1 form1;
    TroomForm roomForm;
    TmodeForm modeForm;
    TgraphsetForm graphsetForm;
    TAboutBox aboutBox;
};

} // namespace kolmarin
