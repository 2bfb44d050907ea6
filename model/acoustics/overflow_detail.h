#pragma once
// What overflowed when a calculation of a scene ends in msg::kOverflow. The message itself
// is fixed; the detail tells the user which of the scene's values took it beyond the range
// of a double, so the box or the command line can say what to change.

#include "model/acoustics/scene.h"
#include "model/errors.h"

#include <string>
#include <utility>

namespace kolmarin {

// In Japanese, one sentence: a reflection coefficient above 1 whose repeated reflections
// take the images' weights beyond a double, a room so large that the squared image
// distances do, a source level beyond it, or else the summed response values.
std::string overflowDetail(const Scene& scene, int seat = 0);

// Runs `work`, a calculation of `scene` at `seat`; an overflow it raises without a detail
// is raised again with overflowDetail. Anything else passes through as it is.
template <class Work> decltype(auto) explainingOverflow(const Scene& scene, int seat, Work&& work) {
    try {
        return std::forward<Work>(work)();
    } catch (const UserError& e) {
        if (e.detail().empty() && std::string_view(e.what()) == msg::kOverflow)
            throw UserError(msg::kOverflow, overflowDetail(scene, seat));
        throw;
    }
}

} // namespace kolmarin
