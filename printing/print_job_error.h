#pragma once
// The message of a print job that the printer would not start or finish; a job printed
// into a file names the file on a second line. And the end of a job, which finds out
// whether it finished.

#include "model/errors.h"

class QPainter;
class QPrinter;

namespace kolmarin {

enum class PrintFailure { NotStarted, NotFinished };

UserError printJobError(PrintFailure failure, const QPrinter& printer);

// Ends the job painted on `painter`; throws the NotFinished error when the printer reports
// a failure, or when a PDF file the job wrote does not end as a PDF file does (a full disk
// cuts it short, and the PDF writer does not tell).
void endPrintJob(QPainter& painter, const QPrinter& printer);

} // namespace kolmarin
