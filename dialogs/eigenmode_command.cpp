#include "dialogs/eigenmode_command.h"

#include "dialogs/mode_list_window.h"
#include "dialogs/room_settings_dialog.h"
#include "model/acoustics/bass_setup.h"
#include "model/acoustics/decay.h"
#include "model/acoustics/eigenmodes.h"
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
    // The decay at the listener needs the whole scene: the room as typed with the
    // loudspeakers, the subwoofers and the listener where they stand, through the crossover.
    if (modeList.showsDecayTimes())
        table.decay =
            modeDecayColumn(table, totalImpulseAt(setupScene(document.setup(), separator), 0), separator);

    modeList.setModeTable(table);
    modeList.setRoomSizeCaption(QStringLiteral("幅：") + toQString(texts.width) + QStringLiteral("m 奥行：") +
                                toQString(texts.depth) + QStringLiteral("m 高さ：") +
                                toQString(texts.height) + QStringLiteral("m"));
    modeList.show();
    modeList.raise();
    modeList.activateWindow();
}

} // namespace kolmarin
