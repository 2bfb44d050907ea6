#include "printing/print_job_error.h"

#include <QPrinter>
#include <QString>

namespace kolmarin {

UserError printJobError(PrintFailure failure, const QPrinter& printer) {
    QString message = failure == PrintFailure::NotStarted ? QStringLiteral("印刷を開始できません")
                                                          : QStringLiteral("印刷を完了できません");
    if (!printer.outputFileName().isEmpty())
        message += QStringLiteral("\n") + printer.outputFileName();
    return UserError(message.toStdString());
}

} // namespace kolmarin
