// The main window's scene operations: laying the window out for the scene, the response
// calculation with its chart update, and the curve switches.
#include "mainwindow/main_form.h"

#include "dialogs/room_form.h"
#include "mainwindow/busy_cursor.h"
#include "mainwindow/graphset_form.h"
#include "mainwindow/marker_shape.h"
#include "mainwindow/plan_view.h"
#include "mainwindow/response_chart.h"
#include "mainwindow/trk_bar_ex.h"
#include "mainwindow/ui_support.h"
#include "model/acoustics/number_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include <algorithm>

namespace kolmarin {

namespace {

constexpr std::array<PlacedObject, 3> kObjects{PlacedObject::SP1, PlacedObject::SP2, PlacedObject::Listener};

// Runs `read`; a room, coefficient or condition text it refused is reported as the text of
// its box in the settings dialog.
template <class Read> auto readingDialogBoxes(const TroomForm& dialog, Read read) {
    try {
        return read();
    } catch (const SceneTextError& e) {
        throw BoxTextError(e.what(), dialog.box(e.text));
    }
}

} // namespace

SceneTexts TForm1::sceneTexts() const {
    SceneTexts texts;
    room().readTexts(texts);
    const auto read = [](const ObjectControls& c) {
        return PositionTexts{toStdString(c.x->text()), toStdString(c.y->text()), toStdString(c.z->text())};
    };
    texts.sp1 = read(objects_[0]);
    texts.sp2 = read(objects_[1]);
    texts.listener = read(objects_[2]);
    return texts;
}

void TForm1::writePositionTexts(const SceneTexts& texts) {
    const std::array<const PositionTexts*, 3> positions{&texts.sp1, &texts.sp2, &texts.listener};
    for (std::size_t i = 0; i < objects_.size(); ++i) {
        objects_[i].x->setText(toQString(positions[i]->x));
        objects_[i].y->setText(toQString(positions[i]->y));
        objects_[i].z->setText(toQString(positions[i]->z));
    }
}

Point3 TForm1::position(PlacedObject object) const {
    const ObjectControls& c = objects_[static_cast<std::size_t>(object)];
    const char separator = decimalSeparator();
    Point3 p;
    p.x = parseDecimal(toStdString(c.x->text()), separator);
    p.y = parseDecimal(toStdString(c.y->text()), separator);
    p.z = parseDecimal(toStdString(c.z->text()), separator);
    return p;
}

void TForm1::writeReadOut(QLabel* label, double value) {
    label->setText(toQString(formatPosition(value, decimalSeparator())));
}

void TForm1::placeMarker(PlacedObject object, const Point3& p, double width, double depth) {
    const PixelPoint corner = toMarkerCorner(plan_, width, depth, {p.x, p.y});
    controls(object).shape->move(corner.left, corner.top);
}

void TForm1::ApplyScene() {
    const SceneTexts texts = sceneTexts();
    const double width = readDecimalBox(room().EditRoomW);
    const double depth = readDecimalBox(room().EditRoomD);
    const double height = readDecimalBox(room().EditRoomH);
    // A room without extent has no plan: refuse it before anything is moved.
    checkRoomSize(width, depth, height);

    std::array<Point3, 3> positions;
    for (PlacedObject object : kObjects)
        positions[static_cast<std::size_t>(object)] = position(object);

    // A position pulled back into the room is shown in two decimals, but the marker and the
    // slider take the pulled-back value itself.
    for (PlacedObject object : kObjects) {
        Point3& p = positions[static_cast<std::size_t>(object)];
        const PulledBack back = pullBackIntoRoom(object, p, width, depth, height);
        if (back.x)
            writeReadOut(readOut(object, Coordinate::X), p.x = *back.x);
        if (back.y)
            writeReadOut(readOut(object, Coordinate::Y), p.y = *back.y);
        if (back.z)
            writeReadOut(readOut(object, Coordinate::Z), p.z = *back.z);
    }

    plan_ = planRectFor(width, depth);
    Image1->move(plan_.left, plan_.top);
    Image1->resize(plan_.width, plan_.height);

    for (PlacedObject object : kObjects)
        placeMarker(object, positions[static_cast<std::size_t>(object)], width, depth);
    // A slider that moves rewrites its height read-out by the slider rule.
    for (PlacedObject object : kObjects)
        controls(object).slider->setValue(
            toSliderPosition(positions[static_cast<std::size_t>(object)].z, height));

    setCaption(Label28, toQString(texts.height) + QStringLiteral("m"));
    Image1->drawRoom(plan_.width, plan_.height);
    setCaption(Label2, QStringLiteral("幅：%1m 奥行：%2m 高さ：%3m")
                           .arg(toQString(texts.width), toQString(texts.depth), toQString(texts.height)));
    setCaption(Label33,
               QStringLiteral("反射率  前%1  後%2  右%3  左%4  上%5  下%6")
                   .arg(toQString(texts.reflFront), toQString(texts.reflBack), toQString(texts.reflRight),
                        toQString(texts.reflLeft), toQString(texts.reflCeiling), toQString(texts.reflFloor)));
    setCaption(Label34, QStringLiteral("反射回数 ") + toQString(texts.reflectionCount));
    Chart1->setFootText(QString());
    Culcstundwave();
}

void TForm1::Culcstundwave() {
    BusyCursor busy;
    TroomForm& dialog = room();
    const Scene scene = readingDialogBoxes(dialog, [&] {
        return readCalculationScene(
            sceneTexts(), decimalSeparator(), [&dialog](Condition condition, const std::string& corrected) {
                QLineEdit* box = condition == Condition::ReflectionCount  ? dialog.EditRefN
                                 : condition == Condition::StartFrequency ? dialog.EditSHz
                                                                          : dialog.EditEHz;
                box->setText(toQString(corrected));
            });
    });
    calculateResponse(scene, curves_);
    computed_ = storedElements(scene.startFrequency, scene.endFrequency);

    // The level range typed in the graph axis dialog, unless that axis follows the data.
    TgraphsetForm& axes = graphset();
    if (!axes.CheckBoxAutoY->isChecked()) {
        const std::int32_t min = readWholeBox(axes.EditminY);
        const std::int32_t max = readWholeBox(axes.EditmaxY);
        Chart1->setAxisRange(ChartAxis::Level, min, max);
    }

    // Only the curves whose box is ticked are drawn; the others stay empty.
    for (int curve = 0; curve < 3; ++curve) {
        Chart1->graph(curve)->data()->clear();
        if (curveBoxes_[static_cast<std::size_t>(curve)]->isChecked())
            addStoredPoints(curve, scene.startFrequency, scene.endFrequency);
    }
    Chart1->followData();
    Chart1->setTitleText(windowTitle() + QStringLiteral("      ") +
                         QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
    Chart1->replot();
}

void TForm1::addStoredPoints(int curve, std::int32_t start, std::int32_t end) {
    const std::array<const std::array<double, kCurvePoints>*, 3> stored{&curves_.sp1, &curves_.sp2,
                                                                        &curves_.total};
    const auto& levels = *stored[static_cast<std::size_t>(curve)];
    // Element j holds the level of j/2 Hz. Only levels the last calculation computed are
    // shown: a range typed but not yet applied may reach beyond them, and older elements
    // belong to another scene (or are the zeros of start-up).
    const ElementRange requested = storedElements(start, end);
    const int first = std::max(requested.first, computed_.first);
    const int last = std::min(requested.last, computed_.last);
    QVector<double> frequencies;
    QVector<double> values;
    for (int j = first; j <= last; ++j) {
        frequencies.append(j / 2.0);
        values.append(levels[static_cast<std::size_t>(j)]);
    }
    Chart1->graph(curve)->addData(frequencies, values, true);
}

void TForm1::CheckBoxSP1Click() {
    CheckBoxClick(0);
}
void TForm1::CheckBoxSP2Click() {
    CheckBoxClick(1);
}
void TForm1::CheckBoxTotalClick() {
    CheckBoxClick(2);
}

void TForm1::CheckBoxClick(int curve) {
    SceneTexts texts;
    room().readTexts(texts);
    const FrequencyRange range = readingDialogBoxes(room(), [&] { return readFrequencyRange(texts); });
    if (curveBoxes_[static_cast<std::size_t>(curve)]->isChecked())
        addStoredPoints(curve, range.start, range.end);
    else
        Chart1->graph(curve)->data()->clear();
    Chart1->followData();
    Chart1->replot();
}

} // namespace kolmarin
