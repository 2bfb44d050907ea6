// The main window's controls, their places and the wiring of their events.
#include "mainwindow/main_window.h"

#include "dialogs/axis_settings_dialog.h"
#include "dialogs/placement_search_window.h"
#include "dialogs/room_settings_dialog.h"
#include "files/setup_file.h"
#include "mainwindow/chart_panel.h"
#include "mainwindow/plan_panel.h"
#include "mainwindow/response_map_layer.h"
#include "widgets/japanese_fonts.h"
#include "widgets/placed_controls.h"
#include "widgets/recent_files_menu.h"
#include "widgets/response_chart.h"
#include "widgets/ui_support.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QShowEvent>

#include <stdexcept>

namespace kolmarin {

namespace {

// The client area below the menu bar; the window never grows beyond it.
constexpr int kClientWidth = 1016;
constexpr int kClientHeight = 548;

} // namespace

MainWindow::MainWindow(SceneDocument& document, SharedPrinter& printer, QWidget* parent)
    : QMainWindow(parent), document_(document), printer_(printer) {
    setWindowTitle(document_.caption());
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
    chart_->setAxisSettings(axes);
    aboutBox_ = about;
    if (room)
        connect(room, &RoomSettingsDialog::roomFileUsed, recentFilesMenu_, &RecentFilesMenu::remember);
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

void MainWindow::createControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);

    // Made in this order, later controls lie over earlier ones.
    chart_ = new ChartPanel(document_, *client, *this);
    createCaptions(client);
    planPanel_ = new PlanPanel(document_, *client, *this);
}

void MainWindow::createCaptions(QWidget* client) {
    reflectionCountCaption_ = placeLabel(client, QString(), 568, 16);
    roomSizeTitle_ = placeLabel(client, QStringLiteral("部屋の大きさ"), 704, 0);
    roomSizeCaption_ = placeLabel(client, QString(), 776, 0);
    reflectionCaption_ = placeLabel(client, QString(), 704, 16);
}

void MainWindow::createMenu() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    openRoomAction_ = fileMenu_->addAction(QStringLiteral("部屋データを開く(&O)"));
    openRoomAction_->setShortcuts(QKeySequence::Open);
    saveRoomAction_ = fileMenu_->addAction(QStringLiteral("部屋データの保存(&S)"));
    saveRoomAction_->setShortcuts(QKeySequence::Save);
    recentFilesMenu_ = new RecentFilesMenu(this);
    fileMenu_->addMenu(recentFilesMenu_);
    fileMenu_->addSeparator();
    saveResultAction_ = fileMenu_->addAction(QStringLiteral("計算結果保存(&D)"));
    saveChartImageAction_ = fileMenu_->addAction(QStringLiteral("グラフを画像として保存..."));
    fileMenu_->addSeparator();
    printChartAction_ = fileMenu_->addAction(QStringLiteral("グラフ印刷(&P)"));
    printChartAction_->setShortcuts(QKeySequence::Print);
    printWindowAction_ = fileMenu_->addAction(QStringLiteral("フォーム全体印刷(&F)"));
    fileMenu_->addSeparator();
    exitAction_ = fileMenu_->addAction(QStringLiteral("終了(&X)"));
    exitAction_->setShortcuts(QKeySequence::Quit);

    createEditMenu();

    calculationMenu_ = menuBar()->addMenu(QStringLiteral("計算(&C)"));
    modesAction_ = calculationMenu_->addAction(QStringLiteral("部屋の固有モード(&M)"));
    mapLayer_ = new ResponseMapLayer(document_, planPanel_->planView(), planPanel_->planRect(),
                                     *calculationMenu_, *centralWidget(), *this);
    connect(mapLayer_, &ResponseMapLayer::pointChosen, this, [this](QPoint point) {
        runCommand(this, [&] { planPanel_->dropMarkerAt(point, mapLayer_->marker()); });
    });
    createPlacementSearch();
    createWaterfall();
    createReferenceCommands();
    createReportCommand();
    createSetupCommands();
    createSeatCommands();

    settingsMenu_ = menuBar()->addMenu(QStringLiteral("設定(&O)"));
    roomSettingsAction_ = settingsMenu_->addAction(QStringLiteral("部屋、計算条件(&R)"));
    roomSettingsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    axisSettingsAction_ = settingsMenu_->addAction(QStringLiteral("グラフ(&G)"));
    createSubwooferCommands();

    helpMenu_ = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    helpAction_ = helpMenu_->addAction(QStringLiteral("Kolmarinヘルプ(&H)"));
    helpAction_->setShortcuts(QKeySequence::HelpContents);
    aboutAction_ = helpMenu_->addAction(QStringLiteral("バージョン情報(&A)"));
}

// Tests and tools find the controls by these names.
void MainWindow::nameControls() {
    const std::pair<QObject*, const char*> controls[]{
        {roomSizeTitle_, "roomSizeTitle"},
        {roomSizeCaption_, "roomSizeCaption"},
        {reflectionCaption_, "reflectionCaption"},
        {reflectionCountCaption_, "reflectionCountCaption"},
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
    return chart_->chart();
}

void MainWindow::connectHandlers() {
    connect(&document_, &SceneDocument::changed, this, &MainWindow::showChanges);
    connect(&document_, &SceneDocument::applied, this, &MainWindow::layOutApplied);
    connect(&document_, &SceneDocument::calculated, this, &MainWindow::showResult);
    connect(openRoomAction_, &QAction::triggered, this, commandSlot(this, [this] { openRoomFile(); }));
    connect(saveRoomAction_, &QAction::triggered, this, commandSlot(this, [this] { saveRoomFile(); }));
    connect(saveResultAction_, &QAction::triggered, this, commandSlot(this, [this] { saveResultFile(); }));
    connect(saveChartImageAction_, &QAction::triggered, this,
            commandSlot(this, [this] { saveChartImage(); }));
    connect(printChartAction_, &QAction::triggered, this, commandSlot(this, [this] { printChart(); }));
    connect(printWindowAction_, &QAction::triggered, this, commandSlot(this, [this] { printWindow(); }));
    connect(recentFilesMenu_, &RecentFilesMenu::fileChosen, this,
            [this](const QString& path) { runCommand(this, [&] { openFileAt(path); }); });
    connect(exitAction_, &QAction::triggered, this, commandSlot(this, [this] { exitProgram(); }));
    connect(modesAction_, &QAction::triggered, this, commandSlot(this, [this] { showModes(); }));
    connect(roomSettingsAction_, &QAction::triggered, this,
            commandSlot(this, [this] { showRoomSettings(); }));
    connect(axisSettingsAction_, &QAction::triggered, this,
            commandSlot(this, [this] { showAxisSettings(); }));
    connect(helpAction_, &QAction::triggered, this, commandSlot(this, [this] { openHelp(); }));
    connect(aboutAction_, &QAction::triggered, this, commandSlot(this, [this] { showAbout(); }));

    connect(planPanel_, &PlanPanel::placed, this, &MainWindow::placed);
    connect(planPanel_, &PlanPanel::seatHovered, this,
            [this](int seat) { chart_->chart().highlightSeat(seat); });
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The first showing lays out the plan for the scene and draws the first curves;
    // later showings and activations change nothing.
    if (!shown_ && !event->spontaneous()) {
        shown_ = true;
        runCommand(this, [this] { applyScene(); });
        document_.settle();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // No map goes on computing for a window that is gone.
    mapLayer_->stop();
    if (placementSearch_)
        placementSearch_->close();
    QMainWindow::closeEvent(event);
}

} // namespace kolmarin
