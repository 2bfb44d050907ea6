// The fast image-source accumulation against the reference loop: the same impulse
// responses up to rounding, the same delays, the same levels, the same faults, and the
// same bits whatever the number of threads.
#include "model/acoustics/image_accumulation.h"
#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"
#include "model/errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

using namespace kolmarin;
using detail::FastAccumulationOptions;
using detail::VectorIsa;

namespace {

Scene sceneFrom(const SceneTexts& texts) {
    return readCalculationScene(texts, '.', nullptr);
}

ImpulseResponses reference(const Scene& scene) {
    ImpulseResponses h;
    accumulateImpulseResponsesReference(scene, h);
    return h;
}

ImpulseResponses fast(const Scene& scene, VectorIsa isa, int threads = 0) {
    ImpulseResponses h;
    detail::accumulateImagesFast(scene, h, FastAccumulationOptions{threads, isa});
    return h;
}

std::vector<VectorIsa> availableIsas() {
    std::vector<VectorIsa> isas;
    for (VectorIsa isa : {VectorIsa::Baseline, VectorIsa::Avx2, VectorIsa::Avx512})
        if (detail::isaAvailable(isa))
            isas.push_back(isa);
    return isas;
}

std::string isaName(VectorIsa isa) {
    switch (isa) {
    case VectorIsa::Baseline:
        return "baseline";
    case VectorIsa::Avx2:
        return "AVX2";
    case VectorIsa::Avx512:
        return "AVX-512";
    }
    return "?";
}

// The scene with every coefficient made positive: its reference response at sample n is
// the sum of the magnitudes of everything that lands there.
Scene magnitudes(Scene s) {
    for (double* c : {&s.reflRight, &s.reflLeft, &s.reflFront, &s.reflBack, &s.reflFloor, &s.reflCeiling})
        *c = std::fabs(*c);
    return s;
}

// Adding the same images in another order and taking 1/r from a refined estimate may
// change each sample by a few units in the last place of the magnitudes summed into it;
// 1e-10 of that sum leaves room for millions of them. An image moved to a neighbouring
// sample by a wrongly rounded delay changes two samples by its whole amplitude, which in
// the scenes below stands far above that bound except where millions share the sample.
void expectSameResponse(const std::vector<double>& fastH, const std::vector<double>& refH,
                        const std::vector<double>& magnitudeH, const std::string& what) {
    ASSERT_EQ(fastH.size(), refH.size());
    int reported = 0;
    for (std::size_t n = 0; n < refH.size(); ++n) {
        const double bound = 1e-10 * magnitudeH[n];
        if (std::fabs(fastH[n] - refH[n]) > bound && reported++ < 5)
            ADD_FAILURE() << what << " sample " << n << ": fast " << fastH[n] << ", reference " << refH[n];
    }
}

struct NamedScene {
    std::string name;
    Scene scene;
};

std::vector<NamedScene> variedScenes() {
    std::vector<NamedScene> scenes;
    auto add = [&](std::string name, SceneTexts texts) {
        scenes.push_back({std::move(name), sceneFrom(texts)});
    };
    SceneTexts t;
    t.reflectionCount = "0";
    add("direct sound only", t);
    t.reflectionCount = "1";
    add("one reflection per axis", t);
    t.reflectionCount = "7";
    add("seven reflections", t);
    add("default room", SceneTexts{});

    SceneTexts hard;
    for (std::string* c : {&hard.reflRight, &hard.reflLeft, &hard.reflFront, &hard.reflBack, &hard.reflFloor,
                           &hard.reflCeiling})
        *c = "1";
    add("rigid walls", hard);

    SceneTexts mixed;
    mixed.reflRight = "-0.7";
    mixed.reflFloor = "-0.95";
    mixed.reflBack = "0";
    mixed.reflectionCount = "25";
    add("negative and absorbing walls", mixed);

    // Points outside the room and both loudspeakers in one place are used as they are.
    SceneTexts odd;
    odd.sources[0] = {"-1.00", "7.00", "3.10"};
    odd.sources[1] = odd.sources[0];
    odd.reflectionCount = "12";
    add("loudspeakers outside the room", odd);

    // Distances beyond the single-precision range of the AVX2 estimate, both ways.
    SceneTexts huge;
    huge.width = "1e14";
    huge.reflectionCount = "3";
    add("vast room", huge);
    Scene close = sceneFrom(SceneTexts{});
    close.reflectionCount = 2;
    close.width = 1e-20;
    close.seats[0].x = 0.0;
    close.sources[0].position = close.seats[0];
    close.sources[0].position.x = 3e-17;
    scenes.push_back({"loudspeaker a hair from the listener", close});
    return scenes;
}

} // namespace

TEST(FastAccumulation, MatchesReferenceOnVariedScenes) {
    for (const NamedScene& s : variedScenes()) {
        const ImpulseResponses ref = reference(s.scene);
        const ImpulseResponses mag = reference(magnitudes(s.scene));
        for (VectorIsa isa : availableIsas()) {
            const ImpulseResponses h = fast(s.scene, isa);
            expectSameResponse(h.sources[0], ref.sources[0], mag.sources[0],
                               s.name + ", SP1, " + isaName(isa));
            expectSameResponse(h.sources[1], ref.sources[1], mag.sources[1],
                               s.name + ", SP2, " + isaName(isa));
        }
    }
}

// 130 reflections per axis in a larger room: over a third of the 36 million images per
// loudspeaker arrive after sample 8000 and are added there.
TEST(FastAccumulation, MatchesReferenceWithLongPaths) {
    SceneTexts texts;
    texts.width = "6.0";
    texts.depth = "8.0";
    texts.height = "3.5";
    texts.reflFloor = "0.97";
    texts.reflCeiling = "0.97";
    texts.reflectionCount = "130";
    const Scene scene = sceneFrom(texts);
    const ImpulseResponses ref = reference(scene);
    // Sample 8000 gathers every later arrival: far more than any sample before it.
    ASSERT_GT(ref.sources[0][8000],
              10 * *std::max_element(ref.sources[0].begin() + 7000, ref.sources[0].begin() + 8000));
    for (int n = 8001; n < kTransformLength; ++n)
        ASSERT_EQ(ref.sources[0][n], 0.0);
    for (VectorIsa isa : availableIsas()) {
        const ImpulseResponses h = fast(scene, isa);
        expectSameResponse(h.sources[0], ref.sources[0], ref.sources[0], "SP1, " + isaName(isa));
        expectSameResponse(h.sources[1], ref.sources[1], ref.sources[1], "SP2, " + isaName(isa));
        for (int n = 8001; n < kTransformLength; ++n)
            ASSERT_EQ(h.sources[0][n], 0.0) << n;
    }
}

// One image per loudspeaker, moved across half-sample points: the fast delay must round
// exactly like the reference, halves to even, except where r*K lies within 1e-9 of a half
// sample, closer than both computations can resolve.
TEST(FastAccumulation, DelaysRoundLikeReference) {
    Scene scene = sceneFrom(SceneTexts{});
    scene.reflectionCount = 0;
    int compared = 0;
    for (int d = 1; d < 8010; d += 97) {
        for (double offset : {-1e-6, -1e-8, 0.0, 1e-8, 1e-6, 0.25, 0.5}) {
            const double samples = d + 0.5 + offset;
            const double r = samples / kSamplesPerMetre;
            scene.sources[0].position = {scene.seats[0].x + r * 0.6, scene.seats[0].y - r * 0.8,
                                         scene.seats[0].z};
            scene.sources[1].position = {scene.seats[0].x, scene.seats[0].y, scene.seats[0].z - r};
            const ImpulseResponses ref = reference(scene);
            for (VectorIsa isa : availableIsas()) {
                const ImpulseResponses h = fast(scene, isa);
                for (const auto& [fastH, refH, source] :
                     {std::tuple{&h.sources[0], &ref.sources[0], scene.sources[0].position},
                      std::tuple{&h.sources[1], &ref.sources[1], scene.sources[1].position}}) {
                    const double dx = source.x - scene.seats[0].x, dy = source.y - scene.seats[0].y,
                                 dz = source.z - scene.seats[0].z;
                    const double exact = std::sqrt(dx * dx + dy * dy + dz * dz) * kSamplesPerMetre;
                    if (std::fabs(exact - std::floor(exact) - 0.5) < 1e-9)
                        continue;
                    const auto nonZero = [](const std::vector<double>& v) {
                        return std::find_if(v.begin(), v.end(), [](double x) { return x != 0.0; }) -
                               v.begin();
                    };
                    ASSERT_EQ(nonZero(*fastH), nonZero(*refH))
                        << isaName(isa) << " at " << samples << " samples";
                    ++compared;
                }
            }
        }
    }
    EXPECT_GT(compared, 500);
}

TEST(FastAccumulation, SameBitsForEveryThreadCountAndRun) {
    // Sixteen bands per loudspeaker, with early, late and wholly late rows.
    SceneTexts texts;
    texts.width = "6.0";
    texts.depth = "8.0";
    texts.reflectionCount = "100";
    texts.reflRight = "-0.8";
    const Scene scene = sceneFrom(texts);
    const VectorIsa isa = detail::widestAvailableIsa();
    const ImpulseResponses one = fast(scene, isa, 1);
    const auto sameBits = [](const ImpulseResponses& a, const ImpulseResponses& b) {
        return std::memcmp(a.sources[0].data(), b.sources[0].data(), a.sources[0].size() * sizeof(double)) ==
                   0 &&
               std::memcmp(a.sources[1].data(), b.sources[1].data(), a.sources[1].size() * sizeof(double)) ==
                   0;
    };
    for (int threads : {0, 2, 3, 64, 1, 0})
        EXPECT_TRUE(sameBits(fast(scene, isa, threads), one)) << threads << " threads";
    // The program's entry point uses the same path.
    ImpulseResponses program;
    accumulateImpulseResponses(scene, program);
    EXPECT_TRUE(sameBits(program, one));
}

TEST(FastAccumulation, LevelsMatchReference) {
    SceneTexts mixed;
    mixed.reflLeft = "-0.6";
    mixed.reflCeiling = "1";
    mixed.reflectionCount = "40";
    mixed.startFrequency = "10";
    // Rigid walls in a larger room: the many late images weigh heavily at sample 8000.
    SceneTexts rigid;
    rigid.width = "6.0";
    rigid.depth = "8.0";
    rigid.height = "3.5";
    for (std::string* c : {&rigid.reflRight, &rigid.reflLeft, &rigid.reflFront, &rigid.reflBack,
                           &rigid.reflFloor, &rigid.reflCeiling})
        *c = "1";
    rigid.reflectionCount = "90";
    for (const SceneTexts& texts : {SceneTexts{}, mixed, rigid}) {
        ResponseCurves fastCurves, refCurves;
        calculateResponse(sceneFrom(texts), fastCurves);
        calculateResponseReference(sceneFrom(texts), refCurves);
        for (int j = 0; j < kCurvePoints; ++j) {
            ASSERT_NEAR(fastCurves.sources[0][j], refCurves.sources[0][j], 1e-6) << j;
            ASSERT_NEAR(fastCurves.sources[1][j], refCurves.sources[1][j], 1e-6) << j;
            ASSERT_NEAR(fastCurves.total[j], refCurves.total[j], 1e-6) << j;
        }
    }
}

// SP1 on a wall with coefficient -1 is cancelled by its own mirror image: its response is
// zero but for rounding, and whether a level is a residue hundreds of dB down or an exact
// zero that fails depends on the order the images are added in. The outcome is the
// straightforward loop's, whichever way it goes.
TEST(FastAccumulation, ACancelledLoudspeakerEndsAsTheReferenceDoes) {
    SceneTexts cancelled;
    cancelled.width = "0.5";
    cancelled.reflLeft = "-1";
    cancelled.reflRight = "0";
    cancelled.sources[0].x = "0";
    cancelled.sources[1].x = "0.25";
    cancelled.seats[0].x = "0.4";
    cancelled.reflectionCount = "3";
    const auto outcome = [&](void (*calculate)(const Scene&, ResponseCurves&)) {
        ResponseCurves curves;
        try {
            calculate(sceneFrom(cancelled), curves);
        } catch (const UserError& e) {
            return std::pair{std::string(e.what()), curves};
        }
        return std::pair{std::string(), curves};
    };
    const auto [fastFailure, fastCurves] =
        outcome([](const Scene& s, ResponseCurves& c) { calculateResponse(s, c); });
    const auto [referenceFailure, referenceCurves] =
        outcome([](const Scene& s, ResponseCurves& c) { calculateResponseReference(s, c); });
    EXPECT_EQ(fastFailure, referenceFailure);
    EXPECT_EQ(fastCurves.sources[0], referenceCurves.sources[0]);
    EXPECT_EQ(fastCurves.total, referenceCurves.total);
}

namespace {

std::string failureOf(const Scene& scene, void (*accumulate)(const Scene&, ImpulseResponses&)) {
    ImpulseResponses h;
    try {
        accumulate(scene, h);
    } catch (const UserError& e) {
        return e.what();
    }
    return "";
}

std::string fastFailure(const Scene& scene) {
    return failureOf(scene, [](const Scene& s, ImpulseResponses& h) { accumulateImpulseResponses(s, h); });
}
std::string referenceFailure(const Scene& scene) {
    return failureOf(scene,
                     [](const Scene& s, ImpulseResponses& h) { accumulateImpulseResponsesReference(s, h); });
}

} // namespace

TEST(FastAccumulation, FaultsMatchReference) {
    SceneTexts onListener;
    onListener.sources[0] = onListener.seats[0];
    onListener.reflectionCount = "30";
    EXPECT_EQ(fastFailure(sceneFrom(onListener)), msg::kZeroDivide);

    // An image of SP2 (one reflection off the silent left wall) on the listener: 0/0.
    // Binary fractions keep the image exactly on the listener: centred, SP2 sits at x' = 1
    // and its image off the left wall at -1 - 2.5 = -3.5, the listener's x'.
    Scene mirrored = sceneFrom(SceneTexts{});
    mirrored.reflectionCount = 3;
    mirrored.width = 2.5;
    mirrored.reflLeft = 0.0;
    mirrored.sources[1].position = {2.25, 0.75, 0.5};
    mirrored.seats[0] = {-2.25, 0.75, 0.5};
    EXPECT_EQ(referenceFailure(mirrored), msg::kInvalidOperation);
    EXPECT_EQ(fastFailure(mirrored), msg::kInvalidOperation);
    // The same image heard through a reflecting wall divides by zero.
    mirrored.reflLeft = 0.5;
    EXPECT_EQ(referenceFailure(mirrored), msg::kZeroDivide);
    EXPECT_EQ(fastFailure(mirrored), msg::kZeroDivide);

    // Reflection factors whose products overflow.
    SceneTexts loud;
    for (std::string* c : {&loud.reflRight, &loud.reflLeft, &loud.reflFront, &loud.reflBack})
        *c = "1e40";
    loud.reflectionCount = "4";
    EXPECT_EQ(referenceFailure(sceneFrom(loud)), msg::kOverflow);
    EXPECT_EQ(fastFailure(sceneFrom(loud)), msg::kOverflow);

    // A squared path length beyond the range of a double overflows even though each of its
    // three components fits.
    SceneTexts vast;
    vast.width = "6e153";
    vast.depth = "6e153";
    vast.reflectionCount = "1";
    EXPECT_EQ(referenceFailure(sceneFrom(vast)), msg::kOverflow);
    EXPECT_EQ(fastFailure(sceneFrom(vast)), msg::kOverflow);

    // No image at all: nothing fails here, both responses stay silent.
    SceneTexts none;
    none.reflectionCount = "-3";
    ImpulseResponses h;
    h.sources[0][5] = 1.0;
    accumulateImpulseResponses(sceneFrom(none), h);
    EXPECT_EQ(h.sources[0], std::vector<double>(kTransformLength, 0.0));
}
