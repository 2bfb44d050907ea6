#include "printing/print_job_error.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QString>

#include <algorithm>

namespace kolmarin {

UserError printJobError(PrintFailure failure, const QPrinter& printer) {
    QString message = failure == PrintFailure::NotStarted ? QStringLiteral("印刷を開始できません")
                                                          : QStringLiteral("印刷を完了できません");
    if (!printer.outputFileName().isEmpty())
        message += QStringLiteral("\n") + printer.outputFileName();
    return UserError(message.toStdString());
}

void endPrintJob(QPainter& painter, const QPrinter& printer) {
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw printJobError(PrintFailure::NotFinished, printer);
    const QString path = printer.outputFileName();
    // Only a plain file can be read back; a device the user chose takes what it takes.
    if (path.isEmpty() || printer.outputFormat() != QPrinter::PdfFormat || !QFileInfo(path).isFile())
        return;
    QFile written(path);
    constexpr qint64 kTail = 64; // the trailer's last line is "%%EOF"
    if (!written.open(QIODevice::ReadOnly) || !written.seek(std::max<qint64>(0, written.size() - kTail)) ||
        !written.read(kTail).contains("%%EOF"))
        throw printJobError(PrintFailure::NotFinished, printer);
}

} // namespace kolmarin
