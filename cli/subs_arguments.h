#pragma once
// The options of kolmarin2-cli subs: what to place, the objective and its target, the EQ,
// and the limits a processor sets.

#include "cli/seat_arguments.h"

#include <QStringList>

namespace kolmarin::cli {

// Whether `arguments[i]` is an option of subs; if so, reads it (and its value, moving `i`
// on) into `subs`. A malformed value throws UsageError.
bool readSubsOption(const QStringList& arguments, qsizetype& i, SubsOptions& subs);

} // namespace kolmarin::cli
