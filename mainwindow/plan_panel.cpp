// The plan's layout, its rows for SP1, SP2 and the listener, and their placing: dragging a
// marker over the plan, sliding a height slider, and the nudge keys. Moving only rewrites
// the read-outs; letting go of the mouse or pressing a key ends the move.
#include "mainwindow/plan_panel.h"

#include "mainwindow/nudge_box.h"
#include "mainwindow/plan_view.h"
#include "model/acoustics/placement.h"
#include "model/text/number_text.h"
#include "widgets/height_slider.h"
#include "widgets/marker_shape.h"
#include "widgets/placed_controls.h"
#include "widgets/ui_support.h"

#include <QFrame>
#include <QLabel>

#include <array>

namespace kolmarin {

namespace {

constexpr std::array<PlacedObject, 3> kObjects{PlacedObject::SP1, PlacedObject::SP2, PlacedObject::Listener};

std::string& coordinateText(PositionTexts& position, Coordinate coordinate) {
    return coordinate == Coordinate::X ? position.x : coordinate == Coordinate::Y ? position.y : position.z;
}

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

PlanPanel::PlanPanel(SceneDocument& document, QWidget& client, QWidget& window)
    : QObject(&client), document_(document), client_(client), window_(window) {
    // Made in this order, later controls lie over earlier ones.
    createHeightSliders(client);
    createPlan(client);
    createPositionRows(client);
    const std::pair<QObject*, const char*> names[]{
        {sliderPanel_, "sliderPanel"},
        {heightTitle_, "heightTitle"},
        {ceilingHeightLabel_, "ceilingHeightLabel"},
        {floorHeightLabel_, "floorHeightLabel"},
        {planView_, "planView"},
        {fromLeftWallLabel_, "fromLeftWallLabel"},
        {fromFrontWallLabel_, "fromFrontWallLabel"},
        {fromFloorLabel_, "fromFloorLabel"},
    };
    for (const auto& [control, name] : names)
        control->setObjectName(QString::fromLatin1(name));
    // Before any room is known the markers wait at the plan's corner, over the empty plan.
    for (const PlacedObjectRow& row : rows_.rows())
        row.shape->move(kPlanLeft - kMarkerHalf, kPlanTop - kMarkerHalf);
    planView_->drawEmpty();
    connectRows();
    connect(&document_, &SceneDocument::changed, this, &PlanPanel::showPositions);
    connect(&document_, &SceneDocument::calculated, this, &PlanPanel::showResult);
}

void PlanPanel::createHeightSliders(QWidget& client) {
    sliderPanel_ = placeBevel(&client, QFrame::Panel, QRect(568, 32, 121, 417));
    heightTitle_ = placeLabel(&client, QStringLiteral("高さ指定"), 576, 56);
    rows_.createSliders(&client);
    ceilingHeightLabel_ =
        placeLabel(&client, toQString(document_.texts().height) + QStringLiteral("m"), 656, 136);
    floorHeightLabel_ = placeLabel(&client, QStringLiteral("0m"), 656, 416);
}

void PlanPanel::createPlan(QWidget& client) {
    // The plan first, then the markers over it: SP1 lowest, the listener on top, so the
    // listener takes the mouse where markers overlap.
    planView_ = new PlanView(&client);
    planView_->move(kPlanLeft, kPlanTop);
    rows_.createMarkers(&client);
}

// Per object: its key marker, its nudge box and its three read-outs.
void PlanPanel::createPositionRows(QWidget& client) {
    fromLeftWallLabel_ = placeLabel(&client, QStringLiteral("左壁から"), 776, 456);
    fromFrontWallLabel_ = placeLabel(&client, QStringLiteral("正面壁から"), 840, 456);
    fromFloorLabel_ = placeLabel(&client, QStringLiteral("床から"), 912, 456);
    rows_.createPositionRows(&client, document_.texts());
}

void PlanPanel::connectRows() {
    for (const PlacedObjectRow& c : rows_.rows()) {
        const PlacedObject object = c.object;
        connect(c.shape, &MarkerShape::mouseDown, this, [this](Qt::MouseButton button, QPoint position) {
            runCommand(&window_, [&] { markerPressed(button, position); });
        });
        connect(c.shape, &MarkerShape::mouseMove, this, [this, object](QPoint position) {
            runCommand(&window_, [&] { markerMoved(object, position); });
        });
        connect(c.shape, &MarkerShape::mouseUp, this, [this, object](Qt::MouseButton, QPoint) {
            runCommand(&window_, [&] { endMove(moveStepName(object)); });
        });
        connect(c.slider, &QSlider::valueChanged, this,
                [this, object](int) { runCommand(&window_, [&] { sliderMoved(object); }); });
        connect(c.slider, &HeightSlider::mouseUp, this, [this, object](Qt::MouseButton) {
            runCommand(&window_, [&] { endMove(moveStepName(object)); });
        });
        connect(c.slider, &HeightSlider::keyOrWheelMoved, this,
                [this, object] { runCommand(&window_, [&] { endMove(moveStepName(object)); }); });
        connect(c.box, &NudgeBox::keyDown, this, [this, object](int key, Qt::KeyboardModifiers modifiers) {
            runCommand(&window_, [&] { nudgeKeyPressed(object, key, modifiers); });
        });
    }
}

void PlanPanel::layOut(double width, double depth, double height) {
    std::array<Point3, 3> positions;
    for (PlacedObject object : kObjects)
        positions[static_cast<std::size_t>(object)] = position(object);

    // A position pulled back into the room is shown in two decimals, but the marker and the
    // slider take the pulled-back value itself.
    for (PlacedObject object : kObjects) {
        Point3& p = positions[static_cast<std::size_t>(object)];
        const PulledBack back = pullBackIntoRoom(object, p, width, depth, height);
        if (back.x)
            writePosition(object, Coordinate::X, p.x = *back.x);
        if (back.y)
            writePosition(object, Coordinate::Y, p.y = *back.y);
        if (back.z)
            writePosition(object, Coordinate::Z, p.z = *back.z);
    }

    plan_ = planRectFor(width, depth);
    planView_->move(plan_.left, plan_.top);
    planView_->resize(plan_.width, plan_.height);
    pullSetupIntoRoom(width, depth, height);

    for (PlacedObject object : kObjects)
        placeMarker(object, positions[static_cast<std::size_t>(object)], width, depth);
    // The subwoofers and other seats on the new plan too, also when the calculation fails.
    placeSetupMarkers();
    // A slider that moves rewrites its height read-out by the slider rule.
    for (PlacedObject object : kObjects)
        controls(object).slider->setValue(
            toSliderPosition(positions[static_cast<std::size_t>(object)].z, height));

    setCaption(ceilingHeightLabel_, toQString(document_.texts().height) + QStringLiteral("m"));
    planView_->drawRoom(plan_.width, plan_.height);
}

// The read-outs follow the document's texts. Subwoofers and seats come and go with a setup
// (a room file opened in the settings dialog takes them away); a marker being dragged
// follows the pointer on its own.
void PlanPanel::showPositions(SceneDocument::Changes what) {
    if (what.testFlag(SceneDocument::Setup) && !dragging_)
        placeSetupMarkers();
    if (!what.testFlag(SceneDocument::Positions))
        return;
    SceneTexts texts = document_.texts();
    for (PlacedObject object : kObjects)
        for (Coordinate coordinate : {Coordinate::X, Coordinate::Y, Coordinate::Z})
            rows_[object]
                .readOut(coordinate)
                ->setText(toQString(coordinateText(positionTexts(texts, object), coordinate)));
}

// After a calculation the other seats' markers carry their figures.
void PlanPanel::showResult() {
    const SceneResult& result = document_.result();
    if (!result.calculated())
        return;
    placeSetupMarkers();
    showSeatTips(result.seatFigures);
}

double PlanPanel::roomSize(Coordinate axis) const {
    const SceneText text = axis == Coordinate::X   ? &SceneTexts::width
                           : axis == Coordinate::Y ? &SceneTexts::depth
                                                   : &SceneTexts::height;
    return readRoomSize(document_.texts(), text, decimalSeparator());
}

void PlanPanel::writePosition(PlacedObject object, Coordinate coordinate, double value) {
    SceneTexts texts = document_.texts();
    coordinateText(positionTexts(texts, object), coordinate) = formatPosition(value, decimalSeparator());
    document_.setTexts(texts);
}

std::string PlanPanel::positionText(PlacedObject object, Coordinate coordinate) const {
    SceneTexts texts = document_.texts();
    return coordinateText(positionTexts(texts, object), coordinate);
}

Point3 PlanPanel::position(PlacedObject object) const {
    SceneTexts texts = document_.texts();
    const PositionTexts& p = positionTexts(texts, object);
    const char separator = decimalSeparator();
    return {parseDecimal(p.x, separator), parseDecimal(p.y, separator), parseDecimal(p.z, separator)};
}

void PlanPanel::placeMarker(PlacedObject object, const Point3& p, double width, double depth) {
    const PixelPoint corner = toMarkerCorner(plan_, width, depth, {p.x, p.y});
    controls(object).shape->move(corner.left, corner.top);
}

QString PlanPanel::moveStepName(PlacedObject object) {
    const QString names[]{QStringLiteral("スピーカー1"), QStringLiteral("スピーカー2"),
                          QStringLiteral("聴取者")};
    return names[static_cast<int>(object)] + QStringLiteral(" の移動");
}

void PlanPanel::endMove(const QString& step) {
    dragging_ = false;
    emit placed(step);
}

void PlanPanel::markerPressed(Qt::MouseButton button, QPoint position) {
    if (button != Qt::LeftButton)
        return;
    dragging_ = true;
    grabPoint_ = {position.x(), position.y()};
}

void PlanPanel::markerMoved(PlacedObject object, QPoint position) {
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

void PlanPanel::sliderMoved(PlacedObject object) {
    // An undone step puts its heights back as they were written, not as the slider reads.
    if (document_.restoring())
        return;
    const double height = roomSize(Coordinate::Z);
    writePosition(object, Coordinate::Z, fromSliderPosition(controls(object).slider->value(), height));
}

void PlanPanel::nudgeKeyPressed(PlacedObject object, int key, Qt::KeyboardModifiers modifiers) {
    if (const std::optional<NudgeKey> nudgeKey = nudgeKeyOf(key)) {
        const Coordinate coordinate = nudgedCoordinate(*nudgeKey);
        const double value = parseDecimal(positionText(object, coordinate), decimalSeparator());
        // Only a step toward the far wall needs the room's size.
        const double limit = nudgeRaises(*nudgeKey) ? roomSize(coordinate) : 0.0;
        const long double moved = nudge(value, *nudgeKey, modifiers.testFlag(Qt::ShiftModifier), limit);
        writePosition(object, coordinate, static_cast<double>(moved));
    }
    // Every key, a nudge or not, puts the marker and the slider where the read-outs say
    // and ends the move.
    const double width = roomSize(Coordinate::X);
    const double depth = roomSize(Coordinate::Y);
    const Point3 p = position(object);
    placeMarker(object, p, width, depth);
    controls(object).slider->setValue(toSliderPosition(p.z, roomSize(Coordinate::Z)));
    endMove(moveStepName(object));
}

// As a drag would leave them: the read-outs written in two decimals, the markers put where
// the read-outs say.
void PlanPanel::applyPlacement(const Placement& placement) {
    const double width = roomSize(Coordinate::X);
    const double depth = roomSize(Coordinate::Y);
    const std::pair<PlacedObject, Point3> moves[]{{PlacedObject::SP1, placement.sp1},
                                                  {PlacedObject::SP2, placement.sp2},
                                                  {PlacedObject::Listener, placement.listener}};
    for (const auto& [object, p] : moves) {
        writePosition(object, Coordinate::X, p.x);
        writePosition(object, Coordinate::Y, p.y);
        placeMarker(object, position(object), width, depth);
    }
    endMove(QStringLiteral("配置の適用"));
}

// As if the marker had been dragged there: its reference point on the clicked pixel and
// the read-outs written from that pixel.
void PlanPanel::dropMarkerAt(QPoint planPoint, MapMarker marker) {
    const double width = roomSize(Coordinate::X);
    const double depth = roomSize(Coordinate::Y);
    const PixelPoint corner{plan_.left + planPoint.x() - kMarkerHalf,
                            plan_.top + planPoint.y() - kMarkerHalf};
    const PlacedObject object = marker == MapMarker::Listener ? PlacedObject::Listener : PlacedObject::SP1;
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
    endMove(moveStepName(object));
}

} // namespace kolmarin
