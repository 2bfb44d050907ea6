#pragma once
// The arithmetic of the two print commands, in printer dots: where the chart goes on its
// landscape page and at what size it is laid out there, where the picture of the window
// goes, and the five lines describing the scene that are printed under the chart.
// Standard C++ only, so the numbers are tested without a printer.

#include "model/acoustics/scene.h"
#include "model/layout/plan_geometry.h" // roundHalfEven: halves to the even neighbour

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace kolmarin {

// A rectangle of whole dots; right and bottom lie just outside it.
struct PagePlace {
    int left = 0, top = 0, right = 0, bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PagePlace&) const = default;
};

// The chart leaves this share of the page width free on either side.
inline constexpr int kChartSideMarginPercent = 15;

// The margin above and below the chart, in percent of the page height. The chart is to be
// as high as 60 % of the page width makes it at its on-screen proportions (chartW x chartH
// pixels); the rest of the page height is shared by the two margins. Printer dots need not
// be square: a length of L horizontal dots is L * dpiY / dpiX vertical dots. A chart too
// high for the page gets no margin rather than a negative one.
inline int chartVerticalMarginPercent(int pageW, int pageH, int chartW, int chartH, int dpiX, int dpiY) {
    if (pageH <= 0 || chartW <= 0 || dpiX <= 0)
        return 0;
    const double chartHeight =
        0.6 * pageW * (static_cast<double>(chartH) / chartW) * (static_cast<double>(dpiY) / dpiX);
    const int percent = roundHalfEven(100.0 * (pageH - chartHeight) / pageH);
    return std::max(0, percent / 2);
}

// The page area inside margins given in percent of the page; each margin is its share of
// the page rounded to whole dots.
inline PagePlace chartPageRect(int pageW, int pageH, int sidePercent, int bandPercent) {
    const int side = roundHalfEven(pageW * sidePercent / 100.0);
    const int band = roundHalfEven(pageH * bandPercent / 100.0);
    return {side, band, pageW - side, pageH - band};
}

struct CanvasSize {
    int width = 0, height = 0;
    bool operator==(const CanvasSize&) const = default;
};

// The page of a scene with subwoofers or other seats keeps this share of its width and
// height free on every side: the chart takes the page's width, the scene the rest below.
inline constexpr int kScenePageMarginPercent = 5;

// The canvas, in screen pixels, that such a page's place stands for: the chart's screen
// width spans as much paper as on the room file's page (70 % of the page width), so the
// texts print at the same size on both; the height follows the place's physical shape.
inline CanvasSize scenePageCanvas(int placeW, int placeH, int dpiX, int dpiY, int pageW, int chartW) {
    if (placeW <= 0 || placeH <= 0 || dpiX <= 0 || dpiY <= 0 || pageW <= 0 || chartW <= 0)
        return {std::max(chartW, 1), std::max(chartW, 1)};
    const double chartShare = (100 - 2 * kChartSideMarginPercent) / 100.0;
    const int width = roundHalfEven(chartW * placeW / (chartShare * pageW));
    const double shape = (static_cast<double>(placeH) / dpiY) / (static_cast<double>(placeW) / dpiX);
    return {width, roundHalfEven(width * shape)};
}

// The size, in screen pixels, at which the chart is laid out afresh for its place on the
// page: the place's physical shape, and nowhere smaller than the chart on screen. One side
// keeps its screen length, the other grows, so texts and lines keep the size they have on
// screen relative to the chart.
inline CanvasSize chartCanvasSize(int placeW, int placeH, int dpiX, int dpiY, int chartW, int chartH) {
    if (placeW <= 0 || placeH <= 0 || dpiX <= 0 || dpiY <= 0 || chartW <= 0 || chartH <= 0)
        return {std::max(chartW, 1), std::max(chartH, 1)};
    const double placeShape = (static_cast<double>(placeW) / dpiX) / (static_cast<double>(placeH) / dpiY);
    const double chartShape = static_cast<double>(chartW) / chartH;
    if (placeShape >= chartShape)
        return {roundHalfEven(chartH * placeShape), chartH};
    return {chartW, roundHalfEven(chartW / placeShape)};
}

// The window's picture at the size it has on screen: its pixels scaled by printer dots per
// screen pixel (both horizontal resolutions, whole-dot division), centred on the page.
// A picture larger than the page starts at a negative offset and is cut on both sides.
// screenDpi must be positive.
inline PagePlace centredPicture(int imageW, int imageH, int printerDpi, int screenDpi, int pageW, int pageH) {
    const std::int64_t w = std::int64_t{imageW} * printerDpi / screenDpi;
    const std::int64_t h = std::int64_t{imageH} * printerDpi / screenDpi;
    const std::int64_t left = (pageW - w) / 2;
    const std::int64_t top = (pageH - h) / 2;
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + w),
            static_cast<int>(top + h)};
}

// The scene as printed under the chart: the room, SP1, SP2, the listener, then the
// reflection coefficients and the reflection count, each value as its text stands.
inline std::array<std::string, 5> graphHeaderLines(const SceneTexts& t) {
    const auto position = [](const std::string& name, const PositionTexts& p) {
        return name + " 左から" + p.x + "m" + "  前から" + p.y + "m" + "  床から" + p.z + "m";
    };
    return {
        "    部屋 幅：" + t.width + "m" + " 奥行：" + t.depth + "m" + " 高さ：" + t.height + "m",
        position("SP1", t.sources.at(0)),
        position("SP2", t.sources.at(1)),
        position("聴取者", t.seats.at(0)),
        "反射率  前" + t.reflFront + "  後" + t.reflBack + "  右" + t.reflRight + "  左" + t.reflLeft +
            "  上" + t.reflCeiling + "  下" + t.reflFloor + "    反射回数 " + t.reflectionCount,
    };
}

} // namespace kolmarin
