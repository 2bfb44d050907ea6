// The scene document's notices: each edit tells its views which group of texts changed,
// and only when something did; a failure of a view reaches whoever applied the scene.
#include "files/scene_document.h"
#include "model/errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace kolmarin {
namespace {

using Changes = SceneDocument::Changes;

TEST(SceneDocument, TellsWhichTextsChanged) {
    const struct {
        std::function<void(SceneTexts&)> edit;
        Changes expected;
    } cases[]{
        {[](SceneTexts&) {}, {}},
        {[](SceneTexts& t) { t.height = "2.5"; }, SceneDocument::Room},
        {[](SceneTexts& t) { t.reflCeiling = "0.7"; }, SceneDocument::Room},
        {[](SceneTexts& t) { t.endFrequency = "400"; }, SceneDocument::Conditions},
        {[](SceneTexts& t) { t.seats[0].z = " 1.20"; }, SceneDocument::Positions},
        {[](SceneTexts& t) {
             t.sources[1].x = " 2.00";
             t.width = "3";
         },
         SceneDocument::Positions | SceneDocument::Room},
    };
    for (const auto& c : cases) {
        SceneDocument document(startupSceneTexts(), QStringLiteral("Kolmarin2 部屋.dtr"));
        std::vector<Changes> told;
        QObject::connect(&document, &SceneDocument::changed, [&](Changes what) { told.push_back(what); });
        SceneTexts texts = document.texts();
        c.edit(texts);
        document.setTexts(texts);
        EXPECT_EQ(told, c.expected ? std::vector<Changes>{c.expected} : std::vector<Changes>{});
        EXPECT_EQ(document.texts(), texts);

        document.setCaption(QStringLiteral("Kolmarin2 部屋.dtr"));
        document.setCaption(QStringLiteral("Kolmarin2\u3000b.dtr"));
        EXPECT_EQ(told.back(), Changes(SceneDocument::Caption));
        EXPECT_EQ(told.size(), c.expected ? 2u : 1u);
    }
}

TEST(SceneDocument, ApplyHandsBackWhatAViewRefused) {
    SceneDocument document(startupSceneTexts(), QString());
    int applied = 0;
    QObject::connect(&document, &SceneDocument::applied, [&] {
        if (++applied == 2)
            document.refuse(std::make_exception_ptr(UserError("refused")));
    });
    document.apply();
    EXPECT_THROW(document.apply(), UserError);
    EXPECT_NO_THROW(document.apply()); // the refusal is not kept for later
    EXPECT_EQ(applied, 3);
}

TEST(SceneDocument, UndoesTheLatestHundredStepsEachWithOneApply) {
    SceneDocument document(startupSceneTexts(), QString());
    int applied = 0;
    QObject::connect(&document, &SceneDocument::applied, [&] { ++applied; });
    std::vector<SceneTexts> states{document.texts()};
    for (int i = 1; i <= 101; ++i) {
        SceneTexts texts = document.texts();
        texts.seats[0].x = std::to_string(i);
        document.setTexts(texts);
        document.commit(QStringLiteral("聴取者 の移動"));
        states.push_back(texts);
    }
    document.commit(QStringLiteral("同じまま")); // nothing changed: no step
    int undone = 0;
    for (; document.canUndo(); ++undone) {
        document.undo();
        EXPECT_EQ(document.texts(), states[static_cast<std::size_t>(100 - undone)]);
    }
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(applied, 100);
    document.redo();
    EXPECT_EQ(document.texts(), states[2]);
    EXPECT_EQ(document.undoName(), QStringLiteral("聴取者 の移動"));

    SceneTexts texts = document.texts();
    texts.width = "3";
    document.setTexts(texts);
    document.commit(QStringLiteral("部屋、計算条件の変更"));
    EXPECT_FALSE(document.canRedo()); // a new step ends what could be redone
    document.undo();
    EXPECT_EQ(document.texts(), states[2]);
}

// Two steps, the second undone, then a new one: the undone step is a branch the new one
// cuts off, so undoing walks back through the first step alone to the start.
TEST(SceneDocument, ANewStepDropsTheStepUndoneBeforeIt) {
    SceneDocument document(startupSceneTexts(), QString());
    const auto step = [&](const char* x, const QString& name) {
        SceneTexts texts = document.texts();
        texts.seats[0].x = x;
        document.setTexts(texts);
        document.commit(name);
        return texts;
    };
    const SceneTexts start = document.texts(), first = step(" 1.00", QStringLiteral("一つ目"));
    step(" 2.00", QStringLiteral("二つ目"));
    document.undo();
    const SceneTexts last = step(" 3.00", QStringLiteral("三つ目"));
    EXPECT_FALSE(document.canRedo());
    document.undo();
    EXPECT_EQ(document.texts(), first);
    EXPECT_EQ(document.undoName(), QStringLiteral("一つ目"));
    document.undo();
    EXPECT_EQ(document.texts(), start);
    EXPECT_FALSE(document.canUndo());
    document.redo();
    document.redo();
    EXPECT_EQ(document.texts(), last);
    EXPECT_FALSE(document.canRedo());
}

// The room's texts hold SP1 and SP2 only; a centre and a surround, and a large SP1, stand
// beside them as part of the setup, which gives them back and whose undo puts them back.
TEST(SceneDocument, KeepsMoreLoudspeakersAndTheirSizesThroughUndo) {
    SceneDocument document(startupSceneTexts(), QString());
    BassSetup setup = document.setup();
    setup = withLoudspeaker(setup, {LoudspeakerRole::SurroundLeft}, {"0.30", "3.60", "1.10"});
    setup = withLoudspeaker(setup, {LoudspeakerRole::Centre, true}, {"1.35", "0.40", "0.60"});
    setup.loudspeakers[0].large = true;
    setup.texts.sources.push_back({"0.30", "0.30", "0.30"});
    setup.subwoofers = {{}};
    std::vector<Changes> told;
    QObject::connect(&document, &SceneDocument::changed, [&](Changes what) { told.push_back(what); });
    document.setSetup(setup);
    EXPECT_EQ(told, std::vector<Changes>{SceneDocument::Setup});
    EXPECT_EQ(document.texts().sources.size(), 2u);
    EXPECT_EQ(document.setup(), setup);
    document.commit(QStringLiteral("セットアップ"));

    BassSetup smaller = setup;
    smaller.loudspeakers[2].large = false; // the centre alone changes
    document.setSetup(smaller);
    EXPECT_EQ(told.back(), Changes(SceneDocument::Setup));
    document.commit(QStringLiteral("センター"));
    document.undo();
    EXPECT_EQ(document.setup(), setup);
    document.undo();
    EXPECT_TRUE(document.setup().plain());
    EXPECT_EQ(document.setup().loudspeakers, frontLoudspeakers());
}

// Every window calculates the document's scene: a condition the calculation corrects is
// written back, a setup's subwoofer plays, and a room size that is no number names its text
// (the settings dialog shows that box).
TEST(SceneDocument, CalculationSceneWritesCorrectionsBackAndNamesABadRoomSize) {
    SceneDocument document(startupSceneTexts(), QString());
    document.setText(&SceneTexts::reflectionCount, "300");
    EXPECT_EQ(document.calculationScene('.').reflectionCount, 200);
    EXPECT_EQ(document.texts().reflectionCount, "200");
    BassSetup setup = document.setup();
    setup.texts.sources.push_back({"0.30", "0.30", "0.30"});
    setup.subwoofers = {{}};
    document.setSetup(setup);
    EXPECT_EQ(document.calculationScene('.').sources.size(), 3u);

    for (SceneText size : {&SceneTexts::width, &SceneTexts::depth, &SceneTexts::height}) {
        SceneDocument room(startupSceneTexts(), QString());
        EXPECT_EQ(readRoomSize(room.texts(), size, '.'), std::stod(room.texts().*size));
        room.setText(size, "3,6");
        for (const auto& read : std::initializer_list<std::function<void()>>{
                 [&] { room.calculationScene('.'); }, [&] { readRoomSize(room.texts(), size, '.'); }}) {
            try {
                read();
                ADD_FAILURE() << "a room size of 3,6 was read";
            } catch (const SceneTextError& e) {
                EXPECT_EQ(e.text, size);
            }
        }
    }
}

} // namespace
} // namespace kolmarin
