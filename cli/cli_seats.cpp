#include "cli/cli_seats.h"

#include "cli/cli_arguments.h"
#include "files/curve_text.h"
#include "files/response_csv.h"
#include "files/result_file.h"
#include "files/room_file.h"
#include "files/setup_file.h"
#include "model/acoustics/subwoofer_optimiser.h"
#include "model/errors.h"
#include "model/text/number_text.h"

#include <QRegularExpression>

#include <cstdio>

namespace kolmarin::cli {

namespace {

// Positions written with a point in the user's decimal form.
PositionTexts withSeparator(PositionTexts p, char separator) {
    for (std::string* text : {&p.x, &p.y, &p.z})
        for (char& c : *text)
            if (c == '.')
                c = separator;
    return p;
}

void appendNumber(QByteArray& out, const char* format, double value) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, format, value);
    out.append(text, n);
}

} // namespace

void requireSeat(int seat, std::size_t seats) {
    if (seat < 1 || seat > static_cast<int>(seats))
        throw UserError("座席 " + std::to_string(seat) + " はありません (座席は 1 から " +
                        std::to_string(seats) + ")");
}

void requireInside(const Scene& room, const Point3& p, const std::string& name) {
    if (room.contains(p))
        return;
    char text[300];
    std::snprintf(text, sizeof text,
                  "%s (%.2f, %.2f, %.2f m) が部屋 (幅 %.2f m、奥行 %.2f m、高さ %.2f m) の外にあります",
                  name.c_str(), p.x, p.y, p.z, room.width, room.depth, room.height);
    throw UserError(text);
}

BassSetup readSetupInput(const QString& path, const SeatOptions& options, char separator) {
    BassSetup setup;
    if (startsAsSetupFile(path)) {
        setup = readSetupFile(path, separator);
    } else {
        setup.texts = readRoomFile(path, separator);
        checkRoomFileTexts(setup.texts, separator);
    }
    for (const SpeakerOption& speaker : options.speakers) {
        const std::optional<std::size_t> at = loudspeakerIndex(setup.loudspeakers, speaker.role);
        if (speaker.position) {
            const bool large = speaker.large.value_or(at && setup.loudspeakers[*at].large);
            setup =
                withLoudspeaker(setup, {speaker.role, large}, withSeparator(*speaker.position, separator));
        } else if (at) {
            setup.loudspeakers[*at].large = *speaker.large;
        } else {
            throw UserError("--speaker " + loudspeakerWord(speaker.role) + ":" +
                            (*speaker.large ? "large" : "small") + " の " + loudspeakerName(speaker.role) +
                            " がファイルにありません (位置を ROLE:X,Y,Z で指定します)");
        }
    }
    for (const PositionTexts& seat : options.seats)
        setup.texts.seats.push_back(withSeparator(seat, separator));
    for (std::size_t i = 0; i < options.subwoofers.size(); ++i) {
        setup.texts.sources.push_back(withSeparator(options.subwoofers[i], separator));
        setup.subwoofers.push_back(options.subwooferSignals[i]);
    }
    if (options.crossover)
        setup.crossover = *options.crossover;
    if (const std::string problem = setupProblem(setup); !problem.empty())
        throw UserError(problem);
    checkSceneTexts(setup.texts, separator);
    const Scene scene = setupScene(setup, separator);
    const std::vector<std::string> labels = sourceLabels(setup);
    for (std::size_t s = 0; s < scene.sources.size(); ++s)
        requireInside(scene, scene.sources[s].position, labels[s]);
    for (std::size_t s = 0; s < scene.seats.size(); ++s)
        requireInside(scene, scene.seats[s], "座席 " + std::to_string(s + 1));
    return setup;
}

QByteArray seatsOutput(const BassSetup& setup, Band band, bool csv, bool subwoofersOnly, char separator) {
    const Scene scene = setupScene(setup, separator);
    const SeatFigures f = setupFigures(scene, setup.crossover, subwoofersOnly, band);
    QByteArray out(csv ? "seat,x_m,y_m,z_m,spread_db,mean_db\n"
                       : "座席      x      y      z  ばらつき dB  平均 dB\n");
    for (std::size_t s = 0; s < scene.seats.size(); ++s) {
        const Point3& p = scene.seats[s];
        if (csv) {
            out.append(QByteArray::number(static_cast<qulonglong>(s + 1)));
            for (double v : {p.x, p.y, p.z})
                appendNumber(out, ",%.2f", v);
            appendNumber(out, ",%.6f", f.spread[s]);
            appendNumber(out, ",%.6f\n", f.mean[s]);
        } else {
            char line[160];
            const int n = std::snprintf(line, sizeof line, "%4zu  %5.2f  %5.2f  %5.2f  %11.3f  %7.2f\n",
                                        s + 1, p.x, p.y, p.z, f.spread[s], f.mean[s]);
            out.append(line, n);
        }
    }
    if (csv) {
        appendNumber(out, "all,,,,%.6f", f.variation);
        appendNumber(out, ",%.6f\n", f.meanLevel);
    } else {
        appendNumber(out, "座席間のばらつき: %.3f dB", f.variation);
        appendNumber(out, "  平均レベル: %.2f dB", f.meanLevel);
        char band_[64];
        const int n = std::snprintf(band_, sizeof band_, "  (%d-%d Hz%s)\n", band.low, band.high,
                                    subwoofersOnly ? "、サブウーファーのみ" : "");
        out.append(band_, n);
    }
    return out;
}

QByteArray seatResponseOutput(BassSetup setup, int seat, SeatResponseForm form, bool subwoofersOnly,
                              char separator) {
    requireSeat(seat, setup.texts.seats.size());
    SceneTexts& texts = setup.texts;
    auto correct = [&texts](Condition which, const std::string& text) {
        (which == Condition::ReflectionCount  ? texts.reflectionCount
         : which == Condition::StartFrequency ? texts.startFrequency
                                              : texts.endFrequency) = text;
    };
    readCalculationScene(texts, separator, correct);
    const Scene scene = setupScene(setup, separator);
    const ResponseCurves curves = seatCurves(scene, setup.crossover, subwoofersOnly, seat - 1);
    const ElementRange computed = storedElements(scene.startFrequency, scene.endFrequency);
    const CurveSubject subject = curveSubject(setup, seat, subwoofersOnly);
    if (form == SeatResponseForm::CurveText)
        return totalCurveText(curves, computed, subject);
    if (form == SeatResponseForm::Csv)
        return responseCsvBytes(curves, resultFileElements(texts, computed));
    return resultFileBytes(setup, subject, curves, computed);
}

} // namespace kolmarin::cli
