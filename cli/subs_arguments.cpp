#include "cli/subs_arguments.h"

#include "cli/cli_arguments.h"
#include "model/errors.h"

#include <QRegularExpression>

namespace kolmarin::cli {

namespace {

std::string quoted(const QString& text) {
    return "'" + text.toStdString() + "'";
}

// A plain decimal with a point and an optional sign, within [low, high]; else a UsageError
// saying `what`.
double numberWithin(const QString& text, double low, double high, const std::string& what) {
    static const QRegularExpression form(QStringLiteral("^[-+]?[0-9]+(\\.[0-9]*)?$"));
    const double value = text.toDouble();
    if (!form.match(text).hasMatch() || !(value >= low && value <= high))
        throw UsageError(what + ": " + quoted(text));
    return value;
}

// "V,T": the weights of the variation and of the target deviation.
void readWeights(const QString& text, OptimiserGoal& goal) {
    const QStringList parts = text.split(u',');
    const std::string what = "--weights は V,T (それぞれ 0 から 10、どちらかは 0 より大きい) です";
    if (parts.size() != 2)
        throw UsageError(what + ": " + quoted(text));
    goal.variationWeight = numberWithin(parts[0], 0.0, 10.0, what);
    goal.targetWeight = numberWithin(parts[1], 0.0, 10.0, what);
    if (goal.variationWeight == 0.0 && goal.targetWeight == 0.0)
        throw UsageError(what + ": " + quoted(text));
}

} // namespace

bool readSubsOption(const QStringList& arguments, qsizetype& i, SubsOptions& subs) {
    const QString& a = arguments[i];
    if (a == u"--common-level" || a == u"--common-polarity") {
        (a == u"--common-level" ? subs.commonLevel : subs.commonPolarity) = true;
        return true;
    }
    static const QStringList withValue{"--count",        "--seat1-weight", "--least-mean", "--candidates",
                                       "--export",       "--objective",    "--weights",    "--target",
                                       "--target-level", "--eq",           "--boost-max",  "--max-delay"};
    if (!withValue.contains(a))
        return false;
    if (i + 1 >= arguments.size())
        throw UsageError(a.toStdString() + " の後に値がありません");
    const QString& value = arguments[++i];
    OptimiserGoal& goal = subs.goal;
    if (a == u"--count") {
        subs.count =
            static_cast<int>(numberWithin(value, 1, kMostSubwoofers, "--count は 1 から 4 までの整数です"));
        if (value.contains(u'.'))
            throw UsageError("--count は 1 から 4 までの整数です: " + quoted(value));
    } else if (a == u"--seat1-weight") {
        goal.seat1Weight = numberWithin(value, 0.0, 10.0, "--seat1-weight は 0 から 10 までの数です");
    } else if (a == u"--least-mean") {
        goal.leastMeanDb = numberWithin(value, -100.0, 100.0, "--least-mean は -100 から 100 までの dB です");
    } else if (a == u"--objective") {
        if (value != u"combined" && value != u"variation")
            throw UsageError("--objective は combined か variation です: " + quoted(value));
        goal.objective = value == u"combined" ? BassObjective::Combined : BassObjective::Variation;
    } else if (a == u"--weights") {
        readWeights(value, goal);
    } else if (a == u"--target") {
        if (value.startsWith(u"flat") || value.startsWith(u"house")) {
            try {
                goal.target = parseTargetText(value.toStdString());
            } catch (const UserError& e) {
                throw UsageError(std::string("--target: ") + e.what());
            }
        } else if (value.isEmpty()) {
            throw UsageError("--target の後にファイル名がありません");
        } else {
            subs.targetPath = value;
        }
    } else if (a == u"--target-level") {
        goal.targetLevelDb =
            numberWithin(value, -100.0, 100.0, "--target-level は -100 から 100 までの dB です");
    } else if (a == u"--eq") {
        goal.eqFilters =
            static_cast<int>(numberWithin(value, 0, kMostEqFilters, "--eq は 0 から 6 までの整数です"));
        if (value.contains(u'.'))
            throw UsageError("--eq は 0 から 6 までの整数です: " + quoted(value));
    } else if (a == u"--boost-max") {
        goal.eqLimits.mostBoostDb = numberWithin(value, 0.0, 6.0, "--boost-max は 0 から 6 までの dB です");
    } else if (a == u"--max-delay") {
        subs.mostDelayMs = numberWithin(value, 0.0, 20.0, "--max-delay は 0 から 20 までの ms です");
    } else if (value.isEmpty()) {
        throw UsageError(a.toStdString() + " の後にファイル名がありません");
    } else {
        (a == u"--candidates" ? subs.candidatesPath : subs.exportPath) = value;
    }
    return true;
}

} // namespace kolmarin::cli
