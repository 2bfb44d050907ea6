#include "mainwindow/result_file_command.h"

#include "files/result_file.h"
#include "widgets/save_command.h"

namespace kolmarin {

void ResultFileCommand::run(QWidget* parent, const BassSetup& setup, const ResponseCurves& curves,
                            ElementRange computed) {
    // The file is put together before the user is asked anything: its first step reads the
    // frequency range, and a text it cannot hold is refused without a dialog.
    const QByteArray bytes = resultFileBytes(setup, curveSubject(setup), curves, computed);

    // No default extension: a name typed without one is used as typed.
    saveThroughDialog(
        parent, {QStringLiteral("Kolmarin2計算データ(*.dat)"), QStringLiteral("*.dat"), QString(), QString()},
        proposal_, bytes);
}

} // namespace kolmarin
