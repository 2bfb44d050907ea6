// 計算結果のレポート: the calculation on screen written as a PDF of one or two pages.
#include "mainwindow/chart_panel.h"
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
    const SceneResult& result = document_.result();
    if (!result.calculated())
        throw UserError("レポートにする計算結果がまだありません");
    ReportContent content;
    content.caption = windowTitle();
    content.calculatedAt = result.calculatedAt;
    content.setup = bassSetup();
    if (result.seatFigures)
        content.seats = SeatSummary{*result.seatFigures, seatComparisonBand_, subsOnlyAction_->isChecked()};
    content.decimalSeparator = decimalSeparator();
    content.modes = computeModeTable(result.scene.width, result.scene.depth, result.scene.height,
                                     content.decimalSeparator);
    const QByteArray bytes = reportPdfBytes(content, chart_->chart());
    chart_->chart().replot();
    return bytes;
}

void MainWindow::saveReport() {
    const QByteArray bytes = reportPdf();
    saveThroughDialog(
        this, {QStringLiteral("PDF (*.pdf)"), QStringLiteral("*.pdf"), QString(), QStringLiteral("pdf")},
        reportProposal_, bytes);
}

} // namespace kolmarin
