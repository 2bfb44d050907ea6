#pragma once
// The message of a print job that the printer would not start or finish; a job printed
// into a file names the file on a second line.

#include "model/errors.h"

class QPrinter;

namespace kolmarin {

enum class PrintFailure { NotStarted, NotFinished };

UserError printJobError(PrintFailure failure, const QPrinter& printer);

} // namespace kolmarin
