#include "model/acoustics/response.h"

#include "model/acoustics/continuous_delays.h"
#include "model/acoustics/image_accumulation.h"
#include "model/acoustics/image_tables.h"
#include "model/acoustics/overflow_detail.h"
#include "model/acoustics/worker_pool.h"
#include "model/errors.h"
#include "model/fft/fft.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
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
// centred coordinate s to the seat at centred coordinate l.
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

AxisTables buildAxisTables(const Scene& s, int seat) {
    AxisTables t;
    const int n = s.reflectionCount;
    if (n < 0)
        return t;
    t.count = 2 * n + 1;
    const Centred l = centre(s.seats.at(static_cast<std::size_t>(seat)), s);
    for (const Source& source : s.sources) {
        const Centred p = centre(source.position, s);
        t.sources.push_back({squaredDistances(n, s.width, p.x, l.x), squaredDistances(n, s.depth, p.y, l.y),
                             squaredDistances(n, s.height, p.z, l.z)});
    }
    t.rx = reflectionFactors(n, s.reflRight, s.reflLeft);
    t.ry = reflectionFactors(n, s.reflFront, s.reflBack);
    t.rz = reflectionFactors(n, s.reflCeiling, s.reflFloor);
    return t;
}

void clearResponses(ImpulseResponses& out, std::size_t sources) {
    out.sources.resize(sources);
    for (std::vector<double>& h : out.sources) {
        h.resize(kTransformLength);
        std::fill(h.begin(), h.end(), 0.0);
    }
}

void raiseFirstImageFault(const AxisTables& t) {
    ImpulseResponses h;
    clearResponses(h, t.sources.size());
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
                    const SourceTables& source = t.sources[s];
                    add(h.sources[s], source.x2[a] + source.y2[b] + source.z2[c], factor);
                }
            }
}

} // namespace detail

namespace {
constexpr double kLargestDouble = std::numeric_limits<double>::max();
}

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
                    out.sources[s][detail::delaySample(r)] += factor / r;
                }
            }
    const auto finite = [](const std::vector<double>& h) {
        return std::all_of(h.begin(), h.end(), [](double v) { return std::isfinite(v); });
    };
    if (faultyPath || !std::all_of(out.sources.begin(), out.sources.end(), finite)) {
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

// The transform buffers of one calculating thread, kept between calculations: the inputs
// and spectra of 8192 complex values would otherwise be fresh allocations, and fresh
// pages, every time. Curve s < sources is source s alone, the last one the Total.
struct TransformBuffers {
    std::vector<std::vector<Complex>> inputs;
    std::vector<std::vector<Complex>> spectra;
    std::vector<Curve> levels;

    void reserveCurves(std::size_t curves) {
        while (inputs.size() < curves) {
            inputs.emplace_back(kTransformLength);
            spectra.emplace_back(kTransformLength);
            levels.emplace_back();
        }
    }
};

TransformBuffers& transformBuffers(std::size_t curves) {
    thread_local TransformBuffers buffers;
    buffers.reserveCurves(curves);
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
LevelFault takeLevels(const std::vector<Complex>& spectrum, Curve& levels, const ElementRange& range,
                      double noisePower) {
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

// Input `curve` of the transforms: one source's response, or (curve == sources) the sum
// of all of them, with zero imaginary parts.
void fillInput(std::size_t curve, const ImpulseResponses& h, Complex* in) {
    const std::size_t sources = h.sources.size();
    if (sources == 0) {
        // No source: the Total is silence, whose level fails as any silent spectrum's does.
        std::fill(in, in + kTransformLength, Complex{0.0, 0.0});
        return;
    }
    const double* first = h.sources[curve < sources ? curve : 0].data();
    if (curve < sources || sources == 1) {
        for (int n = 0; n < kTransformLength; ++n)
            in[n] = {first[n], 0.0};
        return;
    }
    // The first two in one pass: the pair's Total is filled once per spread of a map point.
    const double* second = h.sources[1].data();
    for (int n = 0; n < kTransformLength; ++n)
        in[n] = {first[n] + second[n], 0.0};
    for (std::size_t s = 2; s < sources; ++s) {
        const double* other = h.sources[s].data();
        for (int n = 0; n < kTransformLength; ++n)
            in[n].re += other[n];
    }
}

bool allPlain(const Scene& scene) {
    return std::all_of(scene.sources.begin(), scene.sources.end(), [](const Source& s) { return s.plain(); });
}

// The factor a source's level and polarity put on its whole spectrum.
double gainOf(const Source& source) {
    return std::pow(10.0, source.levelDb / 20.0) * (source.reversed ? -1.0 : 1.0);
}

// The factor the source puts on its spectrum at `frequency`: its gain, the delay's phase
// turn e^(-2 pi i f delay) and its crossover branch.
Complex sourceFactor(const Source& source, double gain, double frequency) {
    const double phase = -2.0 * std::numbers::pi * frequency * (source.delayMs / 1000.0);
    const Complex factor{gain * std::cos(phase), gain * std::sin(phase)};
    if (source.branch == CrossoverBranch::Full)
        return factor;
    return factor * crossoverResponse(source.branch, frequency, source.crossoverHz);
}

// The source's factor on its spectrum: bin k, at k/2 Hz.
void shapeSpectrum(const Source& source, std::vector<Complex>& spectrum) {
    const double gain = gainOf(source);
    for (int k = 0; k < kTransformLength; ++k) {
        Complex& z = spectrum[static_cast<std::size_t>(k)];
        z = z * sourceFactor(source, gain, k * 0.5);
    }
}

// The source's impulse response as it reaches the Total: its transform times the factor,
// taken at each bin's own frequency (negative above the middle bin, so the result stays
// real), transformed back.
void shapeImpulse(const Source& source, std::vector<double>& impulse) {
    std::vector<Complex> spectrum(kTransformLength);
    for (int n = 0; n < kTransformLength; ++n)
        spectrum[static_cast<std::size_t>(n)] = {impulse[static_cast<std::size_t>(n)], 0.0};
    forwardFft(spectrum.data(), spectrum.data(), kTransformLength);
    const double gain = gainOf(source);
    for (int k = 0; k < kTransformLength; ++k) {
        const bool negative = k > kTransformLength / 2;
        Complex factor = sourceFactor(source, gain, (negative ? kTransformLength - k : k) * 0.5);
        // Above the middle the factor of the mirrored frequency, conjugated; the inverse
        // transform is the forward one of the conjugate, conjugated back (its real part).
        if (negative)
            factor.im = -factor.im;
        Complex& z = spectrum[static_cast<std::size_t>(k)];
        z = z * factor;
        z.im = -z.im;
    }
    forwardFft(spectrum.data(), spectrum.data(), kTransformLength);
    for (int n = 0; n < kTransformLength; ++n)
        impulse[static_cast<std::size_t>(n)] = spectrum[static_cast<std::size_t>(n)].re / kTransformLength;
}

void requireFiniteSpectra(const TransformBuffers& b, std::size_t curves) {
    for (std::size_t curve = 0; curve < curves; ++curve)
        for (const Complex& z : b.spectra[curve])
            if (!std::isfinite(z.re) || !std::isfinite(z.im))
                throw UserError(msg::kOverflow);
}

// Runs task(0..count-1) on the pool, or one after another in the caller.
void runCurves(int count, const std::function<void(int)>& task, bool inCaller) {
    if (inCaller) {
        for (int curve = 0; curve < count; ++curve)
            task(curve);
    } else {
        WorkerPool::shared().run(count, task);
    }
}

// Transforms the impulse responses and stores the levels of bins 2f+1 at elements 2f for
// the scene's range. Every level is computed before the first one is stored, and a fault
// is the one met first going through the elements in order, each source and then the
// Total at each. Returns false, storing nothing and raising nothing, when the first such
// bin has a power at most its curve's `noisePower` (a negative bound never applies).
bool storeLevels(const Scene& scene, const ImpulseResponses& h, ResponseCurves& curves,
                 const std::vector<double>& noisePower, bool inCaller) {
    const std::size_t sources = h.sources.size();
    const std::size_t curveCount = sources + 1;
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    TransformBuffers& b = transformBuffers(curveCount);
    std::vector<LevelFault> faults(curveCount);
    const auto levels = [&](int curve) {
        faults[static_cast<std::size_t>(curve)] =
            takeLevels(b.spectra[static_cast<std::size_t>(curve)], b.levels[static_cast<std::size_t>(curve)],
                       range, noisePower[static_cast<std::size_t>(curve)]);
    };

    // A transform's output is bounded by the sum of its input's magnitudes, so samples of at
    // most 1e290 cannot overflow anywhere in it; only larger ones (or infinities and NaN,
    // which fail the comparison) need every value checked.
    int large = 0;
    for (const std::vector<double>& response : h.sources)
        for (int n = 0; n < kTransformLength; ++n)
            large += !(std::fabs(response[static_cast<std::size_t>(n)]) <= 1e290);
    const bool plain = allPlain(scene);
    if (large == 0 && plain) {
        // The transforms and their levels are independent: they run side by side.
        runCurves(
            static_cast<int>(curveCount),
            [&](int curve) {
                fillInput(static_cast<std::size_t>(curve), h,
                          b.inputs[static_cast<std::size_t>(curve)].data());
                forwardFft(b.inputs[static_cast<std::size_t>(curve)].data(),
                           b.spectra[static_cast<std::size_t>(curve)].data(), kTransformLength);
                levels(curve);
            },
            inCaller);
    } else {
        // Plain sources add in time, as the room adds them; shaped ones add as spectra.
        const std::size_t transforms = plain ? curveCount : sources;
        for (std::size_t curve = 0; curve < transforms; ++curve) {
            Complex* in = b.inputs[curve].data();
            fillInput(curve, h, in);
            for (int n = 0; n < kTransformLength; ++n)
                if (!std::isfinite(in[n].re))
                    throw UserError(msg::kOverflow);
            forwardFft(in, b.spectra[curve].data(), kTransformLength);
        }
        if (!plain) {
            std::vector<Complex>& total = b.spectra[sources];
            std::fill(total.begin(), total.end(), Complex{0.0, 0.0});
            for (std::size_t s = 0; s < sources; ++s) {
                shapeSpectrum(scene.sources[s], b.spectra[s]);
                for (int k = 0; k < kTransformLength; ++k) {
                    total[static_cast<std::size_t>(k)].re += b.spectra[s][static_cast<std::size_t>(k)].re;
                    total[static_cast<std::size_t>(k)].im += b.spectra[s][static_cast<std::size_t>(k)].im;
                }
            }
        }
        requireFiniteSpectra(b, curveCount);
        for (std::size_t curve = 0; curve < curveCount; ++curve)
            levels(static_cast<int>(curve));
    }

    const LevelFault* first = &faults[0];
    for (const LevelFault& f : faults)
        if (f.element < first->element)
            first = &f;
    if (first->withinNoise)
        return false;
    if (first->message)
        throw UserError(first->message);
    if (curves.sources.size() != sources)
        curves.sources.assign(sources, Curve{});
    if (range.first > range.last)
        return true;
    for (std::size_t curve = 0; curve < curveCount; ++curve) {
        Curve& stored = curve < sources ? curves.sources[curve] : curves.total;
        std::copy(b.levels[curve].begin() + range.first, b.levels[curve].begin() + range.last + 1,
                  stored.begin() + range.first);
    }
    return true;
}

std::vector<double> noNoiseBound(const ImpulseResponses& h) {
    return std::vector<double>(h.sources.size() + 1, -1.0);
}

// The powers below which a level of the fast accumulation is rounding noise: the images
// summed in another order could leave another residue there, or an exact zero, whose
// logarithm fails. The scale of each curve is the sum of its samples' magnitudes and of
// its direct sound's amplitude, times its gain; the Total's the sum of those. Rounding
// noise lies some nine orders of magnitude below, and any real level far above.
std::vector<double> roundingNoisePowers(const Scene& scene, const ImpulseResponses& h, int seat) {
    const Point3& place = scene.seats.at(static_cast<std::size_t>(seat));
    const auto direct = [&](const Point3& source) {
        const double dx = source.x - place.x, dy = source.y - place.y, dz = source.z - place.z;
        const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
        return std::isfinite(1.0 / r) ? 1.0 / r : 0.0;
    };
    const auto magnitudes = [](const std::vector<double>& samples) {
        double sum = 0.0;
        for (double v : samples)
            sum += std::fabs(v);
        return sum;
    };
    const auto noise = [](double scale) { return (1e-9 * scale) * (1e-9 * scale); };
    std::vector<double> powers;
    powers.reserve(h.sources.size() + 1);
    double totalScale = 0.0;
    for (std::size_t s = 0; s < h.sources.size(); ++s) {
        const Source& source = scene.sources[s];
        double scale = magnitudes(h.sources[s]) + direct(source.position);
        if (!source.plain())
            scale *= std::fabs(gainOf(source));
        powers.push_back(noise(scale));
        totalScale += scale;
    }
    powers.push_back(noise(totalScale));
    return powers;
}

// Each source's spectrum at the continuous model's bins k/2 Hz, through its level, delay,
// polarity and crossover branch, and the Total as the last one; with `totalOnly`, of
// plain sources, the Total alone. Images are left out only where they cannot show in any
// of these curves over `range`; otherwise every image counts.
std::vector<std::vector<Complex>> continuousCurves(const Scene& scene, int seat, int bins, ElementRange range,
                                                   bool inCaller, bool totalOnly) {
    const std::size_t sources = scene.sources.size();
    std::vector<std::vector<Complex>> shaped;
    for (const bool prune : {true, false}) {
        detail::ContinuousSpectra spectra =
            detail::continuousSpectra(scene, seat, bins, inCaller, prune, totalOnly);
        shaped = std::move(spectra.sources);
        if (totalOnly) {
            if (!detail::leftOutMayShow(shaped.front(), spectra.leftOut.front(), range))
                break;
            continue;
        }
        std::vector<Complex> total(static_cast<std::size_t>(bins), Complex{0.0, 0.0});
        double totalLeftOut = 0.0;
        bool shows = false;
        for (std::size_t s = 0; s < sources; ++s) {
            const Source& source = scene.sources[s];
            std::vector<Complex>& spectrum = shaped[s];
            if (!source.plain()) {
                // A crossover branch never raises a level, so the gain bounds the factor.
                const double gain = gainOf(source);
                for (int k = 0; k < bins; ++k)
                    spectrum[static_cast<std::size_t>(k)] =
                        spectrum[static_cast<std::size_t>(k)] * sourceFactor(source, gain, k * 0.5);
                spectra.leftOut[s] *= std::fabs(gain);
            }
            shows = shows || detail::leftOutMayShow(spectrum, spectra.leftOut[s], range);
            for (int k = 0; k < bins; ++k)
                total[static_cast<std::size_t>(k)] =
                    total[static_cast<std::size_t>(k)] + spectrum[static_cast<std::size_t>(k)];
            totalLeftOut += spectra.leftOut[s];
        }
        shows = shows || detail::leftOutMayShow(total, totalLeftOut, range);
        shaped.push_back(std::move(total));
        if (!shows)
            break;
    }
    return shaped;
}

// The continuous model's calculation: the levels of element j at its own frequency j/2 Hz.
// As in the whole-sample one, every level is taken before the first is stored, and the
// fault raised is the first met going through the elements, each source and then the
// Total at each.
void calculateContinuous(const Scene& scene, ResponseCurves& curves, bool inCaller, int seat,
                         ImpulseResponses* impulses, bool totalOnly = false) {
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    const int bins = impulses ? detail::kSpectrumBins : std::max(range.last + 1, 1);
    const std::vector<std::vector<Complex>> spectra =
        continuousCurves(scene, seat, bins, range, inCaller, totalOnly);
    // The Total is the last curve, or the only one.
    const std::size_t sources = spectra.size() - 1;
    std::vector<Curve> levels(sources + 1);
    for (int j = range.first; j <= range.last; ++j)
        for (std::size_t curve = 0; curve <= sources; ++curve) {
            const Complex z = spectra[curve][static_cast<std::size_t>(j)];
            const double power = z.re * z.re + z.im * z.im;
            if (!std::isfinite(power))
                throw UserError(msg::kOverflow);
            if (power == 0.0)
                throw UserError(msg::kZeroDivide);
            levels[curve][static_cast<std::size_t>(j)] = 20.0 * std::log10(std::sqrt(power));
        }
    if (!totalOnly && curves.sources.size() != sources)
        curves.sources.assign(sources, Curve{});
    for (std::size_t curve = 0; curve <= sources && range.first <= range.last; ++curve) {
        Curve& stored = curve < sources ? curves.sources[curve] : curves.total;
        std::copy(levels[curve].begin() + range.first, levels[curve].begin() + range.last + 1,
                  stored.begin() + range.first);
    }
    if (impulses) {
        impulses->sources.resize(sources);
        for (std::size_t s = 0; s < sources; ++s)
            impulses->sources[s] = detail::impulseOfSpectrum(spectra[s]);
        impulses->delays = DelayModel::Continuous;
    }
}

// One calculation, on the pool or wholly in the calling thread; the same steps either way.
void calculate(const Scene& scene, ResponseCurves& curves, bool inCaller, int seat,
               ImpulseResponses* impulses = nullptr) {
    if (scene.delays == DelayModel::Continuous) {
        calculateContinuous(scene, curves, inCaller, seat, impulses);
        return;
    }
    ImpulseResponses h;
    detail::FastAccumulationOptions options;
    options.inCaller = inCaller;
    detail::accumulateImagesFast(scene, h, options, seat);
    // Where a level is rounding noise, the straightforward order of the images decides it,
    // as it decides whether an exact zero fails.
    if (!storeLevels(scene, h, curves, roundingNoisePowers(scene, h, seat), inCaller)) {
        accumulateImpulseResponsesReference(scene, h, seat);
        storeLevels(scene, h, curves, noNoiseBound(h), inCaller);
    }
    if (impulses) {
        for (std::size_t s = 0; s < h.sources.size(); ++s)
            if (!scene.sources[s].plain())
                shapeImpulse(scene.sources[s], h.sources[s]);
        *impulses = std::move(h);
    }
}

// Whether both loudspeakers' levels over `range` certainly have no fault (every power
// finite and far above its rounding noise), judged from one transform of h1 + i h2:
// bin k of it gives H1(k) = (P(k) + conj P(n-k)) / 2 and H2(k) = (P(k) - conj P(n-k)) / 2i
// up to rounding far below the margins used here.
bool pairLevelsSound(const ElementRange& range, const ImpulseResponses& h, const std::vector<double>& noise) {
    TransformBuffers& b = transformBuffers(3);
    Complex* packed = b.inputs[0].data();
    const double* h1 = h.sources[0].data();
    const double* h2 = h.sources[1].data();
    for (int n = 0; n < kTransformLength; ++n)
        packed[n] = {h1[n], h2[n]};
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

void calculateTotalInCaller(const Scene& scene, ResponseCurves& curves, int seat) {
    // Under the continuous model plain sources' images go into one set of grids, their
    // Total. Under the whole-sample model the shortcut below packs two plain sources into
    // one transform. Any other scene takes the whole calculation.
    if (scene.delays == DelayModel::Continuous && allPlain(scene)) {
        calculateContinuous(scene, curves, true, seat, nullptr, true);
        return;
    }
    if (scene.sources.size() != 2 || !allPlain(scene)) {
        calculate(scene, curves, true, seat);
        return;
    }
    ImpulseResponses h;
    detail::FastAccumulationOptions options;
    options.inCaller = true;
    detail::accumulateImagesFast(scene, h, options, seat);
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    bool small = range.first <= range.last;
    const double* h1 = h.sources[0].data();
    const double* h2 = h.sources[1].data();
    for (int n = 0; n < kTransformLength && small; ++n)
        small = std::fabs(h1[n]) <= 1e290 && std::fabs(h2[n]) <= 1e290;
    const std::vector<double> noise = roundingNoisePowers(scene, h, seat);
    // Where a loudspeaker's levels could fault, or the Total's lie in the noise, the whole
    // calculation decides, as the chart's does.
    if (!small || !pairLevelsSound(range, h, noise)) {
        calculate(scene, curves, true, seat);
        return;
    }
    TransformBuffers& b = transformBuffers(3);
    fillInput(2, h, b.inputs[0].data());
    forwardFft(b.inputs[0].data(), b.inputs[0].data(), kTransformLength);
    const LevelFault fault = takeLevels(b.inputs[0], b.levels[2], range, noise[2]);
    if (fault.withinNoise) {
        calculate(scene, curves, true, seat);
        return;
    }
    if (fault.message)
        throw UserError(fault.message);
    std::copy(b.levels[2].begin() + range.first, b.levels[2].begin() + range.last + 1,
              curves.total.begin() + range.first);
}

void calculateResponse(const Scene& scene, ResponseCurves& curves, int seat) {
    explainingOverflow(scene, seat, [&] { calculate(scene, curves, false, seat); });
}

void calculateResponse(const Scene& scene, ResponseCurves& curves, ImpulseResponses& impulses, int seat) {
    explainingOverflow(scene, seat, [&] { calculate(scene, curves, false, seat, &impulses); });
}

void calculateResponseInCaller(const Scene& scene, ResponseCurves& curves, int seat) {
    explainingOverflow(scene, seat, [&] { calculate(scene, curves, true, seat); });
}

void calculateResponseReference(const Scene& scene, ResponseCurves& curves, int seat) {
    ImpulseResponses h;
    accumulateImpulseResponsesReference(scene, h, seat);
    storeLevels(scene, h, curves, noNoiseBound(h), false);
}

namespace {

// The impulse responses alone, as the calculation builds them.
void accumulateImpulses(const Scene& scene, ImpulseResponses& out, int seat) {
    if (scene.delays == DelayModel::Continuous) {
        // The sources as the room gives them, every image kept.
        const detail::ContinuousSpectra spectra =
            detail::continuousSpectra(scene, seat, detail::kSpectrumBins, false, false);
        out.sources.clear();
        for (const std::vector<Complex>& spectrum : spectra.sources)
            out.sources.push_back(detail::impulseOfSpectrum(spectrum));
        out.delays = DelayModel::Continuous;
        return;
    }
    detail::accumulateImagesFast(scene, out, {}, seat);
    out.delays = DelayModel::Sample;
}

} // namespace

void accumulateImpulseResponses(const Scene& scene, ImpulseResponses& out, int seat) {
    explainingOverflow(scene, seat, [&] { accumulateImpulses(scene, out, seat); });
}

} // namespace kolmarin
