#include "model/layout/grid_page_layout.h"

#include "model/errors.h"
#include "model/text/number_text.h"

#include <algorithm>
#include <cmath>

namespace kolmarin {

namespace {

int truncDots(long double value) {
    return static_cast<int>(std::trunc(value));
}

std::vector<int> scaledExtents(const std::vector<int>& pixels, long double scale) {
    std::vector<int> dots;
    dots.reserve(pixels.size());
    for (int p : pixels)
        dots.push_back(truncDots(p * scale));
    return dots;
}

long long sumOfFirst(const std::vector<int>& extents, int count) {
    long long sum = 0;
    for (int i = 0; i < count; ++i)
        sum += extents[static_cast<std::size_t>(i)];
    return sum;
}

// Where the items of a page end: the next page's first item, or the table's end.
int pageEnd(const std::vector<int>& starts, int page, int itemCount) {
    return page < static_cast<int>(starts.size()) ? starts[static_cast<std::size_t>(page)] : itemCount;
}

} // namespace

int GridPageLayout::pageCount() const {
    return checkedMul(colPageCount(), rowPageCount());
}

int mmToDots(int mm, int dotsPerInch) {
    return truncDots(static_cast<long double>(mm) / 25.4L * dotsPerInch);
}

std::vector<int> pageStarts(const std::vector<int>& extents, int firstBody, long long fixedExtent,
                            long long printable) {
    std::vector<int> starts{firstBody};
    const int count = static_cast<int>(extents.size());
    long long running = 0;
    int i = firstBody;
    while (i < count) {
        running += extents[static_cast<std::size_t>(i)];
        const long long used = fixedExtent + running;
        if (used > printable && i != starts.back()) {
            // Measured again as the first item of the next page.
            starts.push_back(i);
            running = 0;
            continue;
        }
        ++i;
        // Full, or overfilled by an item that is alone on its page.
        if (used >= printable && i < count) {
            starts.push_back(i);
            running = 0;
        }
    }
    return starts;
}

GridPageLayout layoutGridPages(const GridPageSetup& s) {
    if (s.screenDpiX <= 0 || s.screenDpiY <= 0)
        throw UserError(msg::kZeroDivide);
    GridPageLayout g;
    g.kx = static_cast<long double>(s.printerDpiX) / s.screenDpiX;
    g.ky = static_cast<long double>(s.printerDpiY) / s.screenDpiY;
    g.left = mmToDots(s.leftMargin, s.printerDpiX);
    g.right = mmToDots(s.rightMargin, s.printerDpiX);
    g.top = mmToDots(s.topMargin, s.printerDpiY);
    g.bottom = mmToDots(s.bottomMargin, s.printerDpiY);
    g.printableWidth = static_cast<long long>(s.pageWidth) - g.left - g.right;
    g.printableHeight = static_cast<long long>(s.pageHeight) - g.top - g.bottom;
    g.textLeft = truncDots(s.textLeft * g.kx);
    g.textTop = truncDots(s.textTop * g.ky);
    const int cols = static_cast<int>(s.columnWidths.size());
    const int rows = static_cast<int>(s.rowHeights.size());
    g.fixedCols = std::clamp(s.fixedCols, 0, cols);
    g.fixedRows = std::clamp(s.fixedRows, 0, rows);

    const std::vector<int> widths = scaledExtents(s.columnWidths, g.kx);
    const std::vector<int> heights = scaledExtents(s.rowHeights, g.ky);
    if (s.drawFixedArea) {
        g.rowPageStart =
            pageStarts(heights, g.fixedRows, sumOfFirst(heights, g.fixedRows), g.printableHeight);
        g.colPageStart = pageStarts(widths, g.fixedCols, sumOfFirst(widths, g.fixedCols), g.printableWidth);
    } else {
        g.rowPageStart = pageStarts(heights, 0, 0, g.printableHeight);
        g.colPageStart = pageStarts(widths, 0, 0, g.printableWidth);
    }
    return g;
}

PrintedPage layoutPageCells(const GridPageSetup& s, const GridPageLayout& g, int strip, int rowPage) {
    const int cols = static_cast<int>(s.columnWidths.size());
    const int rows = static_cast<int>(s.rowHeights.size());
    const int firstCol = g.colPageStart.at(static_cast<std::size_t>(strip - 1));
    const int endCol = pageEnd(g.colPageStart, strip, cols);
    const int firstRow = g.rowPageStart.at(static_cast<std::size_t>(rowPage - 1));
    const int endRow = pageEnd(g.rowPageStart, rowPage, rows);

    PrintedPage page;
    // Positions advance by the unscaled-then-multiplied sizes and are cut only when a
    // rectangle is taken, so rounding does not pile up along a row or down a column.
    long double y = g.top;
    auto addRow = [&](int row, bool wholeRowFixed, bool withFixedCols) {
        long double x = g.left;
        const long double h = s.rowHeights[static_cast<std::size_t>(row)] * g.ky;
        auto addCell = [&](int col, bool fixed) {
            const long double w = s.columnWidths[static_cast<std::size_t>(col)] * g.kx;
            PrintedCell c{col, row, fixed, {}, {}};
            c.cell = {truncDots(x), truncDots(y), truncDots(x) + truncDots(w), truncDots(y + h)};
            c.outline = {truncDots(x), truncDots(y), truncDots(x + w + 1), truncDots(y + h + 1)};
            page.cells.push_back(c);
            x += w;
        };
        if (withFixedCols)
            for (int col = 0; col < g.fixedCols; ++col)
                addCell(col, true);
        for (int col = firstCol; col < endCol; ++col)
            addCell(col, wholeRowFixed || col < g.fixedCols || row < g.fixedRows);
        y += h;
    };
    if (s.drawFixedArea) {
        for (int row = 0; row < g.fixedRows; ++row)
            addRow(row, true, true);
    }
    for (int row = firstRow; row < endRow; ++row)
        addRow(row, false, s.drawFixedArea);
    page.lastRowBottom = truncDots(y);
    return page;
}

} // namespace kolmarin
