#pragma once
// The subwoofer optimiser window: how many subwoofers, the band the seats are compared
// over, what is minimised and within which limits (BassGoalForm), a start and a cancel
// button, the progress with the time left, and the best configurations found, each with
// its score and the figures it is made of, its EQ, what each of its choices buys, and its
// figures per seat. The optimiser runs on a thread of its own over a snapshot of the
// document's setup; the window follows the document's calculations and says, through two
// signals, which configuration to show (with its EQ or without) and which to put on the
// plan.

#include "files/scene_document.h"
#include "model/acoustics/bass_setup.h"
#include "model/acoustics/subwoofer_optimiser.h"

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kolmarin {

class BassGoalForm;
class RunRow;

class SubwooferOptimiserWindow : public QWidget {
    Q_OBJECT
  public:
    explicit SubwooferOptimiserWindow(const SceneDocument& document, QWidget* parent = nullptr);
    // Stops a running search and waits for its thread.
    ~SubwooferOptimiserWindow() override;

    // The candidate positions: a file of lines "x y z", or the default ones for an empty path.
    void setCandidateFile(const QString& path);
    void startSearch(); // 最適化: stops any search, then searches the setup read now
    bool searching() const;
    // The setup of result row `row`: the searched setup with the row's subwoofers and EQ.
    BassSetup rowSetup(int row) const;
    int rowCount() const { return static_cast<int>(result_.best.size()); }
    void applySelected(); // 適用
    // 設定を書き出す...: the chosen row's levels, delays, polarities and EQ for a processor,
    // as text, or CSV under a name ending in .csv.
    void exportSelected();
    bool stale() const { return stale_; }

  signals:
    // A configuration's setup to show the seat curves of, or nothing to take them away.
    void candidateChanged(const std::optional<kolmarin::BassSetup>& setup);
    // 適用 on a row of the current setup: its subwoofers are to go on the plan.
    void setupApplied(const kolmarin::BassSetup& setup);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QFormLayout* createGoalBoxes();
    void createTable();
    void showCandidate();
    // `note`: why nothing was found, or what the bound on the candidates left out.
    void showResult(const OptimiserResult& result, const std::vector<Point3>& positions,
                    const std::string& note);
    void selectionChanged();
    // After each calculation, and when a search ends: rows found for another room,
    // loudspeakers, seats or crossover are greyed, and neither shown on the chart nor applied.
    void checkRows();
    // The row chosen, of the scene as it is now; a UserError saying so otherwise.
    int currentRow(const char* noRow, const char* staleAction);

    const SceneDocument& document_;
    QSpinBox* countBox_ = nullptr;
    QLabel* candidatesLabel_ = nullptr;
    QString candidatePath_;
    QSpinBox* lowBox_ = nullptr;
    BassGoalForm* goalForm_ = nullptr;
    QCheckBox* subsOnlyBox_ = nullptr;
    QCheckBox* chartEqBox_ = nullptr; // the chosen row on the chart with its EQ
    QLabel* detailsLabel_ = nullptr;  // the chosen row's EQ, what its choices buy, its seats
    QSpinBox* highBox_ = nullptr;
    RunRow* runRow_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QString exportProposal_ = QStringLiteral("サブウーファーの設定.txt"); // the name last chosen
    QLabel* statusLabel_ = nullptr;
    QTableWidget* table_ = nullptr;

    BassSetup searched_; // without its own subwoofers
    bool stale_ = false;
    OptimiserResult result_;
    std::vector<Point3> positions_; // the candidates the rows' subwoofers stand on
};

} // namespace kolmarin
