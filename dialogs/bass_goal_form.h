#pragma once
// What the subwoofer optimiser minimises and within which limits, as the optimiser window
// shows it: the objective and its weights, the target curve and level, the shared EQ's
// filters and boost, what a processor allows (the longest delay, one level or one polarity
// for all), seat 1's weight and a floor under the mean level. Each box says in its tooltip
// what it does to the figures.

#include "model/acoustics/subwoofer_optimiser.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace kolmarin {

class BassGoalForm : public QWidget {
    Q_OBJECT
  public:
    explicit BassGoalForm(QWidget* parent = nullptr);

    // Sets the goal, the delay bound and the common level and polarity of `options`; a
    // target file that cannot be read is a UserError.
    void fill(OptimiserOptions& options) const;
    // The target curve from a file of (frequency, level) lines; empty: back to flat.
    void setTargetFile(const QString& path);

  private:
    QWidget* createObjectiveRows();
    QWidget* createLimitRows();
    void showTargetChoice();

    QComboBox* objectiveBox_ = nullptr;
    QDoubleSpinBox* variationWeightBox_ = nullptr;
    QDoubleSpinBox* targetWeightBox_ = nullptr;
    QComboBox* targetBox_ = nullptr; // 平坦, ハウスカーブ, ファイル
    QDoubleSpinBox* riseBox_ = nullptr;
    QSpinBox* cornerBox_ = nullptr;
    QLabel* targetFileLabel_ = nullptr;
    QString targetPath_;
    QDoubleSpinBox* targetLevelBox_ = nullptr; // its lowest value: the loudspeakers' level
    QSpinBox* eqBox_ = nullptr;
    QDoubleSpinBox* boostBox_ = nullptr;
    QDoubleSpinBox* delayBox_ = nullptr;
    QCheckBox* commonLevelBox_ = nullptr;
    QCheckBox* commonPolarityBox_ = nullptr;
    QDoubleSpinBox* seat1WeightBox_ = nullptr;
    QDoubleSpinBox* leastMeanBox_ = nullptr; // its lowest value: no floor
};

} // namespace kolmarin
