#include "model/acoustics/reference_accumulation.h"

#include "model/acoustics/image_tables.h"
#include "model/errors.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kolmarin {

namespace {

// The whole sample an image at distance r arrives at; later ones all add at the last.
int delaySample(double r) {
    const double d = std::nearbyint(r * kSamplesPerMetre); // halves to even
    return d <= kLastDelaySample ? static_cast<int>(d) : kLastDelaySample;
}

constexpr double kLargestDouble = std::numeric_limits<double>::max();

// Walks every image in loop order with full checks and throws the first fault it meets
// (division by zero, invalid operation, overflow). Returns normally when there is none.
void raiseFirstImageFault(const detail::AxisTables& t) {
    ImpulseResponses h;
    detail::clearResponses(h, t.sources.size());
    auto add = [](std::vector<double>& response, double r2, double factor) {
        if (!std::isfinite(r2))
            throw UserError(msg::kOverflow);
        const double r = std::sqrt(r2);
        if (!std::isfinite(r * kSamplesPerMetre))
            throw UserError(msg::kOverflow);
        const int d = delaySample(r);
        if (r == 0.0)
            throw UserError(factor == 0.0 ? msg::kInvalidOperation : msg::kZeroDivide);
        const double v = factor / r;
        if (!std::isfinite(v) || !std::isfinite(response[d] + v))
            throw UserError(msg::kOverflow);
        response[d] += v;
    };
    for (int a = 0; a < t.count; ++a)
        for (int b = 0; b < t.count; ++b)
            for (int c = 0; c < t.count; ++c) {
                const double rab = t.rx[a] * t.ry[b];
                const double factor = rab * t.rz[c];
                if (!std::isfinite(rab) || !std::isfinite(factor))
                    throw UserError(msg::kOverflow);
                for (std::size_t s = 0; s < t.sources.size(); ++s) {
                    const detail::SourceTables& source = t.sources[s];
                    add(h.sources[s], source.x2[a] + source.y2[b] + source.z2[c], factor);
                }
            }
}

} // namespace

void accumulateImpulseResponsesReference(const Scene& scene, ImpulseResponses& out, int seat) {
    const detail::AxisTables t = detail::buildAxisTables(scene, seat);
    detail::clearResponses(out, scene.sources.size());
    out.delays = DelayModel::Sample;
    // A path of length zero divides by zero; a squared length beyond the range of a double
    // overflows, though its amplitude 1/r would quietly come out as zero.
    bool faultyPath = false;
    for (int a = 0; a < t.count; ++a)
        for (int b = 0; b < t.count; ++b)
            for (int c = 0; c < t.count; ++c) {
                const double factor = t.rx[a] * t.ry[b] * t.rz[c];
                for (std::size_t s = 0; s < t.sources.size(); ++s) {
                    const detail::SourceTables& source = t.sources[s];
                    const double r = std::sqrt(source.x2[a] + source.y2[b] + source.z2[c]);
                    faultyPath |= !(r > 0.0 && r <= kLargestDouble);
                    out.sources[s][delaySample(r)] += factor / r;
                }
            }
    const auto finite = [](const std::vector<double>& h) {
        return std::all_of(h.begin(), h.end(), [](double v) { return std::isfinite(v); });
    };
    if (faultyPath || !std::all_of(out.sources.begin(), out.sources.end(), finite)) {
        raiseFirstImageFault(t);
        throw UserError(msg::kOverflow);
    }
}

} // namespace kolmarin
