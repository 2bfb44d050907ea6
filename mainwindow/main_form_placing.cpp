// Placing SP1, SP2 and the listener: dragging a marker over the plan, sliding a height
// slider, and the nudge keys. Moving only rewrites the read-outs; letting go of the mouse
// or pressing a key commits the change with a calculation.
#include "mainwindow/main_form.h"

#include "dialogs/room_form.h"
#include "mainwindow/marker_shape.h"
#include "mainwindow/trk_bar_ex.h"
#include "mainwindow/ui_support.h"
#include "model/acoustics/number_text.h"

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

double parseBox(QLineEdit* box) {
    return readDecimalBox(box);
}

} // namespace

void TForm1::ShapeMouseDown(PlacedObject, Qt::MouseButton button, QPoint position) {
    if (button != Qt::LeftButton)
        return;
    dragging_ = true;
    grabPoint_ = {position.x(), position.y()};
}

void TForm1::ShapeMouseMove(PlacedObject object, QPoint position) {
    if (!dragging_)
        return;
    MarkerShape* shape = controls(object).shape;
    const PixelPoint corner =
        dragMarker(plan_, {shape->x(), shape->y()}, {position.x(), position.y()}, grabPoint_);
    shape->move(corner.left, corner.top);
    // The room as typed in the dialog, applied or not, gives the metres of the new place.
    writeReadOut(readOut(object, Coordinate::X), markerX(plan_, parseBox(room().EditRoomW), corner.left));
    writeReadOut(readOut(object, Coordinate::Y), markerY(plan_, parseBox(room().EditRoomD), corner.top));
}

void TForm1::ShapeMouseUp(PlacedObject) {
    dragging_ = false;
    Culcstundwave();
}

void TForm1::TrackBarExChange(PlacedObject object) {
    const double height = parseBox(room().EditRoomH);
    writeReadOut(readOut(object, Coordinate::Z),
                 fromSliderPosition(controls(object).slider->value(), height));
}

void TForm1::TrackBarExMouseUp(PlacedObject) {
    Culcstundwave();
}

void TForm1::EditKeyDown(PlacedObject object, int key, Qt::KeyboardModifiers modifiers) {
    if (const std::optional<NudgeKey> nudgeKey = nudgeKeyOf(key)) {
        const Coordinate coordinate = nudgedCoordinate(*nudgeKey);
        QLineEdit* dimension = coordinate == Coordinate::X   ? room().EditRoomW
                               : coordinate == Coordinate::Y ? room().EditRoomD
                                                             : room().EditRoomH;
        QLabel* label = readOut(object, coordinate);
        const double value = parseDecimal(toStdString(label->text()), decimalSeparator());
        // Only a step toward the far wall needs the room's size.
        const double limit = nudgeRaises(*nudgeKey) ? parseBox(dimension) : 0.0;
        const long double moved = nudge(value, *nudgeKey, modifiers.testFlag(Qt::ShiftModifier), limit);
        writeReadOut(label, static_cast<double>(moved));
    }
    // Every key, a nudge or not, puts the marker and the slider where the read-outs say
    // and commits the position.
    const double width = parseBox(room().EditRoomW);
    const double depth = parseBox(room().EditRoomD);
    const Point3 p = position(object);
    placeMarker(object, p, width, depth);
    controls(object).slider->setValue(toSliderPosition(p.z, parseBox(room().EditRoomH)));
    Culcstundwave();
}

} // namespace kolmarin
