#pragma once
// The graph axis settings dialog: for each chart axis, an automatic range or a fixed
// range typed in two boxes. Modeless; OK applies both groups and hides it.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kolmarin {

class ChartAxes;

class TgraphsetForm : public QDialog {
    Q_OBJECT
  public:
    explicit TgraphsetForm(ChartAxes& chart, QWidget* parent = nullptr);

    // Each throws UserError when a box of its group is not a number; OKClick then leaves
    // the dialog open.
    void CheckBoxAutoYClick();
    void CheckBoxAutoXClick();
    void OKClick();

    QCheckBox* CheckBoxAutoY = nullptr;
    QLineEdit* EditminY = nullptr;
    QLineEdit* EditmaxY = nullptr;
    QCheckBox* CheckBoxAutoX = nullptr;
    QLineEdit* EditminX = nullptr;
    QLineEdit* EditmaxX = nullptr;
    QPushButton* OK = nullptr;

  private:
    ChartAxes& chart_;
};

} // namespace kolmarin
