#pragma once
// The steps a user can undo and redo: each the scene's texts, its setup's other main
// loudspeakers, subwoofers, other seats and crossover, and the caption before and after one committed change,
// under the name the edit menu shows. Bounded, so a long session keeps only its latest steps.

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/scene.h"

#include <QString>

#include <cstddef>
#include <deque>
#include <vector>

namespace kolmarin {

// What a setup adds to the room file's scene; all empty (and no crossover) without one.
struct SetupExtras {
    std::vector<Loudspeaker> loudspeakers;           // every main loudspeaker; empty for SP1 and SP2, small
    std::vector<PositionTexts> loudspeakerPositions; // the main loudspeakers' after SP1 and SP2
    std::vector<PositionTexts> subwooferPositions;   // the sources after the main loudspeakers
    std::vector<SubwooferSignal> subwoofers;
    std::vector<PositionTexts> seats; // after the listener
    int crossover = 0;
    std::vector<PeakingFilter> subwooferEq;
    bool operator==(const SetupExtras&) const = default;
};

struct SceneState {
    SceneTexts texts; // the room, SP1, SP2 and the listener
    QString caption;
    SetupExtras extras;
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
