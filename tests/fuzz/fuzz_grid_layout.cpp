// The grid printer's page layout on tables, pages and resolutions decoded from the input:
// empty tables, zero and oversized cells, pages smaller than a cell or than the margins,
// fixed counts beyond the table. The layout ends; every body cell lands on exactly one
// page (row page by column strip); with the fixed area drawn, the fixed rows head every
// row page and the fixed columns every strip, otherwise they print once in the flow; each
// page holds what fits, an oversized row or column alone, and closes only when the next
// one would not fit; cells come row by row, left to right, without overlapping.
//
// Cell sizes stay within what a table on a screen has (up to 10 000 pixels), screen
// resolutions within 24 to 600 dpi and printers within 72 to 2400 dpi, so that a page's
// positions fit the dot counts the printer takes.
#include "fuzz_support.h"

#include "model/layout/grid_page_layout.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace kolmarin;
using fuzz::ByteReader;
using fuzz::require;

namespace {

int cellSize(ByteReader& in) {
    switch (in.byte() % 8) {
    case 0:
        return 0;
    case 1:
        return 10000 - in.byte();
    case 2:
        return in.word() % 10001;
    default: // as the mode list has them
        return 10 + in.byte() % 150;
    }
}

int pageExtent(ByteReader& in) {
    switch (in.byte() % 6) {
    case 0:
        return static_cast<int>(in.word()) - 2000; // smaller than the margins, or negative
    case 1:
        return in.byte();
    default:
        return 1000 + in.word() % 30000;
    }
}

GridPageSetup decodeSetup(ByteReader& in) {
    GridPageSetup s;
    s.pageWidth = pageExtent(in);
    s.pageHeight = pageExtent(in);
    constexpr int kPrinterDpi[] = {72, 150, 300, 600, 1200, 2400};
    s.printerDpiX = in.byte() % 2 ? kPrinterDpi[in.byte() % 6] : 72 + in.word() % 2329;
    s.printerDpiY = in.byte() % 2 ? s.printerDpiX : 72 + in.word() % 2329;
    s.screenDpiX = in.byte() % 2 ? 96 : 24 + in.word() % 577;
    s.screenDpiY = in.byte() % 2 ? s.screenDpiX : 24 + in.word() % 577;
    if (in.byte() % 4 == 0) {
        s.leftMargin = in.byte() % 60;
        s.topMargin = in.byte() % 60;
        s.rightMargin = in.byte() % 60;
        s.bottomMargin = in.byte() % 60;
    }
    s.columnWidths.resize(in.byte() % 25);
    s.rowHeights.resize(in.byte() % 81);
    // Mostly one size for all rows, as a table has them.
    const bool evenRows = in.byte() % 2;
    const int rowHeight = cellSize(in);
    for (int& w : s.columnWidths)
        w = cellSize(in);
    for (int& h : s.rowHeights)
        h = evenRows ? rowHeight : cellSize(in);
    s.fixedCols = static_cast<int>(in.byte() % 5) - 1;
    s.fixedRows = static_cast<int>(in.byte() % 5) - 1;
    s.drawFixedArea = in.byte() % 4 != 0;
    return s;
}

int dots(int pixels, long double scale) {
    return static_cast<int>(std::trunc(pixels * scale));
}

// The pages of one direction: starts rise from the first body item, each page's items
// fit beside the fixed ones (or one oversized item stands alone), and a page that is
// not the last closes only when full or when its next item would overflow it.
void checkPageStarts(const std::vector<int>& starts, const std::vector<int>& pixels, long double scale,
                     int firstBody, long long printable) {
    const int count = static_cast<int>(pixels.size());
    require(!starts.empty() && starts.front() == firstBody, "pages start at the first body item");
    for (std::size_t p = 1; p < starts.size(); ++p)
        require(starts[p] > starts[p - 1] && starts[p] < count, "page starts rise through the table");
    long long fixed = 0;
    for (int i = 0; i < firstBody; ++i)
        fixed += dots(pixels[static_cast<std::size_t>(i)], scale);
    for (std::size_t p = 0; p < starts.size(); ++p) {
        const int end = p + 1 < starts.size() ? starts[p + 1] : count;
        long long used = fixed;
        for (int i = starts[p]; i < end; ++i)
            used += dots(pixels[static_cast<std::size_t>(i)], scale);
        require(used <= printable || end - starts[p] <= 1, "a page holds what fits, or one item alone");
        if (end < count)
            require(used >= printable ||
                        used + dots(pixels[static_cast<std::size_t>(end)], scale) > printable,
                    "a page closes only when the next item does not fit");
    }
}

// One row of a page: its cells share top and bottom and run left to right, each
// outline reaching its right neighbour.
void checkRow(const std::vector<PrintedCell>& row, int left) {
    require(row.front().cell.left == left, "a row starts at the left margin");
    for (std::size_t i = 0; i < row.size(); ++i) {
        const DotRect& c = row[i].cell;
        require(c.top == row.front().cell.top && c.bottom == row.front().cell.bottom,
                "the cells of a row share top and bottom");
        require(c.left <= c.right && c.top <= c.bottom, "a cell is no negative rectangle");
        require(row[i].outline.right >= c.right && row[i].outline.bottom >= c.bottom,
                "an outline holds its cell");
        if (i + 1 < row.size()) {
            const DotRect& next = row[i + 1].cell;
            require(c.right <= next.left && next.left <= row[i].outline.right,
                    "neighbouring cells meet without overlapping");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const GridPageSetup s = decodeSetup(in);
    const GridPageLayout g = layoutGridPages(s);
    const int cols = static_cast<int>(s.columnWidths.size());
    const int rows = static_cast<int>(s.rowHeights.size());
    require(g.fixedCols == std::clamp(s.fixedCols, 0, cols) &&
                g.fixedRows == std::clamp(s.fixedRows, 0, rows),
            "fixed counts are limited to the table");
    const int firstCol = s.drawFixedArea ? g.fixedCols : 0;
    const int firstRow = s.drawFixedArea ? g.fixedRows : 0;
    checkPageStarts(g.colPageStart, s.columnWidths, g.kx, firstCol, g.printableWidth);
    checkPageStarts(g.rowPageStart, s.rowHeights, g.ky, firstRow, g.printableHeight);
    require(g.pageCount() == g.colPageCount() * g.rowPageCount(), "every strip has every row page");

    // How often each cell printed, row by row.
    std::vector<int> printed(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols));
    const auto at = [&](int r, int c) -> int& { return printed[static_cast<std::size_t>(r * cols + c)]; };
    for (int strip = 1; strip <= g.colPageCount(); ++strip) {
        for (int rowPage = 1; rowPage <= g.rowPageCount(); ++rowPage) {
            const PrintedPage page = layoutPageCells(s, g, strip, rowPage);
            std::vector<PrintedCell> row;
            int lastRow = -1;
            for (const PrintedCell& c : page.cells) {
                require(c.fixed == (c.row < g.fixedRows || c.col < g.fixedCols),
                        "fixed cells are the header rows and columns");
                require(c.row >= 0 && c.row < rows && c.col >= 0 && c.col < cols,
                        "only the table's cells print");
                ++at(c.row, c.col);
                if (!row.empty() && c.row != row.back().row) {
                    require(c.cell.top >= row.back().cell.bottom, "rows run down the page");
                    checkRow(row, g.left);
                    row.clear();
                }
                require(c.row != lastRow || row.empty() || c.col > row.back().col, "cells run left to right");
                lastRow = c.row;
                row.push_back(c);
            }
            if (!row.empty()) {
                checkRow(row, g.left);
                require(page.lastRowBottom >= row.back().cell.bottom,
                        "the last row ends above its bottom line");
                require(page.cells.front().cell.top == g.top, "the first row starts at the top margin");
            }
        }
    }

    // How often each cell prints: a body cell once; with the fixed area drawn, a header
    // row's cell once per row page of its strip, a header column's cell once per strip of
    // its row page, the corner on every page.
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            int expected = 1;
            if (s.drawFixedArea) {
                const bool fixedRow = r < g.fixedRows, fixedCol = c < g.fixedCols;
                expected = (fixedCol ? g.colPageCount() : 1) * (fixedRow ? g.rowPageCount() : 1);
            }
            require(at(r, c) == expected, "every cell prints as often as its place promises");
        }
    }
    return 0;
}
