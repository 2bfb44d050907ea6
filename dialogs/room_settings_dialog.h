#pragma once
// The room and calculation settings dialog: its edit boxes show the scene document's
// room, six reflection coefficients and calculation conditions, and what is typed goes
// into the document at once. Apply makes it take effect. Modeless; closing it only hides
// it.

#include "files/scene_document.h"
#include "model/acoustics/scene.h"
#include "widgets/ui_support.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;
class QAction;
class QMenuBar;

namespace kolmarin {

// How opening a room data file ended. After a load or a cancelled dialog the main window
// brings itself in line with the scene, as Apply does; a refused or unreadable file changed
// nothing and leaves it as it was.
enum class OpenOutcome {
    Loaded,    // the file's texts are in the boxes and read-outs
    Cancelled, // the user closed the file dialog without a choice
    Refused,   // not a room file of this version, or a text the window cannot take; the
               // user has been told
    IoError,   // the file could not be opened or read; the user has been told
};

class RoomSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit RoomSettingsDialog(SceneDocument& document, QWidget* parent = nullptr);
    ~RoomSettingsDialog() override;

    // Save room data: asks for the file ("部屋.dtr" the first time, then the name last
    // chosen), asks before replacing one, writes the scene and names the file in the main
    // window's caption. Cancel or No changes nothing. Throws UserError when a text cannot
    // be written or the file cannot be saved; a failed save leaves any old file whole and
    // the caption as it was.
    void saveRoomFile();
    // Open room data: asks for the file (the name last chosen proposed), reads it whole,
    // checks every text as the window will read it (numbers in the user's locale, a room
    // with extent), and only then puts its 21 texts into the boxes and read-outs and names
    // the file in the main window's caption. A refused or unreadable file changes nothing;
    // its message is shown in the error box. Never throws. Nothing is applied or recomputed.
    OpenOutcome openRoomFile();
    // The same after the file dialog, for the file at `path` (given on the command line):
    // the same reading, refusals and messages; the open dialog proposes it next time.
    OpenOutcome openRoomFileAt(const QString& path);

    // Apply: the document applies its scene, which the main window lays out and
    // calculates, and the change is one step to undo. OK: Apply, then hide and bring the
    // main window to the front; when Apply fails the dialog stays open. Both throw what
    // the main window refused.
    void apply();
    void acceptSettings();

    // Writes the room, coefficient and condition texts into `texts` (positions untouched),
    // and puts those of `texts` into the document.
    void readTexts(SceneTexts& texts) const;
    void writeTexts(const SceneTexts& texts);
  signals:
    // The button "固有モード計算" was pressed: the room's modes are wanted.
    void modesRequested();
    // A room file was saved to `path` or read from it: the file menus offer it again.
    void roomFileUsed(const QString& path);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct OpenResult {
        OpenOutcome outcome = OpenOutcome::Cancelled;
        QString message; // what the user is told of a refused or unreadable file
    };

    void createMenu();
    // The document's texts into the boxes, and a box's text into the document.
    void showTexts(SceneDocument::Changes what);
    void takeTypedText();
    void createBoxes(QWidget* client);
    void createButtons(QWidget* client);
    void setTabOrderAndFocus();
    // The box that holds one of the room, coefficient and condition texts.
    QLineEdit* box(SceneText text) const;
    void placeOnScreen();
    OpenResult openRoomData();
    OpenResult loadRoomData(const QString& path);
    // The window the file dialogs and messages belong to: this dialog while it is shown,
    // otherwise the main window, whose menu then started the command.
    QWidget* commandOwner();

    SceneDocument& document_;
    bool showing_ = false; // the boxes are being written from the document
    QLineEdit* roomWidthBox_ = nullptr;
    QLineEdit* roomDepthBox_ = nullptr;
    QLineEdit* roomHeightBox_ = nullptr;
    QLineEdit* rightReflectionBox_ = nullptr;
    QLineEdit* leftReflectionBox_ = nullptr;
    QLineEdit* frontReflectionBox_ = nullptr;
    QLineEdit* backReflectionBox_ = nullptr;
    QLineEdit* floorReflectionBox_ = nullptr;
    QLineEdit* ceilingReflectionBox_ = nullptr;
    QLineEdit* reflectionCountBox_ = nullptr;
    QLineEdit* startFrequencyBox_ = nullptr;
    QLineEdit* endFrequencyBox_ = nullptr;
    QComboBox* delayModelBox_ = nullptr; // サンプル単位 or 連続, in DelayModel's order
    QPushButton* modesButton_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    QAction* openRoomAction_ = nullptr;
    QAction* saveRoomAction_ = nullptr;

    // What each file dialog proposes: the name last chosen in it.
    QString saveProposal_ = QStringLiteral("部屋.dtr");
    QString openProposal_;
};

} // namespace kolmarin
