#pragma once
// The eigenmode command: the room's natural modes up to 200 Hz from the document's three
// room sizes as typed (applied or not), shown in the mode list window. The settings dialog's
// button "固有モード計算" and the main window's menu item "部屋の固有モード(&M)" run it.

namespace kolmarin {

class ModeListWindow;
class SceneDocument;

// Reads the width, depth and height texts as they stand (applied or not), replaces the
// mode list, writes the room size above it and shows the window without making it
// modal. A text that is not a number (a SceneTextError naming it), a zero dimension or a
// room too large for the list throws UserError before the window changes.
void computeAndShowEigenmodes(const SceneDocument& document, ModeListWindow& modeList);

} // namespace kolmarin
