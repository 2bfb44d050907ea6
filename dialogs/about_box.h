#pragma once
// The version box: the program's picture, its name and version on a bevelled panel, and
// OK. Shown modally; it keeps no state.

#include <QDialog>

class QLabel;
class QPushButton;

namespace kolmarin {

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QWidget* Panel1 = nullptr;      // lowered outer, raised inner bevel
    QWidget* ProgramIcon = nullptr; // the program's picture
    QLabel* ProductName = nullptr;  // "Kolmarin2"
    QLabel* Version = nullptr;      // "バージョン0.90"
    QPushButton* OKButton = nullptr;

  protected:
    // Every showing places the box in the middle of the screen.
    void showEvent(QShowEvent* event) override;
};

} // namespace kolmarin
