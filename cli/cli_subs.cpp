#include "cli/cli_subs.h"

#include "cli/cli_seats.h"
#include "files/candidate_file.h"
#include "model/acoustics/subwoofer_candidates.h"
#include "model/acoustics/subwoofer_problem.h"
#include "model/errors.h"
#include "model/text/number_text.h"

#include <cstdio>

namespace kolmarin::cli {

namespace {

void appendNumber(QByteArray& out, const char* format, double value) {
    char text[64];
    const int n = std::snprintf(text, sizeof text, format, value);
    out.append(text, n);
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
    QByteArray out;
    if (request.csv) {
        out = "rank,variation_db,seat1_spread_db,mean_db";
        for (int n = 1; n <= request.count; ++n)
            for (const char* field : {"x", "y", "z", "level_db", "delay_ms", "polarity"})
                out += QByteArray(",sw") + QByteArray::number(n) + '_' + field;
    } else {
        out = "順位  ばらつき dB  座席 1 dB  平均 dB";
        for (int n = 1; n <= request.count; ++n)
            out += QByteArray("  SW") + QByteArray::number(n) + " x     y     z     dB    ms  極性";
    }
    return out + '\n';
}

// One row of the table: the configuration's figures, then each subwoofer's place and drive.
void appendRow(QByteArray& out, int rank, const SubwooferConfiguration& c, const SubwooferSpectra& spectra,
               bool csv) {
    if (csv) {
        out += QByteArray::number(rank);
        for (double v : {c.variation, c.seat1Spread, c.meanLevel})
            appendNumber(out, ",%.6f", v);
    } else {
        appendNumber(out, "%4.0f", rank);
        appendNumber(out, "  %11.3f", c.variation);
        appendNumber(out, "  %9.3f", c.seat1Spread);
        appendNumber(out, "  %7.2f", c.meanLevel);
    }
    for (const SubwooferSetting& s : c.subwoofers) {
        const Point3& p = spectra.positions[static_cast<std::size_t>(s.candidate)];
        for (double v : {p.x, p.y, p.z})
            appendNumber(out, csv ? ",%.2f" : "  %5.2f", v);
        appendNumber(out, csv ? ",%.1f" : "  %5.1f", s.levelDb);
        appendNumber(out, csv ? ",%.1f" : "  %4.1f", s.delayMs);
        out += csv ? (s.inverted ? ",-" : ",+") : (s.inverted ? "     -" : "     +");
    }
    out += '\n';
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
    OptimiserOptions options;
    options.count = request.count;
    options.top = request.top;
    options.goal = request.goal;
    const OptimiserRunClock clock(preparingShare(scene, candidates.size(), request.band, options));
    const SubwooferSpectra spectra = prepareSubwooferSpectra(
        scene, setup.crossover, request.subwoofersOnly, request.band, candidates, [&](double f) {
            if (progress) {
                const OptimiserProgress p = clock.preparing(f);
                progress(p.fraction, p.secondsLeft);
            }
        });
    if (static_cast<int>(spectra.positions.size()) < request.count)
        throw UserError(tooFewSubwooferCandidates(spectra, request.count));
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
        appendRow(out, ++rank, c, spectra, request.csv);
    if (!request.csv)
        out += QByteArray("調べた組み合わせ: ") + QByteArray::number(result.evaluated) + '\n';
    best = withBest(without, result, spectra, separator);
    return out;
}

} // namespace kolmarin::cli
