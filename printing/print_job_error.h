#pragma once
// The message of a print job that the printer would not start or finish; a job printed
// into a file names the file on a second line; the end of a job, which finds out whether
// it finished; and the job settings a print of its own keeps to itself.

#include "model/errors.h"

#include <QPrinter>

class QPainter;

namespace kolmarin {

// A print of its own orientation and job name sets them for its job only: the printer
// keeps the user's choices for every other print.
class JobSettingsKeeper {
  public:
    explicit JobSettingsKeeper(QPrinter& printer)
        : printer_(printer), orientation_(printer.pageLayout().orientation()), docName_(printer.docName()) {}
    JobSettingsKeeper(const JobSettingsKeeper&) = delete;
    JobSettingsKeeper& operator=(const JobSettingsKeeper&) = delete;
    ~JobSettingsKeeper() {
        printer_.setPageOrientation(orientation_);
        printer_.setDocName(docName_);
    }

  private:
    QPrinter& printer_;
    QPageLayout::Orientation orientation_;
    QString docName_;
};

enum class PrintFailure { NotStarted, NotFinished };

UserError printJobError(PrintFailure failure, const QPrinter& printer);

// Ends the job painted on `painter`; throws the NotFinished error when the printer reports
// a failure, or when a PDF file the job wrote does not end as a PDF file does (a full disk
// cuts it short, and the PDF writer does not tell).
void endPrintJob(QPainter& painter, const QPrinter& printer);

} // namespace kolmarin
