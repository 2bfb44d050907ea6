#pragma once
// The eigenmode command: the room's natural modes up to 200 Hz from the three dimension
// boxes of the settings dialog, shown in the mode list window. The settings dialog's
// button "固有モード計算" and the main window's menu item "部屋の固有モード(&M)" run it.

namespace kolmarin {

class ModeListWindow;
class RoomSettingsDialog;
class SceneDocument;

// Reads the width, depth and height texts as they stand (applied or not), replaces the
// mode list, writes the room size above it and shows the window without making it
// modal. A text that is not a number (named by its box in `room`), a zero dimension or a
// room too large for the list throws UserError before the window changes.
void computeAndShowEigenmodes(const SceneDocument& document, const RoomSettingsDialog& room,
                              ModeListWindow& modeList);

} // namespace kolmarin
