// What overflowed: the message stays the fixed one, the detail names the cause.
#include "model/acoustics/bass_setup.h"
#include "model/acoustics/decay.h"
#include "model/errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace kolmarin {
namespace {

// The UserError a call raises; an empty one when it raises none.
UserError failureOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const UserError& e) {
        return e;
    }
    return UserError("", "");
}

TEST(OverflowDetail, NamesWhatTookTheCalculationBeyondADouble) {
    struct Case {
        const char* name;
        std::function<void(Scene&)> change;
        std::vector<std::string> named; // each is in the detail
    };
    const std::vector<Case> cases{
        {"a wall that gives back more than it gets, reflected on and on",
         [](Scene& s) {
             s.reflLeft = 1e20;
             s.reflectionCount = 40;
         },
         {"左の壁 (反射率 1E20) で 20 回", "像の重み"}},
        {"two amplifying walls together",
         [](Scene& s) {
             s.reflFront = 1e40;
             s.reflBack = 1e40;
             s.reflectionCount = 8;
         },
         {"前の壁 (反射率 1E40) で 4 回", "後ろの壁 (反射率 1E40) で 4 回"}},
        {"a room whose squared image distances overflow",
         [](Scene& s) {
             s.width = 6e153;
             s.depth = 6e153;
             s.reflectionCount = 1;
         },
         {"部屋が大きすぎる", "2 乗"}},
        {"a source level beyond range",
         [](Scene& s) { s.sources[1].levelDb = 7000; },
         {"SP2 のレベル 7000 dB"}},
    };
    for (const DelayModel delays : {DelayModel::Sample, DelayModel::Continuous}) {
        for (const Case& c : cases) {
            SceneTexts texts;
            texts.delays = delays;
            Scene scene = readCalculationScene(texts, '.', nullptr);
            c.change(scene);
            // The chart's curves and the impulse response the waterfall reads alike.
            for (const UserError& e : {failureOf([&] { seatCurves(scene, 0, false, 0); }),
                                       failureOf([&] { totalImpulseAt(scene, 0); })}) {
                EXPECT_STREQ(e.what(), msg::kOverflow) << c.name;
                for (const std::string& part : c.named)
                    EXPECT_NE(e.detail().find(part), std::string::npos) << c.name << ": " << e.detail();
            }
        }
    }
}

TEST(OverflowDetail, LeavesOtherFailuresAsTheyAre) {
    Scene scene = readCalculationScene(SceneTexts{}, '.', nullptr);
    scene.seats[0] = scene.sources[0].position;
    const UserError e = failureOf([&] { seatCurves(scene, 0, false, 0); });
    EXPECT_STREQ(e.what(), msg::kZeroDivide);
    EXPECT_EQ(e.detail(), "");
}

} // namespace
} // namespace kolmarin
