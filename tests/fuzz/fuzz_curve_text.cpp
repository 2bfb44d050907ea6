// The curve and measurement reader on any text: it gives points that rise in frequency and
// lie within what a sound can be, or refuses with a message naming the file. The same text
// with CR LF or lone CR line ends reads the same points, and points whose frequencies lie
// apart come back through the program's own curve text.
#include "fuzz_support.h"

#include "files/curve_text.h"
#include "model/errors.h"

#include <QByteArray>

#include <cmath>
#include <optional>
#include <string_view>

using namespace kolmarin;
using fuzz::require;

namespace {

std::optional<std::vector<CurvePoint>> parsed(const QByteArray& bytes) {
    try {
        return parseCurveText(bytes, QStringLiteral("m.txt"));
    } catch (const UserError& e) {
        require(std::string_view(e.what()).starts_with("m.txt"), "a refused curve names its file");
    }
    return std::nullopt;
}

bool samePoints(const std::vector<CurvePoint>& a, const std::vector<CurvePoint>& b, double within) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(std::abs(a[i].frequency - b[i].frequency) <= within &&
              std::abs(a[i].level - b[i].level) <= within &&
              std::isnan(a[i].phase) == std::isnan(b[i].phase)))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<std::vector<CurvePoint>> points = parsed(text);
    if (!points)
        return 0;
    require(!points->empty() && points->size() <= kMostCurvePoints, "a curve has points, and not too many");
    double previous = 0;
    bool apart = true;
    for (const CurvePoint& p : *points) {
        require(p.frequency > previous && p.frequency <= 1e6, "frequencies are positive and rise");
        require(std::abs(p.level) <= 400, "levels are what a sound can be");
        apart = apart && p.frequency - previous > 0.01;
        previous = p.frequency;
    }
    if (!text.contains('\r')) {
        for (const char* end : {"\r\n", "\r"}) {
            const std::optional<std::vector<CurvePoint>> again = parsed(QByteArray(text).replace("\n", end));
            require(again && samePoints(*again, *points, 0), "other line ends read the same points");
        }
    }
    if (apart) {
        const std::optional<std::vector<CurvePoint>> back = parsed(curveTextBytes(*points, {"heading"}));
        require(back && samePoints(*back, *points, 5e-4), "the points come back through their text");
    }
    return 0;
}
