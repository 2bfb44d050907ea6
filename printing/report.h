#pragma once
// 計算結果のレポート: the calculation on screen as a PDF of one or two A4 pages, to keep
// or hand on: the room, every source with its position and signal, the seats with their
// figures, the chart, and the room's lowest modes. Blocks that do not fit the first page
// go to a second.

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/eigenmodes.h"
#include "model/layout/scene_lines.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QCustomPlot;

namespace kolmarin {

struct ReportContent {
    QString caption;      // the main window's caption, which names the file
    QString calculatedAt; // when the chart's curves were calculated
    BassSetup setup;
    std::optional<SeatSummary> seats; // with more than one seat
    ModeTable modes;                  // its first rows are listed
    char decimalSeparator = '.';
};

// The modes listed, the lowest first.
inline constexpr int kReportModeRows = 15;

// The PDF's bytes; the chart is laid out afresh for the page and left to the caller to
// replot for the screen. Throws UserError when the file could not be made.
QByteArray reportPdfBytes(const ReportContent& content, QCustomPlot& chart);

} // namespace kolmarin
