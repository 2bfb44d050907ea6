#pragma once
// The room's natural modes up to 200 Hz: f = 172 * sqrt((nx/W)^2 + (ny/D)^2 + (nz/H)^2),
// 172 being half the speed of sound. The ModeTable holds them as the texts the mode list
// shows and saves: a header row, then one row per mode sorted by frequency.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace kolmarin {

using ModeRow = std::array<std::string, 5>; // No, nx, ny, nz, frequency

struct ModeTable {
    std::vector<ModeRow> rows; // rows[0] is the header
    // Empty unless the decay times were asked for: then a title and one cell per mode,
    // shown and saved as a sixth column (see modeDecayColumn).
    std::vector<std::string> decay = {};
};

inline constexpr double kHighestModeFrequency = 200.0;
inline constexpr std::size_t kMaxModeCount = 100000;

const ModeRow& modeTableHeader(); // "No", "モード(幅)", "モード(奥行)", "モード(高さ)", "  周波数"

// Every mode at or below 200 Hz of a room W x D x H metres (signs ignored), frequencies
// written with the given decimal separator, as the user's locale writes them. Throws
// UserError("不正な浮動小数点数演算命令") for a zero dimension, and a UserError explaining
// the limit when the room is so large that the list would exceed kMaxModeCount modes.
ModeTable computeModeTable(double width, double depth, double height, char decimalSeparator = '.');

} // namespace kolmarin
