#pragma once
// The chart image of kolmarin2-cli: the tool draws no windows, so it runs the program
// kolmarin2 beside it without a screen, which draws the chart as the window shows it.

#include <QString>

namespace kolmarin::cli {

// Runs `kolmarin2 --chart-png PNG --delays DELAYS ROOM` on Qt's offscreen platform, the two paths made
// absolute, its messages going to this tool's standard error. Returns its exit code; 1
// when it could not be found, run or ended abnormally.
int writeChartPngWithProgram(const QString& roomPath, const QString& pngPath, const QString& delays);

// The same for the waterfall of the room's Total over `band` ("LO-HI"):
// `kolmarin2 --waterfall-png PNG --band LO-HI --delays DELAYS ROOM`.
int writeWaterfallPngWithProgram(const QString& roomPath, const QString& pngPath, const QString& band,
                                 const QString& delays);

// The report of the room or setup file's calculation as PDF:
// `kolmarin2 --report-pdf PDF SETUP`.
int writeReportPdfWithProgram(const QString& setupPath, const QString& pdfPath);

} // namespace kolmarin::cli
