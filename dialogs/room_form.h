#pragma once
// The room and calculation settings dialog: its edit boxes hold the room, the six
// reflection coefficients and the calculation conditions as text. Modeless; closing it
// only hides it.

#include "model/scene.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;
class QAction;
class QMenuBar;

namespace kolmarin {

class TroomForm : public QDialog {
    Q_OBJECT
  public:
    explicit TroomForm(QWidget* parent = nullptr);

    // Set by the main window: brings the main window in line with the scene and recomputes.
    std::function<void()> applyScene;

    // Apply: runs applyScene. OK: Apply, then hide and bring the main window to the front;
    // when Apply fails the dialog stays open. Both throw what applyScene throws.
    void Button2Click();
    void Button3Click();

    // Writes the room, coefficient and condition texts into `texts` (positions untouched),
    // and puts them back from `texts`.
    void readTexts(SceneTexts& texts) const;
    void writeTexts(const SceneTexts& texts);

    QLineEdit* EditRoomW = nullptr;
    QLineEdit* EditRoomD = nullptr;
    QLineEdit* EditRoomH = nullptr;
    QLineEdit* EditRefR = nullptr;
    QLineEdit* EditRefL = nullptr;
    QLineEdit* EditRefF = nullptr;
    QLineEdit* EditRefB = nullptr;
    QLineEdit* EditRefFloor = nullptr;
    QLineEdit* EditRefC = nullptr;
    QLineEdit* EditRefN = nullptr;
    QLineEdit* EditSHz = nullptr;
    QLineEdit* EditEHz = nullptr;
    QPushButton* Button1 = nullptr; // "固有モード計算"
    QPushButton* Button2 = nullptr; // "適用(&A)"
    QPushButton* Button3 = nullptr; // "OK(&C)"
    QMenuBar* menuBar = nullptr;
    QAction* O1 = nullptr; // "部屋データを開く(&O)"
    QAction* S1 = nullptr; // "部屋データの保存(&S)"

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void placeOnScreen();
};

} // namespace kolmarin
