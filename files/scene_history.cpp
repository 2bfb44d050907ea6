#include "files/scene_history.h"

namespace kolmarin {

void SceneHistory::add(const QString& name, const SceneState& before, const SceneState& after) {
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(done_), steps_.end());
    steps_.push_back({name, before, after});
    if (steps_.size() > kMaxSteps)
        steps_.pop_front();
    done_ = steps_.size();
}

const SceneStep& SceneHistory::undo() {
    return steps_[--done_];
}

const SceneStep& SceneHistory::redo() {
    return steps_[done_++];
}

} // namespace kolmarin
