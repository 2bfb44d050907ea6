#pragma once
// Which seat and which sources a written curve holds. A room file's scene has one answer,
// the listener and the two loudspeakers SP1 and SP2, and its files say nothing more; with
// more loudspeakers, subwoofers, other seats or a crossover the result file and the curve
// text name the seat, the sources summed in the Total and the crossover.

#include "model/acoustics/bass_setup.h"

#include <string>
#include <vector>

namespace kolmarin {

struct CurveSubject {
    int seat = 1;      // 1: the listener
    int seatCount = 1; // the listener and the other seats
    int subwooferCount = 0;
    bool subwoofersOnly = false; // the Total holds the subwoofers alone
    int crossover = 0;           // Hz; 0: none
    DelayModel delays = DelayModel::Sample;
    std::vector<std::string> loudspeakers{"SP1", "SP2"}; // the main loudspeakers' labels

    // Whether anything beyond the room file's scene is in play.
    bool beyondRoomFile() const {
        return seat != 1 || seatCount != 1 || subwooferCount != 0 || subwoofersOnly || crossover != 0 ||
               loudspeakers.size() != 2;
    }
    // The sources summed in the Total: "SP1+SP2+C+SW1+SW2", or "SW1+SW2" for the subwoofers
    // alone ("none" when there are none).
    std::string totalSources() const;
};

CurveSubject curveSubject(const BassSetup& setup, int seat = 1, bool subwoofersOnly = false);

} // namespace kolmarin
