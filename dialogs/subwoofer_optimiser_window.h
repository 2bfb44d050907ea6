#pragma once
// The subwoofer optimiser window: how many subwoofers, the band the seats are compared
// over, a start and a cancel button, the progress with the time left, and the best
// configurations found, each with its seat-to-seat variation, seat 1's spread and the mean
// level. The optimiser runs on a thread of its own over a snapshot of the setup; the window
// asks the main window, through three callbacks, for that snapshot, to show a chosen
// configuration's seat curves, and to put its subwoofers on the plan.

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/subwoofer_optimiser.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kolmarin {

class RunRow;

class SubwooferOptimiserWindow : public QWidget {
  public:
    explicit SubwooferOptimiserWindow(QWidget* parent = nullptr);
    // Stops a running search and waits for its thread.
    ~SubwooferOptimiserWindow() override;

    // The setup as the next calculation would read it.
    std::function<BassSetup()> readSetup;
    // A configuration's setup to show the seat curves of; nullptr takes them away.
    std::function<void(const BassSetup*)> showSetup;
    // Puts the configuration's subwoofers on the plan and calculates.
    std::function<void(const BassSetup&)> applySetup;

    // The candidate positions: a file of lines "x y z", or the default ones for an empty path.
    void setCandidateFile(const QString& path);
    void startSearch(); // 最適化: stops any search, then searches the setup read now
    bool searching() const;
    // The setup of result row `row`: the searched setup with the row's subwoofers.
    BassSetup rowSetup(int row) const;
    int rowCount() const { return static_cast<int>(result_.best.size()); }
    void applySelected(); // 適用
    // The main window calculated: rows found for another room, loudspeakers, seats or
    // crossover are greyed, and neither shown on the chart nor applied.
    void sceneCalculated();
    bool stale() const { return stale_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // `note`: why nothing was found, or what the bound on the candidates left out.
    void showResult(const OptimiserResult& result, const std::vector<Point3>& positions,
                    const std::string& note);
    void selectionChanged();
    void checkRows(); // marks the rows stale when the setup is no longer the one searched

    QSpinBox* countBox_ = nullptr;
    QLabel* candidatesLabel_ = nullptr;
    QString candidatePath_;
    QSpinBox* lowBox_ = nullptr;
    QDoubleSpinBox* seat1WeightBox_ = nullptr;
    QDoubleSpinBox* leastMeanBox_ = nullptr; // its lowest value: no floor
    QCheckBox* subsOnlyBox_ = nullptr;
    QSpinBox* highBox_ = nullptr;
    RunRow* runRow_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QTableWidget* table_ = nullptr;

    BassSetup searched_; // without its own subwoofers
    bool stale_ = false;
    OptimiserResult result_;
    std::vector<Point3> positions_; // the candidates the rows' subwoofers stand on
};

} // namespace kolmarin
