#include "dialogs/eigenmode_command.h"

#include "dialogs/mode_list_window.h"
#include "dialogs/room_settings_dialog.h"
#include "model/eigenmodes.h"
#include "model/number_text.h"
#include "widgets/busy_cursor.h"
#include "widgets/ui_support.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace kolmarin {

void computeAndShowEigenmodes(const RoomSettingsDialog& room, ModeListWindow& modeList) {
    BusyCursor busy;
    const char separator = decimalSeparator();
    const QString width = room.roomWidthBox->text();
    const QString depth = room.roomDepthBox->text();
    const QString height = room.roomHeightBox->text();
    // Read one after the other, so the first text that is not a number is the one named.
    const double w = readDecimalBox(room.roomWidthBox);
    const double d = readDecimalBox(room.roomDepthBox);
    const double h = readDecimalBox(room.roomHeightBox);
    const ModeTable table = computeModeTable(w, d, h, separator);

    modeList.setModeTable(table);
    modeList.roomSizeCaption->setText(QStringLiteral("幅：") + width + QStringLiteral("m 奥行：") + depth +
                                      QStringLiteral("m 高さ：") + height + QStringLiteral("m"));
    modeList.show();
    modeList.raise();
    modeList.activateWindow();
}

} // namespace kolmarin
