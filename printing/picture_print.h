#pragma once
// Prints a picture that draws itself onto any painter (the waterfall) on one landscape
// page, keeping the printer's own orientation for the other prints.

#include <QString>

#include <functional>

class QPainter;
class QPrinter;
class QRectF;
class QWidget;

namespace kolmarin {

// Asks through the print dialog, then hands `paint` the page's area less a margin, in
// units of the screen's pixels, so texts print as large relative to the picture as they
// show on screen. Throws UserError when the printer would not start or finish the job.
void printPicture(QWidget& owner, QPrinter& printer, const QString& docName,
                  const std::function<void(QPainter&, const QRectF&)>& paint);

} // namespace kolmarin
