#pragma once
// The room plan with a marker for every placed thing, the height sliders beside it and the
// position rows under it: a view of the document's positions and the place where the user
// moves things. Dragging a marker, sliding a slider or nudging writes the new position into
// the document at once; letting go, or a key, ends the move with `placed`, and the window
// calculates and makes it a step. SP1, SP2 and the listener have rows of their own; the
// subwoofers, the other loudspeakers and the other seats of a setup are markers with their
// names beside them.

#include "files/scene_document.h"
#include "mainwindow/placed_object_row.h"
#include "model/acoustics/placed_things.h"
#include "model/acoustics/response_map.h"
#include "model/acoustics/seat_variation.h"
#include "model/layout/plan_geometry.h"

#include <QObject>
#include <QPoint>

#include <optional>
#include <string>
#include <utility>
#include <vector>

class QFrame;
class QLabel;
class QWidget;

namespace kolmarin {

class MarkerShape;
class PlanView;
struct Placement;

class PlanPanel : public QObject {
    Q_OBJECT
  public:
    // Places the controls on `client`, which owns them; a failure while placing is shown
    // over `window`.
    PlanPanel(SceneDocument& document, QWidget& client, QWidget& window);

    // Lays the plan out for a room of this size: positions beyond a wall come back into the
    // room (the document takes the pulled-back texts), the plan is sized and drawn, and the
    // markers and sliders are placed.
    void layOut(double width, double depth, double height);

    PlanView& planView() const { return *planView_; }
    // The plan's frame on the window, kept up to date by layOut.
    const PlanRect& planRect() const { return plan_; }
    // Where the document puts an object, read from its position texts.
    Point3 position(PlacedObject object) const;

    // The search's placement as a drag would leave it: the texts in two decimals and the
    // markers where they say. It ends with `placed`.
    void applyPlacement(const Placement& placement);
    // Ctrl+click on the map: `marker` dropped on that point of the plan, the pair keeping SP2
    // at SP1's mirror image. It ends with `placed`.
    void dropMarkerAt(QPoint planPoint, MapMarker marker);

  signals:
    // A move ended; the document holds the new positions. `step` names it.
    void placed(const QString& step);
    // The pointer entered the marker of the other seat `seat` (0 for seat 2), or left it (-1).
    void seatHovered(int seat);

  private:
    void createHeightSliders(QWidget& client);
    void createPlan(QWidget& client);
    void createPositionRows(QWidget& client);
    void connectRows();
    void showPositions(SceneDocument::Changes what);
    void showResult();
    double roomSize(Coordinate axis) const;
    PlacedObjectRow& controls(PlacedObject object) { return rows_[object]; }
    void writePosition(PlacedObject object, Coordinate coordinate, double value);
    std::string positionText(PlacedObject object, Coordinate coordinate) const;
    void placeMarker(PlacedObject object, const Point3& p, double width, double depth);
    void endMove(const QString& step);
    // The name of a step that moved `object` ("スピーカー1 の移動").
    static QString moveStepName(PlacedObject object);

    // SP1, SP2 and the listener: marker press, move and release; slider position change and
    // its completion (a mouse release, a key or a wheel turn); a key in the nudge box.
    void markerPressed(Qt::MouseButton button, QPoint position);
    void markerMoved(PlacedObject object, QPoint position);
    void sliderMoved(PlacedObject object);
    void nudgeKeyPressed(PlacedObject object, int key, Qt::KeyboardModifiers modifiers);

    // The setup's other placed things (plan_panel_setup.cpp).
    std::vector<PlacedThing> setupThings() const;
    void placeSetupMarkers();
    void makeSetupMarkers(const std::vector<PlacedThing>& things);
    void placeMarkerName(QLabel* name, PixelPoint markerCorner);
    void dragSetupMarker(std::size_t index, QPoint position);
    void pullSetupIntoRoom(double width, double depth, double height);
    void showSeatTips(const std::optional<SeatFigures>& figures);

    SceneDocument& document_;
    QWidget& client_;
    QWidget& window_;
    QFrame* sliderPanel_ = nullptr;
    QLabel* heightTitle_ = nullptr;
    QLabel* ceilingHeightLabel_ = nullptr; // the room height at the sliders' top
    QLabel* floorHeightLabel_ = nullptr;
    PlanView* planView_ = nullptr;
    QLabel* fromLeftWallLabel_ = nullptr;
    QLabel* fromFrontWallLabel_ = nullptr;
    QLabel* fromFloorLabel_ = nullptr;
    PlacedObjectRows rows_;
    PlanRect plan_;
    bool dragging_ = false;
    PixelPoint grabPoint_;
    std::vector<std::pair<MarkerShape*, QLabel*>> setupMarkers_; // one per entry of setupMarkerThings_
    std::vector<PlacedThing> setupMarkerThings_;
};

} // namespace kolmarin
