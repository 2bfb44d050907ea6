// The main window's controls, their places and the wiring of their events.
#include "mainwindow/main_form.h"

#include "dialogs/graphset_form.h"
#include "dialogs/room_form.h"
#include "mainwindow/nudge_box.h"
#include "mainwindow/plan_view.h"
#include "widgets/japanese_fonts.h"
#include "widgets/marker_shape.h"
#include "widgets/response_chart.h"
#include "widgets/trk_bar_ex.h"
#include "widgets/ui_support.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QShowEvent>

#include <stdexcept>

namespace kolmarin {

namespace {

// The client area below the menu bar; the window never grows beyond it.
constexpr int kClientWidth = 1016;
constexpr int kClientHeight = 548;

QLabel* placeLabel(QWidget* parent, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QFrame* placeBevel(QWidget* parent, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(geometry);
    return frame;
}

QCheckBox* placeCurveBox(QWidget* parent, const QString& text, int left, int width) {
    auto* box = new QCheckBox(text, parent);
    box->setChecked(true);
    box->setFocusPolicy(Qt::ClickFocus);
    box->setGeometry(left, 464, width, 17);
    return box;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Kolmarin2 部屋.dtr"));
    setFont(japaneseWindowFont());
    createControls();
    createMenu();
    connectHandlers();
    setMaximumSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    resize(maximumSize());
    move(0, 0);
}

TForm1::~TForm1() = default;

void TForm1::setDialogs(TroomForm* room, TmodeForm* modes, TgraphsetForm* graphset, TAboutBox* about) {
    room_ = room;
    modes_ = modes;
    graphset_ = graphset;
    about_ = about;
}

namespace {

// A window the main window works with; AppWindows connects them all before any command.
template <class Window> Window& connected(Window* window, const char* what) {
    if (!window)
        throw std::logic_error(what);
    return *window;
}

} // namespace

TroomForm& TForm1::room() const {
    return connected(room_, "settings dialog missing");
}
TmodeForm& TForm1::modes() const {
    return connected(modes_, "mode list window missing");
}
TgraphsetForm& TForm1::graphset() const {
    return connected(graphset_, "graph axis dialog missing");
}
TAboutBox& TForm1::about() const {
    return connected(about_, "version box missing");
}

void TForm1::setCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

void TForm1::createControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);
    const SceneTexts defaults = startupTexts(decimalSeparator());

    Chart1 = new ResponseChart(client);
    Chart1->setGeometry(8, 32, 553, 417);

    Label34 = placeLabel(client, QString(), 568, 16);
    Label1 = placeLabel(client, QStringLiteral("部屋の大きさ"), 704, 0);
    Label2 = placeLabel(client, QString(), 776, 0);
    Label33 = placeLabel(client, QString(), 704, 16);

    Bevel1 = placeBevel(client, QRect(568, 32, 121, 417));
    Label32 = placeLabel(client, QStringLiteral("高さ指定"), 576, 56);
    Label29 = placeLabel(client, QStringLiteral("SP1"), 576, 112);
    Label30 = placeLabel(client, QStringLiteral("SP2"), 600, 112);
    Label31 = placeLabel(client, QStringLiteral("聴取者"), 624, 112);
    TrackBarExSP1 = new TTrackBarEx(client);
    TrackBarExSP2 = new TTrackBarEx(client);
    TrackBarExL = new TTrackBarEx(client);
    TrackBarExSP1->setGeometry(576, 128, 25, 305);
    TrackBarExSP2->setGeometry(600, 128, 25, 305);
    TrackBarExL->setGeometry(624, 128, 25, 305);
    Label28 = placeLabel(client, toQString(defaults.height) + QStringLiteral("m"), 656, 136);
    Label27 = placeLabel(client, QStringLiteral("0m"), 656, 416);

    // The plan first, then the markers over it: SP1 lowest, the listener on top, so the
    // listener takes the mouse where markers overlap.
    Image1 = new PlanView(client);
    Image1->move(kPlanLeft, kPlanTop);
    ShapeSP1 = new MarkerShape(MarkerShape::Form::Square, Qt::black, client);
    ShapeSP2 = new MarkerShape(MarkerShape::Form::Square, Qt::red, client);
    ShapeL = new MarkerShape(MarkerShape::Form::Circle, Qt::cyan, client);

    Label3 = placeLabel(client, QStringLiteral("左壁から"), 776, 456);
    Label4 = placeLabel(client, QStringLiteral("正面壁から"), 840, 456);
    Label5 = placeLabel(client, QStringLiteral("床から"), 912, 456);
    Shape1 = new MarkerShape(MarkerShape::Form::Square, Qt::black, client);
    Shape2 = new MarkerShape(MarkerShape::Form::Square, Qt::red, client);
    Shape3 = new MarkerShape(MarkerShape::Form::Circle, Qt::cyan, client);
    Shape1->move(707, 474);
    Shape2->move(707, 498);
    Shape3->move(707, 522);
    EditSP1 = new NudgeBox(QStringLiteral("SP1"), client);
    EditSP2 = new NudgeBox(QStringLiteral("SP2"), client);
    EditL = new NudgeBox(QStringLiteral("聴取者"), client);
    EditSP1->setGeometry(725, 471, 47, 20);
    EditSP2->setGeometry(725, 496, 47, 20);
    EditL->setGeometry(725, 522, 47, 20);
    setTabOrder(EditSP1, EditSP2);
    setTabOrder(EditSP2, EditL);

    // Each read-out ends where its unit "m" begins, so a longer text grows to the left
    // instead of running into the unit.
    const auto readOut = [&](const std::string& text, int unitLeft, int top) {
        auto* label = new QLabel(toQString(text), client);
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
        label->setGeometry(unitLeft - 34, top, 33, label->sizeHint().height());
        placeLabel(client, QStringLiteral("m"), unitLeft, top);
        return label;
    };
    const auto row = [&](const PositionTexts& p, int top, QLabel*& x, QLabel*& y, QLabel*& z) {
        x = readOut(p.x, 808, top);
        y = readOut(p.y, 872, top);
        z = readOut(p.z, 936, top);
    };
    row(defaults.sp1, 480, Label6, Label7, Label8);
    row(defaults.sp2, 504, Label13, Label14, Label15);
    row(defaults.listener, 528, Label20, Label21, Label22);

    Bevel2 = placeBevel(client, QRect(144, 456, 273, 33));
    Label12 = placeLabel(client, QStringLiteral("グラフ表示"), 152, 464);
    CheckBoxSP1 = placeCurveBox(client, QStringLiteral("SP1"), 224, 49);
    CheckBoxSP2 = placeCurveBox(client, QStringLiteral("SP2"), 288, 41);
    CheckBoxTotal = placeCurveBox(client, QStringLiteral("Total"), 344, 65);
    curveBoxes_ = {CheckBoxSP1, CheckBoxSP2, CheckBoxTotal};

    objects_ = {ObjectControls{ShapeSP1, TrackBarExSP1, Label6, Label7, Label8, EditSP1},
                ObjectControls{ShapeSP2, TrackBarExSP2, Label13, Label14, Label15, EditSP2},
                ObjectControls{ShapeL, TrackBarExL, Label20, Label21, Label22, EditL}};

    // Before any room is known the markers wait at the plan's corner, over the empty plan.
    for (const ObjectControls& object : objects_)
        object.shape->move(kPlanLeft - kMarkerHalf, kPlanTop - kMarkerHalf);
    Image1->drawEmpty();
}

void TForm1::createMenu() {
    F1 = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    roomDateOpenM = F1->addAction(QStringLiteral("部屋データを開く(&O)"));
    roomDateOpenM->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    roomSaveM = F1->addAction(QStringLiteral("部屋データの保存(&S)"));
    roomSaveM->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    F1->addSeparator();
    S1 = F1->addAction(QStringLiteral("計算結果保存(&D)"));
    F1->addSeparator();
    Print = F1->addAction(QStringLiteral("グラフ印刷(&P)"));
    Print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    F2 = F1->addAction(QStringLiteral("フォーム全体印刷(&F)"));
    F1->addSeparator();
    X1 = F1->addAction(QStringLiteral("終了(&X)"));

    C1 = menuBar()->addMenu(QStringLiteral("計算(&C)"));
    M1 = C1->addAction(QStringLiteral("部屋の固有モード(&M)"));

    N2 = menuBar()->addMenu(QStringLiteral("設定(&O)"));
    R1 = N2->addAction(QStringLiteral("部屋、計算条件(&R)"));
    R1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    G1 = N2->addAction(QStringLiteral("グラフ(&G)"));

    H1 = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    Kolmarin1 = H1->addAction(QStringLiteral("Kolmarinヘルプ(&H)"));
    N3 = H1->addAction(QStringLiteral("バージョン情報(&A)"));
}

void TForm1::connectHandlers() {
    const auto command = [this](auto&& handler) { return [this, handler] { runCommand(this, handler); }; };
    connect(roomDateOpenM, &QAction::triggered, this, command([this] { roomDateOpenMClick(); }));
    connect(roomSaveM, &QAction::triggered, this, command([this] { roomSaveMClick(); }));
    connect(S1, &QAction::triggered, this, command([this] { S1Click(); }));
    connect(Print, &QAction::triggered, this, command([this] { PrintClick(); }));
    connect(F2, &QAction::triggered, this, command([this] { F2Click(); }));
    connect(X1, &QAction::triggered, this, command([this] { X1Click(); }));
    connect(M1, &QAction::triggered, this, command([this] { M1Click(); }));
    connect(R1, &QAction::triggered, this, command([this] { R1Click(); }));
    connect(G1, &QAction::triggered, this, command([this] { G1Click(); }));
    connect(Kolmarin1, &QAction::triggered, this, command([this] { Kolmarin1Click(); }));
    connect(N3, &QAction::triggered, this, command([this] { N3Click(); }));
    connect(CheckBoxSP1, &QCheckBox::toggled, this, command([this] { CheckBoxSP1Click(); }));
    connect(CheckBoxSP2, &QCheckBox::toggled, this, command([this] { CheckBoxSP2Click(); }));
    connect(CheckBoxTotal, &QCheckBox::toggled, this, command([this] { CheckBoxTotalClick(); }));

    for (PlacedObject object : {PlacedObject::SP1, PlacedObject::SP2, PlacedObject::Listener}) {
        const ObjectControls& c = controls(object);
        connect(c.shape, &MarkerShape::mouseDown, this,
                [this, object](Qt::MouseButton button, QPoint position) {
                    runCommand(this, [&] { ShapeMouseDown(object, button, position); });
                });
        connect(c.shape, &MarkerShape::mouseMove, this, [this, object](QPoint position) {
            runCommand(this, [&] { ShapeMouseMove(object, position); });
        });
        connect(c.shape, &MarkerShape::mouseUp, this,
                [this, object](Qt::MouseButton, QPoint) { runCommand(this, [&] { ShapeMouseUp(object); }); });
        connect(c.slider, &QSlider::valueChanged, this,
                [this, object](int) { runCommand(this, [&] { TrackBarExChange(object); }); });
        connect(c.slider, &TTrackBarEx::mouseUp, this,
                [this, object](Qt::MouseButton) { runCommand(this, [&] { TrackBarExMouseUp(object); }); });
        connect(c.slider, &TTrackBarEx::keyOrWheelMoved, this,
                [this, object] { runCommand(this, [&] { TrackBarExMouseUp(object); }); });
        connect(c.box, &NudgeBox::keyDown, this, [this, object](int key, Qt::KeyboardModifiers modifiers) {
            runCommand(this, [&] { EditKeyDown(object, key, modifiers); });
        });
    }
}

TForm1::ObjectControls& TForm1::controls(PlacedObject object) {
    return objects_[static_cast<std::size_t>(object)];
}

QLabel* TForm1::readOut(PlacedObject object, Coordinate coordinate) {
    const ObjectControls& c = controls(object);
    switch (coordinate) {
    case Coordinate::X:
        return c.x;
    case Coordinate::Y:
        return c.y;
    case Coordinate::Z:
        break;
    }
    return c.z;
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The first showing lays out the plan for the scene and draws the first curves;
    // later showings and activations change nothing.
    if (!shown_ && !event->spontaneous()) {
        shown_ = true;
        runCommand(this, [this] { ApplyScene(); });
    }
}

} // namespace kolmarin
