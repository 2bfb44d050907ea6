#include "model/acoustics/target_curve.h"

#include "model/errors.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kolmarin {

namespace {

constexpr double kHouseFloorHz = 20.0;

// The whole of `text` as a number with a decimal point, or NaN.
double numberOf(const std::string& text) {
    double value = NAN;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : NAN;
}

} // namespace

double targetDb(const TargetCurve& target, double hz) {
    switch (target.kind) {
    case TargetCurve::Kind::Flat:
        return 0.0;
    case TargetCurve::Kind::House:
        if (hz >= target.cornerHz)
            return 0.0;
        if (hz <= kHouseFloorHz)
            return target.riseDb;
        return target.riseDb * std::log(target.cornerHz / hz) / std::log(target.cornerHz / kHouseFloorHz);
    case TargetCurve::Kind::Own:
        break;
    }
    const auto& p = target.points;
    if (p.empty())
        return 0.0;
    if (hz <= p.front().first)
        return p.front().second;
    if (hz >= p.back().first)
        return p.back().second;
    const auto upper = std::upper_bound(
        p.begin(), p.end(), hz, [](double f, const std::pair<double, double>& q) { return f < q.first; });
    const auto lower = upper - 1;
    const double share = std::log(hz / lower->first) / std::log(upper->first / lower->first);
    return lower->second + share * (upper->second - lower->second);
}

TargetCurve parseTargetText(const std::string& text) {
    TargetCurve target;
    if (text == "flat")
        return target;
    target.kind = TargetCurve::Kind::House;
    if (text == "house")
        return target;
    const std::string prefix = "house:";
    const std::size_t at = text.find('@');
    if (text.rfind(prefix, 0) == 0 && at != std::string::npos) {
        target.riseDb = numberOf(text.substr(prefix.size(), at - prefix.size()));
        target.cornerHz = numberOf(text.substr(at + 1));
        if (target.riseDb >= 0.0 && target.riseDb <= 20.0 && target.cornerHz >= 21.0 &&
            target.cornerHz <= 500.0)
            return target;
    }
    throw UserError("目標は flat、house または house:DB@HZ (DB は 0 から 20、HZ は 21 から 500) です: \"" +
                    text + "\"");
}

} // namespace kolmarin
