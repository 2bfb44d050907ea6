#pragma once
// The graph axis settings dialog: for each chart axis, an automatic range or a fixed
// range typed in two boxes. Modeless; OK applies both groups and hides it.

#include <QDialog>

#include <cstdint>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kolmarin {

class ChartAxes;

struct LevelRange {
    std::int32_t min = 0;
    std::int32_t max = 0;
};

class AxisSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AxisSettingsDialog(ChartAxes& chart, QWidget* parent = nullptr);

    // Each throws UserError when a box of its group is not a number; acceptSettings then
    // leaves the dialog open.
    void applyLevelAxis();
    void applyFrequencyAxis();
    void acceptSettings();

    // The level range typed in the dialog, read as whole numbers, or nothing while the
    // level axis follows the data. A text that is no whole number is a BoxTextError.
    std::optional<LevelRange> fixedLevelRange() const;

  private:
    ChartAxes& chart_;
    QCheckBox* levelAutoBox_ = nullptr;
    QLineEdit* levelMinBox_ = nullptr;
    QLineEdit* levelMaxBox_ = nullptr;
    QCheckBox* frequencyAutoBox_ = nullptr;
    QLineEdit* frequencyMinBox_ = nullptr;
    QLineEdit* frequencyMaxBox_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

} // namespace kolmarin
