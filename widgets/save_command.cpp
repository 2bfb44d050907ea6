#include "widgets/save_command.h"

#include "files/save_file.h"

namespace kolmarin {

bool saveThroughDialog(QWidget* owner, FileDialogRequest request, QString& chosen, const QByteArray& bytes) {
    request.proposedName = chosen;
    const QString path = askFileName(owner, FileDialogKind::Save, request);
    if (path.isEmpty())
        return false;
    chosen = path;
    if (!mayOverwrite(owner, path))
        return false;
    saveFileAtomically(path, bytes);
    return true;
}

} // namespace kolmarin
