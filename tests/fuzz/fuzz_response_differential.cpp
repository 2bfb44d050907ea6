// The fast calculation against the straightforward one on scenes decoded from the input:
// small rooms with awkward contents, hard and silent and inverting walls, loudspeakers on
// the listener, on its mirror images in the walls, a hair from it, on the walls, outside
// the room and far beyond it. Both must fail with the same message or both succeed with
// the same impulse responses (as fast_response_test compares them) and the same levels;
// the Total alone has the bits of the fast calculation's Total.
#include "fuzz_support.h"

#include "model/acoustics/image_accumulation.h"
#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"
#include "model/errors.h"

#include <array>
#include <cmath>
#include <cstring>
#include <numeric>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace kolmarin;
using fuzz::ByteReader;
using fuzz::require;

namespace {

double roomLength(ByteReader& in) {
    switch (in.byte() % 4) {
    case 0:
        return 0.3 + 11.7 * in.unit();
    case 1: // quarter metres: the images of points on an eighth-metre grid land exactly
        return 0.25 * (2 + in.word() % 47);
    case 2: {
        constexpr double kEdges[] = {0.3, 12.0, 2.5, 4.0};
        return kEdges[in.byte() % 4];
    }
    default: // as typed with two decimals
        return std::round((0.3 + 11.7 * in.unit()) * 100) / 100;
    }
}

double coefficient(ByteReader& in) {
    switch (in.byte() % 8) {
    case 0:
    case 1:
        return 0.0;
    case 2:
    case 3:
        return 1.0;
    case 4: {
        constexpr double kEnds[] = {-1.0, 1.2, -1.2, 0.5};
        return kEnds[in.byte() % 4];
    }
    case 5:
        return (static_cast<int>(in.byte() % 39) - 19) / 16.0;
    default:
        return -1.2 + 2.4 * in.unit();
    }
}

// A coordinate along a wall-to-wall length, given the listener's coordinate there.
double coordinate(ByteReader& in, double length, double listener) {
    switch (in.byte() % 10) {
    case 0:
        return listener;
    case 1:
        return (in.word() % (static_cast<int>(8 * length) + 1)) / 8.0;
    case 2:
        return length * in.unit();
    case 3: // outside, up to one room length beyond either wall
        return -length + 3 * length * in.unit();
    case 4: { // far enough for images that arrive after the last sample
        const double distance = length + 2000 * in.unit();
        return in.byte() % 2 ? distance : -distance;
    }
    case 5: // the listener's mirror image in one wall or the other
        return in.byte() % 2 ? -listener : 2 * length - listener;
    case 6: // an image two reflections away
        return in.byte() % 2 ? listener + 2 * length : listener - 2 * length;
    case 7: { // a hair from the listener
        const double offset = std::pow(10.0, -5.0 - in.byte() % 14);
        return in.byte() % 2 ? listener + offset : listener - offset;
    }
    case 8:
        return in.byte() % 2 ? length : 0.0;
    default:
        return std::round(length * in.unit() * 100) / 100;
    }
}

double listenerCoordinate(ByteReader& in, double length) {
    switch (in.byte() % 4) {
    case 0:
        return (in.word() % (static_cast<int>(8 * length) + 1)) / 8.0;
    case 1:
        return length * in.unit();
    case 2:
        return std::round(length * in.unit() * 100) / 100;
    default:
        return -length + 3 * length * in.unit();
    }
}

Point3 source(ByteReader& in, const Scene& s) {
    switch (in.byte() % 8) {
    case 0:
        return s.seats[0];
    case 1: { // a hair from the listener along one axis
        Point3 p = s.seats[0];
        double* axes[] = {&p.x, &p.y, &p.z};
        const double offset = std::pow(10.0, -5.0 - in.byte() % 14);
        *axes[in.byte() % 3] += in.byte() % 2 ? offset : -offset;
        return p;
    }
    default:
        return {coordinate(in, s.width, s.seats[0].x), coordinate(in, s.depth, s.seats[0].y),
                coordinate(in, s.height, s.seats[0].z)};
    }
}

Scene decodeScene(ByteReader& in) {
    Scene s;
    s.width = roomLength(in);
    s.depth = roomLength(in);
    s.height = roomLength(in);
    for (double* c : {&s.reflFront, &s.reflBack, &s.reflRight, &s.reflLeft, &s.reflFloor, &s.reflCeiling})
        *c = coefficient(in);
    s.seats[0] = {listenerCoordinate(in, s.width), listenerCoordinate(in, s.depth),
                  listenerCoordinate(in, s.height)};
    s.sources[0].position = source(in, s);
    s.sources[1].position = source(in, s);
    // Mostly up to 12 reflections; now and then 18 to 20, enough images (2 * 37^3 and
    // more) for the accumulation to spread its bands over the worker threads.
    const int count = in.byte();
    s.reflectionCount = count % 16 < 14 ? count % 13 : 18 + count % 3;
    s.startFrequency = kLowestFrequency + in.word() % (kHighestFrequency - kLowestFrequency + 1);
    s.endFrequency = kLowestFrequency + in.word() % (kHighestFrequency - kLowestFrequency + 1);
    // An empty range stores nothing; most scenes ask for levels.
    if (in.byte() % 4 != 0 && s.startFrequency > s.endFrequency)
        std::swap(s.startFrequency, s.endFrequency);
    return s;
}

// The scene with every coefficient made positive: its response at sample n is the sum of
// the magnitudes of everything that lands there.
Scene magnitudes(Scene s) {
    for (double* c : {&s.reflRight, &s.reflLeft, &s.reflFront, &s.reflBack, &s.reflFloor, &s.reflCeiling})
        *c = std::fabs(*c);
    return s;
}

template <class Calculate> std::optional<std::string> failureOf(Calculate calculate) {
    try {
        calculate();
    } catch (const UserError& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

// The bound fast_response_test puts on each sample: 1e-10 of the magnitudes summed there,
// room for millions of roundings, far below the amplitude of an image moved to a
// neighbouring sample.
void requireSameResponse(const std::vector<double>& fast, const std::vector<double>& reference,
                         const std::vector<double>& magnitude, const char* what) {
    for (std::size_t n = 0; n < reference.size(); ++n)
        if (!(std::fabs(fast[n] - reference[n]) <= 1e-10 * magnitude[n]))
            fuzz::fail(what);
}

constexpr double kUntouched = 12345.0;

ResponseCurves untouchedCurves() {
    ResponseCurves c;
    c.sources[0].fill(kUntouched);
    c.sources[1].fill(kUntouched);
    c.total.fill(kUntouched);
    return c;
}

bool untouched(const ResponseCurves& c) {
    for (const auto* curve : {&c.sources[0], &c.sources[1], &c.total})
        for (double level : *curve)
            if (level != kUntouched)
                return false;
    return true;
}

// How far the spectra of the two calculations may differ, in amplitude, for SP1, SP2
// and their total: each bin is a sum of the samples turned by unit phasors, so it moves
// by at most the sum of the sample bounds above.
std::array<double, 3> amplitudeBounds(const ImpulseResponses& magnitude) {
    const double sp1 = 1e-10 * std::accumulate(magnitude.sources[0].begin(), magnitude.sources[0].end(), 0.0);
    const double sp2 = 1e-10 * std::accumulate(magnitude.sources[1].begin(), magnitude.sources[1].end(), 0.0);
    return {sp1, sp2, sp1 + sp2};
}

double amplitude(double level) {
    return std::pow(10.0, level / 20);
}

using Curve = std::array<double, kCurvePoints>;

std::array<const Curve*, 3> curvesOf(const ResponseCurves& c) {
    return {&c.sources[0], &c.sources[1], &c.total};
}

// Levels agree within 1e-6 dB, as the level tests ask. Where a spectrum nearly cancels,
// its level (some hundreds of dB down) is rounding noise: there the amplitudes need only
// agree within the bound.
void compareLevels(const Scene& scene, const ResponseCurves& fast, const ResponseCurves& reference,
                   const ImpulseResponses& magnitude) {
    const std::array<double, 3> bounds = amplitudeBounds(magnitude);
    const ElementRange range = storedElements(scene.startFrequency, scene.endFrequency);
    for (int curve = 0; curve < 3; ++curve) {
        const Curve& f = *curvesOf(fast)[curve];
        const Curve& r = *curvesOf(reference)[curve];
        for (int j = 0; j < kCurvePoints; ++j) {
            if (j < range.first || j > range.last) {
                require(f[j] == kUntouched && r[j] == kUntouched,
                        "levels outside the range stay as they were");
                continue;
            }
            require(std::isfinite(f[j]) && std::isfinite(r[j]), "every stored level is finite");
            require(std::fabs(f[j] - r[j]) <= 1e-6 ||
                        std::fabs(amplitude(f[j]) - amplitude(r[j])) <= bounds[curve],
                    "fast and reference levels agree");
        }
    }
}

std::vector<detail::VectorIsa> availableIsas() {
    std::vector<detail::VectorIsa> isas;
    for (auto isa : {detail::VectorIsa::Baseline, detail::VectorIsa::Avx2, detail::VectorIsa::Avx512})
        if (detail::isaAvailable(isa))
            isas.push_back(isa);
    return isas;
}

bool sameBits(const ImpulseResponses& a, const ImpulseResponses& b) {
    return std::memcmp(a.sources[0].data(), b.sources[0].data(), a.sources[0].size() * sizeof(double)) == 0 &&
           std::memcmp(a.sources[1].data(), b.sources[1].data(), a.sources[1].size() * sizeof(double)) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const Scene scene = decodeScene(in);

    ImpulseResponses reference;
    const std::optional<std::string> referenceFailure =
        failureOf([&] { accumulateImpulseResponsesReference(scene, reference); });
    ImpulseResponses magnitude;
    if (!referenceFailure) {
        const std::optional<std::string> magnitudeFailure =
            failureOf([&] { accumulateImpulseResponsesReference(magnitudes(scene), magnitude); });
        require(!magnitudeFailure, "the magnitudes of a calculable scene can be summed");
    }

    // Every row loop this processor has, and the program's own choice.
    std::optional<ImpulseResponses> widest;
    for (detail::VectorIsa isa : availableIsas()) {
        ImpulseResponses fast;
        const std::optional<std::string> fastFailure = failureOf([&] {
            detail::accumulateImagesFast(scene, fast, {0, isa});
        });
        require(fastFailure == referenceFailure, "fast and reference accumulation fail alike");
        if (referenceFailure)
            continue;
        requireSameResponse(fast.sources[0], reference.sources[0], magnitude.sources[0],
                            "fast and reference SP1 responses agree");
        requireSameResponse(fast.sources[1], reference.sources[1], magnitude.sources[1],
                            "fast and reference SP2 responses agree");
        if (isa == detail::widestAvailableIsa())
            widest = fast;
    }
    if (!referenceFailure && scene.reflectionCount >= 18) {
        // The bands are summed in a fixed order, so the thread count leaves no trace.
        ImpulseResponses program, oneThread;
        accumulateImpulseResponses(scene, program);
        detail::accumulateImagesFast(scene, oneThread, {1, detail::widestAvailableIsa()});
        require(sameBits(program, *widest) && sameBits(oneThread, program),
                "the accumulation gives the same bits on any number of threads");
    }

    ResponseCurves fast = untouchedCurves();
    ResponseCurves slow = untouchedCurves();
    const std::optional<std::string> fastFailure = failureOf([&] { calculateResponse(scene, fast); });
    const std::optional<std::string> slowFailure =
        failureOf([&] { calculateResponseReference(scene, slow); });
    if (fastFailure)
        require(untouched(fast), "a failed calculation stores nothing");
    if (slowFailure)
        require(untouched(slow), "a failed calculation stores nothing");
    require(fastFailure == slowFailure, "fast and reference calculation fail alike");
    if (!fastFailure)
        compareLevels(scene, fast, slow, magnitude);

    // The Total alone, as the spread takes it: the same bits as the whole calculation's.
    ResponseCurves total = untouchedCurves();
    const std::optional<std::string> totalFailure = failureOf([&] { calculateTotalInCaller(scene, total); });
    require(totalFailure == fastFailure, "the Total alone fails as the whole calculation does");
    require(std::memcmp(total.total.data(), (totalFailure ? untouchedCurves() : fast).total.data(),
                        sizeof total.total) == 0,
            "the Total alone has the whole calculation's bits");
    return 0;
}
