#pragma once
// How a table of cells is cut into printer pages: row pages down the table, column
// strips across it, the fixed (header) rows and columns optionally repeated on every
// page, and the rectangle in printer dots of every cell a page prints. Cell sizes come
// from the screen in pixels and keep their physical size on paper, scaled by
// printer dpi / screen dpi; margins are whole millimetres. Dot counts are cut toward
// zero; the scale factors and running positions are kept in long double so a row of
// many cells does not drift.
//
// The page and strip tables grow with the table: there is no upper limit on the number
// of row pages or column strips.

#include <vector>

namespace kolmarin {

struct GridPageSetup {
    int pageWidth = 0; // the printable page, printer dots
    int pageHeight = 0;
    int printerDpiX = 0;
    int printerDpiY = 0;
    int screenDpiX = 96;
    int screenDpiY = 96;
    int leftMargin = 10; // mm
    int topMargin = 10;
    int rightMargin = 5;
    int bottomMargin = 10;
    int textLeft = 2; // offset of a cell's text from its top-left corner, screen pixels
    int textTop = 2;
    std::vector<int> columnWidths; // screen pixels
    std::vector<int> rowHeights;
    int fixedCols = 1; // the leading columns and rows that form the table's headers
    int fixedRows = 1;
    bool drawFixedArea = true;
};

struct GridPageLayout {
    long double kx = 0; // printer dots per screen pixel
    long double ky = 0;
    int left = 0; // margins, printer dots
    int top = 0;
    int right = 0;
    int bottom = 0;
    long long printableWidth = 0;
    long long printableHeight = 0;
    int textLeft = 0; // text offset in a cell, printer dots
    int textTop = 0;
    int fixedCols = 0; // the setup's counts, limited to the table's size
    int fixedRows = 0;
    // First body column of each strip and first body row of each row page, in order.
    // There is always at least one of each.
    std::vector<int> colPageStart;
    std::vector<int> rowPageStart;

    int colPageCount() const { return static_cast<int>(colPageStart.size()); }
    int rowPageCount() const { return static_cast<int>(rowPageStart.size()); }
    // Raises the integer-overflow error when the product does not fit an int.
    int pageCount() const;
};

// mm / 25.4 · dpi, cut toward zero.
int mmToDots(int mm, int dotsPerInch);

// Splits items of the given extents (dots), from `firstBody` on, into pages of
// `printable` dots of which `fixedExtent` are taken by the repeated headers. An item
// that just fills a page closes it; an item that overflows a page it does not open goes
// to the next page; an item that overflows the page it opens stays there alone. A new
// page opens only while items remain, so a table without body items still gives one
// page starting at `firstBody`.
std::vector<int> pageStarts(const std::vector<int>& extents, int firstBody, long long fixedExtent,
                            long long printable);

// Raises the division-by-zero error for a screen resolution of zero or less, since cell
// sizes cannot then be carried over.
GridPageLayout layoutGridPages(const GridPageSetup& setup);

// Left, top and exclusive right and bottom, printer dots.
struct DotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const DotRect&) const = default;
};

struct PrintedCell {
    int col = 0;
    int row = 0;
    bool fixed = false; // outlined with the fixed-cell pen
    DotRect cell;       // the cell; its text is clipped to it
    DotRect outline;    // one dot wider and taller than the cell, so neighbours share a line
};

struct PrintedPage {
    std::vector<PrintedCell> cells; // in drawing order, row by row, left to right
    int lastRowBottom = 0;          // just below the last row
};

// The cells of page (strip, rowPage), both counted from 1.
PrintedPage layoutPageCells(const GridPageSetup& setup, const GridPageLayout& layout, int strip, int rowPage);

} // namespace kolmarin
