#include "model/acoustics/scene.h"

#include "model/text/number_text.h"

namespace kolmarin {

namespace {

Point3 readPoint(const PositionTexts& p, char sep) {
    Point3 out;
    out.x = parseDecimal(p.x, sep);
    out.y = parseDecimal(p.y, sep);
    out.z = parseDecimal(p.z, sep);
    return out;
}

// Parses the text `which` of `t`; a refusal names the text.
template <class Parse> auto parseText(const SceneTexts& t, SceneText which, Parse parse) {
    try {
        return parse(t.*which);
    } catch (const UserError& e) {
        throw SceneTextError(e.what(), which);
    }
}

double decimalText(const SceneTexts& t, SceneText which, char sep) {
    return parseText(t, which, [sep](const std::string& text) { return parseDecimal(text, sep); });
}

std::int32_t wholeText(const SceneTexts& t, SceneText which) {
    return parseText(t, which, [](const std::string& text) { return parseWhole(text); });
}

void refuseNonPositive(double value, const char* message) {
    if (!(value > 0.0))
        throw UserError(message);
}

} // namespace

SceneTexts startupTexts(char sep) {
    SceneTexts t;
    std::vector<std::string*> texts{&t.width,     &t.depth,    &t.height,    &t.reflRight,  &t.reflLeft,
                                    &t.reflFront, &t.reflBack, &t.reflFloor, &t.reflCeiling};
    for (auto* places : {&t.sources, &t.seats})
        for (PositionTexts& p : *places)
            texts.insert(texts.end(), {&p.x, &p.y, &p.z});
    for (std::string* text : texts)
        for (char& c : *text)
            if (c == '.')
                c = sep;
    return t;
}

SceneTexts startupSceneTexts(char sep) {
    SceneTexts t = startupTexts(sep);
    for (PositionTexts& source : t.sources)
        source.z = std::string(" 0") + sep + "50";
    t.seats[0].z = std::string(" 1") + sep + "01";
    return t;
}

const char* delayModelWord(DelayModel model) {
    return model == DelayModel::Continuous ? "continuous" : "sample";
}

std::optional<DelayModel> delayModelOfWord(const std::string& word) {
    for (const DelayModel model : {DelayModel::Sample, DelayModel::Continuous})
        if (word == delayModelWord(model))
            return model;
    return std::nullopt;
}

Scene readCalculationScene(const SceneTexts& t, char sep, const CorrectionSink& onCorrection) {
    Scene s;
    s.depth = decimalText(t, &SceneTexts::depth, sep);
    s.width = decimalText(t, &SceneTexts::width, sep);
    s.height = decimalText(t, &SceneTexts::height, sep);
    s.reflFront = decimalText(t, &SceneTexts::reflFront, sep);
    s.reflBack = decimalText(t, &SceneTexts::reflBack, sep);
    s.reflRight = decimalText(t, &SceneTexts::reflRight, sep);
    s.reflLeft = decimalText(t, &SceneTexts::reflLeft, sep);
    s.reflFloor = decimalText(t, &SceneTexts::reflFloor, sep);
    s.reflCeiling = decimalText(t, &SceneTexts::reflCeiling, sep);
    s.seats.clear();
    for (const PositionTexts& seat : t.seats)
        s.seats.push_back(readPoint(seat, sep));
    s.sources.clear();
    for (const PositionTexts& source : t.sources)
        s.sources.push_back({readPoint(source, sep)});

    auto correct = [&](Condition which, std::int32_t value) {
        if (onCorrection)
            onCorrection(which, std::to_string(value));
        return value;
    };
    s.reflectionCount = wholeText(t, &SceneTexts::reflectionCount);
    if (s.reflectionCount > kMaxReflectionCount)
        s.reflectionCount = correct(Condition::ReflectionCount, kMaxReflectionCount);
    s.startFrequency = wholeText(t, &SceneTexts::startFrequency);
    if (s.startFrequency < kLowestFrequency)
        s.startFrequency = correct(Condition::StartFrequency, kLowestFrequency);
    s.endFrequency = wholeText(t, &SceneTexts::endFrequency);
    if (s.endFrequency > kHighestFrequency)
        s.endFrequency = correct(Condition::EndFrequency, kHighestFrequency);
    s.delays = t.delays;
    return s;
}

FrequencyRange readFrequencyRange(const SceneTexts& t) {
    FrequencyRange r;
    r.start = wholeText(t, &SceneTexts::startFrequency);
    r.end = wholeText(t, &SceneTexts::endFrequency);
    return r;
}

double readRoomSize(const SceneTexts& texts, SceneText which, char decimalSeparator) {
    return decimalText(texts, which, decimalSeparator);
}

void checkRoomSize(double width, double depth, double height) {
    refuseNonPositive(width, "部屋の幅は 0 より大きい値にしてください");
    refuseNonPositive(depth, "部屋の奥行きは 0 より大きい値にしてください");
    refuseNonPositive(height, "部屋の高さは 0 より大きい値にしてください");
}

void checkSceneTexts(const SceneTexts& t, char sep) {
    const Scene s = readCalculationScene(t, sep, nullptr);
    checkRoomSize(s.width, s.depth, s.height);
    // No image at all, not even the direct sound: every level would be the logarithm of 0.
    if (s.reflectionCount < 0)
        throw UserError(msg::kNegativeReflectionCount);
}

} // namespace kolmarin
