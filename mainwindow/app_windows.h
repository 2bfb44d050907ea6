#pragma once
// The program's windows, created in their start-up order and kept for the whole run:
// the main window first, so it becomes the application's main window, then the settings
// dialog and the graph axis dialog, hidden until their menu commands show them.

#include "dialogs/room_form.h"
#include "mainwindow/graphset_form.h"
#include "mainwindow/main_form.h"

namespace kolmarin {

class AppWindows {
  public:
    AppWindows();

    TForm1 form1;
    TroomForm roomForm;
    TgraphsetForm graphsetForm;
};

} // namespace kolmarin
