#pragma once
// The scene the windows show: the texts of the room, the coefficients, the conditions and
// the positions, the subwoofers, other seats and crossover of a setup, the caption that
// names the room or setup file, and the result of the latest calculation. The windows are
// views of it: they write what the user changes into it and show what it tells them has
// changed or been calculated. Every calculation reads a copy of its texts in the window
// thread, so a value typed into the dialog counts for the next calculation even before
// Apply, as it always has.
//
// Committed changes (a marker let go, a slider or nudge key, Apply, a room or setup file
// opened, a search row applied, seats or subwoofers changed) are steps the user can take
// back and do again. A step holds the texts and the setup before and after it, so an undo
// puts back the texts exactly as they were typed.

#include "files/scene_history.h"
#include "files/scene_result.h"
#include "model/acoustics/scene.h"

#include <QObject>
#include <QString>

#include <exception>

namespace kolmarin {

// The text a condition the calculation corrected is written back to.
SceneText conditionText(Condition condition);

class SceneDocument : public QObject {
    Q_OBJECT
  public:
    // What a change touched; a view redraws only what it shows of it.
    enum Change {
        Room = 0x1,       // width, depth, height and the six coefficients
        Conditions = 0x2, // reflection count, frequency range and delay model
        Positions = 0x4,  // where the loudspeakers and the listener stand
        Caption = 0x8,    // the main window's caption, which names the room file
        Setup = 0x10,     // the subwoofers, the seats after the listener, the crossover
    };
    Q_DECLARE_FLAGS(Changes, Change)
    Q_FLAG(Changes)

    SceneDocument(const SceneTexts& texts, const QString& caption, QObject* parent = nullptr);

    const SceneTexts& texts() const { return texts_; }
    const QString& caption() const { return caption_; }
    // The texts with the other main loudspeakers, the subwoofers, the other seats and the
    // crossover; plain without a setup.
    BassSetup setup() const;
    // The scene as the next calculation reads it, the setup's sources, seats and crossover
    // in it; a condition the calculation corrects ("200", "10", "500") is written back
    // into the texts. Throws what the calculation would: a SceneTextError names the text.
    Scene calculationScene(char decimalSeparator);

    // Takes new texts or a new caption; views are told what differs (nothing when nothing
    // does).
    void setTexts(const SceneTexts& texts);
    void setText(SceneText which, const std::string& text);
    void setCaption(const QString& caption);
    // Takes a whole setup: its room, SP1, SP2 and listener as the texts, the rest beside
    // them. A plain one takes the other loudspeakers, subwoofers, other seats and crossover
    // away.
    void setSetup(const BassSetup& setup);

    // The room and conditions as they stand take effect: the main window lays itself out
    // for them and recalculates. Throws what a view refused, after all views were told.
    void apply();
    // Takes `setup`, applies it and makes it one step named `step`: what a window that edits
    // the setup does. Throws what apply throws, and then makes no step.
    void applySetup(const BassSetup& setup, const QString& step);
    // A view that cannot take an applied scene hands its failure back to whoever applied.
    void refuse(std::exception_ptr failure) { refusal_ = std::move(failure); }

    // Makes the texts as they stand one step named `name` ("スピーカー1 の移動"), the
    // texts at the last step (or at start-up) being what an undo puts back. A commit that
    // changed nothing is no step.
    void commit(const QString& name);
    // The texts as they stand are where the next step starts, without being a step: the
    // window's first layout, which writes the heights as the sliders read them.
    void settle() { committed_ = {texts_, caption_, extras_}; }
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    QString undoName() const { return history_.undoName(); }
    QString redoName() const { return history_.redoName(); }
    // Puts the texts and the setup (and a file's caption) back as they were before the last step, or
    // after the step last undone, and applies them. Nothing when there is no such step.
    void undo();
    void redo();
    // True while an undo or redo applies its texts: they are put back exactly, so a view
    // that would rewrite a text on its own while laying itself out (a height slider moved
    // by the layout rewrites its read-out) leaves it alone.
    bool restoring() const;

    // The latest calculation's result, which every window shows; none before the first
    // calculation or after one that failed.
    const SceneResult& result() const { return result_; }
    // Takes a new result (an empty one after a failure) and announces it.
    void setResult(SceneResult result);

  signals:
    void changed(kolmarin::SceneDocument::Changes what);
    void applied();
    void historyChanged();
    // A new result of the calculation (or none, after one that failed) stands.
    void calculated();

  private:
    void take(const SceneTexts& texts, const SetupExtras& extras);
    void goTo(const SceneState& state);

    SceneTexts texts_;
    QString caption_;
    SetupExtras extras_;
    SceneState committed_; // the texts and the setup at the last step
    SceneHistory history_;
    std::exception_ptr refusal_;
    bool restoring_ = false;
    SceneResult result_;
};

} // namespace kolmarin

Q_DECLARE_OPERATORS_FOR_FLAGS(kolmarin::SceneDocument::Changes)
