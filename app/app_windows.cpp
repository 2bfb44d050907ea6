#include "app/app_windows.h"

#include "dialogs/eigenmode_command.h"
#include "widgets/ui_support.h"

namespace kolmarin {

AppWindows::AppWindows()
    : document(startupTexts(decimalSeparator()), QStringLiteral("Kolmarin2 部屋.dtr")),
      mainWindow(document, printer), roomSettings(document, &mainWindow),
      modeList(document, printer, &mainWindow), axisSettings(mainWindow.chartAxes(), &mainWindow),
      aboutBox(&mainWindow) {
    mainWindow.setDialogs(&roomSettings, &modeList, &axisSettings, &aboutBox);
    // The modes are computed, and a failure shown, over the window that asked for them.
    const auto modesOver = [this](QWidget* asker) {
        return [this, asker] { runCommand(asker, [this] { computeAndShowEigenmodes(document, modeList); }); };
    };
    QObject::connect(&roomSettings, &RoomSettingsDialog::modesRequested, &roomSettings,
                     modesOver(&roomSettings));
    QObject::connect(&modeList, &ModeListWindow::modesRequested, &modeList, modesOver(&modeList));
}

} // namespace kolmarin
