#include "model/acoustics/amplifying_surfaces.h"

#include "model/errors.h"
#include "model/text/number_text.h"

#include <cmath>
#include <utility>

namespace kolmarin {

std::vector<std::string> amplifyingSurfaces(const SceneTexts& texts, char decimalSeparator) {
    const std::pair<const char*, const std::string*> surfaces[]{
        {"前の壁", &texts.reflFront}, {"後ろの壁", &texts.reflBack}, {"右の壁", &texts.reflRight},
        {"左の壁", &texts.reflLeft},  {"床", &texts.reflFloor},      {"天井", &texts.reflCeiling}};
    std::vector<std::string> out;
    for (const auto& [surface, text] : surfaces) {
        try {
            if (std::fabs(parseDecimal(*text, decimalSeparator)) > 1.0)
                out.push_back(std::string(surface) + "の反射率 " + *text +
                              " は 1 を超えるため、反射のたびに音が大きくなります");
        } catch (const UserError&) {
        }
    }
    return out;
}

} // namespace kolmarin
