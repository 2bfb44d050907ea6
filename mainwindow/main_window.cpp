// The main window's controls, their places and the wiring of their events.
#include "mainwindow/main_window.h"

#include "dialogs/axis_settings_dialog.h"
#include "dialogs/room_settings_dialog.h"
#include "mainwindow/nudge_box.h"
#include "mainwindow/plan_view.h"
#include "widgets/height_slider.h"
#include "widgets/japanese_fonts.h"
#include "widgets/marker_shape.h"
#include "widgets/response_chart.h"
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

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Kolmarin2 部屋.dtr"));
    setFont(japaneseWindowFont());
    createControls();
    createMenu();
    connectHandlers();
    setMaximumSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    resize(maximumSize());
    move(0, 0);
}

MainWindow::~MainWindow() = default;

void MainWindow::setDialogs(RoomSettingsDialog* room, ModeListWindow* modes, AxisSettingsDialog* graphset,
                            AboutBox* about) {
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

RoomSettingsDialog& MainWindow::roomSettings() const {
    return connected(room_, "settings dialog missing");
}
ModeListWindow& MainWindow::modeList() const {
    return connected(modes_, "mode list window missing");
}
AxisSettingsDialog& MainWindow::axisSettings() const {
    return connected(graphset_, "graph axis dialog missing");
}
AboutBox& MainWindow::aboutBox() const {
    return connected(about_, "version box missing");
}

void MainWindow::setCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

void MainWindow::createControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);
    const SceneTexts defaults = startupTexts(decimalSeparator());

    responseChart = new ResponseChart(client);
    responseChart->setGeometry(8, 32, 553, 417);

    reflectionCountCaption = placeLabel(client, QString(), 568, 16);
    roomSizeTitle = placeLabel(client, QStringLiteral("部屋の大きさ"), 704, 0);
    roomSizeCaption = placeLabel(client, QString(), 776, 0);
    reflectionCaption = placeLabel(client, QString(), 704, 16);

    sliderPanel = placeBevel(client, QRect(568, 32, 121, 417));
    heightTitle = placeLabel(client, QStringLiteral("高さ指定"), 576, 56);
    sp1SliderLabel = placeLabel(client, QStringLiteral("SP1"), 576, 112);
    sp2SliderLabel = placeLabel(client, QStringLiteral("SP2"), 600, 112);
    listenerSliderLabel = placeLabel(client, QStringLiteral("聴取者"), 624, 112);
    sp1HeightSlider = new HeightSlider(client);
    sp2HeightSlider = new HeightSlider(client);
    listenerHeightSlider = new HeightSlider(client);
    sp1HeightSlider->setGeometry(576, 128, 25, 305);
    sp2HeightSlider->setGeometry(600, 128, 25, 305);
    listenerHeightSlider->setGeometry(624, 128, 25, 305);
    ceilingHeightLabel = placeLabel(client, toQString(defaults.height) + QStringLiteral("m"), 656, 136);
    floorHeightLabel = placeLabel(client, QStringLiteral("0m"), 656, 416);

    // The plan first, then the markers over it: SP1 lowest, the listener on top, so the
    // listener takes the mouse where markers overlap.
    planView = new PlanView(client);
    planView->move(kPlanLeft, kPlanTop);
    sp1Marker = new MarkerShape(MarkerShape::Form::Square, Qt::black, client);
    sp2Marker = new MarkerShape(MarkerShape::Form::Square, Qt::red, client);
    listenerMarker = new MarkerShape(MarkerShape::Form::Circle, Qt::cyan, client);

    fromLeftWallLabel = placeLabel(client, QStringLiteral("左壁から"), 776, 456);
    fromFrontWallLabel = placeLabel(client, QStringLiteral("正面壁から"), 840, 456);
    fromFloorLabel = placeLabel(client, QStringLiteral("床から"), 912, 456);
    sp1KeyMarker = new MarkerShape(MarkerShape::Form::Square, Qt::black, client);
    sp2KeyMarker = new MarkerShape(MarkerShape::Form::Square, Qt::red, client);
    listenerKeyMarker = new MarkerShape(MarkerShape::Form::Circle, Qt::cyan, client);
    sp1KeyMarker->move(707, 474);
    sp2KeyMarker->move(707, 498);
    listenerKeyMarker->move(707, 522);
    sp1NudgeBox = new NudgeBox(QStringLiteral("SP1"), client);
    sp2NudgeBox = new NudgeBox(QStringLiteral("SP2"), client);
    listenerNudgeBox = new NudgeBox(QStringLiteral("聴取者"), client);
    sp1NudgeBox->setGeometry(725, 471, 47, 20);
    sp2NudgeBox->setGeometry(725, 496, 47, 20);
    listenerNudgeBox->setGeometry(725, 522, 47, 20);
    setTabOrder(sp1NudgeBox, sp2NudgeBox);
    setTabOrder(sp2NudgeBox, listenerNudgeBox);

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
    row(defaults.sp1, 480, sp1XReadOut, sp1YReadOut, sp1ZReadOut);
    row(defaults.sp2, 504, sp2XReadOut, sp2YReadOut, sp2ZReadOut);
    row(defaults.listener, 528, listenerXReadOut, listenerYReadOut, listenerZReadOut);

    curvePanel = placeBevel(client, QRect(144, 456, 273, 33));
    curveTitle = placeLabel(client, QStringLiteral("グラフ表示"), 152, 464);
    sp1CurveBox = placeCurveBox(client, QStringLiteral("SP1"), 224, 49);
    sp2CurveBox = placeCurveBox(client, QStringLiteral("SP2"), 288, 41);
    totalCurveBox = placeCurveBox(client, QStringLiteral("Total"), 344, 65);
    curveBoxes_ = {sp1CurveBox, sp2CurveBox, totalCurveBox};

    objects_ = {
        ObjectControls{sp1Marker, sp1HeightSlider, sp1XReadOut, sp1YReadOut, sp1ZReadOut, sp1NudgeBox},
        ObjectControls{sp2Marker, sp2HeightSlider, sp2XReadOut, sp2YReadOut, sp2ZReadOut, sp2NudgeBox},
        ObjectControls{listenerMarker, listenerHeightSlider, listenerXReadOut, listenerYReadOut,
                       listenerZReadOut, listenerNudgeBox}};

    // Before any room is known the markers wait at the plan's corner, over the empty plan.
    for (const ObjectControls& object : objects_)
        object.shape->move(kPlanLeft - kMarkerHalf, kPlanTop - kMarkerHalf);
    planView->drawEmpty();
}

void MainWindow::createMenu() {
    fileMenu = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    openRoomAction = fileMenu->addAction(QStringLiteral("部屋データを開く(&O)"));
    openRoomAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    saveRoomAction = fileMenu->addAction(QStringLiteral("部屋データの保存(&S)"));
    saveRoomAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    fileMenu->addSeparator();
    saveResultAction = fileMenu->addAction(QStringLiteral("計算結果保存(&D)"));
    fileMenu->addSeparator();
    printChartAction = fileMenu->addAction(QStringLiteral("グラフ印刷(&P)"));
    printChartAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    printWindowAction = fileMenu->addAction(QStringLiteral("フォーム全体印刷(&F)"));
    fileMenu->addSeparator();
    exitAction = fileMenu->addAction(QStringLiteral("終了(&X)"));

    calculationMenu = menuBar()->addMenu(QStringLiteral("計算(&C)"));
    modesAction = calculationMenu->addAction(QStringLiteral("部屋の固有モード(&M)"));

    settingsMenu = menuBar()->addMenu(QStringLiteral("設定(&O)"));
    roomSettingsAction = settingsMenu->addAction(QStringLiteral("部屋、計算条件(&R)"));
    roomSettingsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    axisSettingsAction = settingsMenu->addAction(QStringLiteral("グラフ(&G)"));

    helpMenu = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    helpAction = helpMenu->addAction(QStringLiteral("Kolmarinヘルプ(&H)"));
    aboutAction = helpMenu->addAction(QStringLiteral("バージョン情報(&A)"));
}

void MainWindow::connectHandlers() {
    const auto command = [this](auto&& handler) { return [this, handler] { runCommand(this, handler); }; };
    connect(openRoomAction, &QAction::triggered, this, command([this] { openRoomFile(); }));
    connect(saveRoomAction, &QAction::triggered, this, command([this] { saveRoomFile(); }));
    connect(saveResultAction, &QAction::triggered, this, command([this] { saveResultFile(); }));
    connect(printChartAction, &QAction::triggered, this, command([this] { printChart(); }));
    connect(printWindowAction, &QAction::triggered, this, command([this] { printWindow(); }));
    connect(exitAction, &QAction::triggered, this, command([this] { exitProgram(); }));
    connect(modesAction, &QAction::triggered, this, command([this] { showModes(); }));
    connect(roomSettingsAction, &QAction::triggered, this, command([this] { showRoomSettings(); }));
    connect(axisSettingsAction, &QAction::triggered, this, command([this] { showAxisSettings(); }));
    connect(helpAction, &QAction::triggered, this, command([this] { openHelp(); }));
    connect(aboutAction, &QAction::triggered, this, command([this] { showAbout(); }));
    connect(sp1CurveBox, &QCheckBox::toggled, this, command([this] { toggleSp1Curve(); }));
    connect(sp2CurveBox, &QCheckBox::toggled, this, command([this] { toggleSp2Curve(); }));
    connect(totalCurveBox, &QCheckBox::toggled, this, command([this] { toggleTotalCurve(); }));

    for (PlacedObject object : {PlacedObject::SP1, PlacedObject::SP2, PlacedObject::Listener}) {
        const ObjectControls& c = controls(object);
        connect(c.shape, &MarkerShape::mouseDown, this,
                [this, object](Qt::MouseButton button, QPoint position) {
                    runCommand(this, [&] { markerPressed(object, button, position); });
                });
        connect(c.shape, &MarkerShape::mouseMove, this, [this, object](QPoint position) {
            runCommand(this, [&] { markerMoved(object, position); });
        });
        connect(c.shape, &MarkerShape::mouseUp, this, [this, object](Qt::MouseButton, QPoint) {
            runCommand(this, [&] { markerReleased(object); });
        });
        connect(c.slider, &QSlider::valueChanged, this,
                [this, object](int) { runCommand(this, [&] { sliderMoved(object); }); });
        connect(c.slider, &HeightSlider::mouseUp, this,
                [this, object](Qt::MouseButton) { runCommand(this, [&] { sliderReleased(object); }); });
        connect(c.slider, &HeightSlider::keyOrWheelMoved, this,
                [this, object] { runCommand(this, [&] { sliderReleased(object); }); });
        connect(c.box, &NudgeBox::keyDown, this, [this, object](int key, Qt::KeyboardModifiers modifiers) {
            runCommand(this, [&] { nudgeKeyPressed(object, key, modifiers); });
        });
    }
}

MainWindow::ObjectControls& MainWindow::controls(PlacedObject object) {
    return objects_[static_cast<std::size_t>(object)];
}

QLabel* MainWindow::readOut(PlacedObject object, Coordinate coordinate) {
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

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The first showing lays out the plan for the scene and draws the first curves;
    // later showings and activations change nothing.
    if (!shown_ && !event->spontaneous()) {
        shown_ = true;
        runCommand(this, [this] { applyScene(); });
    }
}

} // namespace kolmarin
