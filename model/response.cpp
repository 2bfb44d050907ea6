#include "model/response.h"

#include "model/errors.h"
#include "model/ffts.h"
#include "model/image_tables.h"

#include <algorithm>
#include <cmath>

namespace kolmarin {

namespace detail {

namespace {

// p^n by repeated multiplication from 1.0, rounded to double at each step; p^0 is 1.
double power(double p, int n) {
    double r = 1.0;
    for (int k = 0; k < n; ++k)
        r *= p;
    return r;
}

// Reflections of image i on the axis's positive wall (right, front, ceiling) and on its
// negative wall (left, back, floor); together they make |i|.
int positiveWallCount(int i) { return i >= 0 ? (i + 1) / 2 : -i / 2; }
int negativeWallCount(int i) { return i >= 0 ? i / 2 : (-i + 1) / 2; }

void requireFinite(const std::vector<double>& values) {
    for (double v : values)
        if (!std::isfinite(v))
            throw UserError(msg::kOverflow);
}

// Squared distance components along one axis of length L from the images of a source at
// centred coordinate s to the listener at centred coordinate l.
std::vector<double> squaredDistances(int n, double length, double s, double l) {
    std::vector<double> out;
    out.reserve(static_cast<std::size_t>(2 * n + 1));
    for (int i = -n; i <= n; ++i) {
        const double sigma = (i % 2 == 0) ? 1.0 : -1.0;
        const double diff = sigma * s + i * length - l;
        out.push_back(diff * diff);
    }
    requireFinite(out);
    return out;
}

std::vector<double> reflectionFactors(int n, double positiveWall, double negativeWall) {
    std::vector<double> out;
    out.reserve(static_cast<std::size_t>(2 * n + 1));
    for (int i = -n; i <= n; ++i)
        out.push_back(power(positiveWall, positiveWallCount(i)) * power(negativeWall, negativeWallCount(i)));
    requireFinite(out);
    return out;
}

struct Centred {
    double x, y, z;
};

// Room-centred coordinates; y is turned round so it grows towards the front wall.
Centred centre(const Point3& p, const Scene& s) {
    return {p.x - s.width / 2, s.depth / 2 - p.y, p.z - s.height / 2};
}

int delaySample(double r) {
    const double d = std::nearbyint(r * kSamplesPerMetre); // halves to even
    return d <= kLastDelaySample ? static_cast<int>(d) : kLastDelaySample;
}

} // namespace

AxisTables buildAxisTables(const Scene& s) {
    AxisTables t;
    const int n = s.reflectionCount;
    if (n < 0)
        return t;
    t.count = 2 * n + 1;
    const Centred l = centre(s.listener, s);
    const Centred p1 = centre(s.sp1, s);
    const Centred p2 = centre(s.sp2, s);
    t.sp1X2 = squaredDistances(n, s.width, p1.x, l.x);
    t.sp1Y2 = squaredDistances(n, s.depth, p1.y, l.y);
    t.sp1Z2 = squaredDistances(n, s.height, p1.z, l.z);
    t.sp2X2 = squaredDistances(n, s.width, p2.x, l.x);
    t.sp2Y2 = squaredDistances(n, s.depth, p2.y, l.y);
    t.sp2Z2 = squaredDistances(n, s.height, p2.z, l.z);
    t.rx = reflectionFactors(n, s.reflRight, s.reflLeft);
    t.ry = reflectionFactors(n, s.reflFront, s.reflBack);
    t.rz = reflectionFactors(n, s.reflCeiling, s.reflFloor);
    return t;
}

void raiseFirstImageFault(const Scene& scene, const AxisTables& t) {
    (void)scene;
    ImpulseResponses h;
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
                add(h.h1, t.sp1X2[a] + t.sp1Y2[b] + t.sp1Z2[c], factor);
                add(h.h2, t.sp2X2[a] + t.sp2Y2[b] + t.sp2Z2[c], factor);
            }
}

} // namespace detail

void accumulateImpulseResponsesReference(const Scene& scene, ImpulseResponses& out) {
    const detail::AxisTables t = detail::buildAxisTables(scene);
    std::fill(out.h1.begin(), out.h1.end(), 0.0);
    std::fill(out.h2.begin(), out.h2.end(), 0.0);
    bool sourceOnListener = false;
    for (int a = 0; a < t.count; ++a)
        for (int b = 0; b < t.count; ++b)
            for (int c = 0; c < t.count; ++c) {
                const double factor = t.rx[a] * t.ry[b] * t.rz[c];
                const double r1 = std::sqrt(t.sp1X2[a] + t.sp1Y2[b] + t.sp1Z2[c]);
                const double r2 = std::sqrt(t.sp2X2[a] + t.sp2Y2[b] + t.sp2Z2[c]);
                sourceOnListener |= (r1 == 0.0) | (r2 == 0.0);
                out.h1[detail::delaySample(r1)] += factor / r1;
                out.h2[detail::delaySample(r2)] += factor / r2;
            }
    const auto finite = [](const std::vector<double>& h) {
        return std::all_of(h.begin(), h.end(), [](double v) { return std::isfinite(v); });
    };
    if (sourceOnListener || !finite(out.h1) || !finite(out.h2)) {
        detail::raiseFirstImageFault(scene, t);
        throw UserError(msg::kOverflow);
    }
}

ElementRange storedElements(std::int32_t start, std::int32_t end) {
    ElementRange r;
    if (start > end)
        return r;
    const long long first = std::max<long long>(2LL * start, 0);
    const long long last = std::min<long long>(2LL * end, kCurvePoints - 1);
    if (first > last)
        return r;
    r.first = static_cast<int>(first);
    r.last = static_cast<int>(last);
    return r;
}

namespace {

// Transforms the impulse responses and stores the levels of bins 2f+1 at elements 2f for
// the scene's range. Every level is computed before the first one is stored.
void storeLevels(const Scene& scene, const ImpulseResponses& h, ResponseCurves& curves) {
    std::vector<TComplexNum> in(kTransformLength), out1(kTransformLength), out2(kTransformLength),
        out3(kTransformLength);
    for (int n = 0; n < kTransformLength; ++n)
        in[n] = {h.h1[n], 0.0};
    ForwardFft(in.data(), out1.data(), kTransformLength);
    for (int n = 0; n < kTransformLength; ++n)
        in[n] = {h.h2[n], 0.0};
    ForwardFft(in.data(), out2.data(), kTransformLength);
    for (int n = 0; n < kTransformLength; ++n) {
        in[n] = {h.h1[n] + h.h2[n], 0.0};
        if (!std::isfinite(in[n].re))
            throw UserError(msg::kOverflow);
    }
    ForwardFft(in.data(), out3.data(), kTransformLength);
    for (const auto* spectrum : {&out1, &out2, &out3})
        for (const TComplexNum& z : *spectrum)
            if (!std::isfinite(z.re) || !std::isfinite(z.im))
                throw UserError(msg::kOverflow);

    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    if (range.first > range.last)
        return;
    auto level = [](const TComplexNum& z) {
        const double power = z.re * z.re + z.im * z.im;
        if (!std::isfinite(power))
            throw UserError(msg::kOverflow);
        if (power == 0.0)
            throw UserError(msg::kZeroDivide);
        return 20.0 * std::log10(std::sqrt(power));
    };
    const int count = range.last - range.first + 1;
    std::vector<double> l1(count), l2(count), l3(count);
    for (int j = 0; j < count; ++j) {
        const int bin = range.first + j + 1;
        l1[j] = level(out1[bin]);
        l2[j] = level(out2[bin]);
        l3[j] = level(out3[bin]);
    }
    std::copy(l1.begin(), l1.end(), curves.sp1.begin() + range.first);
    std::copy(l2.begin(), l2.end(), curves.sp2.begin() + range.first);
    std::copy(l3.begin(), l3.end(), curves.total.begin() + range.first);
}

} // namespace

void calculateResponse(const Scene& scene, ResponseCurves& curves) {
    ImpulseResponses h;
    accumulateImpulseResponses(scene, h);
    storeLevels(scene, h, curves);
}

void calculateResponseReference(const Scene& scene, ResponseCurves& curves) {
    ImpulseResponses h;
    accumulateImpulseResponsesReference(scene, h);
    storeLevels(scene, h, curves);
}

// Until the fast accumulation lands, the program uses the reference loop.
void accumulateImpulseResponses(const Scene& scene, ImpulseResponses& out) {
    accumulateImpulseResponsesReference(scene, out);
}

} // namespace kolmarin
