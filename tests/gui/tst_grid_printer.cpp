// The grid printer writing real PDF jobs: pages counted in the file, the page events
// and the cell rectangles handed to a drawing handler.

#include "pdf_pages.h"
#include "printing/grid_printer.h"

#include <QFile>
#include <QHeaderView>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <stdexcept>

using namespace kolmarin;

namespace {

struct DrawnCell {
    int col = 0;
    int row = 0;
    QRect rect;
    int page = 0; // PDF page it went to, from 1
};

} // namespace

class TestGridPrinter : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<QTableWidget> grid;
    GridPrinter printer;
    int pdfCount = 0;
    QString lastPdf;

    // Rows and columns of equal size; cell texts name their position.
    void makeGrid(int rows, int rowHeight, int cols, int colWidth) {
        grid = std::make_unique<QTableWidget>(rows, cols);
        grid->horizontalHeader()->setMinimumSectionSize(1);
        grid->verticalHeader()->setMinimumSectionSize(1);
        for (int r = 0; r < rows; ++r) {
            grid->setRowHeight(r, rowHeight);
            for (int c = 0; c < cols; ++c)
                grid->setItem(r, c, new QTableWidgetItem(QStringLiteral("%1,%2").arg(c).arg(r)));
        }
        for (int c = 0; c < cols; ++c)
            grid->setColumnWidth(c, colWidth);
        printer.grid = grid.get();
    }

    // Prints into a new PDF whose page is `width` × `height` dots at the screen's
    // resolution, so one grid pixel is one dot; returns the number of pages written.
    int print(int width = 1000, int height = 1000) {
        lastPdf = dir.filePath(QStringLiteral("job%1.pdf").arg(++pdfCount));
        QPdfWriter writer(lastPdf);
        const int dpi = grid ? grid->logicalDpiY() : 96;
        writer.setResolution(dpi);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(QPageSize(QSizeF(width * 72.0 / dpi, height * 72.0 / dpi), QPageSize::Point,
                                     QString(), QPageSize::ExactMatch));
        QPainter painter(&writer);
        if (grid) {
            [&] {
                QCOMPARE(writer.width(), width);
                QCOMPARE(writer.height(), height);
            }();
        }
        printer.print(writer, painter);
        painter.end();
        return pagesIn(lastPdf);
    }

    static int pagesIn(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return -1;
        return testing::pdfPageCount(file.readAll());
    }

  private slots:
    void init() {
        printer = GridPrinter();
        printer.leftMargin = printer.topMargin = printer.rightMargin = printer.bottomMargin = 0;
        grid.reset();
    }

    void startsWithItsDefaults() {
        GridPrinter fresh;
        QCOMPARE(fresh.normalLineWidth(), 1);
        QCOMPARE(fresh.fixedLineWidth(), 4);
        QVERIFY(fresh.drawFixedArea());
        QCOMPARE(fresh.mmToPrinterX(25), 0);
        QCOMPARE(fresh.mmToPrinterY(10), 0);
        QVERIFY(fresh.canvas() == nullptr);
        QCOMPARE(fresh.pageCount(), 0);
    }

    void borderWidthsBelowOneAreIgnored() {
        printer.setNormalLineWidth(0);
        printer.setFixedLineWidth(-3);
        QCOMPARE(printer.normalLineWidth(), 1);
        QCOMPARE(printer.fixedLineWidth(), 4);
        printer.setNormalLineWidth(2);
        printer.setFixedLineWidth(7);
        QCOMPARE(printer.normalLineWidth(), 2);
        QCOMPARE(printer.fixedLineWidth(), 7);
    }

    void withoutAGridNothingHappens() {
        int events = 0;
        printer.onBeginPage = [&](GridPrinter&) { ++events; };
        QCOMPARE(print(), 1); // the job's own first page, left blank
        QCOMPARE(events, 0);
        QCOMPARE(printer.pageCount(), 0);
    }

    void rowsContinueOnNewPagesUnderTheHeader() {
        makeGrid(1 + 19, 100, 3, 100);
        std::vector<std::pair<int, int>> begun;
        std::vector<int> bottoms;
        QPainter* seenCanvas = nullptr;
        printer.onBeginPage = [&](GridPrinter& p) {
            begun.emplace_back(p.currentColumnPage(), p.currentRowPage());
            seenCanvas = p.canvas();
        };
        printer.onEndPage = [&](GridPrinter& p) { bottoms.push_back(p.lastRowBottom()); };
        std::vector<DrawnCell> cells;
        printer.onDrawCell = [&](int col, int row, const QRect& rect) {
            cells.push_back({col, row, rect, int(begun.size())});
        };

        QCOMPARE(print(), 3);
        QVERIFY(seenCanvas != nullptr);
        QVERIFY(printer.canvas() == nullptr);
        QCOMPARE(begun, (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {1, 3}}));
        QCOMPARE(bottoms, (std::vector<int>{1000, 1000, 200}));
        QCOMPARE(printer.rowPageCount(), 3);
        QCOMPARE(printer.columnPageCount(), 1);
        QCOMPARE(printer.pageCount(), 3);
        QCOMPARE(printer.rowPageStart(1), 1);
        QCOMPARE(printer.rowPageStart(2), 10);
        QCOMPARE(printer.rowPageStart(3), 19);
        QCOMPARE(printer.columnPageStart(1), 1);
        const int dpi = grid->logicalDpiX();
        QCOMPARE(printer.mmToPrinterX(25), int(25 / 25.4 * dpi));
        QCOMPARE(printer.mmToPrinterY(10), int(10 / 25.4 * dpi));

        // Each page: the header row, then its body rows, every cell of them.
        QCOMPARE(int(cells.size()), (10 + 10 + 2) * 3);
        for (int page = 1; page <= 3; ++page) {
            std::vector<DrawnCell> on;
            for (const DrawnCell& c : cells)
                if (c.page == page)
                    on.push_back(c);
            QCOMPARE(on[0].row, 0);
            QCOMPARE(on[0].rect, QRect(0, 0, 100, 100));
            QCOMPARE(on[2].rect, QRect(200, 0, 100, 100));
            QCOMPARE(on[3].row, page == 1 ? 1 : page == 2 ? 10 : 19);
            QCOMPARE(on[3].rect, QRect(0, 100, 100, 100));
        }

        // The layout follows the switch at once, with the page of the last print.
        printer.setDrawFixedArea(false);
        QCOMPARE(printer.rowPageCount(), 2);
        QCOMPARE(printer.rowPageStart(1), 0);
        QCOMPARE(printer.rowPageStart(2), 10);
        QCOMPARE(printer.columnPageStart(1), 0);
    }

    void stripsComeOneAfterTheOther() {
        makeGrid(1 + 12, 100, 1 + 4, 400);
        grid->setColumnWidth(0, 50);
        std::vector<std::pair<int, int>> begun;
        printer.onBeginPage = [&](GridPrinter& p) {
            begun.emplace_back(p.currentColumnPage(), p.currentRowPage());
        };
        std::vector<DrawnCell> cells;
        printer.onDrawCell = [&](int col, int row, const QRect& rect) {
            cells.push_back({col, row, rect, int(begun.size())});
        };

        QCOMPARE(print(), 4);
        QCOMPARE(begun, (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}));
        QCOMPARE(printer.columnPageStart(2), 3);
        // The numbering column opens every row of the second strip.
        for (const DrawnCell& c : cells) {
            if (c.page < 3)
                continue;
            QVERIFY(c.col == 0 || c.col >= 3);
            if (c.col == 0)
                QCOMPARE(c.rect.left(), 0);
            if (c.col == 3)
                QCOMPARE(c.rect.left(), 50);
        }
    }

    void aGridThatFitsPrintsOnePage() {
        makeGrid(4, 20, 3, 60);
        int begun = 0, ended = 0;
        printer.onBeginPage = [&](GridPrinter&) { ++begun; };
        printer.onEndPage = [&](GridPrinter&) { ++ended; };
        // The component draws text and borders itself here.
        QCOMPARE(print(), 1);
        QCOMPARE(begun, 1);
        QCOMPARE(ended, 1);
        QCOMPARE(printer.lastRowBottom(), 80);
    }

    void aFailingPageIsAbandonedAndPrintingGoesOn() {
        makeGrid(1 + 19, 100, 2, 100);
        int page = 0;
        std::vector<int> ended;
        std::vector<int> drawnOn;
        printer.onBeginPage = [&](GridPrinter&) {
            if (++page == 2)
                throw std::runtime_error("paper jam");
        };
        printer.onEndPage = [&](GridPrinter&) { ended.push_back(page); };
        printer.onDrawCell = [&](int, int, const QRect&) { drawnOn.push_back(page); };

        QCOMPARE(print(), 3);
        QCOMPARE(ended, (std::vector<int>{1, 3}));
        QCOMPARE(std::count(drawnOn.begin(), drawnOn.end(), 2), 0);
        QCOMPARE(std::count(drawnOn.begin(), drawnOn.end(), 3), 4);
    }
};

QTEST_MAIN(TestGridPrinter)
#include "tst_grid_printer.moc"
