#include "model/acoustics/scene.h"

#include "model/acoustics/number_text.h"

namespace kolmarin {

namespace {

Point3 readPoint(const PositionTexts& p, char sep) {
    Point3 out;
    out.x = parseDecimal(p.x, sep);
    out.y = parseDecimal(p.y, sep);
    out.z = parseDecimal(p.z, sep);
    return out;
}

} // namespace

SceneTexts startupTexts(char sep) {
    SceneTexts t;
    for (std::string* text : {&t.width, &t.depth, &t.height, &t.reflRight, &t.reflLeft, &t.reflFront,
                              &t.reflBack, &t.reflFloor, &t.reflCeiling, &t.sp1.x, &t.sp1.y, &t.sp1.z,
                              &t.sp2.x, &t.sp2.y, &t.sp2.z, &t.listener.x, &t.listener.y, &t.listener.z})
        for (char& c : *text)
            if (c == '.')
                c = sep;
    return t;
}

SceneTexts startupSceneTexts(char sep) {
    SceneTexts t = startupTexts(sep);
    t.sp1.z = std::string(" 0") + sep + "50";
    t.sp2.z = t.sp1.z;
    t.listener.z = std::string(" 1") + sep + "01";
    return t;
}

Scene readCalculationScene(const SceneTexts& t, char sep, const CorrectionSink& onCorrection) {
    Scene s;
    s.depth = parseDecimal(t.depth, sep);
    s.width = parseDecimal(t.width, sep);
    s.height = parseDecimal(t.height, sep);
    s.reflFront = parseDecimal(t.reflFront, sep);
    s.reflBack = parseDecimal(t.reflBack, sep);
    s.reflRight = parseDecimal(t.reflRight, sep);
    s.reflLeft = parseDecimal(t.reflLeft, sep);
    s.reflFloor = parseDecimal(t.reflFloor, sep);
    s.reflCeiling = parseDecimal(t.reflCeiling, sep);
    s.listener = readPoint(t.listener, sep);
    s.sp1 = readPoint(t.sp1, sep);
    s.sp2 = readPoint(t.sp2, sep);

    auto correct = [&](Condition which, std::int32_t value) {
        if (onCorrection)
            onCorrection(which, std::to_string(value));
        return value;
    };
    s.reflectionCount = parseWhole(t.reflectionCount);
    if (s.reflectionCount > kMaxReflectionCount)
        s.reflectionCount = correct(Condition::ReflectionCount, kMaxReflectionCount);
    s.startFrequency = parseWhole(t.startFrequency);
    if (s.startFrequency < kLowestFrequency)
        s.startFrequency = correct(Condition::StartFrequency, kLowestFrequency);
    s.endFrequency = parseWhole(t.endFrequency);
    if (s.endFrequency > kHighestFrequency)
        s.endFrequency = correct(Condition::EndFrequency, kHighestFrequency);
    return s;
}

FrequencyRange readFrequencyRange(const SceneTexts& t) {
    FrequencyRange r;
    r.start = parseWhole(t.startFrequency);
    r.end = parseWhole(t.endFrequency);
    return r;
}

} // namespace kolmarin
