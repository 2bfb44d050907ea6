#include "model/acoustics/response.h"

#include "model/acoustics/image_accumulation.h"
#include "model/acoustics/image_tables.h"
#include "model/acoustics/worker_pool.h"
#include "model/errors.h"
#include "model/fft/fft.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

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
int positiveWallCount(int i) {
    return i >= 0 ? (i + 1) / 2 : -i / 2;
}
int negativeWallCount(int i) {
    return i >= 0 ? i / 2 : (-i + 1) / 2;
}

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

void raiseFirstImageFault(const AxisTables& t) {
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

namespace {
constexpr double kLargestDouble = std::numeric_limits<double>::max();
}

void accumulateImpulseResponsesReference(const Scene& scene, ImpulseResponses& out) {
    const detail::AxisTables t = detail::buildAxisTables(scene);
    std::fill(out.h1.begin(), out.h1.end(), 0.0);
    std::fill(out.h2.begin(), out.h2.end(), 0.0);
    // A path of length zero divides by zero; a squared length beyond the range of a double
    // overflows, though its amplitude 1/r would quietly come out as zero.
    bool faultyPath = false;
    for (int a = 0; a < t.count; ++a)
        for (int b = 0; b < t.count; ++b)
            for (int c = 0; c < t.count; ++c) {
                const double factor = t.rx[a] * t.ry[b] * t.rz[c];
                const double r1 = std::sqrt(t.sp1X2[a] + t.sp1Y2[b] + t.sp1Z2[c]);
                const double r2 = std::sqrt(t.sp2X2[a] + t.sp2Y2[b] + t.sp2Z2[c]);
                faultyPath |= !(r1 > 0.0 && r1 <= kLargestDouble) | !(r2 > 0.0 && r2 <= kLargestDouble);
                out.h1[detail::delaySample(r1)] += factor / r1;
                out.h2[detail::delaySample(r2)] += factor / r2;
            }
    const auto finite = [](const std::vector<double>& h) {
        return std::all_of(h.begin(), h.end(), [](double v) { return std::isfinite(v); });
    };
    if (faultyPath || !finite(out.h1) || !finite(out.h2)) {
        detail::raiseFirstImageFault(t);
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

// The transform buffers of one calculating thread, kept between calculations: three
// inputs and spectra of 8192 complex values would otherwise be fresh allocations, and
// fresh pages, every time.
struct TransformBuffers {
    std::vector<Complex> inputs[3];
    std::vector<Complex> spectra[3];
    std::array<double, kCurvePoints> levels[3];
    TransformBuffers() {
        for (int curve = 0; curve < 3; ++curve) {
            inputs[curve].resize(kTransformLength);
            spectra[curve].resize(kTransformLength);
        }
    }
};

TransformBuffers& transformBuffers() {
    thread_local TransformBuffers buffers;
    return buffers;
}

// The first level of a curve that cannot be taken: element and message; or, when the
// caller asked for it, the first bin whose power lies within the rounding noise.
struct LevelFault {
    int element = kCurvePoints;
    const char* message = nullptr;
    bool withinNoise = false;
};

// Levels in dB of bins first + 1 .. last + 1 into levels[first .. last]; stops at the
// first bin whose power overflows or is zero (the logarithm of zero divides by zero), or
// is at most `noisePower`.
LevelFault takeLevels(const std::vector<Complex>& spectrum, std::array<double, kCurvePoints>& levels,
                      const ElementRange& range, double noisePower) {
    for (int j = range.first; j <= range.last; ++j) {
        const Complex& z = spectrum[static_cast<std::size_t>(j + 1)];
        const double power = z.re * z.re + z.im * z.im;
        if (!std::isfinite(power))
            return {j, msg::kOverflow};
        if (power <= noisePower)
            return {j, nullptr, true};
        if (power == 0.0)
            return {j, msg::kZeroDivide};
        levels[static_cast<std::size_t>(j)] = 20.0 * std::log10(std::sqrt(power));
    }
    return {};
}

// Input `curve` of the transforms: h1, h2 or their sum, with zero imaginary parts.
void fillInput(int curve, const double* h1, const double* h2, Complex* in) {
    if (curve < 2) {
        const double* h = curve == 0 ? h1 : h2;
        for (int n = 0; n < kTransformLength; ++n)
            in[n] = {h[n], 0.0};
    } else {
        for (int n = 0; n < kTransformLength; ++n)
            in[n] = {h1[n] + h2[n], 0.0};
    }
}

// Transforms the impulse responses and stores the levels of bins 2f+1 at elements 2f for
// the scene's range. Every level is computed before the first one is stored, and a fault
// is the one met first going through the elements in order, SP1, SP2, Total at each.
// Returns false, storing nothing and raising nothing, when the first such bin has a power
// at most its curve's `noisePower` (a negative bound never applies).
bool storeLevels(const Scene& scene, const ImpulseResponses& h, ResponseCurves& curves,
                 const std::array<double, 3>& noisePower, bool inCaller) {
    const double* h1 = h.h1.data();
    const double* h2 = h.h2.data();
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    TransformBuffers& b = transformBuffers();
    LevelFault faults[3];

    // A transform's output is bounded by the sum of its input's magnitudes, so samples of at
    // most 1e290 cannot overflow anywhere in it; only larger ones (or infinities and NaN,
    // which fail the comparison) need every value checked.
    int large = 0;
    for (int n = 0; n < kTransformLength; ++n)
        large += !(std::fabs(h1[n]) <= 1e290) + !(std::fabs(h2[n]) <= 1e290);
    if (large == 0) {
        // The three transforms and their levels are independent: they run side by side.
        const auto transform = [&](int curve) {
            fillInput(curve, h1, h2, b.inputs[curve].data());
            forwardFft(b.inputs[curve].data(), b.spectra[curve].data(), kTransformLength);
            faults[curve] = takeLevels(b.spectra[curve], b.levels[curve], range, noisePower[curve]);
        };
        if (inCaller) {
            for (int curve = 0; curve < 3; ++curve)
                transform(curve);
        } else {
            WorkerPool::shared().run(3, transform);
        }
    } else {
        for (int curve = 0; curve < 3; ++curve) {
            Complex* in = b.inputs[curve].data();
            fillInput(curve, h1, h2, in);
            for (int n = 0; n < kTransformLength; ++n)
                if (!std::isfinite(in[n].re))
                    throw UserError(msg::kOverflow);
            forwardFft(in, b.spectra[curve].data(), kTransformLength);
        }
        for (const auto& spectrum : b.spectra)
            for (const Complex& z : spectrum)
                if (!std::isfinite(z.re) || !std::isfinite(z.im))
                    throw UserError(msg::kOverflow);
        for (int curve = 0; curve < 3; ++curve)
            faults[curve] = takeLevels(b.spectra[curve], b.levels[curve], range, noisePower[curve]);
    }

    const LevelFault* first = &faults[0];
    for (const LevelFault& f : faults)
        if (f.element < first->element)
            first = &f;
    if (first->withinNoise)
        return false;
    if (first->message)
        throw UserError(first->message);
    if (range.first > range.last)
        return true;
    for (auto [levels, stored] : {std::pair{&b.levels[0], &curves.sp1}, std::pair{&b.levels[1], &curves.sp2},
                                  std::pair{&b.levels[2], &curves.total}})
        std::copy(levels->begin() + range.first, levels->begin() + range.last + 1,
                  stored->begin() + range.first);
    return true;
}

constexpr std::array<double, 3> kNoNoiseBound{-1.0, -1.0, -1.0};

// The powers below which a level of the fast accumulation is rounding noise: the images
// summed in another order could leave another residue there, or an exact zero, whose
// logarithm fails. The scale of each curve is the sum of its samples' magnitudes and of
// its direct sounds' amplitudes; its rounding noise lies some nine orders of magnitude
// below, and any real level far above.
std::array<double, 3> roundingNoisePowers(const Scene& scene, const ImpulseResponses& h) {
    const auto direct = [&](const Point3& source) {
        const double dx = source.x - scene.listener.x, dy = source.y - scene.listener.y,
                     dz = source.z - scene.listener.z;
        const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        return std::isfinite(1.0 / r) ? 1.0 / r : 0.0;
    };
    const auto magnitudes = [](const std::vector<double>& samples) {
        double sum = 0.0;
        for (double v : samples)
            sum += std::fabs(v);
        return sum;
    };
    const double scale1 = magnitudes(h.h1) + direct(scene.sp1);
    const double scale2 = magnitudes(h.h2) + direct(scene.sp2);
    const auto noise = [](double scale) { return (1e-9 * scale) * (1e-9 * scale); };
    return {noise(scale1), noise(scale2), noise(scale1 + scale2)};
}

// One calculation, on the pool or wholly in the calling thread; the same steps either way.
void calculate(const Scene& scene, ResponseCurves& curves, bool inCaller,
               ImpulseResponses* impulses = nullptr) {
    ImpulseResponses h;
    detail::FastAccumulationOptions options;
    options.inCaller = inCaller;
    detail::accumulateImagesFast(scene, h, options);
    // Where a level is rounding noise, the straightforward order of the images decides it,
    // as it decides whether an exact zero fails.
    if (!storeLevels(scene, h, curves, roundingNoisePowers(scene, h), inCaller)) {
        accumulateImpulseResponsesReference(scene, h);
        storeLevels(scene, h, curves, kNoNoiseBound, inCaller);
    }
    if (impulses)
        *impulses = std::move(h);
}

// Whether SP1's and SP2's levels over `range` certainly have no fault (every
// power finite and far above its rounding noise), judged from one transform of h1 + i h2:
// bin k of it gives H1(k) = (P(k) + conj P(n-k)) / 2 and H2(k) = (P(k) - conj P(n-k)) / 2i
// up to rounding far below the margins used here.
bool loudspeakerLevelsSound(const ElementRange& range, const ImpulseResponses& h,
                            const std::array<double, 3>& noise) {
    TransformBuffers& b = transformBuffers();
    Complex* packed = b.inputs[0].data();
    for (int n = 0; n < kTransformLength; ++n)
        packed[n] = {h.h1[static_cast<std::size_t>(n)], h.h2[static_cast<std::size_t>(n)]};
    // In place, as the Total's transform after it: one buffer for both.
    Complex* p = packed;
    forwardFft(packed, p, kTransformLength);
    // Each noise power is (1e-9 scale)^2 for its curve's scale; the packed transform's
    // rounding stays some 1e-14 of both scales together, below `slack`.
    const double slack = 1e-3 * std::sqrt(noise[2]);
    const double least1 = 2.0 * std::sqrt(noise[0]) + slack, least2 = 2.0 * std::sqrt(noise[1]) + slack;
    const double lowest1 = least1 * least1, lowest2 = least2 * least2;
    for (int j = range.first; j <= range.last; ++j) {
        const Complex a = p[j + 1], c = p[kTransformLength - j - 1];
        const double re1 = 0.5 * (a.re + c.re), im1 = 0.5 * (a.im - c.im);
        const double re2 = 0.5 * (a.im + c.im), im2 = 0.5 * (c.re - a.re);
        const double power1 = re1 * re1 + im1 * im1, power2 = re2 * re2 + im2 * im2;
        if (!(power1 > lowest1 && power2 > lowest2 && power1 < 1e300 && power2 < 1e300))
            return false;
    }
    return true;
}

} // namespace

void calculateTotalInCaller(const Scene& scene, ResponseCurves& curves) {
    ImpulseResponses h;
    detail::FastAccumulationOptions options;
    options.inCaller = true;
    detail::accumulateImagesFast(scene, h, options);
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    bool small = range.first <= range.last;
    for (int n = 0; n < kTransformLength && small; ++n)
        small = std::fabs(h.h1[static_cast<std::size_t>(n)]) <= 1e290 &&
                std::fabs(h.h2[static_cast<std::size_t>(n)]) <= 1e290;
    const std::array<double, 3> noise = roundingNoisePowers(scene, h);
    // Where SP1's or SP2's levels could fault, or the Total's lie in the noise, the whole
    // calculation decides, as the chart's does.
    if (!small || !loudspeakerLevelsSound(range, h, noise)) {
        calculate(scene, curves, true);
        return;
    }
    TransformBuffers& b = transformBuffers();
    fillInput(2, h.h1.data(), h.h2.data(), b.inputs[0].data());
    forwardFft(b.inputs[0].data(), b.inputs[0].data(), kTransformLength);
    const LevelFault fault = takeLevels(b.inputs[0], b.levels[2], range, noise[2]);
    if (fault.withinNoise) {
        calculate(scene, curves, true);
        return;
    }
    if (fault.message)
        throw UserError(fault.message);
    std::copy(b.levels[2].begin() + range.first, b.levels[2].begin() + range.last + 1,
              curves.total.begin() + range.first);
}

void calculateResponse(const Scene& scene, ResponseCurves& curves) {
    calculate(scene, curves, false);
}

void calculateResponse(const Scene& scene, ResponseCurves& curves, ImpulseResponses& impulses) {
    calculate(scene, curves, false, &impulses);
}

void calculateResponseInCaller(const Scene& scene, ResponseCurves& curves) {
    calculate(scene, curves, true);
}

void calculateResponseReference(const Scene& scene, ResponseCurves& curves) {
    ImpulseResponses h;
    accumulateImpulseResponsesReference(scene, h);
    storeLevels(scene, h, curves, kNoNoiseBound, false);
}

void accumulateImpulseResponses(const Scene& scene, ImpulseResponses& out) {
    detail::accumulateImagesFast(scene, out);
}

} // namespace kolmarin
