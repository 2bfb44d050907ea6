#pragma once
// The version box: the program's picture, its name and version on a bevelled panel, and
// okButton. Shown modally; it keeps no state.

#include <QDialog>

class QLabel;
class QPushButton;

namespace kolmarin {

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);

    QWidget* panel = nullptr; // lowered outer, raised inner bevel
    QWidget* programPicture = nullptr;
    QLabel* productName = nullptr;
    QLabel* version = nullptr;
    QPushButton* okButton = nullptr;

  protected:
    // Every showing places the box in the middle of the screen.
    void showEvent(QShowEvent* event) override;
};

} // namespace kolmarin
