#pragma once
// What kolmarin2-cli's map and place commands compute and write.

#include "model/acoustics/placement_search.h"
#include "model/acoustics/response_map.h"
#include "model/acoustics/scene.h"

#include <QByteArray>

#include <string>

namespace kolmarin::cli {

// The scene a room file's texts give the calculation, with its corrections.
Scene calculationScene(const SceneTexts& texts, char decimalSeparator);

// x_m,y_m,spread_db and one row per grid point, y outer and x inner; "nan" where the
// spread is unknown.
QByteArray mapCsv(const ResponseMap& map);

// The placements, the current one's figures after them: a table to read, or the CSV
// rank,sp1_x,sp1_y,sp2_x,sp2_y,listener_x,listener_y,spread_db,robust_db,area_db,angle_deg,
// distance_m. Ranked over every seat, the table says so first, and the CSV's figures are
// seats_db,variation_db,target_db,spread_db,angle_deg,distance_m.
QByteArray placementTable(const SearchResult& result);
QByteArray placementCsv(const SearchResult& result);

// A failure message when a marker stands outside the room (walls included), as the window
// would pull it back; empty when all are inside.
std::string markerOutsideRoom(const Scene& scene);

// The texts of `scene` with the placement's moved markers at their positions in the
// position form, as dragging them there would write them; the seats move with the listener.
SceneTexts textsWithPlacement(SceneTexts texts, const Scene& scene, const Placement& placement, Layout layout,
                              char decimalSeparator);

} // namespace kolmarin::cli
