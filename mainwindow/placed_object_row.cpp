#include "mainwindow/placed_object_row.h"

#include "mainwindow/nudge_box.h"
#include "model/layout/marker_colours.h"
#include "widgets/height_slider.h"
#include "widgets/marker_shape.h"
#include "widgets/placed_controls.h"
#include "widgets/ui_support.h"

#include <QLabel>

namespace kolmarin {

namespace {

// What tells one object's row from another. `key` names its controls, so tools and tests
// find the SP1 marker as "sp1Marker" and its x read-out as "sp1XReadOut".
struct RowLook {
    PlacedObject object;
    bool seat;           // a seat, or a source
    std::size_t list;    // its place in the scene's list of seats or of sources
    const char* caption; // on the nudge box and above the slider
    const char* key;
    MarkerShape::Form form;
    Rgb colour;
};

constexpr RowLook kRows[]{
    {PlacedObject::SP1, false, 0, "SP1", "sp1", MarkerShape::Form::Square, kSp1Colour},
    {PlacedObject::SP2, false, 1, "SP2", "sp2", MarkerShape::Form::Square, kSp2Colour},
    {PlacedObject::Listener, true, 0, "聴取者", "listener", MarkerShape::Form::Circle, kSeatColour},
};

const RowLook& lookOf(const PlacedObjectRow& row) {
    return kRows[static_cast<std::size_t>(row.object)];
}

void name(QObject* control, const RowLook& look, const char* what) {
    control->setObjectName(QString::fromLatin1(look.key) + QString::fromLatin1(what));
}

// The rows' pixels. The sliders stand 24 pixels apart, as do the read-outs' rows and their
// key markers; the nudge boxes were laid out 25½ pixels apart, the half pixel dropped.
constexpr int kFirstSliderLeft = 576;
constexpr int kSliderSpacing = 24;
constexpr int kFirstReadOutTop = 480;
constexpr int kRowSpacing = 24;
constexpr int kKeyMarkerLeft = 707;
constexpr int kBoxLeft = 725;

int sliderLeft(int index) {
    return kFirstSliderLeft + kSliderSpacing * index;
}
int readOutTop(int index) {
    return kFirstReadOutTop + kRowSpacing * index;
}
int keyMarkerTop(int index) {
    return readOutTop(index) - 6;
}
int boxTop(int index) {
    constexpr int kFirstBoxTop = 471;
    return kFirstBoxTop + 51 * index / 2;
}

} // namespace

PlacedObjectRows::PlacedObjectRows() {
    for (const RowLook& look : kRows)
        rows_.push_back(PlacedObjectRow{look.object});
}

void PlacedObjectRows::createSliders(QWidget* client) {
    // All names first, then all sliders: each slider overlaps its left neighbour by one
    // pixel and lies over it.
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        const RowLook& look = lookOf(rows_[static_cast<std::size_t>(i)]);
        rows_[static_cast<std::size_t>(i)].sliderLabel =
            placeLabel(client, QString::fromUtf8(look.caption), sliderLeft(i), 112);
        name(rows_[static_cast<std::size_t>(i)].sliderLabel, look, "SliderLabel");
    }
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        PlacedObjectRow& row = rows_[static_cast<std::size_t>(i)];
        row.slider = new HeightSlider(client);
        row.slider->setGeometry(sliderLeft(i), 128, 25, 305);
        name(row.slider, lookOf(row), "HeightSlider");
    }
}

void PlacedObjectRows::createMarkers(QWidget* client) {
    for (PlacedObjectRow& row : rows_) {
        const RowLook& look = lookOf(row);
        row.shape = new MarkerShape(look.form, QColor(look.colour.r, look.colour.g, look.colour.b), client);
        name(row.shape, look, "Marker");
    }
}

void PlacedObjectRows::createPositionRows(QWidget* client, const SceneTexts& texts) {
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        PlacedObjectRow& row = rows_[static_cast<std::size_t>(i)];
        const RowLook& look = lookOf(row);
        row.keyMarker =
            new MarkerShape(look.form, QColor(look.colour.r, look.colour.g, look.colour.b), client);
        row.keyMarker->move(kKeyMarkerLeft, keyMarkerTop(i));
        name(row.keyMarker, look, "KeyMarker");
    }
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        PlacedObjectRow& row = rows_[static_cast<std::size_t>(i)];
        row.box = new NudgeBox(QString::fromUtf8(lookOf(row).caption), client);
        row.box->setGeometry(kBoxLeft, boxTop(i), 47, 20);
        name(row.box, lookOf(row), "NudgeBox");
        if (i > 0)
            QWidget::setTabOrder(rows_[static_cast<std::size_t>(i - 1)].box, row.box);
    }

    // Each read-out ends where its unit "m" begins, so a longer text grows to the left
    // instead of running into the unit.
    constexpr int kUnitLefts[]{808, 872, 936};
    constexpr const char* kNames[]{"XReadOut", "YReadOut", "ZReadOut"};
    for (int i = 0; i < static_cast<int>(rows_.size()); ++i) {
        PlacedObjectRow& row = rows_[static_cast<std::size_t>(i)];
        const PositionTexts& p = positionTexts(texts, row.object);
        const std::string* coordinates[]{&p.x, &p.y, &p.z};
        for (std::size_t c = 0; c < 3; ++c) {
            auto* label = new QLabel(toQString(*coordinates[c]), client);
            label->setAlignment(Qt::AlignRight | Qt::AlignTop);
            label->setGeometry(kUnitLefts[c] - 34, readOutTop(i), 33, label->sizeHint().height());
            name(label, lookOf(row), kNames[c]);
            placeLabel(client, QStringLiteral("m"), kUnitLefts[c], readOutTop(i));
            row.readOuts[c] = label;
        }
    }
}

PositionTexts& positionTexts(SceneTexts& texts, PlacedObject object) {
    const RowLook& look = kRows[static_cast<std::size_t>(object)];
    return (look.seat ? texts.seats : texts.sources).at(look.list);
}

const PositionTexts& positionTexts(const SceneTexts& texts, PlacedObject object) {
    return positionTexts(const_cast<SceneTexts&>(texts), object);
}

} // namespace kolmarin
