#pragma once
// The two print commands of the main window's file menu: the response chart on a
// landscape page with the scene written in its foot, and a picture of the whole window.
// Both ask with the print dialog first; a job that cannot be printed throws UserError.

#include "model/acoustics/scene.h"
#include "model/layout/scene_lines.h"

class QPrinter;
class QWidget;

namespace kolmarin {

class ResponseChart;

// Prints `chart` with the five lines of `texts` in its foot on one landscape page, as the
// job "Chart1", in the page area whose margins follow print_geometry.h. The print dialog
// belongs to `owner`. The printer's orientation and job name are set back afterwards and
// the foot is emptied again, also when the job failed (it is then aborted).
void printGraph(QWidget& owner, ResponseChart& chart, const SceneTexts& texts, QPrinter& printer);

// The same job for a scene with subwoofers or other seats: the chart across the page
// inside margins of print_geometry.h's kScenePageMarginPercent, and `scene` in lines under
// it that fit the page's width; the foot stays empty.
void printGraph(QWidget& owner, ResponseChart& chart, const SceneGroups& scene, QPrinter& printer);

// Sets the printer to landscape before the dialog (so a choice made there wins and stays
// afterwards), then prints `clientArea`, the window's area without its menu bar, at the
// size it has on `window`'s screen, centred on the page.
void printWholeWindow(QWidget& window, QWidget& clientArea, QPrinter& printer);

} // namespace kolmarin
