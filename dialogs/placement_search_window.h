#pragma once
// The placement search window: the search's layout, constraints and band, a start and a
// cancel button, the progress with the time left, and the best placements found. The
// search runs on a thread of its own over a snapshot of the scene, which it asks the main
// window for; it says through signals which placement to show and which to move the
// markers to. It follows the document's calculations: the rows belong to the scene they
// were searched in, and once the room, the
// reflection count, a height or a marker the layout leaves alone has changed (or the
// window's own conditions), they are greyed, a line says why, and 適用 refuses them.

#include "files/scene_document.h"
#include "model/acoustics/placement_search.h"
#include "model/acoustics/response.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <thread>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QFormLayout;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace kolmarin {

class RunRow;

class PlacementSearchWindow : public QWidget {
    Q_OBJECT
  public:
    // The search reads its scene from `document` as the next calculation would, and writes
    // back the conditions that reading corrects.
    explicit PlacementSearchWindow(SceneDocument& document, QWidget* parent = nullptr);
    // Stops a running search and waits for its thread.
    ~PlacementSearchWindow() override;

    void startSearch(); // 探索: stops any search, then searches the scene read now
    bool searching() const;
    const std::vector<Placement>& results() const { return results_; }
    void applySelected(); // 適用: refused for rows of another scene

    // The constraints in the window's boxes, which the response map shows too.
    PlacementConstraints constraints() const;
    // Why the rows no longer fit the scene; empty while they do (or there are none).
    const QString& staleReason() const { return staleReason_; }

  signals:
    // A placement to draw beside the current curves, or nothing to take it away.
    void candidateChanged(const std::optional<kolmarin::Placement>& placement);
    // 適用 on a row of the current scene: the markers are to move there and calculate.
    void placementApplied(const kolmarin::Placement& placement);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    QFormLayout* createConditionBoxes();
    void createResultTable();
    void nameControls();
    void connectControls();
    // After each calculation, with the scene it read and its curves: the current spread
    // line follows, and the rows are checked against the scene.
    void sceneCalculated(const Scene& scene, const ResponseCurves& curves, ElementRange computed);
    SearchOptions readOptions() const;
    bool optionsChanged() const; // since the rows were searched
    void showResult(const SearchResult& result);
    void selectionChanged();
    void checkRows(const Scene& scene);
    void markStale(const QString& reason);
    void showCurrentSpread();
    void setStatus(const QString& text);

    QComboBox* layoutBox_ = nullptr;
    QComboBox* objectiveBox_ = nullptr;
    QCheckBox* centreLineBox_ = nullptr;
    QDoubleSpinBox* wallBox_ = nullptr;
    QDoubleSpinBox* frontNearestBox_ = nullptr;
    QDoubleSpinBox* frontFarthestBox_ = nullptr; // 0: half the room's depth
    QDoubleSpinBox* distanceNearestBox_ = nullptr;
    QDoubleSpinBox* distanceFarthestBox_ = nullptr; // 0: the room's depth
    QDoubleSpinBox* narrowestBox_ = nullptr;
    QDoubleSpinBox* widestBox_ = nullptr;
    QDoubleSpinBox* spacingBox_ = nullptr;
    QSpinBox* lowBox_ = nullptr;
    QSpinBox* highBox_ = nullptr;
    RunRow* runRow_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QLabel* currentLabel_ = nullptr;
    QLabel* rankingLabel_ = nullptr; // which objective ranked the rows
    QLabel* statusLabel_ = nullptr;
    QTableWidget* resultTable_ = nullptr;

    SceneDocument& document_;
    std::vector<Placement> results_;
    // The scene and options the rows were searched with.
    Scene searchedScene_;
    SearchOptions searchedOptions_;
    QString staleReason_;
    // The last calculation of the main window, for the current spread line.
    std::optional<Scene> calculatedScene_;
    ResponseCurves calculatedCurves_;
    ElementRange calculatedElements_{0, -1};
    // The current placement's area spread, computed behind the window.
    std::jthread areaThread_;
    unsigned areaGeneration_ = 0;
};

} // namespace kolmarin
