#pragma once
// The room plan of the main window: a floor plan seen from above, scaled to fit a
// 305 × 417 pixel area with the left wall on the left and the front wall at the top,
// and the arithmetic that ties metres to marker pixels, to height-slider positions and
// to the nudge keys. Pixels are client pixels of the main window.

#include "model/acoustics/scene.h"

#include <array>
#include <optional>

namespace kolmarin {

inline constexpr int kPlanLeft = 696;
inline constexpr int kPlanTop = 32;
inline constexpr int kPlanMaxWidth = 305;
inline constexpr int kPlanMaxHeight = 417;
inline constexpr int kMarkerSize = 15;
// A marker's reference point lies this far right of and below its top-left corner.
inline constexpr int kMarkerHalf = kMarkerSize / 2;
// Height sliders run from 0 (ceiling) to 100 (floor).
inline constexpr int kSliderMax = 100;

struct PixelPoint {
    int left = 0;
    int top = 0;
    bool operator==(const PixelPoint&) const = default;
};

struct PlanRect {
    int left = kPlanLeft;
    int top = kPlanTop;
    int width = kPlanMaxWidth;
    int height = kPlanMaxHeight;
    bool operator==(const PlanRect&) const = default;
};

struct PlanPosition {
    double x = 0; // from the left wall, metres
    double y = 0; // from the front wall
};

// Nearest integer, halves to the even neighbour. A value that is not finite or lies
// beyond the int range raises "不正な浮動小数点数演算命令".
int roundHalfEven(double value);

// The plan keeps the room's proportions inside 305 × 417: a room at least as deep,
// relative to its width, as the area fills the full height, any other the full width.
// Never less than one pixel either way, so a very slender room still maps both ways.
PlanRect planRectFor(double width, double depth);

// Positions of the nine thin lines that divide `extent` pixels into tenths.
std::array<int, 9> planTenths(int extent);

PixelPoint toMarkerCorner(const PlanRect& plan, double width, double depth, PlanPosition position);
PlanPosition fromMarkerCorner(const PlanRect& plan, double width, double depth, PixelPoint corner);
// Its two halves: x from the corner's left edge and the width, y from its top and the depth.
double markerX(const PlanRect& plan, double width, int left);
double markerY(const PlanRect& plan, double depth, int top);

// Slider position for height z, limited to the slider's 0..100.
int toSliderPosition(double z, double height);
// The height a slider position stands for: the slider rule.
double fromSliderPosition(int position, double height);

// Positions lying beyond a wall of a smaller room come back in: loudspeakers to the left
// wall (SP1) or right wall (SP2) and to the front wall, the listener to the middle of the
// width and to the back wall, every object to the ceiling. A coordinate equal to its limit
// and a negative one stay. Only the changed coordinates are set.
enum class PlacedObject { SP1, SP2, Listener };
struct PulledBack {
    std::optional<double> x, y, z;
};
PulledBack pullBackIntoRoom(PlacedObject object, const Point3& position, double width, double depth,
                            double height);

// The corner a dragged marker moves to when the pointer stands at `pointer` (relative to
// the marker's corner) and the press grabbed it at `grabPoint`. The reference point stays
// inside the plan, edges included; while the pointer is beyond a wall the marker rests
// against it and keeps its other coordinate.
PixelPoint dragMarker(const PlanRect& plan, PixelPoint corner, PixelPoint pointer, PixelPoint grabPoint);

// Where the name of a marker (a subwoofer's "SW1", a seat's number) of `nameWidth` ×
// `nameHeight` pixels goes: right of the marker, or left of it where it would cross the
// right wall; a little above the marker's top, but never across the front or back wall.
PixelPoint markerNameCorner(const PlanRect& plan, PixelPoint markerCorner, int nameWidth, int nameHeight);

// The six nudge keys: arrows move across the plan, D lowers and U raises.
enum class NudgeKey { Left, Up, Right, Down, Lower, Raise };
enum class Coordinate { X, Y, Z };
Coordinate nudgedCoordinate(NudgeKey key);

// One nudge of `value` by 0.1 m, or 0.01 m when `fine`, computed in extended precision.
// A step below 0 gives exactly 0; a step beyond `limit` (the room dimension along that
// coordinate) gives the limit itself.
// Whether the key raises its coordinate toward the room's limit (Right, Down, Raise).
bool nudgeRaises(NudgeKey key);
long double nudge(double value, NudgeKey key, bool fine, double limit);

} // namespace kolmarin
