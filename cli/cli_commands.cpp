#include "cli/cli_commands.h"

#include "files/curve_text.h"
#include "files/mode_file.h"
#include "files/response_csv.h"
#include "files/result_file.h"
#include "model/acoustics/decay.h"
#include "model/acoustics/eigenmodes.h"
#include "model/acoustics/mode_decay.h"
#include "model/acoustics/response.h"
#include "model/text/number_text.h"

#include <cstdio>

namespace kolmarin::cli {

QByteArray responseOutput(SceneTexts texts, char decimalSeparator, ResponseForm form) {
    auto correct = [&texts](Condition which, const std::string& text) {
        switch (which) {
        case Condition::ReflectionCount:
            texts.reflectionCount = text;
            break;
        case Condition::StartFrequency:
            texts.startFrequency = text;
            break;
        case Condition::EndFrequency:
            texts.endFrequency = text;
            break;
        }
    };
    const Scene scene = readCalculationScene(texts, decimalSeparator, correct);
    ResponseCurves curves;
    calculateResponse(scene, curves);
    const ElementRange computed = storedElements(scene.startFrequency, scene.endFrequency);
    if (form == ResponseForm::CurveText)
        return totalCurveText(curves, computed, CurveSubject{.delays = scene.delays});
    if (form == ResponseForm::Csv)
        return responseCsvBytes(curves, resultFileElements(texts, computed));
    return resultFileBytes(texts, curves, computed);
}

QByteArray modesOutput(const BassSetup& setup, char decimalSeparator, bool decayTimes) {
    const SceneTexts& texts = setup.texts;
    const double width = parseDecimal(texts.width, decimalSeparator);
    const double depth = parseDecimal(texts.depth, decimalSeparator);
    const double height = parseDecimal(texts.height, decimalSeparator);
    ModeTable table = computeModeTable(width, depth, height, decimalSeparator);
    if (decayTimes) {
        const Scene scene = readCalculationScene(texts, decimalSeparator, nullptr);
        table.decay = modeDecayColumn(table, scene, decimalSeparator);
    }
    return modeFileBytes(texts, table);
}

QByteArray defaultResponseListing(DelayModel delays) {
    SceneTexts texts;
    texts.delays = delays;
    ResponseCurves curves;
    const Scene scene = readCalculationScene(texts, '.', nullptr);
    calculateResponse(scene, curves);
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    QByteArray out;
    char line[128];
    // The C locale is in force (nothing calls setlocale), so printf writes a point.
    for (int j = range.first; j <= range.last; ++j) {
        const int n = std::snprintf(line, sizeof line, "%.1f %.2f %.2f %.2f\n", j / 2.0, curves.sources[0][j],
                                    curves.sources[1][j], curves.total[j]);
        out.append(line, n);
    }
    return out;
}

} // namespace kolmarin::cli
