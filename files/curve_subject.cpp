#include "files/curve_subject.h"

namespace kolmarin {

std::string CurveSubject::totalSources() const {
    std::string names;
    const auto add = [&names](const std::string& name) { names += (names.empty() ? "" : "+") + name; };
    if (!subwoofersOnly)
        for (const std::string& label : loudspeakers)
            add(label);
    for (int i = 1; i <= subwooferCount; ++i)
        add("SW" + std::to_string(i));
    return names.empty() ? "none" : names;
}

CurveSubject curveSubject(const BassSetup& setup, int seat, bool subwoofersOnly) {
    CurveSubject subject{seat,
                         static_cast<int>(setup.texts.seats.size()),
                         setup.subwooferCount(),
                         subwoofersOnly,
                         setup.crossover,
                         setup.texts.delays,
                         {}};
    for (const Loudspeaker& speaker : setup.loudspeakers)
        subject.loudspeakers.push_back(loudspeakerLabel(speaker.role));
    return subject;
}

} // namespace kolmarin
