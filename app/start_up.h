#pragma once
// What the program does with its command line (Qt's own options already taken out):
//   kolmarin2                        the windows with the start-up room
//   kolmarin2 ROOM.dtr               the same, then the room file opened as the file menu
//                                    opens it (the desktop's "open with" and double-click)
//   kolmarin2 --chart-png FILE ROOM.dtr
//                                    no window: the chart of the room file's scene written
//                                    to FILE as PNG (kolmarin2-cli response --png runs this)
//   kolmarin2 --waterfall-png FILE [--band LO-HI] ROOM.dtr
//                                    no window: the waterfall of the room file's Total as
//                                    PNG (kolmarin2-cli decay --png runs this)
//   --delays sample|continuous       the delay model of those images (the windows take
//                                    the one the user last applied, kept in the settings)
//   kolmarin2 --report-pdf FILE SETUP
//                                    no window: the report of the room or setup file's
//                                    calculation as PDF (kolmarin2-cli report runs this)

#include "model/acoustics/spread.h"

#include <QString>
#include <QStringList>

namespace kolmarin {

class AppWindows;
class SceneDocument;

struct StartRequest {
    QString roomPath;      // empty: the start-up room only
    QString chartPath;     // not empty: write the chart image and end
    QString waterfallPath; // not empty: write the waterfall image and end
    QString reportPath;    // not empty: write the report and end
    Band waterfallBand{15, 200};
    DelayModel delays = DelayModel::Sample; // the images' model for the chart or waterfall image
    QStringList ignored;                    // further room files; only the first is opened
    QString usageError;                     // not empty: a command line the program does not understand

    bool writesFile() const {
        return !chartPath.isEmpty() || !waterfallPath.isEmpty() || !reportPath.isEmpty();
    }
};

StartRequest parseStartArguments(const QStringList& arguments);

// The room file named at start, opened and applied as the menu command does: the same
// reading, refusals and messages in the error box.
void openStartRoomFile(AppWindows& windows, const QString& path);

// Writes the chart of the room file's scene to `imagePath` as PNG, with the windows built
// but never shown on a screen. Messages, each after the name of the file it concerns, go
// to `messages`; returns the program's exit code: 0 done, 1 failed.
int writeChartPng(const QString& roomPath, const QString& imagePath, DelayModel delays,
                  QStringList& messages);

// The same for the waterfall of the room's Total over `band`, with the window's defaults.
int writeWaterfallPng(const QString& roomPath, const QString& imagePath, Band band, DelayModel delays,
                      QStringList& messages);

// The delay model the user last applied, from the user's settings, into the document; and
// every model applied from now on kept there.
void rememberDelayModel(SceneDocument& document);

// The same for the report of the calculation (計算結果のレポート) as PDF.
int writeReportPdf(const QString& roomPath, const QString& pdfPath, DelayModel delays, QStringList& messages);

} // namespace kolmarin
