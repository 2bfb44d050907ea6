#include "dialogs/eigenmode_command.h"

#include "dialogs/mode_form.h"
#include "dialogs/room_form.h"
#include "mainwindow/busy_cursor.h"
#include "mainwindow/ui_support.h"
#include "model/acoustics/eigenmodes.h"
#include "model/acoustics/number_text.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace kolmarin {

void computeAndShowEigenmodes(const TroomForm& room, TmodeForm& modeForm) {
    BusyCursor busy;
    const char separator = decimalSeparator();
    const QString width = room.EditRoomW->text();
    const QString depth = room.EditRoomD->text();
    const QString height = room.EditRoomH->text();
    // Read one after the other, so the first text that is not a number is the one named.
    const double w = readDecimalBox(room.EditRoomW);
    const double d = readDecimalBox(room.EditRoomD);
    const double h = readDecimalBox(room.EditRoomH);
    const ModeTable table = computeModeTable(w, d, h, separator);

    modeForm.setModeTable(table);
    modeForm.Label2->setText(QStringLiteral("幅：") + width + QStringLiteral("m 奥行：") + depth +
                             QStringLiteral("m 高さ：") + height + QStringLiteral("m"));
    modeForm.show();
    modeForm.raise();
    modeForm.activateWindow();
}

} // namespace kolmarin
