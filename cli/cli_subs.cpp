#include "cli/cli_subs.h"

#include "cli/cli_seats.h"
#include "files/bass_settings_text.h"
#include "files/candidate_file.h"
#include "model/acoustics/subwoofer_candidates.h"
#include "model/acoustics/subwoofer_problem.h"
#include "model/errors.h"
#include "model/text/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kolmarin::cli {

namespace {

void appendNumber(QByteArray& out, const char* format, double value) {
    char text[256];
    const int n = std::snprintf(text, sizeof text, format, value);
    out.append(text, std::clamp(n, 0, static_cast<int>(sizeof text) - 1));
}

// The places the optimiser may put a subwoofer: the candidate file's, or the room's
// default ones; each must lie inside the room.
std::vector<Point3> candidatesOf(const Scene& scene, const SubsRequest& request) {
    if (request.candidatesPath.isEmpty())
        if (const std::string why = missingDefaultCandidates(scene.width, scene.depth, scene.height);
            !why.empty())
            throw UserError(why);
    const std::vector<Point3> candidates =
        request.candidatesPath.isEmpty() ? defaultSubwooferCandidates(scene.width, scene.depth, scene.height)
                                         : readCandidateFile(request.candidatesPath);
    for (std::size_t c = 0; c < candidates.size(); ++c)
        requireInside(scene, candidates[c], "候補 " + std::to_string(c + 1));
    return candidates;
}

QByteArray tableHeading(const SubsRequest& request) {
    const int count = request.options.count;
    QByteArray out;
    if (request.csv) {
        out = "rank,variation_db,seat1_spread_db,mean_db";
        for (int n = 1; n <= count; ++n)
            for (const char* field : {"x", "y", "z", "level_db", "delay_ms", "polarity"})
                out += QByteArray(",sw") + QByteArray::number(n) + '_' + field;
        out += ",score,target_deviation_db,level_offset_db,score_without_eq";
        for (int n = 1; n <= count; ++n)
            for (const char* field : {"level_worth", "delay_worth", "polarity_worth"})
                out += QByteArray(",sw") + QByteArray::number(n) + '_' + field;
        for (int n = 1; n <= request.options.goal.eqFilters; ++n)
            for (const char* field : {"fc_hz", "gain_db", "q"})
                out += QByteArray(",eq") + QByteArray::number(n) + '_' + field;
    } else {
        out = "順位  評価      ばらつき dB  目標との差 dB  レベル差 dB  座席 1 dB  平均 dB";
        for (int n = 1; n <= count; ++n)
            out += QByteArray("  SW") + QByteArray::number(n) + " x     y     z     dB    ms  極性";
    }
    return out + '\n';
}

// A CSV field: the number, or nothing for NaN.
void appendField(QByteArray& out, const char* format, double value) {
    out += ',';
    if (!std::isnan(value))
        appendNumber(out, format, value);
}

// The CSV fields after the subwoofers: the objective, what each choice buys, the filters.
void appendCsvTail(QByteArray& out, const SubwooferConfiguration& c, int filters) {
    const BassFigures& f = c.figures;
    for (double v : {f.score, f.targetDeviation, f.levelOffset.value_or(NAN), c.scoreWithoutEq})
        appendField(out, "%.6f", v);
    for (const SettingWorth& w : c.worth)
        for (double v : {w.level, w.delay, w.polarity})
            appendField(out, "%.6f", v);
    for (int i = 0; i < filters; ++i) {
        const bool has = i < static_cast<int>(c.eq.size());
        const PeakingFilter e = has ? c.eq[static_cast<std::size_t>(i)] : PeakingFilter{NAN, NAN, NAN};
        appendField(out, "%.1f", e.frequencyHz);
        appendField(out, "%.1f", e.gainDb);
        appendField(out, "%.2f", e.q);
    }
}

// The lines under a row of the table: the EQ's filters, and what each choice buys.
void appendReasons(QByteArray& out, const SubwooferConfiguration& c) {
    for (std::size_t i = 0; i < c.eq.size(); ++i)
        out += "      EQ " + filterLine(static_cast<int>(i) + 1, c.eq[i]) + '\n';
    QByteArray worth;
    for (std::size_t k = 0; k < c.worth.size(); ++k) {
        const SettingWorth& w = c.worth[k];
        const std::pair<const char*, double> parts[]{{"0 dB", w.level}, {"0 ms", w.delay}, {"+", w.polarity}};
        for (const auto& [back, value] : parts)
            if (!std::isnan(value)) {
                worth += "  SW" + QByteArray::number(static_cast<int>(k) + 1) + " を " + back + " にすると ";
                if (value >= kOutsideScore / 2)
                    worth += "範囲外";
                else
                    appendNumber(worth, "%+.2f", value);
            }
    }
    if (!worth.isEmpty())
        out += "      評価の変化:" + worth + '\n';
}

// One row of the table: the configuration's figures, then each subwoofer's place and drive.
void appendRow(QByteArray& out, int rank, const SubwooferConfiguration& c, const SubwooferSpectra& spectra,
               const SubsRequest& request) {
    const BassFigures& f = c.figures;
    const bool csv = request.csv;
    if (csv) {
        out += QByteArray::number(rank);
        for (double v : {f.variation, f.seat1Spread, f.meanLevel})
            appendNumber(out, ",%.6f", v);
    } else {
        appendNumber(out, "%4.0f", rank);
        appendNumber(out, "  %8.3f", f.score);
        appendNumber(out, "  %11.3f", f.variation);
        appendNumber(out, "  %13.3f", f.targetDeviation);
        if (f.levelOffset)
            appendNumber(out, "  %+11.2f", *f.levelOffset);
        else
            out += "            -";
        appendNumber(out, "  %9.3f", f.seat1Spread);
        appendNumber(out, "  %7.2f", f.meanLevel);
    }
    for (const SubwooferSetting& s : c.subwoofers) {
        const Point3& p = spectra.positions[static_cast<std::size_t>(s.candidate)];
        for (double v : {p.x, p.y, p.z})
            appendNumber(out, csv ? ",%.2f" : "  %5.2f", v);
        appendNumber(out, csv ? ",%.1f" : "  %5.1f", s.levelDb);
        appendNumber(out, csv ? ",%.1f" : "  %4.1f", s.delayMs);
        out += csv ? (s.inverted ? ",-" : ",+") : (s.inverted ? "     -" : "     +");
    }
    if (csv)
        appendCsvTail(out, c, request.options.goal.eqFilters);
    out += '\n';
    if (!csv)
        appendReasons(out, c);
}

// What was minimised, in words, for the text table's end.
QByteArray objectiveLine(const OptimiserGoal& goal, std::optional<double> level) {
    QByteArray out = "評価 = ";
    if (goal.objective == BassObjective::Variation) {
        out += "座席間のばらつき";
    } else {
        appendNumber(out, "座席間のばらつき × %g", goal.variationWeight);
        appendNumber(out, " + 目標カーブとの差 × %g", goal.targetWeight);
    }
    if (goal.seat1Weight > 0.0)
        appendNumber(out, " + 座席 1 のばらつき × %g", goal.seat1Weight);
    if (level)
        appendNumber(out, "。平均レベルを目標レベル %.1f dB の ±3 dB に保ちます", *level);
    return out + '\n';
}

// The setup without its own subwoofers, given the best configuration's.
BassSetup withBest(BassSetup best, const OptimiserResult& result, const SubwooferSpectra& spectra,
                   char separator) {
    if (!result.best.empty())
        for (const SubwooferSetting& s : result.best.front().subwoofers) {
            const Point3& p = spectra.positions[static_cast<std::size_t>(s.candidate)];
            best.texts.sources.push_back({formatPosition(p.x, separator), formatPosition(p.y, separator),
                                          formatPosition(p.z, separator)});
            best.subwoofers.push_back({s.levelDb, s.delayMs, s.inverted});
        }
    return best;
}

} // namespace

QByteArray subsOutput(const BassSetup& setup, const SubsRequest& request, char separator, BassSetup& best,
                      const std::function<void(double, double)>& progress,
                      const std::function<void(const QByteArray&)>& note) {
    // The setup's own subwoofers make way for the optimiser's.
    const BassSetup without = withSubwoofersOf(setup, {});
    const Scene scene = setupScene(without, separator);
    const std::vector<Point3> candidates = candidatesOf(scene, request);
    const OptimiserOptions& options = request.options;
    const OptimiserRunClock clock(preparingShare(scene, candidates.size(), request.band, options));
    const SubwooferSpectra spectra = prepareSubwooferSpectra(
        scene, setup.crossover, request.subwoofersOnly, request.band, candidates, [&](double f) {
            if (progress) {
                const OptimiserProgress p = clock.preparing(f);
                progress(p.fraction, p.secondsLeft);
            }
        });
    if (static_cast<int>(spectra.positions.size()) < options.count)
        throw UserError(tooFewSubwooferCandidates(spectra, options.count));
    if (note && spectra.thinnedFrom > 0)
        note(QByteArray::fromStdString(thinnedSubwooferCandidates(spectra)) + '\n');
    const OptimiserResult result = optimiseSubwoofers(spectra, options, [&](OptimiserProgress p) {
        if (progress) {
            const OptimiserProgress whole = clock.searching(p);
            progress(whole.fraction, whole.secondsLeft);
        }
    });

    QByteArray out = tableHeading(request);
    int rank = 0;
    for (const SubwooferConfiguration& c : result.best)
        appendRow(out, ++rank, c, spectra, request);
    if (!request.csv) {
        out += objectiveLine(options.goal, targetLevel(spectra, options.goal));
        out += QByteArray("調べた組み合わせ: ") + QByteArray::number(result.evaluated) + '\n';
    }
    best = withBest(without, result, spectra, separator);
    if (!result.best.empty())
        best.subwooferEq = result.best.front().eq;
    return out;
}

} // namespace kolmarin::cli
