// The grid printer writing real PDF jobs: pages counted in the file and the page events.
// Where each cell lands on which page is the page layout's, tested with the model.

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

    void outsideAPrintThereIsNoCanvas() {
        GridPrinter fresh;
        QCOMPARE(fresh.mmToPrinterX(25), 0);
        QCOMPARE(fresh.mmToPrinterY(10), 0);
        QVERIFY(fresh.canvas() == nullptr);
    }

    void withoutAGridNothingHappens() {
        int events = 0;
        printer.onBeginPage = [&](GridPrinter&) { ++events; };
        QCOMPARE(print(), 1); // the job's own first page, left blank
        QCOMPARE(events, 0);
    }

    void rowsContinueOnNewPagesUnderTheHeader() {
        makeGrid(1 + 19, 100, 3, 100);
        int begun = 0;
        QPainter* seenCanvas = nullptr;
        printer.onBeginPage = [&](GridPrinter& p) {
            ++begun;
            seenCanvas = p.canvas();
        };

        // Nine body rows of 100 dots fit under the header on a page of 1000 dots.
        QCOMPARE(print(), 3);
        QCOMPARE(begun, 3);
        QVERIFY(seenCanvas != nullptr);
        QVERIFY(printer.canvas() == nullptr);
        const int dpi = grid->logicalDpiX();
        QCOMPARE(printer.mmToPrinterX(25), int(25 / 25.4 * dpi));
        QCOMPARE(printer.mmToPrinterY(10), int(10 / 25.4 * dpi));
    }

    void stripsComeOneAfterTheOther() {
        makeGrid(1 + 12, 100, 1 + 4, 400);
        grid->setColumnWidth(0, 50);
        int begun = 0;
        printer.onBeginPage = [&](GridPrinter&) { ++begun; };
        // Two columns of 400 next to the numbering column per strip, two row pages each.
        QCOMPARE(print(), 4);
        QCOMPARE(begun, 4);
    }

    void aGridThatFitsPrintsOnePage() {
        makeGrid(4, 20, 3, 60);
        int begun = 0;
        printer.onBeginPage = [&](GridPrinter&) { ++begun; };
        QCOMPARE(print(), 1);
        QCOMPARE(begun, 1);
    }

    void aFailingPageIsAbandonedAndPrintingGoesOn() {
        makeGrid(1 + 19, 100, 2, 100);
        int page = 0;
        printer.onBeginPage = [&](GridPrinter&) {
            if (++page == 2)
                throw std::runtime_error("paper jam");
        };
        QCOMPARE(print(), 3);
        QCOMPARE(page, 3);
    }
};

QTEST_MAIN(TestGridPrinter)
#include "tst_grid_printer.moc"
