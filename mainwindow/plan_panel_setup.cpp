// The setup's other placed things on the plan: the subwoofers, the loudspeakers beyond SP1
// and SP2, and the seats after the listener, each a marker with its name beside it that is
// dragged as the three rows' markers are.
#include "mainwindow/plan_panel.h"

#include "model/layout/marker_colours.h"
#include "model/text/number_text.h"
#include "widgets/marker_shape.h"
#include "widgets/placed_controls.h"
#include "widgets/ui_support.h"

#include <QLabel>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace kolmarin {

// The placed things besides SP1, SP2 and the listener, whose markers are rows of their own.
std::vector<PlacedThing> PlanPanel::setupThings() const {
    std::vector<PlacedThing> things = placedThings(document_.setup());
    std::erase_if(things, [](const PlacedThing& thing) {
        return (thing.kind == PlacedKind::Loudspeaker && thing.index < 2) ||
               (thing.kind == PlacedKind::Seat && thing.index == 0);
    });
    return things;
}

// The subwoofers' markers are squares in purple, the centre's and the surrounds' squares in
// green, the other seats' circles in the listener's cyan, each with its name beside it.
// They are made anew for each setup, over the three markers of the room file.
void PlanPanel::makeSetupMarkers(const std::vector<PlacedThing>& things) {
    setupMarkerThings_ = things;
    for (auto& [shape, label] : setupMarkers_) {
        delete shape;
        delete label;
    }
    setupMarkers_.clear();
    for (std::size_t i = 0; i < things.size(); ++i) {
        const PlacedThing& thing = things[i];
        const bool seat = thing.kind == PlacedKind::Seat;
        const Rgb colour = seat                                  ? kSeatColour
                           : thing.kind == PlacedKind::Subwoofer ? kSubwooferColour
                                                                 : kOtherLoudspeakerColour;
        auto* shape = new MarkerShape(seat ? MarkerShape::Form::Circle : MarkerShape::Form::Square,
                                      QColor(colour.r, colour.g, colour.b), &client_);
        const QString label = toQString(thing.label);
        // On the plan a seat is its number alone.
        const QString name = seat ? QString::number(thing.index + 1) : label;
        shape->setObjectName(seat ? QStringLiteral("seat%1Marker").arg(thing.index + 1)
                                  : label.toLower() + QStringLiteral("Marker"));
        shape->setToolTip(label);
        auto* nameLabel = placeLabel(&client_, name, 0, 0);
        nameLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
        connect(shape, &MarkerShape::mouseDown, this, [this](Qt::MouseButton button, QPoint position) {
            runCommand(&window_, [&] { markerPressed(button, position); });
        });
        connect(shape, &MarkerShape::mouseMove, this,
                [this, i](QPoint position) { runCommand(&window_, [&] { dragSetupMarker(i, position); }); });
        connect(shape, &MarkerShape::mouseUp, this, [this, i](Qt::MouseButton, QPoint) {
            runCommand(&window_, [&] {
                if (dragging_)
                    endMove(toQString(setupMarkerThings_.at(i).name) + QStringLiteral(" の移動"));
            });
        });
        if (seat)
            connect(shape, &MarkerShape::hovered, this,
                    [this, seat = thing.index - 1](bool inside) { emit seatHovered(inside ? seat : -1); });
        shape->show();
        nameLabel->show();
        setupMarkers_.emplace_back(shape, nameLabel);
    }
}

void PlanPanel::placeSetupMarkers() {
    const BassSetup setup = document_.setup();
    const std::vector<PlacedThing> things = setupThings();
    // As many markers as before may still be another mix of subwoofers and seats.
    if (things != setupMarkerThings_)
        makeSetupMarkers(things);
    const char separator = decimalSeparator();
    for (std::size_t i = 0; i < setupMarkers_.size(); ++i) {
        const PositionTexts& p = positionOf(setup, things[i]);
        const PixelPoint corner =
            toMarkerCorner(plan_, roomSize(Coordinate::X), roomSize(Coordinate::Y),
                           {parseDecimal(p.x, separator), parseDecimal(p.y, separator)});
        setupMarkers_[i].first->move(corner.left, corner.top);
        setupMarkers_[i].first->raise();
        placeMarkerName(setupMarkers_[i].second, corner);
        setupMarkers_[i].second->raise();
    }
}

// Subwoofers and other seats a smaller room leaves outside are brought to its nearest
// wall, floor or ceiling, as the room file's markers are pulled back, so that the setup
// saved afterwards opens again. The room's own two-decimal bound keeps the written text
// inside it.
void PlanPanel::pullSetupIntoRoom(double width, double depth, double height) {
    BassSetup setup = document_.setup();
    const char separator = decimalSeparator();
    const double limits[3]{width, depth, height};
    bool pulled = false;
    const auto pull = [&](PositionTexts& p) {
        std::string* texts[3]{&p.x, &p.y, &p.z};
        for (int a = 0; a < 3; ++a) {
            const double value = parseDecimal(*texts[a], separator);
            if (value < 0.0 || value > limits[a]) {
                *texts[a] = formatPosition(std::clamp(value, 0.0, std::floor(limits[a] * 100 + 1e-9) / 100),
                                           separator);
                pulled = true;
            }
        }
    };
    for (const PlacedThing& thing : setupThings())
        pull(positionOf(setup, thing));
    if (pulled)
        document_.setSetup(setup);
}

// The name stays on the plan, clear of the wall lines (markerNameCorner).
void PlanPanel::placeMarkerName(QLabel* name, PixelPoint markerCorner) {
    name->adjustSize();
    const PixelPoint at = markerNameCorner(plan_, markerCorner, name->width(), name->height());
    name->move(at.left, at.top);
}

void PlanPanel::dragSetupMarker(std::size_t index, QPoint position) {
    if (!dragging_)
        return;
    auto [shape, label] = setupMarkers_.at(index);
    const PixelPoint corner =
        dragMarker(plan_, {shape->x(), shape->y()}, {position.x(), position.y()}, grabPoint_);
    shape->move(corner.left, corner.top);
    placeMarkerName(label, corner);
    BassSetup setup = document_.setup();
    PositionTexts& p = positionOf(setup, setupMarkerThings_.at(index));
    const char separator = decimalSeparator();
    p.x = formatPosition(markerX(plan_, roomSize(Coordinate::X), corner.left), separator);
    p.y = formatPosition(markerY(plan_, roomSize(Coordinate::Y), corner.top), separator);
    document_.setSetup(setup);
}

// Each other seat's own figures on its marker's tip.
void PlanPanel::showSeatTips(const std::optional<SeatFigures>& figures) {
    for (std::size_t i = 0; i < setupMarkers_.size() && figures; ++i) {
        const PlacedThing& thing = setupMarkerThings_[i];
        if (thing.kind != PlacedKind::Seat)
            continue;
        const auto seat = static_cast<std::size_t>(thing.index);
        setupMarkers_[i].first->setToolTip(QStringLiteral("座席 %1: ばらつき %2 dB、平均 %3 dB")
                                               .arg(seat + 1)
                                               .arg(QLocale().toString(figures->spread.at(seat), 'f', 2),
                                                    QLocale().toString(figures->mean.at(seat), 'f', 1)));
    }
}

} // namespace kolmarin
