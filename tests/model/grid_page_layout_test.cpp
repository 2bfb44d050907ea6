#include "model/errors.h"
#include "model/layout/grid_page_layout.h"

#include "tests/user_error.h"

#include <gtest/gtest.h>

using namespace kolmarin;
using kolmarin::test::errorOf;

namespace {

using Starts = std::vector<int>;

// One screen pixel per printer dot and no margins, so the page is the printable area.
GridPageSetup plainPage(int rows, int rowHeight, int cols, int colWidth) {
    GridPageSetup s;
    s.pageWidth = 1000;
    s.pageHeight = 1000;
    s.printerDpiX = s.printerDpiY = 96;
    s.screenDpiX = s.screenDpiY = 96;
    s.leftMargin = s.topMargin = s.rightMargin = s.bottomMargin = 0;
    s.rowHeights.assign(static_cast<std::size_t>(rows), rowHeight);
    s.columnWidths.assign(static_cast<std::size_t>(cols), colWidth);
    return s;
}

std::vector<std::pair<int, int>> cellsOf(const PrintedPage& page) {
    std::vector<std::pair<int, int>> out;
    for (const PrintedCell& c : page.cells)
        out.emplace_back(c.col, c.row);
    return out;
}

} // namespace

TEST(PageStarts, FullPageClosesAndOverflowMovesOn) {
    EXPECT_EQ(pageStarts({500, 500, 1}, 0, 0, 1000), (Starts{0, 2}));
    EXPECT_EQ(pageStarts({500, 501, 1}, 0, 0, 1000), (Starts{0, 1}));
    EXPECT_EQ(pageStarts({500, 499, 1}, 0, 0, 1000), (Starts{0}));
    // Only while items remain does a full page open another.
    EXPECT_EQ(pageStarts({500, 500}, 0, 0, 1000), (Starts{0}));
}

TEST(PageStarts, OversizedItemStaysAloneOnItsPage) {
    EXPECT_EQ(pageStarts({100, 100, 1200, 100}, 1, 100, 1000), (Starts{1, 2, 3}));
    EXPECT_EQ(pageStarts({100, 1200, 1200}, 1, 100, 1000), (Starts{1, 2}));
    EXPECT_EQ(pageStarts({100, 1200}, 1, 100, 1000), (Starts{1}));
    // Headers taller than the page leave every body item alone on a page.
    EXPECT_EQ(pageStarts({1100, 10, 10, 10}, 1, 1100, 1000), (Starts{1, 2, 3}));
    // A page with no room at all still takes one item per page and never loops.
    EXPECT_EQ(pageStarts({5, 5, 5}, 0, 0, -20), (Starts{0, 1, 2}));
}

TEST(GridPageLayout, NineHundredDotRowsPerPageUnderTheHeader) {
    // A 100-dot header on a 1000-dot page leaves room for exactly nine 100-dot rows.
    EXPECT_EQ(layoutGridPages(plainPage(1 + 9, 100, 2, 100)).rowPageStart, (Starts{1}));
    EXPECT_EQ(layoutGridPages(plainPage(1 + 18, 100, 2, 100)).rowPageStart, (Starts{1, 10}));
    const GridPageSetup s = plainPage(1 + 19, 100, 2, 100);
    const GridPageLayout g = layoutGridPages(s);
    EXPECT_EQ(g.rowPageStart, (Starts{1, 10, 19}));
    EXPECT_EQ(g.pageCount(), 3);

    // Every page is topped by the header row; the third holds only the last body row.
    const PrintedPage third = layoutPageCells(s, g, 1, 3);
    EXPECT_EQ(cellsOf(third), (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {0, 19}, {1, 19}}));
    EXPECT_EQ(third.cells[0].cell, (DotRect{0, 0, 100, 100}));
    EXPECT_EQ(third.cells[3].cell, (DotRect{100, 100, 200, 200}));
    EXPECT_EQ(third.lastRowBottom, 200);
    EXPECT_EQ(layoutPageCells(s, g, 1, 2).lastRowBottom, 1000);
}

TEST(GridPageLayout, OversizedRowRunsIntoTheBottomMargin) {
    GridPageSetup s = plainPage(5, 100, 2, 100);
    s.rowHeights[2] = 1500;
    const GridPageLayout g = layoutGridPages(s);
    EXPECT_EQ(g.rowPageStart, (Starts{1, 2, 3}));
    const PrintedPage tall = layoutPageCells(s, g, 1, 2);
    EXPECT_EQ(tall.cells.size(), 4u);
    EXPECT_EQ(tall.lastRowBottom, 1600);
}

TEST(GridPageLayout, ColumnStripsRepeatTheFixedColumns) {
    // 30 + 3 · 300 fits a 1000-dot page, a fourth column does not.
    GridPageSetup s = plainPage(3, 100, 11, 300);
    s.columnWidths[0] = 30;
    const GridPageLayout g = layoutGridPages(s);
    EXPECT_EQ(g.colPageStart, (Starts{1, 4, 7, 10}));
    EXPECT_EQ(g.rowPageStart, (Starts{1}));
    EXPECT_EQ(g.pageCount(), 4);

    const PrintedPage second = layoutPageCells(s, g, 2, 1);
    EXPECT_EQ(cellsOf(second), (std::vector<std::pair<int, int>>{{0, 0},
                                                                 {4, 0},
                                                                 {5, 0},
                                                                 {6, 0}, //
                                                                 {0, 1},
                                                                 {4, 1},
                                                                 {5, 1},
                                                                 {6, 1}, //
                                                                 {0, 2},
                                                                 {4, 2},
                                                                 {5, 2},
                                                                 {6, 2}}));
    EXPECT_EQ(second.cells[5].cell, (DotRect{30, 100, 330, 200}));
    // The header row and the numbering column are fixed; the body is not.
    for (const PrintedCell& c : second.cells)
        EXPECT_EQ(c.fixed, c.row == 0 || c.col == 0) << c.col << "," << c.row;

    const PrintedPage last = layoutPageCells(s, g, 4, 1);
    EXPECT_EQ(last.cells.size(), 3u * 2u);
    EXPECT_EQ(last.cells[1].col, 10);
}

TEST(GridPageLayout, WithoutTheFixedAreaHeadersPrintOnceInTheFlow) {
    GridPageSetup s = plainPage(1 + 18, 100, 7, 300);
    s.columnWidths[0] = 30;
    s.drawFixedArea = false;
    const GridPageLayout g = layoutGridPages(s);
    // Ten 100-dot rows fill the page now that no header is kept back.
    EXPECT_EQ(g.rowPageStart, (Starts{0, 10}));
    // 30 + 300 + 300 + 300 = 930: the numbering column is just the first column.
    EXPECT_EQ(g.colPageStart, (Starts{0, 4}));

    const PrintedPage first = layoutPageCells(s, g, 1, 1);
    EXPECT_EQ(first.cells.size(), 10u * 4u);
    EXPECT_EQ(first.cells[0].row, 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(first.cells[static_cast<std::size_t>(i)].fixed);
    EXPECT_FALSE(first.cells[5].fixed);
    EXPECT_TRUE(first.cells[4].fixed); // column 0 of a body row

    const PrintedPage secondStrip = layoutPageCells(s, g, 2, 2);
    EXPECT_EQ(secondStrip.cells.front().col, 4);
    EXPECT_EQ(secondStrip.cells.front().row, 10);
    EXPECT_EQ(secondStrip.cells.front().cell, (DotRect{0, 0, 300, 100}));
    for (const PrintedCell& c : secondStrip.cells)
        EXPECT_FALSE(c.fixed);
}

TEST(GridPageLayout, ScalesScreenPixelsWithoutDrift) {
    // 600 dpi printer, 96 dpi screen: 6.25 dots per pixel.
    GridPageSetup s;
    s.pageWidth = 4960;
    s.pageHeight = 7016;
    s.printerDpiX = s.printerDpiY = 600;
    s.screenDpiX = s.screenDpiY = 96;
    s.leftMargin = 25;
    s.topMargin = 20;
    s.rowHeights = {21, 21};
    s.columnWidths = {21, 21, 21, 21};
    const GridPageLayout g = layoutGridPages(s);
    EXPECT_EQ(g.left, 590);
    EXPECT_EQ(g.top, 472);
    EXPECT_EQ(g.right, 118);
    EXPECT_EQ(g.bottom, 236);
    EXPECT_EQ(g.printableWidth, 4960 - 590 - 118);
    EXPECT_EQ(g.printableHeight, 7016 - 472 - 236);
    EXPECT_EQ(g.textLeft, 12); // 2 px = 12.5 dots
    EXPECT_EQ(g.textTop, 12);

    const PrintedPage page = layoutPageCells(s, g, 1, 1);
    ASSERT_EQ(page.cells.size(), 8u);
    // Columns start at 590, 721.25, 852.5, 983.75: each cell is 131 dots wide from its
    // own cut position, and its outline reaches the next cell's left edge.
    EXPECT_EQ(page.cells[0].cell, (DotRect{590, 472, 721, 603}));
    EXPECT_EQ(page.cells[1].cell, (DotRect{721, 472, 852, 603}));
    EXPECT_EQ(page.cells[2].cell, (DotRect{852, 472, 983, 603}));
    EXPECT_EQ(page.cells[3].cell, (DotRect{983, 472, 1114, 603}));
    EXPECT_EQ(page.cells[0].outline, (DotRect{590, 472, 722, 604}));
    EXPECT_EQ(page.cells[3].outline, (DotRect{983, 472, 1116, 604}));
    EXPECT_EQ(page.cells[5].cell, (DotRect{721, 603, 852, 734}));
    EXPECT_EQ(page.lastRowBottom, 734); // 472 + 262.5
}

TEST(GridPageLayout, FixedCountsAreLimitedToTheGrid) {
    GridPageSetup s = plainPage(3, 100, 2, 100);
    s.fixedRows = 5;
    s.fixedCols = 0;
    const GridPageLayout g = layoutGridPages(s);
    EXPECT_EQ(g.fixedRows, 3);
    EXPECT_EQ(g.rowPageStart, (Starts{3}));
    EXPECT_EQ(g.colPageStart, (Starts{0}));
    const PrintedPage only = layoutPageCells(s, g, 1, 1);
    EXPECT_EQ(only.cells.size(), 6u);
    EXPECT_EQ(only.lastRowBottom, 300);

    const GridPageLayout empty = layoutGridPages(plainPage(0, 100, 0, 100));
    EXPECT_EQ(empty.pageCount(), 1);
    EXPECT_TRUE(layoutPageCells(plainPage(0, 100, 0, 100), empty, 1, 1).cells.empty());
}

TEST(GridPageLayout, ManyPagesGrowTheTables) {
    // Beyond 1000 row pages and 99 strips the tables simply grow.
    const GridPageLayout g = layoutGridPages(plainPage(1 + 1500, 1000, 1 + 120, 1000));
    EXPECT_EQ(g.rowPageCount(), 1500);
    EXPECT_EQ(g.colPageCount(), 120);
    EXPECT_EQ(g.pageCount(), 180000);
}

TEST(GridPageLayout, RefusesAScreenWithoutResolution) {
    GridPageSetup s = plainPage(2, 10, 2, 10);
    s.screenDpiY = 0;
    EXPECT_EQ(errorOf([&] { layoutGridPages(s); }), msg::kZeroDivide);
}
