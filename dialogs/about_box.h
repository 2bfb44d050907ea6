#pragma once
// The version box: the program's picture, its name and version on a bevelled panel, and
// OK. Shown modally; it keeps no state.

#include <QDialog>

namespace kolmarin {

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget* parent = nullptr);

  protected:
    // Every showing places the box in the middle of the screen.
    void showEvent(QShowEvent* event) override;
};

} // namespace kolmarin
