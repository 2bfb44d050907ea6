#pragma once
// The steps a user can undo and redo: each the scene's texts and caption before and after
// one committed change, under the name the edit menu shows. Bounded, so a long session
// keeps only its latest steps.

#include "model/acoustics/scene.h"

#include <QString>

#include <cstddef>
#include <deque>

namespace kolmarin {

struct SceneState {
    SceneTexts texts;
    QString caption;
    bool operator==(const SceneState&) const = default;
};

// One committed change, under the name the edit menu shows.
struct SceneStep {
    QString name;
    SceneState before, after;
};

class SceneHistory {
  public:
    static constexpr std::size_t kMaxSteps = 100;

    // A new step; the steps undone before it can no longer be redone.
    void add(const QString& name, const SceneState& before, const SceneState& after);
    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    QString undoName() const { return canUndo() ? steps_[done_ - 1].name : QString(); }
    QString redoName() const { return canRedo() ? steps_[done_].name : QString(); }
    // The step to take back, or to do again; only when canUndo / canRedo.
    const SceneStep& undo();
    const SceneStep& redo();

  private:
    std::deque<SceneStep> steps_;
    std::size_t done_ = 0; // steps_[0, done_) are done, the rest undone
};

} // namespace kolmarin
