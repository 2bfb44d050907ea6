// Placing SP1, SP2 and the listener: dragging a marker over the plan, sliding a height
// slider, and the nudge keys. Moving only rewrites the read-outs; letting go of the mouse
// or pressing a key commits the change with a calculation.
#include "mainwindow/main_window.h"
#include "mainwindow/response_map_layer.h"

#include "dialogs/room_settings_dialog.h"
#include "model/text/number_text.h"
#include "widgets/height_slider.h"
#include "widgets/marker_shape.h"
#include "widgets/ui_support.h"

#include <QLabel>
#include <QLineEdit>

#include <optional>

namespace kolmarin {

namespace {

std::optional<NudgeKey> nudgeKeyOf(int key) {
    switch (key) {
    case Qt::Key_Left:
        return NudgeKey::Left;
    case Qt::Key_Up:
        return NudgeKey::Up;
    case Qt::Key_Right:
        return NudgeKey::Right;
    case Qt::Key_Down:
        return NudgeKey::Down;
    case Qt::Key_D:
        return NudgeKey::Lower;
    case Qt::Key_U:
        return NudgeKey::Raise;
    default:
        return std::nullopt;
    }
}

} // namespace

void MainWindow::markerPressed(PlacedObject, Qt::MouseButton button, QPoint position) {
    if (button != Qt::LeftButton)
        return;
    dragging_ = true;
    grabPoint_ = {position.x(), position.y()};
}

void MainWindow::markerMoved(PlacedObject object, QPoint position) {
    if (!dragging_)
        return;
    MarkerShape* shape = controls(object).shape;
    const PixelPoint corner =
        dragMarker(plan_, {shape->x(), shape->y()}, {position.x(), position.y()}, grabPoint_);
    shape->move(corner.left, corner.top);
    // The room as typed in the dialog, applied or not, gives the metres of the new place.
    writePosition(object, Coordinate::X, markerX(plan_, roomSize(Coordinate::X), corner.left));
    writePosition(object, Coordinate::Y, markerY(plan_, roomSize(Coordinate::Y), corner.top));
}

void MainWindow::markerReleased(PlacedObject object) {
    dragging_ = false;
    recalculateResponse();
    document_.commit(moveStepName(object));
}

void MainWindow::sliderMoved(PlacedObject object) {
    // An undone step puts its heights back as they were written, not as the slider reads.
    if (document_.restoring())
        return;
    const double height = roomSize(Coordinate::Z);
    writePosition(object, Coordinate::Z, fromSliderPosition(controls(object).slider->value(), height));
}

void MainWindow::sliderReleased(PlacedObject object) {
    recalculateResponse();
    document_.commit(moveStepName(object));
}

void MainWindow::nudgeKeyPressed(PlacedObject object, int key, Qt::KeyboardModifiers modifiers) {
    if (const std::optional<NudgeKey> nudgeKey = nudgeKeyOf(key)) {
        const Coordinate coordinate = nudgedCoordinate(*nudgeKey);
        const double value = parseDecimal(positionText(object, coordinate), decimalSeparator());
        // Only a step toward the far wall needs the room's size.
        const double limit = nudgeRaises(*nudgeKey) ? roomSize(coordinate) : 0.0;
        const long double moved = nudge(value, *nudgeKey, modifiers.testFlag(Qt::ShiftModifier), limit);
        writePosition(object, coordinate, static_cast<double>(moved));
    }
    // Every key, a nudge or not, puts the marker and the slider where the read-outs say
    // and commits the position.
    const double width = roomSize(Coordinate::X);
    const double depth = roomSize(Coordinate::Y);
    const Point3 p = position(object);
    placeMarker(object, p, width, depth);
    controls(object).slider->setValue(toSliderPosition(p.z, roomSize(Coordinate::Z)));
    recalculateResponse();
    document_.commit(moveStepName(object));
}

// As if the marker had been dragged there: its reference point on the clicked pixel and
// the read-outs written from that pixel. The pair keeps SP2 at SP1's mirror image.
void MainWindow::moveMarkerToMapPoint(QPoint planPoint) {
    const double width = roomSize(Coordinate::X);
    const double depth = roomSize(Coordinate::Y);
    const PixelPoint corner{plan_.left + planPoint.x() - kMarkerHalf,
                            plan_.top + planPoint.y() - kMarkerHalf};
    const PlacedObject object =
        mapLayer_->marker() == MapMarker::Listener ? PlacedObject::Listener : PlacedObject::SP1;
    controls(object).shape->move(corner.left, corner.top);
    writePosition(object, Coordinate::X, markerX(plan_, width, corner.left));
    writePosition(object, Coordinate::Y, markerY(plan_, depth, corner.top));
    if (object == PlacedObject::SP1) {
        // Mirrored from what SP1's read-outs say, so the two read the same distances.
        const Point3 sp1 = position(PlacedObject::SP1);
        writePosition(PlacedObject::SP2, Coordinate::X, width - sp1.x);
        writePosition(PlacedObject::SP2, Coordinate::Y, sp1.y);
        placeMarker(PlacedObject::SP2, position(PlacedObject::SP2), width, depth);
    }
    recalculateResponse();
    document_.commit(moveStepName(object));
}

} // namespace kolmarin
