#include "model/acoustics/eigenmodes.h"

#include "model/errors.h"
#include "model/text/number_text.h"

#include <algorithm>
#include <cmath>

namespace kolmarin {

namespace {

double modeFrequency(double nx, double ny, double nz, double w, double d, double h) {
    const double x = nx / w, y = ny / d, z = nz / h;
    return 172.0 * std::sqrt(x * x + y * y + z * z);
}

// The largest index whose axial mode along a dimension of `length` lies at or below
// 200 Hz, found with the same arithmetic as the modes themselves.
long long axisLimit(double length) {
    auto axial = [&](long long n) { return modeFrequency(static_cast<double>(n), 0, 0, length, 1, 1); };
    const double estimate = std::floor(kHighestModeFrequency * length / 172.0);
    if (estimate > static_cast<double>(kMaxModeCount))
        return static_cast<long long>(kMaxModeCount) + 1;
    auto n = static_cast<long long>(estimate);
    while (axial(n + 1) <= kHighestModeFrequency)
        ++n;
    while (n > 0 && axial(n) > kHighestModeFrequency)
        --n;
    return n;
}

[[noreturn]] void refuseTooLarge() {
    throw UserError("部屋が大きすぎます。200Hz以下の固有モードが" + std::to_string(kMaxModeCount) +
                    "個を超えるため、一覧を作れません。");
}

} // namespace

const ModeRow& modeTableHeader() {
    static const ModeRow header{"No", "モード(幅)", "モード(奥行)", "モード(高さ)", "  周波数"};
    return header;
}

ModeTable computeModeTable(double width, double depth, double height, char decimalSeparator) {
    // The (0, 0, 0) triple divides zero by a zero dimension.
    if (width == 0.0 || depth == 0.0 || height == 0.0)
        throw UserError(msg::kInvalidOperation);
    const double w = std::fabs(width), d = std::fabs(depth), h = std::fabs(height);
    const long long limitX = axisLimit(w), limitY = axisLimit(d), limitZ = axisLimit(h);
    if (std::max({limitX, limitY, limitZ}) > static_cast<long long>(kMaxModeCount))
        refuseTooLarge();

    struct Mode {
        long long nx, ny, nz;
        std::string text;
    };
    std::vector<Mode> modes;
    // The frequency never falls as an index grows, so each inner loop can stop at the
    // first mode above 200 Hz.
    for (long long nx = 0; nx <= limitX; ++nx) {
        for (long long ny = 0; ny <= limitY; ++ny) {
            if (modeFrequency(nx, ny, 0, w, d, h) > kHighestModeFrequency)
                break;
            for (long long nz = 0; nz <= limitZ; ++nz) {
                const double f = modeFrequency(nx, ny, nz, w, d, h);
                if (f > kHighestModeFrequency)
                    break;
                if (nx == 0 && ny == 0 && nz == 0)
                    continue;
                if (modes.size() == kMaxModeCount)
                    refuseTooLarge();
                modes.push_back({nx, ny, nz, formatFixed(f, 8, 1, decimalSeparator)});
            }
        }
    }
    // Sorted by the frequency text; equal texts keep the enumeration order.
    std::stable_sort(modes.begin(), modes.end(),
                     [](const Mode& a, const Mode& b) { return a.text < b.text; });

    ModeTable table;
    table.rows.reserve(modes.size() + 1);
    table.rows.push_back(modeTableHeader());
    long long number = 0;
    for (const Mode& m : modes)
        table.rows.push_back(
            {formatInt3(++number), formatInt3(m.nx), formatInt3(m.ny), formatInt3(m.nz), m.text});
    return table;
}

} // namespace kolmarin
