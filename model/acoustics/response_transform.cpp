#include "model/acoustics/response_transform.h"

#include "model/acoustics/source_shaping.h"
#include "model/errors.h"
#include "model/fft/fft.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kolmarin::detail {

namespace {

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

void requireFiniteSpectra(const TransformBuffers& b, std::size_t curves) {
    for (std::size_t curve = 0; curve < curves; ++curve)
        for (const Complex& z : b.spectra[curve])
            if (!std::isfinite(z.re) || !std::isfinite(z.im))
                throw UserError(msg::kOverflow);
}

} // namespace

TransformBuffers& transformBuffers(std::size_t curves) {
    thread_local TransformBuffers buffers;
    while (buffers.inputs.size() < curves) {
        buffers.inputs.emplace_back(kTransformLength);
        buffers.spectra.emplace_back(kTransformLength);
        buffers.levels.emplace_back();
    }
    return buffers;
}

bool transformsCannotOverflow(const ImpulseResponses& h) {
    for (const std::vector<double>& response : h.sources)
        for (int n = 0; n < kTransformLength; ++n)
            if (!(std::fabs(response[static_cast<std::size_t>(n)]) <= 1e290))
                return false;
    return true;
}

void transformCurve(std::size_t curve, const ImpulseResponses& h, TransformBuffers& b) {
    fillInput(curve, h, b.inputs[curve].data());
    forwardFft(b.inputs[curve].data(), b.spectra[curve].data(), kTransformLength);
}

void transformCurvesChecked(const Scene& scene, const ImpulseResponses& h, TransformBuffers& b) {
    const std::size_t sources = h.sources.size();
    const std::size_t curveCount = sources + 1;
    const bool plain = allPlain(scene);
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
}

const Complex* transformPackedPair(const ImpulseResponses& h, TransformBuffers& b) {
    Complex* packed = b.inputs[0].data();
    const double* h1 = h.sources[0].data();
    const double* h2 = h.sources[1].data();
    for (int n = 0; n < kTransformLength; ++n)
        packed[n] = {h1[n], h2[n]};
    // In place, as the Total's transform after it: one buffer for both.
    forwardFft(packed, packed, kTransformLength);
    return packed;
}

const std::vector<Complex>& transformTotal(const ImpulseResponses& h, TransformBuffers& b) {
    fillInput(h.sources.size(), h, b.inputs[0].data());
    forwardFft(b.inputs[0].data(), b.inputs[0].data(), kTransformLength);
    return b.inputs[0];
}

ContinuousCurves shapeContinuousSpectra(const Scene& scene, ContinuousSpectra accumulated, int bins,
                                        ElementRange range, bool totalOnly) {
    ContinuousCurves out;
    out.spectra = std::move(accumulated.sources);
    if (totalOnly) {
        out.leftOutMayShow = leftOutMayShow(out.spectra.front(), accumulated.leftOut.front(), range);
        return out;
    }
    const std::size_t sources = scene.sources.size();
    std::vector<Complex> total(static_cast<std::size_t>(bins), Complex{0.0, 0.0});
    double totalLeftOut = 0.0;
    bool shows = false;
    for (std::size_t s = 0; s < sources; ++s) {
        const Source& source = scene.sources[s];
        std::vector<Complex>& spectrum = out.spectra[s];
        if (!source.plain()) {
            // A crossover branch never raises a level, so the gain bounds the factor.
            const double gain = gainOf(source);
            for (int k = 0; k < bins; ++k)
                spectrum[static_cast<std::size_t>(k)] =
                    spectrum[static_cast<std::size_t>(k)] * sourceFactor(source, gain, k * 0.5);
            accumulated.leftOut[s] *= std::fabs(gain);
        }
        shows = shows || leftOutMayShow(spectrum, accumulated.leftOut[s], range);
        for (int k = 0; k < bins; ++k)
            total[static_cast<std::size_t>(k)] =
                total[static_cast<std::size_t>(k)] + spectrum[static_cast<std::size_t>(k)];
        totalLeftOut += accumulated.leftOut[s];
    }
    out.leftOutMayShow = shows || leftOutMayShow(total, totalLeftOut, range);
    out.spectra.push_back(std::move(total));
    return out;
}

} // namespace kolmarin::detail
