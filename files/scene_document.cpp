#include "files/scene_document.h"

#include <utility>

namespace kolmarin {

namespace {

constexpr SceneText kRoomTexts[]{&SceneTexts::width,     &SceneTexts::depth,     &SceneTexts::height,
                                 &SceneTexts::reflRight, &SceneTexts::reflLeft,  &SceneTexts::reflFront,
                                 &SceneTexts::reflBack,  &SceneTexts::reflFloor, &SceneTexts::reflCeiling};
constexpr SceneText kConditionTexts[]{&SceneTexts::reflectionCount, &SceneTexts::startFrequency,
                                      &SceneTexts::endFrequency};

// Which groups of texts differ. Whatever is neither room nor condition is a position.
SceneDocument::Changes differences(const SceneTexts& a, const SceneTexts& b) {
    SceneDocument::Changes changes;
    SceneTexts rest = b;
    for (SceneText text : kRoomTexts) {
        if (a.*text != b.*text)
            changes |= SceneDocument::Room;
        rest.*text = a.*text;
    }
    for (SceneText text : kConditionTexts) {
        if (a.*text != b.*text)
            changes |= SceneDocument::Conditions;
        rest.*text = a.*text;
    }
    if (!(rest == a))
        changes |= SceneDocument::Positions;
    return changes;
}

} // namespace

SceneText conditionText(Condition condition) {
    return condition == Condition::ReflectionCount  ? &SceneTexts::reflectionCount
           : condition == Condition::StartFrequency ? &SceneTexts::startFrequency
                                                    : &SceneTexts::endFrequency;
}

SceneDocument::SceneDocument(const SceneTexts& texts, const QString& caption, QObject* parent)
    : QObject(parent), texts_(texts), caption_(caption), committed_{texts, caption} {}

void SceneDocument::setTexts(const SceneTexts& texts) {
    const Changes changes = differences(texts_, texts);
    if (!changes)
        return;
    texts_ = texts;
    emit changed(changes);
}

void SceneDocument::setText(SceneText which, const std::string& text) {
    SceneTexts texts = texts_;
    texts.*which = text;
    setTexts(texts);
}

void SceneDocument::setCaption(const QString& caption) {
    if (caption == caption_)
        return;
    caption_ = caption;
    emit changed(Caption);
}

void SceneDocument::apply() {
    refusal_ = nullptr;
    emit applied();
    if (std::exception_ptr failure = std::exchange(refusal_, nullptr))
        std::rethrow_exception(failure);
}

void SceneDocument::commit(const QString& name) {
    const SceneState now{texts_, caption_};
    // Only a change of the texts is a step; a file saved under a new name is none.
    if (now.texts == committed_.texts) {
        committed_ = now;
        return;
    }
    history_.add(name, committed_, now);
    committed_ = now;
    emit historyChanged();
}

void SceneDocument::undo() {
    if (!canUndo())
        return;
    const SceneStep& step = history_.undo();
    goTo({step.before.texts, step.before.caption == step.after.caption ? caption_ : step.before.caption});
}

void SceneDocument::redo() {
    if (!canRedo())
        return;
    const SceneStep& step = history_.redo();
    goTo({step.after.texts, step.before.caption == step.after.caption ? caption_ : step.after.caption});
}

bool SceneDocument::restoring() const {
    return restoring_;
}

void SceneDocument::goTo(const SceneState& state) {
    emit historyChanged();
    setCaption(state.caption);
    setTexts(state.texts);
    committed_ = {texts_, caption_};
    restoring_ = true;
    try {
        apply();
    } catch (...) {
        restoring_ = false;
        throw;
    }
    restoring_ = false;
}

} // namespace kolmarin
