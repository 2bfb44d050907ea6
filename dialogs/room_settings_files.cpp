// The settings dialog's room data file commands, which the main window's file menu runs
// as well.
#include "dialogs/room_settings_dialog.h"

#include "files/setup_file.h"

#include "files/file_errors.h"
#include "files/room_file.h"
#include "widgets/save_command.h"
#include "widgets/ui_support.h"
#include "widgets/user_dialogs.h"

#include <QFileInfo>

#include <exception>

namespace kolmarin {

namespace {

// The file's own name after the product name and an ideographic space.
QString mainCaptionFor(const QString& path) {
    return QStringLiteral("Kolmarin2\u3000") + QFileInfo(path).fileName();
}

} // namespace

QWidget* RoomSettingsDialog::commandOwner() {
    if (!isVisible() && parentWidget())
        return parentWidget()->window();
    return this;
}

void RoomSettingsDialog::saveRoomFile() {
    const SceneTexts& texts = document_.texts();
    // A text the file cannot hold is refused before the user is asked for a name.
    const QByteArray bytes = roomFileBytes(texts, decimalSeparator());
    // The room file keeps the room, SP1, SP2 and the listener only; the rest would be lost
    // without a word, so the user is told what and may save a setup file instead.
    if (const QString losses = QString::fromStdString(roomFileLosses(document_.setup())); !losses.isEmpty())
        if (!askYesNo(commandOwner(), QStringLiteral("確認"),
                      QStringLiteral("部屋データファイルには %1 を保存できません。"
                                     "部屋と SP1、SP2、聴取者だけを保存しますか？\n"
                                     "(すべてを残すには「セットアップの保存...」を使ってください)")
                          .arg(losses)))
            return;

    // A name typed without an extension gets .dtr, which the open dialog lists (files named
    // .rmd by earlier versions still open: only the first line is looked at).
    if (!saveThroughDialog(commandOwner(),
                           {QStringLiteral("Kolmarin2部屋データファイル(*.dtr)"), QStringLiteral("*.dtr"),
                            QString(), QStringLiteral("dtr")},
                           saveProposal_, bytes))
        return;
    document_.setCaption(mainCaptionFor(saveProposal_));
    emit roomFileUsed(saveProposal_);
}

RoomSettingsDialog::OpenResult RoomSettingsDialog::openRoomData() {
    const QString path = askFileName(commandOwner(), FileDialogKind::Open,
                                     {QStringLiteral("Kolmarin2部屋データファイル(*dtr)"),
                                      QStringLiteral("*.dtr"), openProposal_, QString()});
    if (path.isEmpty())
        return {OpenOutcome::Cancelled, QString()};
    return loadRoomData(path);
}

RoomSettingsDialog::OpenResult RoomSettingsDialog::loadRoomData(const QString& path) {
    openProposal_ = path;

    // The whole file is read and every text checked as the window will read it before
    // anything changes: a refused file leaves the texts, markers and caption as they were.
    // Every message names the file it concerns.
    SceneTexts texts;
    try {
        texts = readRoomFile(path, decimalSeparator());
    } catch (const std::exception& e) {
        const QString message = QString::fromUtf8(e.what());
        const bool refused = message == QString::fromUtf8(msg::kNotARoomFile);
        return {refused ? OpenOutcome::Refused : OpenOutcome::IoError, fileMessage(path, message)};
    }
    try {
        checkRoomFileTexts(texts, decimalSeparator());
    } catch (const std::exception& e) {
        return {OpenOutcome::Refused, fileMessage(path, QString::fromUtf8(e.what()))};
    }
    document_.setCaption(mainCaptionFor(path));
    // A room file's scene has no subwoofers, other seats or crossover; the delay model is
    // the user's choice, which a room file does not hold.
    texts.delays = document_.texts().delays;
    document_.setSetup({texts, {}, 0, frontLoudspeakers(), {}});
    emit roomFileUsed(path);
    return {OpenOutcome::Loaded, QString()};
}

OpenOutcome RoomSettingsDialog::openRoomFile() {
    const OpenResult result = openRoomData();
    if (!result.message.isEmpty())
        showErrorBox(commandOwner(), result.message);
    return result.outcome;
}

OpenOutcome RoomSettingsDialog::openRoomFileAt(const QString& path) {
    const OpenResult result = loadRoomData(path);
    if (!result.message.isEmpty())
        showErrorBox(commandOwner(), result.message);
    return result.outcome;
}

} // namespace kolmarin
