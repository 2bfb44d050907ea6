#include "dialogs/eigenmode_command.h"

#include "dialogs/mode_list_window.h"
#include "files/scene_document.h"
#include "model/acoustics/eigenmodes.h"
#include "model/acoustics/mode_decay.h"
#include "model/text/number_text.h"
#include "widgets/busy_cursor.h"
#include "widgets/ui_support.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace kolmarin {

void computeAndShowEigenmodes(const SceneDocument& document, ModeListWindow& modeList) {
    BusyCursor busy;
    const char separator = decimalSeparator();
    const SceneTexts& texts = document.texts();
    // Read one after the other, so the first text that is not a number is the one named.
    const double w = readRoomSize(texts, &SceneTexts::width, separator);
    const double d = readRoomSize(texts, &SceneTexts::depth, separator);
    const double h = readRoomSize(texts, &SceneTexts::height, separator);
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
