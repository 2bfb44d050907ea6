#include "model/acoustics/decay.h"

#include "model/acoustics/response.h"
#include "model/errors.h"
#include "model/fft/fft.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kolmarin {

namespace {

constexpr double kMsPerSample = 1000.0 / kSampleRate;
// Below this product of bandwidth and decay time, tried on synthetic decays, the estimate
// strays by more than 2 %.
constexpr double kLeastBandwidthTime = 4.0;

int sampleAt(double ms) {
    return static_cast<int>(std::lround(ms / kMsPerSample));
}

// 0 at the edge, 1 after `length` samples, along half a cosine period.
double raisedCosine(int sample, int length) {
    if (sample >= length)
        return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * (sample + 0.5) / length);
}

double levelOf(const Complex& c) {
    const double magnitude = std::sqrt(c.re * c.re + c.im * c.im);
    return magnitude > 0 ? std::max(kSilence, 20 * std::log10(magnitude)) : kSilence;
}

// The band's part of the response, through a zero-phase filter: the spectrum is weighted
// (flat in the band, raised-cosine skirts outside it) and transformed back. Weighting the
// negative frequencies alike keeps the result real.
std::vector<double> bandFiltered(const std::vector<double>& impulse, double lowHz, double highHz) {
    // Twice the response's length: what the filter spreads before time 0 lands in the
    // second half instead of wrapping round onto the response's tail.
    const int n = 2 * kTransformLength;
    std::vector<Complex> spectrum(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        spectrum[static_cast<std::size_t>(i)] = {i < kLastDelaySample && i < static_cast<int>(impulse.size())
                                                     ? impulse[static_cast<std::size_t>(i)]
                                                     : 0.0,
                                                 0.0};
    forwardFft(spectrum.data(), spectrum.data(), n);
    const double skirt = highHz - lowHz;
    const auto weight = [&](double hz) {
        if (hz >= lowHz && hz <= highHz)
            return 1.0;
        const double outside = hz < lowHz ? lowHz - hz : hz - highHz;
        return outside >= skirt ? 0.0 : 0.5 + 0.5 * std::cos(std::numbers::pi * outside / skirt);
    };
    const double binHz = kSampleRate / n;
    for (int k = 0; k <= n / 2; ++k) {
        const double w = weight(k * binHz);
        // The inverse transform is the forward one of the conjugate, conjugated and scaled.
        const auto scaled = [&](int bin) {
            Complex& c = spectrum[static_cast<std::size_t>(bin)];
            c = {w * c.re, -w * c.im};
        };
        scaled(k);
        if (k != 0 && k != n / 2)
            scaled(n - k);
    }
    forwardFft(spectrum.data(), spectrum.data(), n);
    std::vector<double> out(static_cast<std::size_t>(kLastDelaySample));
    for (int i = 0; i < kLastDelaySample; ++i)
        out[static_cast<std::size_t>(i)] = spectrum[static_cast<std::size_t>(i)].re / n;
    return out;
}

} // namespace

std::vector<double> impulseResponseOf(const ImpulseResponses& responses, ImpulseCurve curve) {
    switch (curve) {
    case ImpulseCurve::Sp1:
        return responses.sources.at(0);
    case ImpulseCurve::Sp2:
        return responses.sources.at(1);
    case ImpulseCurve::Total:
        break;
    }
    std::vector<double> total = responses.sources.at(0);
    for (std::size_t s = 1; s < responses.sources.size(); ++s)
        for (std::size_t i = 0; i < total.size(); ++i)
            total[i] += responses.sources[s][i];
    return total;
}

std::vector<double> impulseResponseAt(const Scene& scene, ImpulseCurve curve) {
    ImpulseResponses h;
    accumulateImpulseResponses(scene, h);
    return impulseResponseOf(h, curve);
}

void checkWaterfallSettings(const WaterfallSettings& s) {
    if (!isValidBand(s.band))
        throw UserError("周波数の範囲は 10～500 Hz の整数で、下限を上限より小さくしてください");
    if (!(s.slices >= 1 && s.slices <= kMostSlices))
        throw UserError("スライス数は 1～" + std::to_string(kMostSlices) + " にしてください");
    if (!(s.firstMs >= 0 && s.firstMs <= s.lastMs && s.lastMs <= kLongestWindowMs))
        throw UserError("時間の範囲は 0～2000 ms で、開始を終了以下にしてください");
    if (!(s.windowMs >= 1 && s.windowMs <= kLongestWindowMs))
        throw UserError("窓の長さは 1～2000 ms にしてください");
    if (!(s.riseMs >= 0 && s.riseMs <= s.windowMs / 2))
        throw UserError("窓の立ち上がりは 0 ms から窓の長さの半分までにしてください");
}

namespace {

// The transform bin of element j is j + binOffset.
int binOffset(DelayModel delays) {
    return delays == DelayModel::Sample ? 1 : 0;
}

// The levels of the band's bins (from firstElement on) of the response's samples
// first .. first + length - 1, each weighted by gain(i); samples outside the response
// count as zeros. The window's samples are moved to the front of the transform: a shift
// in time changes only the phase, never the level of a bin.
template <class Gain>
std::vector<double> windowedLevels(const std::vector<double>& impulse, int first, int length,
                                   const Gain& gain, int firstElement, int columns, DelayModel delays,
                                   std::vector<Complex>& buffer) {
    const int available = static_cast<int>(std::min<std::size_t>(impulse.size(), kTransformLength));
    std::fill(buffer.begin(), buffer.end(), Complex{0.0, 0.0});
    for (int i = std::max(0, -first); i < length && first + i < available; ++i)
        buffer[static_cast<std::size_t>(i)].re = gain(i) * impulse[static_cast<std::size_t>(first + i)];
    forwardFft(buffer.data(), buffer.data(), kTransformLength);
    std::vector<double> levels(static_cast<std::size_t>(columns));
    for (int c = 0; c < columns; ++c)
        levels[static_cast<std::size_t>(c)] =
            levelOf(buffer[static_cast<std::size_t>(firstElement + c + binOffset(delays))]);
    return levels;
}

// Slices at the settings' times, each window placed by `firstSample` from the time's sample
// and weighted with rises of `rise` samples at both ends.
template <class FirstSample>
Waterfall slicesOf(const std::vector<double>& impulse, const WaterfallSettings& settings, DelayModel delays,
                   int rise, const FirstSample& firstSample) {
    checkWaterfallSettings(settings);
    Waterfall w;
    w.settings = settings;
    w.firstElement = 2 * settings.band.low;
    const int columns = 2 * (settings.band.high - settings.band.low) + 1;
    const int length = std::max(1, sampleAt(settings.windowMs));
    const auto gain = [&](int i) {
        return std::min(raisedCosine(i, rise), raisedCosine(length - 1 - i, rise));
    };
    std::vector<Complex> buffer(static_cast<std::size_t>(kTransformLength));
    for (int s = 0; s < settings.slices; ++s) {
        const double ms = settings.slices == 1 ? settings.firstMs
                                               : settings.firstMs + (settings.lastMs - settings.firstMs) * s /
                                                                        (settings.slices - 1);
        const int at = sampleAt(ms);
        w.startMs.push_back(at * kMsPerSample);
        w.levels.push_back(windowedLevels(impulse, firstSample(at, length), length, gain, w.firstElement,
                                          columns, delays, buffer));
    }
    return w;
}

} // namespace

Waterfall computeWaterfall(const std::vector<double>& impulse, const WaterfallSettings& settings,
                           DelayModel delays) {
    return slicesOf(impulse, settings, delays, sampleAt(settings.riseMs), [](int at, int) { return at; });
}

Waterfall computeSpectrogram(const std::vector<double>& impulse, const WaterfallSettings& settings,
                             DelayModel delays) {
    const int length = std::max(1, sampleAt(settings.windowMs));
    return slicesOf(impulse, settings, delays, length / 2,
                    [](int at, int samples) { return at - samples / 2; });
}

std::optional<double> decayTime(const std::vector<double>& impulse, double lowHz, double highHz) {
    const std::vector<double> band = bandFiltered(impulse, lowHz, highHz);
    // Schroeder: the energy still to come after each sample.
    std::vector<double> remaining(band.size() + 1, 0.0);
    for (std::size_t i = band.size(); i-- > 0;)
        remaining[i] = remaining[i + 1] + band[i] * band[i];
    const double total = remaining.front();
    if (!(total > 0) || !std::isfinite(total))
        return std::nullopt;
    // Least squares of level on time over the samples between -5 and -25 dB.
    double n = 0, st = 0, sl = 0, stt = 0, stl = 0;
    bool reached = false;
    for (std::size_t i = 0; i < band.size(); ++i) {
        if (!(remaining[i] > 0))
            break;
        const double level = 10 * std::log10(remaining[i] / total);
        if (level > -5)
            continue;
        if (level < -25) {
            reached = true;
            break;
        }
        const double t = static_cast<double>(i) / kSampleRate;
        n += 1, st += t, sl += level, stt += t * t, stl += t * level;
    }
    const double denominator = n * stt - st * st;
    if (!reached || n < 2 || !(denominator > 0))
        return std::nullopt;
    const double slope = (n * stl - st * sl) / denominator; // dB a second
    if (!(slope < 0))
        return std::nullopt;
    // The band's filter rings for about 1 / bandwidth itself; a decay not clearly longer
    // than that is the filter's as much as the room's, so it is not reported.
    const double seconds = -60.0 / slope;
    if (seconds * (highHz - lowHz) < kLeastBandwidthTime)
        return std::nullopt;
    return seconds;
}

std::optional<double> thirdOctaveDecayTime(const std::vector<double>& impulse, double centre) {
    const double edge = std::pow(2.0, 1.0 / 6.0);
    return decayTime(impulse, centre / edge, centre * edge);
}

const std::vector<double>& thirdOctaveCentres() {
    static const std::vector<double> centres{20, 25, 31.5, 40, 50, 63, 80, 100, 125, 160, 200};
    return centres;
}

} // namespace kolmarin
