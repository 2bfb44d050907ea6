#include "printing/graph_print.h"

#include "printing/print_job_error.h"

#include "model/errors.h"
#include "model/layout/print_geometry.h"
#include "widgets/chart_with_scene.h"
#include "widgets/response_chart.h"
#include "widgets/ui_support.h"
#include "widgets/user_dialogs.h"

#include <QPainter>
#include <QPixmap>
#include <QPrinter>
#include <QStringList>

#include <algorithm>

namespace kolmarin {

namespace {

QRect toQRect(const PagePlace& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

// One print job on one painter. A job left by an exception is aborted (nothing of it
// reaches the printer) or ended (what was drawn is printed), as the command chooses.
class PrintJob {
  public:
    enum class OnFailure { Abort, End };

    PrintJob(QPrinter& printer, QPainter& painter, OnFailure onFailure)
        : printer_(printer), painter_(painter), onFailure_(onFailure) {
        if (!painter_.begin(&printer_))
            throw printJobError(PrintFailure::NotStarted, printer_);
    }
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    void finish() {
        finished_ = true;
        endPrintJob(painter_, printer_);
    }

    ~PrintJob() {
        if (finished_)
            return;
        if (onFailure_ == OnFailure::Abort)
            printer_.abort();
        painter_.end();
    }

  private:
    QPrinter& printer_;
    QPainter& painter_;
    OnFailure onFailure_;
    bool finished_ = false;
};

// The header lines stand in the chart's foot only while the chart is printed. The replot
// also lays the chart out for the screen again after it was laid out for the page.
class FootLines {
  public:
    FootLines(ResponseChart& chart, const QString& text) : chart_(chart) { chart_.setFootText(text); }
    FootLines(const FootLines&) = delete;
    FootLines& operator=(const FootLines&) = delete;
    ~FootLines() {
        chart_.setFootText(QString());
        chart_.replot();
    }

  private:
    ResponseChart& chart_;
};

QString footText(const SceneTexts& texts) {
    QStringList lines;
    for (const std::string& line : graphHeaderLines(texts))
        lines.append(toQString(line));
    return lines.join(QLatin1Char('\n'));
}

// The chart is laid out afresh at a canvas of screen pixels shaped like its place on the
// page, and that canvas is scaled onto the place: the 12-pixel texts print as large,
// relative to the chart, as they look on screen, whatever the printer's resolution.
template <typename Draw>
void drawScaled(QCPPainter& painter, const PagePlace& place, CanvasSize canvas, const Draw& draw) {
    painter.save();
    painter.translate(place.left, place.top);
    painter.scale(static_cast<double>(place.width()) / canvas.width,
                  static_cast<double>(place.height()) / canvas.height);
    draw();
    painter.restore();
}

// The chart laid out for the screen again after it was laid out for the page.
class ScreenLayout {
  public:
    explicit ScreenLayout(ResponseChart& chart) : chart_(chart) {}
    ScreenLayout(const ScreenLayout&) = delete;
    ScreenLayout& operator=(const ScreenLayout&) = delete;
    ~ScreenLayout() { chart_.replot(); }

  private:
    ResponseChart& chart_;
};

// Landscape and named "Chart1" for the one job, then as the user left them.
template <typename Draw> void printChartPage(QPrinter& printer, const Draw& draw) {
    const JobSettingsKeeper settings(printer);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(QStringLiteral("Chart1"));
    QCPPainter painter;
    PrintJob job(printer, painter, PrintJob::OnFailure::Abort);
    draw(painter, printer.logicalDpiX(), printer.logicalDpiY());
    job.finish();
}

} // namespace

void printGraph(QWidget& owner, ResponseChart& chart, const SceneTexts& texts, QPrinter& printer) {
    if (!askPrint(&owner, printer))
        return;
    const FootLines foot(chart, footText(texts));
    printChartPage(printer, [&](QCPPainter& painter, int dpiX, int dpiY) {
        const int band = chartVerticalMarginPercent(printer.width(), printer.height(), chart.width(),
                                                    chart.height(), dpiX, dpiY);
        const PagePlace place =
            chartPageRect(printer.width(), printer.height(), kChartSideMarginPercent, band);
        const CanvasSize canvas =
            chartCanvasSize(place.width(), place.height(), dpiX, dpiY, chart.width(), chart.height());
        drawScaled(painter, place, canvas,
                   [&] { drawChartCanvas(painter, chart, canvas.width, canvas.height, true); });
    });
}

void printGraph(QWidget& owner, ResponseChart& chart, const SceneGroups& scene, QPrinter& printer) {
    if (!askPrint(&owner, printer))
        return;
    const ScreenLayout screen(chart);
    printChartPage(printer, [&](QCPPainter& painter, int dpiX, int dpiY) {
        const PagePlace place = chartPageRect(printer.width(), printer.height(), kScenePageMarginPercent,
                                              kScenePageMarginPercent);
        const CanvasSize canvas =
            scenePageCanvas(place.width(), place.height(), dpiX, dpiY, printer.width(), chart.width());
        drawScaled(painter, place, canvas, [&] {
            drawChartWithScene(painter, chart, QSize(canvas.width, canvas.height),
                               sceneLines(scene, canvas.width), true);
        });
    });
}

void printWholeWindow(QWidget& window, QWidget& clientArea, QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!askPrint(&window, printer))
        return;
    const int screenDpi = std::max(1, window.logicalDpiX());
    // The client area as it shows now; on a high-density screen the picture has more
    // pixels than the window, and its size on screen is what is printed.
    const QPixmap picture = clientArea.grab();
    const QSize onScreen = picture.deviceIndependentSize().toSize();

    QPainter painter;
    PrintJob job(printer, painter, PrintJob::OnFailure::End);
    const PagePlace place = centredPicture(onScreen.width(), onScreen.height(), printer.logicalDpiX(),
                                           screenDpi, printer.width(), printer.height());
    painter.drawPixmap(toQRect(place), picture);
    job.finish();
}

} // namespace kolmarin
