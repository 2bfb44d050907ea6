#include "widgets/save_command.h"

#include "files/save_file.h"
#include "widgets/ui_support.h"

namespace kolmarin {

bool saveThroughDialog(QWidget* owner, FileDialogRequest request, QString& chosen, const QByteArray& bytes) {
    return saveThroughDialog(owner, std::move(request), chosen,
                             [&bytes](const FileChoice&) { return bytes; });
}

bool saveThroughDialog(QWidget* owner, FileDialogRequest request, QString& chosen,
                       const std::function<QByteArray(const FileChoice& choice)>& bytesFor) {
    request.proposedName = chosen;
    const FileChoice choice = askFileChoice(owner, FileDialogKind::Save, request);
    if (choice.path.isEmpty())
        return false;
    chosen = choice.path;
    if (!mayOverwrite(owner, choice.path))
        return false;
    const QByteArray bytes = bytesFor(choice);
    try {
        saveFileAtomically(choice.path, bytes);
    } catch (const UserError& e) {
        throw UserError(toStdString(fileMessage(choice.path, QString::fromUtf8(e.what()))));
    }
    return true;
}

bool saveImageThroughDialog(QWidget* owner, QString& chosen,
                            const std::function<QByteArray(ChartImageFormat format)>& bytesFor) {
    FileDialogRequest request{QStringLiteral("PNG 画像"),
                              QStringLiteral("*.png"),
                              QString(),
                              QStringLiteral("png"),
                              {{QStringLiteral("PDF"), QStringLiteral("*.pdf")}}};
    return saveThroughDialog(owner, std::move(request), chosen,
                             [&](const FileChoice& choice) { return bytesFor(imageFormatOf(choice.path)); });
}

} // namespace kolmarin
