#pragma once
// The scene document and the program's windows, which show it, created in their start-up
// order and kept for the whole run: the document first, then the main window, so it
// becomes the application's main window, then the settings
// dialog, the mode list window, the graph axis dialog and the version box, hidden until
// their menu commands show them.

#include "dialogs/about_box.h"
#include "dialogs/axis_settings_dialog.h"
#include "dialogs/mode_list_window.h"
#include "dialogs/room_settings_dialog.h"
#include "mainwindow/main_window.h"
#include "printing/shared_printer.h"

namespace kolmarin {

class AppWindows {
  public:
    AppWindows();

    SceneDocument document;
    SharedPrinter printer;
    MainWindow mainWindow;
    RoomSettingsDialog roomSettings;
    ModeListWindow modeList;
    AxisSettingsDialog axisSettings;
    AboutBox aboutBox;
};

} // namespace kolmarin
