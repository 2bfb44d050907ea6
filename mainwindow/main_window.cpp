// The main window's controls, their places and the wiring of their events.
#include "mainwindow/main_window.h"

#include "dialogs/axis_settings_dialog.h"
#include "dialogs/room_settings_dialog.h"
#include "mainwindow/nudge_box.h"
#include "mainwindow/plan_view.h"
#include "widgets/height_slider.h"
#include "widgets/japanese_fonts.h"
#include "widgets/marker_shape.h"
#include "widgets/placed_controls.h"
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
    nameControls();
    connectHandlers();
    setMaximumSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    resize(maximumSize());
    move(0, 0);
}

MainWindow::~MainWindow() = default;

void MainWindow::setDialogs(RoomSettingsDialog* room, ModeListWindow* modes, AxisSettingsDialog* axes,
                            AboutBox* about) {
    roomSettings_ = room;
    modeList_ = modes;
    axisSettings_ = axes;
    aboutBox_ = about;
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
    return connected(roomSettings_, "settings dialog missing");
}
ModeListWindow& MainWindow::modeList() const {
    return connected(modeList_, "mode list window missing");
}
AxisSettingsDialog& MainWindow::axisSettings() const {
    return connected(axisSettings_, "graph axis dialog missing");
}
AboutBox& MainWindow::aboutBox() const {
    return connected(aboutBox_, "version box missing");
}

void MainWindow::setCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

void MainWindow::createControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);
    const SceneTexts defaults = startupTexts(decimalSeparator());

    // Made in this order, later controls lie over earlier ones.
    responseChart_ = new ResponseChart(client);
    responseChart_->setGeometry(8, 32, 553, 417);
    createCaptions(client);
    createHeightSliders(client, defaults.height);
    createPlan(client);
    createPositionRows(client, defaults);
    createCurveBoxes(client);

    objects_ = {
        ObjectControls{sp1Marker_, sp1HeightSlider_, sp1XReadOut_, sp1YReadOut_, sp1ZReadOut_, sp1NudgeBox_},
        ObjectControls{sp2Marker_, sp2HeightSlider_, sp2XReadOut_, sp2YReadOut_, sp2ZReadOut_, sp2NudgeBox_},
        ObjectControls{listenerMarker_, listenerHeightSlider_, listenerXReadOut_, listenerYReadOut_,
                       listenerZReadOut_, listenerNudgeBox_}};

    // Before any room is known the markers wait at the plan's corner, over the empty plan.
    for (const ObjectControls& object : objects_)
        object.shape->move(kPlanLeft - kMarkerHalf, kPlanTop - kMarkerHalf);
    planView_->drawEmpty();
}

void MainWindow::createCaptions(QWidget* client) {
    reflectionCountCaption_ = placeLabel(client, QString(), 568, 16);
    roomSizeTitle_ = placeLabel(client, QStringLiteral("部屋の大きさ"), 704, 0);
    roomSizeCaption_ = placeLabel(client, QString(), 776, 0);
    reflectionCaption_ = placeLabel(client, QString(), 704, 16);
}

void MainWindow::createHeightSliders(QWidget* client, const std::string& roomHeight) {
    sliderPanel_ = placeBevel(client, QFrame::Panel, QRect(568, 32, 121, 417));
    heightTitle_ = placeLabel(client, QStringLiteral("高さ指定"), 576, 56);
    sp1SliderLabel_ = placeLabel(client, QStringLiteral("SP1"), 576, 112);
    sp2SliderLabel_ = placeLabel(client, QStringLiteral("SP2"), 600, 112);
    listenerSliderLabel_ = placeLabel(client, QStringLiteral("聴取者"), 624, 112);
    sp1HeightSlider_ = new HeightSlider(client);
    sp2HeightSlider_ = new HeightSlider(client);
    listenerHeightSlider_ = new HeightSlider(client);
    sp1HeightSlider_->setGeometry(576, 128, 25, 305);
    sp2HeightSlider_->setGeometry(600, 128, 25, 305);
    listenerHeightSlider_->setGeometry(624, 128, 25, 305);
    ceilingHeightLabel_ = placeLabel(client, toQString(roomHeight) + QStringLiteral("m"), 656, 136);
    floorHeightLabel_ = placeLabel(client, QStringLiteral("0m"), 656, 416);
}

void MainWindow::createPlan(QWidget* client) {
    // The plan first, then the markers over it: SP1 lowest, the listener on top, so the
    // listener takes the mouse where markers overlap.
    planView_ = new PlanView(client);
    planView_->move(kPlanLeft, kPlanTop);
    sp1Marker_ = new MarkerShape(MarkerShape::Form::Square, Qt::black, client);
    sp2Marker_ = new MarkerShape(MarkerShape::Form::Square, Qt::red, client);
    listenerMarker_ = new MarkerShape(MarkerShape::Form::Circle, Qt::cyan, client);
}

// Per object: its key marker, its nudge box and its three read-outs.
void MainWindow::createPositionRows(QWidget* client, const SceneTexts& defaults) {
    fromLeftWallLabel_ = placeLabel(client, QStringLiteral("左壁から"), 776, 456);
    fromFrontWallLabel_ = placeLabel(client, QStringLiteral("正面壁から"), 840, 456);
    fromFloorLabel_ = placeLabel(client, QStringLiteral("床から"), 912, 456);
    sp1KeyMarker_ = new MarkerShape(MarkerShape::Form::Square, Qt::black, client);
    sp2KeyMarker_ = new MarkerShape(MarkerShape::Form::Square, Qt::red, client);
    listenerKeyMarker_ = new MarkerShape(MarkerShape::Form::Circle, Qt::cyan, client);
    sp1KeyMarker_->move(707, 474);
    sp2KeyMarker_->move(707, 498);
    listenerKeyMarker_->move(707, 522);
    sp1NudgeBox_ = new NudgeBox(QStringLiteral("SP1"), client);
    sp2NudgeBox_ = new NudgeBox(QStringLiteral("SP2"), client);
    listenerNudgeBox_ = new NudgeBox(QStringLiteral("聴取者"), client);
    sp1NudgeBox_->setGeometry(725, 471, 47, 20);
    sp2NudgeBox_->setGeometry(725, 496, 47, 20);
    listenerNudgeBox_->setGeometry(725, 522, 47, 20);
    setTabOrder(sp1NudgeBox_, sp2NudgeBox_);
    setTabOrder(sp2NudgeBox_, listenerNudgeBox_);

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
    row(defaults.sources[0], 480, sp1XReadOut_, sp1YReadOut_, sp1ZReadOut_);
    row(defaults.sources[1], 504, sp2XReadOut_, sp2YReadOut_, sp2ZReadOut_);
    row(defaults.seats[0], 528, listenerXReadOut_, listenerYReadOut_, listenerZReadOut_);
}

void MainWindow::createCurveBoxes(QWidget* client) {
    curvePanel_ = placeBevel(client, QFrame::Panel, QRect(144, 456, 273, 33));
    curveTitle_ = placeLabel(client, QStringLiteral("グラフ表示"), 152, 464);
    sp1CurveBox_ = placeCurveBox(client, QStringLiteral("SP1"), 224, 49);
    sp2CurveBox_ = placeCurveBox(client, QStringLiteral("SP2"), 288, 41);
    totalCurveBox_ = placeCurveBox(client, QStringLiteral("Total"), 344, 65);
    curveBoxes_ = {sp1CurveBox_, sp2CurveBox_, totalCurveBox_};
}

void MainWindow::createMenu() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    openRoomAction_ = fileMenu_->addAction(QStringLiteral("部屋データを開く(&O)"));
    openRoomAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    saveRoomAction_ = fileMenu_->addAction(QStringLiteral("部屋データの保存(&S)"));
    saveRoomAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    fileMenu_->addSeparator();
    saveResultAction_ = fileMenu_->addAction(QStringLiteral("計算結果保存(&D)"));
    saveChartImageAction_ = fileMenu_->addAction(QStringLiteral("グラフを画像として保存..."));
    fileMenu_->addSeparator();
    printChartAction_ = fileMenu_->addAction(QStringLiteral("グラフ印刷(&P)"));
    printChartAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    printWindowAction_ = fileMenu_->addAction(QStringLiteral("フォーム全体印刷(&F)"));
    fileMenu_->addSeparator();
    exitAction_ = fileMenu_->addAction(QStringLiteral("終了(&X)"));

    calculationMenu_ = menuBar()->addMenu(QStringLiteral("計算(&C)"));
    modesAction_ = calculationMenu_->addAction(QStringLiteral("部屋の固有モード(&M)"));
    createResponseMap();
    createPlacementSearch();
    createWaterfall();
    createReferenceCommands();

    settingsMenu_ = menuBar()->addMenu(QStringLiteral("設定(&O)"));
    roomSettingsAction_ = settingsMenu_->addAction(QStringLiteral("部屋、計算条件(&R)"));
    roomSettingsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    axisSettingsAction_ = settingsMenu_->addAction(QStringLiteral("グラフ(&G)"));

    helpMenu_ = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    helpAction_ = helpMenu_->addAction(QStringLiteral("Kolmarinヘルプ(&H)"));
    aboutAction_ = helpMenu_->addAction(QStringLiteral("バージョン情報(&A)"));
}

// Tests and tools find the controls by these names.
void MainWindow::nameControls() {
    const std::pair<QObject*, const char*> controls[]{
        {responseChart_, "responseChart"},
        {roomSizeTitle_, "roomSizeTitle"},
        {roomSizeCaption_, "roomSizeCaption"},
        {reflectionCaption_, "reflectionCaption"},
        {reflectionCountCaption_, "reflectionCountCaption"},
        {sliderPanel_, "sliderPanel"},
        {heightTitle_, "heightTitle"},
        {sp1SliderLabel_, "sp1SliderLabel"},
        {sp2SliderLabel_, "sp2SliderLabel"},
        {listenerSliderLabel_, "listenerSliderLabel"},
        {sp1HeightSlider_, "sp1HeightSlider"},
        {sp2HeightSlider_, "sp2HeightSlider"},
        {listenerHeightSlider_, "listenerHeightSlider"},
        {ceilingHeightLabel_, "ceilingHeightLabel"},
        {floorHeightLabel_, "floorHeightLabel"},
        {planView_, "planView"},
        {sp1Marker_, "sp1Marker"},
        {sp2Marker_, "sp2Marker"},
        {listenerMarker_, "listenerMarker"},
        {fromLeftWallLabel_, "fromLeftWallLabel"},
        {fromFrontWallLabel_, "fromFrontWallLabel"},
        {fromFloorLabel_, "fromFloorLabel"},
        {sp1KeyMarker_, "sp1KeyMarker"},
        {sp2KeyMarker_, "sp2KeyMarker"},
        {listenerKeyMarker_, "listenerKeyMarker"},
        {sp1NudgeBox_, "sp1NudgeBox"},
        {sp2NudgeBox_, "sp2NudgeBox"},
        {listenerNudgeBox_, "listenerNudgeBox"},
        {sp1XReadOut_, "sp1XReadOut"},
        {sp1YReadOut_, "sp1YReadOut"},
        {sp1ZReadOut_, "sp1ZReadOut"},
        {sp2XReadOut_, "sp2XReadOut"},
        {sp2YReadOut_, "sp2YReadOut"},
        {sp2ZReadOut_, "sp2ZReadOut"},
        {listenerXReadOut_, "listenerXReadOut"},
        {listenerYReadOut_, "listenerYReadOut"},
        {listenerZReadOut_, "listenerZReadOut"},
        {curvePanel_, "curvePanel"},
        {curveTitle_, "curveTitle"},
        {sp1CurveBox_, "sp1CurveBox"},
        {sp2CurveBox_, "sp2CurveBox"},
        {totalCurveBox_, "totalCurveBox"},
        {fileMenu_, "fileMenu"},
        {openRoomAction_, "openRoomAction"},
        {saveRoomAction_, "saveRoomAction"},
        {saveResultAction_, "saveResultAction"},
        {saveChartImageAction_, "saveChartImageAction"},
        {printChartAction_, "printChartAction"},
        {printWindowAction_, "printWindowAction"},
        {exitAction_, "exitAction"},
        {calculationMenu_, "calculationMenu"},
        {modesAction_, "modesAction"},
        {settingsMenu_, "settingsMenu"},
        {roomSettingsAction_, "roomSettingsAction"},
        {axisSettingsAction_, "axisSettingsAction"},
        {helpMenu_, "helpMenu"},
        {helpAction_, "helpAction"},
        {aboutAction_, "aboutAction"},
    };
    for (const auto& [control, name] : controls)
        control->setObjectName(QString::fromLatin1(name));
}

ChartAxes& MainWindow::chartAxes() {
    return *responseChart_;
}

void MainWindow::connectHandlers() {
    connect(openRoomAction_, &QAction::triggered, this, commandSlot(this, [this] { openRoomFile(); }));
    connect(saveRoomAction_, &QAction::triggered, this, commandSlot(this, [this] { saveRoomFile(); }));
    connect(saveResultAction_, &QAction::triggered, this, commandSlot(this, [this] { saveResultFile(); }));
    connect(saveChartImageAction_, &QAction::triggered, this,
            commandSlot(this, [this] { saveChartImage(); }));
    connect(printChartAction_, &QAction::triggered, this, commandSlot(this, [this] { printChart(); }));
    connect(printWindowAction_, &QAction::triggered, this, commandSlot(this, [this] { printWindow(); }));
    connect(exitAction_, &QAction::triggered, this, commandSlot(this, [this] { exitProgram(); }));
    connect(modesAction_, &QAction::triggered, this, commandSlot(this, [this] { showModes(); }));
    connect(roomSettingsAction_, &QAction::triggered, this,
            commandSlot(this, [this] { showRoomSettings(); }));
    connect(axisSettingsAction_, &QAction::triggered, this,
            commandSlot(this, [this] { showAxisSettings(); }));
    connect(helpAction_, &QAction::triggered, this, commandSlot(this, [this] { openHelp(); }));
    connect(aboutAction_, &QAction::triggered, this, commandSlot(this, [this] { showAbout(); }));
    connect(sp1CurveBox_, &QCheckBox::toggled, this, commandSlot(this, [this] { toggleSp1Curve(); }));
    connect(sp2CurveBox_, &QCheckBox::toggled, this, commandSlot(this, [this] { toggleSp2Curve(); }));
    connect(totalCurveBox_, &QCheckBox::toggled, this, commandSlot(this, [this] { toggleTotalCurve(); }));

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
