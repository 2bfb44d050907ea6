#include "mainwindow/result_file_command.h"

#include "files/result_file.h"
#include "files/save_file.h"
#include "widgets/user_dialogs.h"

namespace kolmarin {

void ResultFileCommand::run(QWidget* parent, const SceneTexts& texts, const ResponseCurves& curves,
                            ElementRange computed) {
    // The file is put together before the user is asked anything: its first step reads the
    // frequency range, and a text it cannot hold is refused without a dialog.
    const QByteArray bytes = resultFileBytes(texts, curves, computed);

    // No default extension: a name typed without one is used as typed.
    const QString path = askFileName(
        parent, FileDialogKind::Save,
        {QStringLiteral("Kolmarin2計算データ(*.dat)"), QStringLiteral("*.dat"), proposal_, QString()});
    if (path.isEmpty())
        return;
    proposal_ = path;
    if (!mayOverwrite(parent, path))
        return;
    saveFileAtomically(path, bytes);
}

} // namespace kolmarin
