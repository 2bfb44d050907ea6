#include "files/scene_document.h"

#include <algorithm>
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
    if (a.delays != b.delays)
        changes |= SceneDocument::Conditions;
    rest.delays = a.delays;
    if (!(rest == a))
        changes |= SceneDocument::Positions;
    return changes;
}

// The setup's room, SP1, SP2 and listener, and what it adds to them.
std::pair<SceneTexts, SetupExtras> split(const BassSetup& setup) {
    SceneTexts texts = setup.texts;
    SetupExtras extras;
    if (setup.loudspeakers != frontLoudspeakers())
        extras.loudspeakers = setup.loudspeakers;
    const auto mains = static_cast<std::ptrdiff_t>(std::min(setup.loudspeakers.size(), texts.sources.size()));
    if (mains > 2)
        extras.loudspeakerPositions.assign(texts.sources.begin() + 2, texts.sources.begin() + mains);
    if (texts.sources.size() > static_cast<std::size_t>(mains))
        extras.subwooferPositions.assign(texts.sources.begin() + mains, texts.sources.end());
    if (texts.seats.size() > 1)
        extras.seats.assign(texts.seats.begin() + 1, texts.seats.end());
    texts.sources.resize(2);
    texts.seats.resize(1);
    extras.subwoofers = setup.subwoofers;
    extras.crossover = setup.crossover;
    extras.subwooferEq = setup.subwooferEq;
    return {texts, extras};
}

} // namespace

Scene SceneDocument::calculationScene(char decimalSeparator) {
    const Scene scene = readCalculationScene(texts_, decimalSeparator,
                                             [this](Condition condition, const std::string& corrected) {
                                                 setText(conditionText(condition), corrected);
                                             });
    const BassSetup bass = setup();
    return bass.plain() ? scene : setupScene(bass, decimalSeparator);
}

SceneText conditionText(Condition condition) {
    return condition == Condition::ReflectionCount  ? &SceneTexts::reflectionCount
           : condition == Condition::StartFrequency ? &SceneTexts::startFrequency
                                                    : &SceneTexts::endFrequency;
}

SceneDocument::SceneDocument(const SceneTexts& texts, const QString& caption, QObject* parent)
    : QObject(parent), texts_(texts), caption_(caption), committed_{texts, caption, {}} {}

BassSetup SceneDocument::setup() const {
    BassSetup setup{texts_, extras_.subwoofers, extras_.crossover, frontLoudspeakers(), extras_.subwooferEq};
    if (!extras_.loudspeakers.empty())
        setup.loudspeakers = extras_.loudspeakers;
    setup.texts.sources.insert(setup.texts.sources.end(), extras_.loudspeakerPositions.begin(),
                               extras_.loudspeakerPositions.end());
    setup.texts.sources.insert(setup.texts.sources.end(), extras_.subwooferPositions.begin(),
                               extras_.subwooferPositions.end());
    setup.texts.seats.insert(setup.texts.seats.end(), extras_.seats.begin(), extras_.seats.end());
    return setup;
}

void SceneDocument::setTexts(const SceneTexts& texts) {
    take(texts, extras_);
}

void SceneDocument::setSetup(const BassSetup& setup) {
    const auto [texts, extras] = split(setup);
    take(texts, extras);
}

void SceneDocument::take(const SceneTexts& texts, const SetupExtras& extras) {
    Changes changes = differences(texts_, texts);
    if (!(extras == extras_))
        changes |= Setup;
    if (!changes)
        return;
    texts_ = texts;
    extras_ = extras;
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

void SceneDocument::applySetup(const BassSetup& setup, const QString& step) {
    setSetup(setup);
    apply();
    commit(step);
}

void SceneDocument::setResult(SceneResult result) {
    result_ = std::move(result);
    emit calculated();
}

void SceneDocument::commit(const QString& name) {
    const SceneState now{texts_, caption_, extras_};
    // Only a change of the texts or the setup is a step; a file saved under a new name is
    // none.
    if (now.texts == committed_.texts && now.extras == committed_.extras) {
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
    goTo({step.before.texts, step.before.caption == step.after.caption ? caption_ : step.before.caption,
          step.before.extras});
}

void SceneDocument::redo() {
    if (!canRedo())
        return;
    const SceneStep& step = history_.redo();
    goTo({step.after.texts, step.before.caption == step.after.caption ? caption_ : step.after.caption,
          step.after.extras});
}

bool SceneDocument::restoring() const {
    return restoring_;
}

void SceneDocument::goTo(const SceneState& state) {
    emit historyChanged();
    setCaption(state.caption);
    take(state.texts, state.extras);
    committed_ = {texts_, caption_, extras_};
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
