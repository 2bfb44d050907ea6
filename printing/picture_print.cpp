#include "printing/picture_print.h"

#include "printing/print_job_error.h"
#include "widgets/user_dialogs.h"

#include <QPainter>
#include <QPrinter>
#include <QWidget>

#include <algorithm>

namespace kolmarin {

namespace {

constexpr double kMarginShare = 0.05; // of the page's width and height, on each side

} // namespace

void printPicture(QWidget& owner, QPrinter& printer, const QString& docName,
                  const std::function<void(QPainter&, const QRectF&)>& paint) {
    const JobSettingsKeeper settings(printer);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(docName);
    if (!askPrint(&owner, printer))
        return;

    QPainter painter;
    if (!painter.begin(&printer))
        throw printJobError(PrintFailure::NotStarted, printer);
    // Screen pixels to printer dots.
    const double scale = static_cast<double>(printer.logicalDpiX()) / std::max(1, owner.logicalDpiX());
    const double width = printer.width() / scale, height = printer.height() / scale;
    painter.scale(scale, scale);
    paint(painter, QRectF(width * kMarginShare, height * kMarginShare, width * (1 - 2 * kMarginShare),
                          height * (1 - 2 * kMarginShare)));
    endPrintJob(painter, printer);
}

} // namespace kolmarin
