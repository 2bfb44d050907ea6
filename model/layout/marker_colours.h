#pragma once
// The markers' colours, one set for the window's plan and the command line's map picture,
// so a map read beside the window names each marker by the same colour: SP1 black, SP2
// red, the centre and the surrounds green, the listener and the other seats cyan, the
// subwoofers purple.

#include "model/layout/colour_scale.h"

namespace kolmarin {

inline constexpr Rgb kSp1Colour{0, 0, 0};
inline constexpr Rgb kSp2Colour{255, 0, 0};
inline constexpr Rgb kSeatColour{0, 255, 255};
inline constexpr Rgb kSubwooferColour{160, 0, 200};
inline constexpr Rgb kOtherLoudspeakerColour{0, 140, 60};

} // namespace kolmarin
