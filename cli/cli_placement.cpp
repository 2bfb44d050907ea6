#include "cli/cli_placement.h"

#include "model/text/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

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

// A figure in its column, or 不明 right-aligned in the same width.
void appendFigure(QByteArray& out, const char* format, double value) {
    if (!std::isnan(value)) {
        appendNumber(out, format, value);
        return;
    }
    char text[64];
    const int n = std::snprintf(text, sizeof text, format, 0.0);
    out.append(QByteArray(std::max(0, n - 4), ' ')).append("不明");
}

PositionTexts movedTo(const PositionTexts& old, const Point3& p, char separator) {
    return {formatPosition(p.x, separator), formatPosition(p.y, separator), old.z};
}

constexpr const char* kAllSeatsObjective = "順位は全座席の評価 = 座席間のばらつき + 目標カーブ (平坦) との差 "
                                           "(どちらも dB、小さいほどよい) で決めました";

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

namespace {

// A row's rank and the places of SP1, SP2 and the listener.
void appendPlaces(QByteArray& out, int rank, const Placement& p) {
    char line[160];
    const int n = std::snprintf(line, sizeof line, "%4d  %5.2f  %5.2f  %5.2f  %5.2f  %6.2f  %6.2f  ", rank,
                                p.sp1.x, p.sp1.y, p.sp2.x, p.sp2.y, p.listener.x, p.listener.y);
    out.append(line, n);
}

// The table of a search ranked by the objective over every seat.
QByteArray allSeatsTable(const SearchResult& result) {
    QByteArray out(kAllSeatsObjective);
    out.append("\n順位  SP1 x  SP1 y  SP2 x  SP2 y  聴取 x  聴取 y  全座席 dB  座席間 dB  目標との差 dB"
               "  座席1 dB  見込み角  距離 m\n");
    int rank = 0;
    for (const Placement& p : result.best) {
        appendPlaces(out, ++rank, p);
        appendFigure(out, "%9.3f", p.seatScore);
        appendFigure(out, "  %9.3f", p.seatVariation);
        appendFigure(out, "  %13.3f", p.targetDeviation);
        appendFigure(out, "  %8.3f", p.spread);
        appendNumber(out, "  %7.1f°", p.angle);
        appendNumber(out, "  %6.2f", p.distance);
        out.append('\n');
    }
    out.append("現在の配置の全座席の評価: ");
    if (result.currentSeatScore)
        appendNumber(out, "%.3f dB\n", *result.currentSeatScore);
    else
        out.append("不明\n");
    return out;
}

} // namespace

QByteArray placementTable(const SearchResult& result) {
    if (result.allSeats)
        return allSeatsTable(result);
    QByteArray out("順位  SP1 x  SP1 y  SP2 x  SP2 y  聴取 x  聴取 y  ばらつき dB  最悪 ±0.10 m dB"
                   "  聴取範囲 dB  見込み角  距離 m\n");
    int rank = 0;
    for (const Placement& p : result.best) {
        appendPlaces(out, ++rank, p);
        appendFigure(out, "%11.3f", p.spread);
        appendFigure(out, "  %15.3f", p.robust);
        appendFigure(out, "  %11.3f", p.area);
        appendNumber(out, "  %7.1f°", p.angle);
        appendNumber(out, "  %6.2f", p.distance);
        out.append('\n');
    }
    out.append("現在の配置のばらつき: ");
    if (result.currentSpread)
        appendNumber(out, "%.3f dB", *result.currentSpread);
    else
        out.append("不明");
    out.append("  聴取範囲: ");
    if (result.currentArea)
        appendNumber(out, "%.3f dB\n", *result.currentArea);
    else
        out.append("不明\n");
    return out;
}

QByteArray placementCsv(const SearchResult& result) {
    QByteArray out("rank,sp1_x,sp1_y,sp2_x,sp2_y,listener_x,listener_y,");
    out.append(result.allSeats ? "seats_db,variation_db,target_db,spread_db,angle_deg,distance_m\n"
                               : "spread_db,robust_db,area_db,angle_deg,distance_m\n");
    int rank = 0;
    for (const Placement& p : result.best) {
        out.append(QByteArray::number(++rank));
        for (double v : {p.sp1.x, p.sp1.y, p.sp2.x, p.sp2.y, p.listener.x, p.listener.y})
            appendNumber(out.append(','), "%.2f", v);
        const std::vector<double> figures =
            result.allSeats
                ? std::vector{p.seatScore, p.seatVariation, p.targetDeviation, p.spread, p.angle, p.distance}
                : std::vector{p.spread, p.robust, p.area, p.angle, p.distance};
        for (double v : figures)
            appendNumber(out.append(','), "%.6f", v);
        out.append('\n');
    }
    return out;
}

std::string markerOutsideRoom(const Scene& s) {
    std::vector<std::pair<std::string, Point3>> markers;
    for (std::size_t i = 0; i < s.sources.size(); ++i)
        markers.emplace_back("SP" + std::to_string(i + 1), s.sources[i].position);
    for (const Point3& seat : s.seats)
        markers.emplace_back("聴取位置", seat);
    for (const auto& [name, p] : markers)
        if (!s.contains(p)) {
            char text[300];
            std::snprintf(
                text, sizeof text,
                "%s (%.2f, %.2f, %.2f m) が部屋 (幅 %.2f m、奥行 %.2f m、高さ %.2f m) の外にあります。"
                "部屋の中に置いてください。",
                name.c_str(), p.x, p.y, p.z, s.width, s.depth, s.height);
            return text;
        }
    return {};
}

SceneTexts textsWithPlacement(SceneTexts texts, const Scene& scene, const Placement& placement, Layout layout,
                              char decimalSeparator) {
    if (layout != Layout::Seats) {
        texts.sources.at(0) = movedTo(texts.sources.at(0), placement.sp1, decimalSeparator);
        texts.sources.at(1) = movedTo(texts.sources.at(1), placement.sp2, decimalSeparator);
    }
    if (layout != Layout::Speakers) {
        const std::vector<Point3> seats = seatsWith(scene, placement.listener);
        for (std::size_t i = 0; i < seats.size() && i < texts.seats.size(); ++i)
            texts.seats[i] = movedTo(texts.seats[i], seats[i], decimalSeparator);
    }
    return texts;
}

} // namespace kolmarin::cli
