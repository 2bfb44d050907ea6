#pragma once
// The graph axis settings dialog: for each chart axis, an automatic range or a fixed
// range typed in two boxes. Modeless; okButton applies both groups and hides it.

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kolmarin {

class ChartAxes;

class AxisSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AxisSettingsDialog(ChartAxes& chart, QWidget* parent = nullptr);

    // Each throws UserError when a box of its group is not a number; acceptSettings then leaves
    // the dialog open.
    void applyLevelAxis();
    void applyFrequencyAxis();
    void acceptSettings();

    QCheckBox* levelAutoBox = nullptr;
    QLineEdit* levelMinBox = nullptr;
    QLineEdit* levelMaxBox = nullptr;
    QCheckBox* frequencyAutoBox = nullptr;
    QLineEdit* frequencyMinBox = nullptr;
    QLineEdit* frequencyMaxBox = nullptr;
    QPushButton* okButton = nullptr;

  private:
    ChartAxes& chart_;
};

} // namespace kolmarin
