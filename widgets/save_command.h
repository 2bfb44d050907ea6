#pragma once
// The save flow every file command shares: ask for the file, ask before replacing one,
// then write the whole file at once.

#include "widgets/chart_image.h"
#include "widgets/user_dialogs.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;

namespace kolmarin {

// Asks for the file with `request`, proposing `chosen` (the name last chosen in this
// command's dialog, which then holds the new choice), asks before replacing a file, and
// saves `bytes` so that a failed save leaves any old file whole. Returns false when the
// user cancelled or would not replace the file; throws UserError when the save failed.
bool saveThroughDialog(QWidget* owner, FileDialogRequest request, QString& chosen, const QByteArray& bytes);

// The same for a file whose bytes depend on the name typed or the filter chosen in the
// dialog: `bytesFor` makes them once the user has agreed.
bool saveThroughDialog(QWidget* owner, FileDialogRequest request, QString& chosen,
                       const std::function<QByteArray(const FileChoice& choice)>& bytesFor);

// An image saved as PNG or PDF, the format following the name's extension (imageFormatOf):
// the dialog offers both, adding the chosen one's extension to a name typed without one.
bool saveImageThroughDialog(QWidget* owner, QString& chosen,
                            const std::function<QByteArray(ChartImageFormat format)>& bytesFor);

} // namespace kolmarin
