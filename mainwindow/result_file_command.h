#pragma once
// The main window's command "計算結果保存(&D)": the stored levels of the three curves,
// after a description of the scene, saved to a text file the user chooses.

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/response.h"

#include <QString>

class QWidget;

namespace kolmarin {

class ResultFileCommand {
  public:
    // The file of the listener's curves of `setup`; with subwoofers, other seats or a
    // crossover its header names them (see resultFileBytes). Reads the frequency range
    // first, so a start or end text that is not a whole number fails before any dialog
    // opens. Then asks for the file ("data.dat" the first time, afterwards the name last
    // chosen), asks before replacing one, and writes the rows of the range that `computed`,
    // the elements the last calculation wrote, covers. Cancel or No writes nothing. Throws
    // UserError; a failed save leaves any old file whole.
    void run(QWidget* parent, const BassSetup& setup, const ResponseCurves& curves, ElementRange computed);

  private:
    QString proposal_ = QStringLiteral("data.dat");
};

} // namespace kolmarin
