#include "printing/grid_printer.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QTableWidget>

#include <exception>

namespace kolmarin {

namespace {

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

int GridPrinter::normalLineWidth() const {
    return normalGridWidth_;
}

void GridPrinter::setNormalLineWidth(int dots) {
    if (dots >= 1)
        normalGridWidth_ = dots;
}

int GridPrinter::fixedLineWidth() const {
    return fixedGridWidth_;
}

void GridPrinter::setFixedLineWidth(int dots) {
    if (dots >= 1)
        fixedGridWidth_ = dots;
}

bool GridPrinter::drawFixedArea() const {
    return drawFixedArea_;
}

void GridPrinter::setDrawFixedArea(bool on) {
    if (on == drawFixedArea_)
        return;
    drawFixedArea_ = on;
    layout();
}

int GridPrinter::mmToPrinterX(int mm) const {
    return mmToDots(mm, printerDpiX_);
}
int GridPrinter::mmToPrinterY(int mm) const {
    return mmToDots(mm, printerDpiY_);
}

QPainter* GridPrinter::canvas() const {
    return painter_;
}

int GridPrinter::columnPageCount() const {
    return layout_.colPageCount();
}
int GridPrinter::rowPageCount() const {
    return layout_.rowPageCount();
}
int GridPrinter::pageCount() const {
    return columnPageCount() * rowPageCount();
}

int GridPrinter::columnPageStart(int strip) const {
    return strip >= 1 && strip <= columnPageCount()
               ? layout_.colPageStart[static_cast<std::size_t>(strip - 1)]
               : 0;
}

int GridPrinter::rowPageStart(int page) const {
    return page >= 1 && page <= rowPageCount() ? layout_.rowPageStart[static_cast<std::size_t>(page - 1)] : 0;
}

int GridPrinter::currentColumnPage() const {
    return currentColPage_;
}
int GridPrinter::currentRowPage() const {
    return currentRowPage_;
}
int GridPrinter::lastRowBottom() const {
    return lastRowBottom_;
}

void GridPrinter::layout() {
    laidOut_ = false;
    layout_ = {};
    // Without a grid, or before a print has told the page size, there is nothing to lay out.
    if (!grid || !haveDevice_)
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
        s.textLeft = textLeft;
        s.textTop = textTop;
        for (int c = 0; c < grid->columnCount(); ++c)
            s.columnWidths.push_back(grid->columnWidth(c));
        for (int r = 0; r < grid->rowCount(); ++r)
            s.rowHeights.push_back(grid->rowHeight(r));
        s.fixedCols = fixedCols;
        s.fixedRows = fixedRows;
        s.drawFixedArea = drawFixedArea_;
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
    haveDevice_ = true;
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
    currentColPage_ = strip;
    currentRowPage_ = rowPage;
    try {
        prepareSurface();
        if (onBeginPage)
            onBeginPage(*this);
        // The header handler may have changed pen, brush and font.
        prepareSurface();
        const PrintedPage page = layoutPageCells(setup_, layout_, strip, rowPage);
        for (const PrintedCell& cell : page.cells)
            drawCell(cell);
        lastRowBottom_ = page.lastRowBottom;
        if (onEndPage)
            onEndPage(*this);
    } catch (const std::exception&) {
        // The rest of this page is lost; the next page is printed as usual.
    }
}

void GridPrinter::drawCell(const PrintedCell& cell) {
    const QRect rect = toQRect(cell.cell);
    if (onDrawCell) {
        onDrawCell(cell.col, cell.row, rect);
        return;
    }
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
    border.setWidth(cell.fixed ? fixedGridWidth_ : normalGridWidth_);
    border.setJoinStyle(Qt::MiterJoin);
    p.setPen(border);
    // A rectangle outline covers its right and bottom edge, so the exclusive bounds
    // of the outline end one dot inside.
    const DotRect& o = cell.outline;
    p.drawRect(QRect(o.left, o.top, o.right - o.left - 1, o.bottom - o.top - 1));
    p.setPen(previous);
}

} // namespace kolmarin
