#include "dialogs/eigenmode_command.h"

#include "dialogs/mode_list_window.h"
#include "dialogs/room_settings_dialog.h"
#include "model/acoustics/eigenmodes.h"
#include "model/acoustics/mode_decay.h"
#include "model/text/number_text.h"
#include "widgets/busy_cursor.h"
#include "widgets/ui_support.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace kolmarin {

void computeAndShowEigenmodes(const SceneDocument& document, const RoomSettingsDialog& room,
                              ModeListWindow& modeList) {
    BusyCursor busy;
    const char separator = decimalSeparator();
    const SceneTexts& texts = document.texts();
    // Read one after the other, so the first text that is not a number is the one named.
    const double w = room.dimension(Coordinate::X);
    const double d = room.dimension(Coordinate::Y);
    const double h = room.dimension(Coordinate::Z);
    ModeTable table = computeModeTable(w, d, h, separator);
    // A mode's decay needs the walls' reflection coefficients besides the sizes it was
    // listed for; the scene is read whole, so a text the calculation refuses is named.
    if (modeList.showsDecayTimes()) {
        Scene scene = readCalculationScene(texts, separator, nullptr);
        scene.width = w, scene.depth = d, scene.height = h;
        table.decay = modeDecayColumn(table, scene, separator);
    }

    modeList.setModeTable(table);
    modeList.setRoomSizeCaption(QStringLiteral("幅：") + toQString(texts.width) + QStringLiteral("m 奥行：") +
                                toQString(texts.depth) + QStringLiteral("m 高さ：") +
                                toQString(texts.height) + QStringLiteral("m"));
    modeList.show();
    modeList.raise();
    modeList.activateWindow();
}

} // namespace kolmarin
