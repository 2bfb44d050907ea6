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
// A QTableWidget has no fixed cells of its own: the first FixedRows rows and
// the first FixedCols columns of the grid are treated as its fixed header row
// and numbering column (one each by default, like the program's tables that
// carry their header in row 0 and the numbering in column 0).
class TZuqSGridPrinter {
  public:
    std::function<void(TZuqSGridPrinter&)> OnBeginPage, OnEndPage;
    // When set, the component draws neither text nor borders and calls this
    // for every printed cell instead, repeated header cells included. The
    // rectangle is the cell in printer dots: left + width is the left of the
    // cell to its right.
    std::function<void(int col, int row, const QRect& rect)> OnDrawCell;
    int MojiTop = 2, MojiLeft = 2; // text offset inside a cell, screen pixels
    int LeftMargin = 10, TopMargin = 10, RightMargin = 5, BottomMargin = 10; // mm
    int ScreenRatioX = 1000, ScreenRatioY = 1000; // stored only; printing ignores them
    QTableWidget* TargetGrid = nullptr;           // not owned
    int FixedRows = 1, FixedCols = 1;             // header rows / columns of TargetGrid

    int NormalGridWidth() const;
    void setNormalGridWidth(int dots); // below 1 ignored
    int FixedGridWidth() const;
    void setFixedGridWidth(int dots); // below 1 ignored
    bool DrawFixedArea() const;
    void setDrawFixedArea(bool on); // a change recomputes the layout

    // Prints the whole grid into a running job: `painter` is active on
    // `device` (a QPrinter or QPdfWriter); device.newPage() starts a page.
    // Pages come strip by strip: every row page of the first column strip,
    // then those of the next. Nothing happens without a TargetGrid. A failure
    // while a page is drawn (in a handler too) abandons the rest of that page
    // only; a failure between pages, or in the layout, ends the printing.
    // Neither shows a message: the caller ends the job either way.
    void PrintGrid(QPagedPaintDevice& device, QPainter& painter);

    // Whole millimetres to printer dots at the resolution of the last layout;
    // 0 before the first print.
    int MmToPrinterX(int mm) const;
    int MmToPrinterY(int mm) const;

    // The printer surface during PrintGrid, for the page-event handlers;
    // nullptr outside a print.
    QPainter* canvas() const;

    // Layout of the last print; page, strip and row-page numbers count from 1.
    int ColPageCount() const;
    int RowPageCount() const;
    int PageCount() const;
    int ColPageStart(int strip) const; // first body column of a strip
    int RowPageStart(int page) const;  // first body row of a row page
    int CurrentColPage() const;
    int CurrentRowPage() const;
    int LastRowBottom() const; // just below the last row drawn on the current page

  private:
    void layout();
    void drawPage(int strip, int rowPage);
    void drawCell(const PrintedCell& cell);
    void prepareSurface();

    int normalGridWidth_ = 1;
    int fixedGridWidth_ = 4;
    bool drawFixedArea_ = true;

    QPainter* painter_ = nullptr; // only while PrintGrid runs
    // The device's page size and resolution as the last print found them, so a change
    // of DrawFixedArea can lay the grid out again after the job has ended.
    int pageWidth_ = 0, pageHeight_ = 0, printerDpiX_ = 0, printerDpiY_ = 0;
    bool haveDevice_ = false;
    GridPageSetup setup_;
    GridPageLayout layout_;
    bool laidOut_ = false;
    int currentColPage_ = 0, currentRowPage_ = 0;
    int lastRowBottom_ = 0;
};

} // namespace kolmarin
