// 計算結果のレポート: the calculation on screen written as a PDF of one or two pages.
#include "mainwindow/main_window.h"
#include "model/acoustics/eigenmodes.h"
#include "printing/report.h"
#include "widgets/response_chart.h"
#include "widgets/save_command.h"
#include "widgets/ui_support.h"

#include <QAction>
#include <QMenu>

namespace kolmarin {

void MainWindow::createReportCommand() {
    saveReportAction_ = new QAction(QStringLiteral("計算結果のレポート..."), fileMenu_);
    saveReportAction_->setObjectName(QStringLiteral("saveReportAction"));
    const QList<QAction*> items = fileMenu_->actions();
    // After the result file, the chart image and the curve text: the last of what the
    // calculation can be saved as.
    fileMenu_->insertAction(items.value(items.indexOf(saveCurveTextAction_) + 1), saveReportAction_);
    connect(saveReportAction_, &QAction::triggered, this, commandSlot(this, [this] { saveReport(); }));
}

QByteArray MainWindow::reportPdf() {
    if (computed_.first > computed_.last)
        throw UserError("レポートにする計算結果がまだありません");
    ReportContent content;
    content.caption = windowTitle();
    content.calculatedAt = calculatedAt_;
    content.setup = bassSetup();
    if (seatFigures_)
        content.seats = SeatSummary{*seatFigures_, seatComparisonBand_, subsOnlyAction_->isChecked()};
    content.decimalSeparator = decimalSeparator();
    content.modes = computeModeTable(calculatedScene_.width, calculatedScene_.depth, calculatedScene_.height,
                                     content.decimalSeparator);
    const QByteArray bytes = reportPdfBytes(content, *responseChart_);
    responseChart_->replot();
    return bytes;
}

void MainWindow::saveReport() {
    const QByteArray bytes = reportPdf();
    saveThroughDialog(
        this, {QStringLiteral("PDF (*.pdf)"), QStringLiteral("*.pdf"), QString(), QStringLiteral("pdf")},
        reportProposal_, bytes);
}

} // namespace kolmarin
