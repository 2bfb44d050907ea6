#include "cli/cli_placement.h"

#include "model/acoustics/number_text.h"

#include <cmath>
#include <cstdio>

namespace kolmarin::cli {

namespace {

// The C locale is in force (nothing calls setlocale), so printf writes a point.
void appendNumber(QByteArray& out, const char* format, double value) {
    if (std::isnan(value)) {
        out.append("nan");
        return;
    }
    char text[64];
    const int n = std::snprintf(text, sizeof text, format, value);
    out.append(text, n);
}

PositionTexts movedTo(const PositionTexts& old, const Point3& p, char separator) {
    return {formatPosition(p.x, separator), formatPosition(p.y, separator), old.z};
}

} // namespace

Scene calculationScene(const SceneTexts& texts, char decimalSeparator) {
    return readCalculationScene(texts, decimalSeparator, nullptr);
}

QByteArray mapCsv(const ResponseMap& map) {
    QByteArray out("x_m,y_m,spread_db\n");
    const MapGrid& g = map.grid;
    for (int row = 0; row < g.rows; ++row)
        for (int column = 0; column < g.columns; ++column) {
            appendNumber(out, "%.4f,", g.x(column));
            appendNumber(out, "%.4f,", g.y(row));
            appendNumber(out, "%.6f", map.spread[static_cast<std::size_t>(row * g.columns + column)]);
            out.append('\n');
        }
    return out;
}

QByteArray placementTable(const SearchResult& result) {
    QByteArray out("順位  SP1 x  SP1 y  SP2 x  SP2 y  聴取 x  聴取 y  ばらつき dB  最悪 ±0.10 m dB\n");
    int rank = 0;
    for (const Placement& p : result.best) {
        char line[160];
        const int n =
            std::snprintf(line, sizeof line, "%4d  %5.2f  %5.2f  %5.2f  %5.2f  %6.2f  %6.2f  %11.3f  ",
                          ++rank, p.sp1.x, p.sp1.y, p.sp2.x, p.sp2.y, p.listener.x, p.listener.y, p.spread);
        out.append(line, n);
        if (std::isnan(p.robust))
            out.append("          不明");
        else
            appendNumber(out, "%14.3f", p.robust);
        out.append('\n');
    }
    out.append("現在の配置のばらつき: ");
    if (result.currentSpread)
        appendNumber(out, "%.3f dB\n", *result.currentSpread);
    else
        out.append("不明\n");
    return out;
}

QByteArray placementCsv(const SearchResult& result) {
    QByteArray out("rank,sp1_x,sp1_y,sp2_x,sp2_y,listener_x,listener_y,spread_db,robust_db\n");
    int rank = 0;
    for (const Placement& p : result.best) {
        out.append(QByteArray::number(++rank));
        for (double v : {p.sp1.x, p.sp1.y, p.sp2.x, p.sp2.y, p.listener.x, p.listener.y})
            appendNumber(out.append(','), "%.2f", v);
        appendNumber(out.append(','), "%.6f", p.spread);
        appendNumber(out.append(','), "%.6f", p.robust);
        out.append('\n');
    }
    return out;
}

SceneTexts textsWithPlacement(SceneTexts texts, const Placement& placement, Layout layout,
                              char decimalSeparator) {
    if (layout != Layout::Listener) {
        texts.sp1 = movedTo(texts.sp1, placement.sp1, decimalSeparator);
        texts.sp2 = movedTo(texts.sp2, placement.sp2, decimalSeparator);
    }
    if (layout != Layout::Speakers)
        texts.listener = movedTo(texts.listener, placement.listener, decimalSeparator);
    return texts;
}

} // namespace kolmarin::cli
