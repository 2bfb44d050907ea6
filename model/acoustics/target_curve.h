#pragma once
// The curve the seats' mean response is held to below the crossover: flat; a house curve
// rising by `riseDb` from `cornerHz` down to 20 Hz, straight on a log-frequency axis; or a
// curve of the user's own (frequency, level) points, read between them on a log-frequency
// axis and held at its ends.

#include <string>
#include <utility>
#include <vector>

namespace kolmarin {

struct TargetCurve {
    enum class Kind { Flat, House, Own };
    Kind kind = Kind::Flat;
    double riseDb = 6.0;
    double cornerHz = 60.0;
    std::vector<std::pair<double, double>> points; // Own: (Hz, dB), frequencies rising
};

// The target's level at `hz`, in dB.
double targetDb(const TargetCurve& target, double hz);

// "flat", "house" (+6 dB from 60 Hz) or "house:DB@HZ" ("house:8@80"); anything else, a rise
// outside 0–20 dB or a corner outside 21–500 Hz is a UserError naming the text.
TargetCurve parseTargetText(const std::string& text);

} // namespace kolmarin
