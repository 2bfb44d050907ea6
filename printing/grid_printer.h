#pragma once

#include "model/layout/grid_page_layout.h"

#include <functional>

class QPagedPaintDevice;
class QPainter;
class QTableWidget;

namespace kolmarin {

// Prints the cells of a QTableWidget over as many printer pages as it needs:
// rows that do not fit continue on the next page, columns that do not fit go
// to further column strips, and the title row and numbering column are
// repeated on every page. Cell sizes keep their physical size on paper (screen
// pixels scaled by printer dpi / screen dpi); margins are in millimetres.
//
// A QTableWidget has no fixed cells of its own: row 0 and column 0 of the grid
// are treated as its fixed title row and numbering column, as the program's
// tables carry their titles in row 0 and the numbering in column 0.
class GridPrinter {
  public:
    // Called at the start of every page, before its cells are drawn; canvas()
    // is the page's painter meanwhile.
    std::function<void(GridPrinter&)> onBeginPage;
    int leftMargin = 10, topMargin = 10, rightMargin = 5, bottomMargin = 10; // mm
    QTableWidget* grid = nullptr;                                            // not owned

    // Prints the whole grid into a running job: `painter` is active on
    // `device` (a QPrinter or QPdfWriter); device.newPage() starts a page.
    // Pages come strip by strip: every row page of the first column strip,
    // then those of the next. Nothing happens without a grid. A failure
    // while a page is drawn (in the page handler too) abandons the rest of that
    // page only; a failure between pages, or in the layout, ends the printing.
    // Neither shows a message: the caller ends the job either way.
    void print(QPagedPaintDevice& device, QPainter& painter);

    // Whole millimetres to printer dots at the resolution of the last print;
    // 0 before the first print.
    int mmToPrinterX(int mm) const;
    int mmToPrinterY(int mm) const;

    // The printer surface during print, for the page handler; nullptr outside
    // a print.
    QPainter* canvas() const;

  private:
    void layout();
    void drawPage(int strip, int rowPage);
    void drawCell(const PrintedCell& cell);
    void prepareSurface();

    QPainter* painter_ = nullptr; // only while print runs
    int pageWidth_ = 0, pageHeight_ = 0, printerDpiX_ = 0, printerDpiY_ = 0;
    GridPageSetup setup_;
    GridPageLayout layout_;
    bool laidOut_ = false;
};

} // namespace kolmarin
