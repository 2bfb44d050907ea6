#include "app/app_windows.h"

#include "dialogs/eigenmode_command.h"
#include "widgets/ui_support.h"

namespace kolmarin {

AppWindows::AppWindows()
    : document(startupTexts(decimalSeparator()), QStringLiteral("Kolmarin2 部屋.dtr")), mainWindow(document),
      roomSettings(document, &mainWindow), modeList(roomSettings, &mainWindow),
      axisSettings(mainWindow.chartAxes(), &mainWindow), aboutBox(&mainWindow) {
    mainWindow.setDialogs(&roomSettings, &modeList, &axisSettings, &aboutBox);
    modeList.printer = [this]() -> QPrinter& { return mainWindow.printer(); };
    roomSettings.setModesCommand([this] { computeAndShowEigenmodes(document, roomSettings, modeList); });
    modeList.modesCommand = [this] { computeAndShowEigenmodes(document, roomSettings, modeList); };
}

} // namespace kolmarin
