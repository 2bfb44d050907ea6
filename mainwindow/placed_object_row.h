#pragma once
// One placed object's controls on the main window: its marker on the plan, its height
// slider with the name above it, and below the plan its row of a key marker, the nudge box
// and the three position read-outs. Every row is built from one entry of a table, its
// pixels from its place in that table, so another loudspeaker or seat is one more entry.

#include "model/acoustics/scene.h"
#include "model/layout/plan_geometry.h"

#include <array>
#include <vector>

class QLabel;
class QWidget;

namespace kolmarin {

class HeightSlider;
class MarkerShape;
class NudgeBox;

struct PlacedObjectRow {
    PlacedObject object;
    QLabel* sliderLabel = nullptr;
    HeightSlider* slider = nullptr;
    MarkerShape* shape = nullptr; // the marker on the plan
    MarkerShape* keyMarker = nullptr;
    NudgeBox* box = nullptr;
    std::array<QLabel*, 3> readOuts{}; // x, y, z

    QLabel* readOut(Coordinate coordinate) const { return readOuts[static_cast<std::size_t>(coordinate)]; }
};

// The rows of every placed object, made in three passes so the controls stack as the
// window always had them: the sliders beside the plan's panel, the markers over the plan
// (the later ones on top, taking the mouse where markers overlap), then the rows below it.
class PlacedObjectRows {
  public:
    PlacedObjectRows();

    void createSliders(QWidget* client);
    void createMarkers(QWidget* client);
    void createPositionRows(QWidget* client, const SceneTexts& texts);

    std::vector<PlacedObjectRow>& rows() { return rows_; }
    const std::vector<PlacedObjectRow>& rows() const { return rows_; }
    PlacedObjectRow& operator[](PlacedObject object) { return rows_.at(static_cast<std::size_t>(object)); }
    const PlacedObjectRow& operator[](PlacedObject object) const {
        return rows_.at(static_cast<std::size_t>(object));
    }

  private:
    std::vector<PlacedObjectRow> rows_;
};

// Where an object's position texts are kept in the scene's texts.
PositionTexts& positionTexts(SceneTexts& texts, PlacedObject object);
const PositionTexts& positionTexts(const SceneTexts& texts, PlacedObject object);

} // namespace kolmarin
