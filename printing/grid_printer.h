#pragma once

#include "model/layout/grid_page_layout.h"

#include <QRect>

#include <functional>

class QPagedPaintDevice;
class QPainter;
class QTableWidget;

namespace kolmarin {

// Prints the cells of a QTableWidget over as many printer pages as it needs:
// rows that do not fit continue on the next page, columns that do not fit go
// to further column strips, and the fixed rows and columns can be repeated on
// every page. Cell sizes keep their physical size on paper (screen pixels
// scaled by printer dpi / screen dpi); margins are in millimetres.
//
// A QTableWidget has no fixed cells of its own: the first fixedRows rows and
// the first fixedCols columns of the grid are treated as its fixed header row
// and numbering column (one each by default, like the program's tables that
// carry their header in row 0 and the numbering in column 0).
class GridPrinter {
  public:
    std::function<void(GridPrinter&)> onBeginPage, onEndPage;
    // When set, the component draws neither text nor borders and calls this
    // for every printed cell instead, repeated header cells included. The
    // rectangle is the cell in printer dots: left + width is the left of the
    // cell to its right.
    std::function<void(int col, int row, const QRect& rect)> onDrawCell;
    int textTop = 2, textLeft = 2; // text offset inside a cell, screen pixels
    int leftMargin = 10, topMargin = 10, rightMargin = 5, bottomMargin = 10; // mm
    int ScreenRatioX = 1000, ScreenRatioY = 1000; // stored only; printing ignores them
    QTableWidget* grid = nullptr;                 // not owned
    int fixedRows = 1, fixedCols = 1;             // header rows / columns of grid

    int normalLineWidth() const;
    void setNormalLineWidth(int dots); // below 1 ignored
    int fixedLineWidth() const;
    void setFixedLineWidth(int dots); // below 1 ignored
    bool drawFixedArea() const;
    void setDrawFixedArea(bool on); // a change recomputes the layout

    // Prints the whole grid into a running job: `painter` is active on
    // `device` (a QPrinter or QPdfWriter); device.newPage() starts a page.
    // Pages come strip by strip: every row page of the first column strip,
    // then those of the next. Nothing happens without a grid. A failure
    // while a page is drawn (in a handler too) abandons the rest of that page
    // only; a failure between pages, or in the layout, ends the printing.
    // Neither shows a message: the caller ends the job either way.
    void print(QPagedPaintDevice& device, QPainter& painter);

    // Whole millimetres to printer dots at the resolution of the last layout;
    // 0 before the first print.
    int mmToPrinterX(int mm) const;
    int mmToPrinterY(int mm) const;

    // The printer surface during print, for the page-event handlers;
    // nullptr outside a print.
    QPainter* canvas() const;

    // Layout of the last print; page, strip and row-page numbers count from 1.
    int columnPageCount() const;
    int rowPageCount() const;
    int pageCount() const;
    int columnPageStart(int strip) const; // first body column of a strip
    int rowPageStart(int page) const;     // first body row of a row page
    int currentColumnPage() const;
    int currentRowPage() const;
    int lastRowBottom() const; // just below the last row drawn on the current page

  private:
    void layout();
    void drawPage(int strip, int rowPage);
    void drawCell(const PrintedCell& cell);
    void prepareSurface();

    int normalGridWidth_ = 1;
    int fixedGridWidth_ = 4;
    bool drawFixedArea_ = true;

    QPainter* painter_ = nullptr; // only while print runs
    // The device's page size and resolution as the last print found them, so a change
    // of drawFixedArea can lay the grid out again after the job has ended.
    int pageWidth_ = 0, pageHeight_ = 0, printerDpiX_ = 0, printerDpiY_ = 0;
    bool haveDevice_ = false;
    GridPageSetup setup_;
    GridPageLayout layout_;
    bool laidOut_ = false;
    int currentColPage_ = 0, currentRowPage_ = 0;
    int lastRowBottom_ = 0;
};

} // namespace kolmarin
