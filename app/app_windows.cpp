#include "app/app_windows.h"

#include "dialogs/eigenmode_command.h"

namespace kolmarin {

AppWindows::AppWindows()
    : roomSettings(&mainWindow), modeList(roomSettings, &mainWindow),
      axisSettings(mainWindow.chartAxes(), &mainWindow), aboutBox(&mainWindow) {
    mainWindow.setDialogs(&roomSettings, &modeList, &axisSettings, &aboutBox);
    roomSettings.applyScene = [this] { mainWindow.applyScene(); };
    roomSettings.sceneTexts = [this] { return mainWindow.sceneTexts(); };
    roomSettings.writePositionTexts = [this](const SceneTexts& texts) {
        mainWindow.writePositionTexts(texts);
    };
    roomSettings.setMainCaption = [this](const QString& caption) { mainWindow.setWindowTitle(caption); };
    modeList.printer = [this]() -> QPrinter& { return mainWindow.printer(); };
    roomSettings.setModesCommand([this] { computeAndShowEigenmodes(roomSettings, modeList); });
    modeList.modesCommand = [this] { computeAndShowEigenmodes(roomSettings, modeList); };
}

} // namespace kolmarin
