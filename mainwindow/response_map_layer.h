#pragma once
// The response map as a layer of the plan: how flat the Total response would be with the
// listener, or the loudspeaker pair, at each point of the plan, in colour under the plan's
// grid. It has its items in the calculation menu and a legend below the plan. Each
// calculation of the document restarts it for the scene it read; the map fills in on a
// thread of its own, coarse points first. Hovering the plan tells a point's spread, and
// Ctrl+click asks for the moving marker there.

#include "files/scene_document.h"
#include "model/acoustics/response_map.h"
#include "model/layout/plan_geometry.h"

#include <QObject>
#include <QPoint>

#include <array>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QWidget;

namespace kolmarin {

class MapRunner;
class MapScale;
class PlacementSearchWindow;
class PlanView;

class ResponseMapLayer : public QObject {
    Q_OBJECT
  public:
    // The layer draws into `planView` (whose frame on the window is `plan`, kept up to date
    // by the window), adds its items to `menu` and its legend to `legendParent`; failures
    // are shown over `window`.
    ResponseMapLayer(SceneDocument& document, PlanView& planView, const PlanRect& plan, QMenu& menu,
                     QWidget& legendParent, QWidget& window);

    // Stops the map being computed and clears it: a calculation is about to start.
    void stop();
    // The marker the map moves.
    MapMarker marker() const;
    // The search window whose constraints wash out the points they rule out; the default
    // constraints until there is one.
    void setSearchWindow(const PlacementSearchWindow* search) { search_ = search; }

  signals:
    // Ctrl+click on the plan while the map is shown: the moving marker is wanted there.
    void pointChosen(QPoint planPoint);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createLegend(QWidget& parent);
    void toggle();
    void choiceChanged();
    void bandChosen(QAction* chosen);
    void restart(const Scene& scene);
    void showCurrent(std::optional<double> value); // the current placement's figure, or unknown
    void showProgress(int percent);
    void showPass(const ResponseMap& map);
    bool pointAllowed(double x, double y) const;
    MapFigure figure() const;
    Band band() const;
    QString choiceText() const;
    QString currentTitle() const;
    QString tip(QPoint planPoint) const;

    SceneDocument& document_;
    PlanView& planView_;
    const PlanRect& plan_;
    QWidget& window_;
    const PlacementSearchWindow* search_ = nullptr;

    QAction* shown_ = nullptr;
    QAction* listener_ = nullptr;
    std::array<QAction*, 3> bands_{};
    QAction* otherBand_ = nullptr;  // any band, typed in two boxes
    QAction* areaFigure_ = nullptr; // the listening area's spread rather than the point's
    QAction* lastBand_ = nullptr;   // the band chosen before, for a cancelled band dialog
    Band chosenBand_{20, 200};
    MapRunner* runner_ = nullptr;
    QWidget* legend_ = nullptr;
    QLabel* caption_ = nullptr;
    MapScale* scale_ = nullptr;
    QLabel* range_ = nullptr;
    QLabel* current_ = nullptr;

    // The map as far as it is computed, the scene it was computed for, and the spread
    // where the markers stand (nothing when that cannot be calculated).
    std::optional<ResponseMap> map_;
    Scene scene_;
    std::optional<double> currentSpread_;
    // The grid step: the usual one, or as much coarser as a large room needs to stay
    // within the map's bound on points.
    double step_ = kDefaultMapStep;
};

} // namespace kolmarin
