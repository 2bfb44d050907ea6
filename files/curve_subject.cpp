#include "files/curve_subject.h"

namespace kolmarin {

std::string CurveSubject::totalSources() const {
    std::string names;
    const auto add = [&names](const std::string& name) { names += (names.empty() ? "" : "+") + name; };
    if (!subwoofersOnly)
        for (int i = 1; i <= kLoudspeakerCount; ++i)
            add("SP" + std::to_string(i));
    for (int i = 1; i <= subwooferCount; ++i)
        add("SW" + std::to_string(i));
    return names.empty() ? "none" : names;
}

CurveSubject curveSubject(const BassSetup& setup, int seat, bool subwoofersOnly) {
    return {seat,
            static_cast<int>(setup.texts.seats.size()),
            setup.subwooferCount(),
            subwoofersOnly,
            setup.crossover,
            setup.texts.delays};
}

} // namespace kolmarin
