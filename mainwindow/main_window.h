#pragma once
// The main window: the response chart on the left (chart_panel.h), the height sliders in
// the middle and the room plan with its markers and position rows on the right
// (plan_panel.h), the room's captions above them, and the menus. It is a view of the scene
// document: an applied scene lays the window out and recalculates, and a move on the plan
// ends in a calculation and a step. Every operation reads the texts it needs when it runs.

#include "files/scene_document.h"
#include "mainwindow/result_file_command.h"
#include "model/acoustics/bass_setup.h"
#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"
#include "model/layout/plan_geometry.h"
#include "model/layout/scene_lines.h"
#include "widgets/chart_image.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPrinter;

namespace kolmarin {

class ChartAxes;
class ChartPanel;
class PlanPanel;
class AboutBox;
class AxisSettingsDialog;
class ModeListWindow;
class RoomSettingsDialog;
enum class OpenOutcome;
class PlacedThingsWindow;
class PlacementSearchWindow;
class SubwooferOptimiserWindow;
class RecentFilesMenu;
class ResponseMapLayer;
class SharedPrinter;
class WaterfallWindow;
struct Placement;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    // Prints on `printer`, the program's one printer, which its other windows share.
    MainWindow(SceneDocument& document, SharedPrinter& printer, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The settings dialog holds the room and conditions, the graph axis dialog the level
    // axis range; they, the mode list window and the version box are created after the
    // main window.
    void setDialogs(RoomSettingsDialog* room, ModeListWindow* modes, AxisSettingsDialog* axes,
                    AboutBox* about);

    // Opens the room file at `path` as the file menu's open command does, without the file
    // dialog (a file named when the program was started).
    void openRoomFileAt(const QString& path);

    // The setup file: a room with subwoofers, more seats and a crossover
    // (main_window_setup.cpp). Opening one shows the subwoofers and the other seats on the
    // plan; opening a room file takes them away.
    void openSetupFileAt(const QString& path);
    // Opens a setup or a room file, told apart by the setup file's first line.
    void openFileAt(const QString& path);
    // The document's scene with its subwoofers, other seats and crossover.
    BassSetup bassSetup() const;
    // The seat-to-seat figures of the last calculation over the variation band, when the
    // scene has more than one seat.
    const std::optional<SeatFigures>& seatFigures() const { return document_.result().seatFigures; }

    // The program's one printer, made at the first print: the choices made in a print
    // dialog stay for the next print, whichever window prints.
    QPrinter& printer();

    const ResponseCurves& responseCurves() const { return document_.result().curves; }
    // The impulse responses the last calculation's curves came from.
    const ImpulseResponses& impulseResponses() const { return document_.result().impulses; }
    // The chart as it stands, as the bytes of an image file; a scene with subwoofers or
    // other seats is written under it.
    QByteArray chartImage(ChartImageFormat format);
    // The report of the calculation on screen as a PDF (printing/report.h).
    QByteArray reportPdf();

    // What the graph axis dialog fixes or frees: the response chart's axes.
    ChartAxes& chartAxes();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // Brings the window in line with the scene: positions beyond a wall come back into the
    // room, the plan is sized and drawn, markers and sliders placed, the captions written,
    // the foot cleared, and the response calculated.
    void applyScene();
    // Calculates the three responses from the current texts and shows them.
    void recalculateResponse();
    // Shows the document's new result on the seats' markers and caption.
    void showResult();

    // Menu commands.
    void openRoomFile();   // open a room file, then applyScene unless it was refused or unreadable
    void saveRoomFile();   // save the room file
    void saveResultFile(); // save the calculation result file
    void saveChartImage(); // save the chart as a PNG or PDF image
    void printChart();     // print the chart with the scene in its foot or under it
    void saveReport();     // save the report of the calculation as a PDF
    // The scene written under a printed or exported chart: nothing for the room file's
    // scene, whose page keeps its five foot lines.
    SceneGroups sceneOnPage() const;
    void printWindow();            // print the whole window
    void exitProgram();            // close the window, which ends the program
    void showModes();              // compute the room's modes and show the mode list
    void showRoomSettings();       // show the settings dialog
    void showAxisSettings();       // show the graph axis dialog
    void openHelp();               // open the help file
    void showAbout();              // show the version box
    void showPlacementSearch();    // show the placement search window
    void showWaterfall();          // show the waterfall of the last calculation
    void showSubwooferOptimiser(); // show the subwoofer optimiser window
    void openSetupFile();          // open a setup file: the room with subwoofers and seats
    void saveSetupFile();          // save the scene with them as a setup file

    void followOpenedFile(OpenOutcome outcome);
    // Lays the window out for a file just opened and makes the file one step named `step`,
    // whether or not its calculation succeeds; a failure leaves the chart cleared and is
    // then thrown on.
    void applyOpenedFile(const QString& step);
    // Runs `change` (an undo or redo); a calculation it fails leaves the chart cleared.
    void applyOrClear(const std::function<void()>& change);
    // Takes away the curves, the seat figures and the stored levels of the last calculation.
    void clearCalculation();

    // The document's side: what it says changed, and the edit menu's steps.
    void showChanges(SceneDocument::Changes what);
    void layOutApplied();
    void createEditMenu();
    void showHistory();

    void createControls();
    void createCaptions(QWidget* client);
    void nameControls();
    void createMenu();
    void connectHandlers();

    // The room's width (X), depth (Y) or height (Z) as the document's text says; a text that
    // is no number is a SceneTextError.
    double roomSize(Coordinate axis) const;
    RoomSettingsDialog& roomSettings() const;
    ModeListWindow& modeList() const;
    AxisSettingsDialog& axisSettings() const;
    AboutBox& aboutBox() const;

    // The subwoofers and other seats (main_window_setup.cpp).
    void createSetupCommands();
    // The other seats' Totals and the seats' figures of a setup into `result`.
    void calculateSeats(SceneResult& result) const;
    void writeSeatCaption();
    void showSeatComparisonBand();             // the band in its menu item
    void previewSetup(const BassSetup& setup); // a configuration's seat curves on the chart
    // The subwoofer dialog and the seat curve export (main_window_subwoofers.cpp).
    void createSubwooferCommands();
    void showSubwooferDialog();
    void showPlacedThings(); // the table of placed things, made at its first showing
    void exportSeatCurves();
    // Seats added from the window (main_window_seats.cpp).
    void createSeatCommands();
    std::vector<Point3> extraSeats() const;
    void addSeat();
    void arrangeSeats();
    // In place of the seats after the listener, as the step `step`.
    void setExtraSeats(const std::vector<Point3>& seats, const QString& step);

    Scene readScene() const;
    // The end of a move on the plan: the calculation, and the step `step`.
    void placed(const QString& step);

    // The placement search window and its candidate curve (main_window_search.cpp).
    void createPlacementSearch();
    void showCandidate(const Placement* placement); // nullptr takes the curve away
    void moveSeatsWith(const Point3& listener);

    // The waterfall window (main_window_waterfall.cpp).
    void createWaterfall();
    // The curve kept to compare against, and the Total as a curve text
    // (main_window_reference.cpp).
    void createReferenceCommands();
    // 計算結果のレポート in the file menu (main_window_report.cpp).
    void createReportCommand();
    void keepReference();
    void loadReference();
    void saveCurveText();

    SceneDocument& document_;
    ChartPanel* chart_ = nullptr;    // a child of the window's client area
    PlanPanel* planPanel_ = nullptr; // a child of the window's client area
    QLabel* roomSizeTitle_ = nullptr;
    QLabel* roomSizeCaption_ = nullptr;
    QLabel* reflectionCaption_ = nullptr;
    QLabel* reflectionCountCaption_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    RecentFilesMenu* recentFilesMenu_ = nullptr; // the room files opened or saved last
    QAction* openRoomAction_ = nullptr;
    QAction* saveRoomAction_ = nullptr;
    QAction* saveResultAction_ = nullptr;
    QAction* saveChartImageAction_ = nullptr;
    QAction* printChartAction_ = nullptr;
    QAction* printWindowAction_ = nullptr;
    QAction* exitAction_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QMenu* calculationMenu_ = nullptr;
    QAction* modesAction_ = nullptr;
    QMenu* settingsMenu_ = nullptr;
    QAction* roomSettingsAction_ = nullptr;
    QAction* axisSettingsAction_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* helpAction_ = nullptr;
    QAction* aboutAction_ = nullptr;
    RoomSettingsDialog* roomSettings_ = nullptr;
    ModeListWindow* modeList_ = nullptr;
    AxisSettingsDialog* axisSettings_ = nullptr;
    AboutBox* aboutBox_ = nullptr;
    SharedPrinter& printer_;
    ResultFileCommand resultFile_;
    QString chartImageProposal_ = QStringLiteral("グラフ.png"); // the name last chosen
    bool shown_ = false;
    ResponseMapLayer* mapLayer_ = nullptr; // a child of the window
    QAction* placementSearchAction_ = nullptr;
    PlacementSearchWindow* placementSearch_ = nullptr; // made at its first showing
    QAction* keepReferenceAction_ = nullptr;
    QAction* loadReferenceAction_ = nullptr;
    QAction* clearReferenceAction_ = nullptr;
    QAction* saveCurveTextAction_ = nullptr;
    QString referenceProposal_;                               // the curve file last read
    QString curveTextProposal_ = QStringLiteral("Total.txt"); // the name last chosen
    QAction* saveReportAction_ = nullptr;
    QString reportProposal_ = QStringLiteral("レポート.pdf"); // the name last chosen
    WaterfallWindow* waterfall_ = nullptr;                    // made at its first showing
    QAction* openSetupAction_ = nullptr;
    QAction* saveSetupAction_ = nullptr;
    QAction* seatBandAction_ = nullptr;
    QAction* subsOnlyAction_ = nullptr;
    QAction* seatComparisonBandAction_ = nullptr;
    // The band the seats are compared over: by default where the room's modes stand apart,
    // the seats differ most and subwoofers play.
    Band seatComparisonBand_{20, 120};
    QLabel* seatCaption_ = nullptr; // the seats' variation and mean level
    QAction* subwooferOptimiserAction_ = nullptr;
    QAction* subwooferDialogAction_ = nullptr;
    QAction* exportSeatCurvesAction_ = nullptr;
    QString seatCurveFolder_; // the folder the seat curves were last written to
    SubwooferOptimiserWindow* subwooferOptimiser_ = nullptr; // made at its first showing
    PlacedThingsWindow* placedThings_ = nullptr;             // made at its first showing
    QString setupProposal_ = QStringLiteral("セットアップ.k2s");
};

} // namespace kolmarin
