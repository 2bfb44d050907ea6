#include "printing/grid_printer.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QRect>
#include <QTableWidget>

#include <exception>

namespace kolmarin {

namespace {

// The text's offset inside its cell, in screen pixels, and the border widths in printer
// dots: the fixed cells are framed heavier than the body.
constexpr int kTextOffset = 2;
constexpr int kNormalLineWidth = 1;
constexpr int kFixedLineWidth = 4;

// The grid's font at the same physical size on paper: a font sized in pixels is
// turned into points at the screen's resolution, since pixels would be printer dots.
QFont printedFont(const QTableWidget& grid) {
    QFont font = grid.font();
    if (font.pixelSize() > 0 && grid.logicalDpiY() > 0)
        font.setPointSizeF(font.pixelSize() * 72.0 / grid.logicalDpiY());
    return font;
}

QRect toQRect(const DotRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

} // namespace

int GridPrinter::mmToPrinterX(int mm) const {
    return mmToDots(mm, printerDpiX_);
}
int GridPrinter::mmToPrinterY(int mm) const {
    return mmToDots(mm, printerDpiY_);
}

QPainter* GridPrinter::canvas() const {
    return painter_;
}

void GridPrinter::layout() {
    laidOut_ = false;
    layout_ = {};
    if (!grid)
        return;
    try {
        GridPageSetup s;
        s.pageWidth = pageWidth_;
        s.pageHeight = pageHeight_;
        s.printerDpiX = printerDpiX_;
        s.printerDpiY = printerDpiY_;
        s.screenDpiX = grid->logicalDpiX();
        s.screenDpiY = grid->logicalDpiY();
        s.leftMargin = leftMargin;
        s.topMargin = topMargin;
        s.rightMargin = rightMargin;
        s.bottomMargin = bottomMargin;
        s.textLeft = kTextOffset;
        s.textTop = kTextOffset;
        for (int c = 0; c < grid->columnCount(); ++c)
            s.columnWidths.push_back(grid->columnWidth(c));
        for (int r = 0; r < grid->rowCount(); ++r)
            s.rowHeights.push_back(grid->rowHeight(r));
        s.fixedCols = 1;
        s.fixedRows = 1;
        s.drawFixedArea = true;
        layout_ = layoutGridPages(s);
        layout_.pageCount(); // a page count beyond int fails here, not halfway through the job
        setup_ = std::move(s);
        laidOut_ = true;
    } catch (const std::exception&) {
        layout_ = {};
    }
}

void GridPrinter::print(QPagedPaintDevice& device, QPainter& painter) {
    if (!grid)
        return;
    painter_ = &painter;
    struct ReleaseCanvas {
        QPainter*& p;
        ~ReleaseCanvas() { p = nullptr; }
    } release{painter_};

    pageWidth_ = device.width();
    pageHeight_ = device.height();
    printerDpiX_ = device.logicalDpiX();
    printerDpiY_ = device.logicalDpiY();
    layout();
    if (!laidOut_)
        return;
    try {
        for (int c = 1; c <= layout_.colPageCount(); ++c) {
            for (int r = 1; r <= layout_.rowPageCount(); ++r) {
                if ((c > 1 || r > 1) && !device.newPage())
                    return;
                drawPage(c, r);
            }
        }
    } catch (const std::exception&) {
        // The job is the caller's to end; what was printed so far stays.
    }
}

void GridPrinter::prepareSurface() {
    painter_->setPen(QPen(Qt::black, 1));
    painter_->setBrush(Qt::NoBrush);
    painter_->setBackgroundMode(Qt::TransparentMode);
    painter_->setFont(printedFont(*grid));
}

void GridPrinter::drawPage(int strip, int rowPage) {
    try {
        prepareSurface();
        if (onBeginPage)
            onBeginPage(*this);
        // The header handler may have changed pen, brush and font.
        prepareSurface();
        const PrintedPage page = layoutPageCells(setup_, layout_, strip, rowPage);
        for (const PrintedCell& cell : page.cells)
            drawCell(cell);
    } catch (const std::exception&) {
        // The rest of this page is lost; the next page is printed as usual.
    }
}

void GridPrinter::drawCell(const PrintedCell& cell) {
    const QRect rect = toQRect(cell.cell);
    QPainter& p = *painter_;
    if (const QTableWidgetItem* item = grid->item(cell.row, cell.col)) {
        p.save();
        p.setClipRect(rect, Qt::IntersectClip);
        const QRect textBox(rect.left() + layout_.textLeft, rect.top() + layout_.textTop, 1, 1);
        p.drawText(textBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                   item->text());
        p.restore();
    }
    const QPen previous = p.pen();
    QPen border = previous;
    border.setWidth(cell.fixed ? kFixedLineWidth : kNormalLineWidth);
    border.setJoinStyle(Qt::MiterJoin);
    p.setPen(border);
    // A rectangle outline covers its right and bottom edge, so the exclusive bounds
    // of the outline end one dot inside.
    const DotRect& o = cell.outline;
    p.drawRect(QRect(o.left, o.top, o.right - o.left - 1, o.bottom - o.top - 1));
    p.setPen(previous);
}

} // namespace kolmarin
