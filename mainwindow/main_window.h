#pragma once
// The main window: the response chart on the left, the height sliders in the middle, the
// room plan with the three markers on the right and the position read-outs below it.
// The positions of SP1, SP2 and the listener live in the read-outs' texts; the room, the
// coefficients and the conditions in the settings dialog's boxes. Every operation reads
// the texts it needs when it runs.

#include "mainwindow/result_file_command.h"
#include "model/plan_geometry.h"
#include "model/response.h"
#include "model/scene.h"

#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QPrinter;

namespace kolmarin {

class MarkerShape;
class NudgeBox;
class PlanView;
class ResponseChart;
class HeightSlider;
class AboutBox;
class AxisSettingsDialog;
class ModeListWindow;
class RoomSettingsDialog;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The settings dialog holds the room and conditions, the graph axis dialog the level
    // axis range; they, the mode list window and the version box are created after the
    // main window.
    void setDialogs(RoomSettingsDialog* room, ModeListWindow* modes, AxisSettingsDialog* graphset,
                    AboutBox* about);

    // Brings the window in line with the scene: positions beyond a wall come back into the
    // room, the plan is sized and drawn, markers and sliders placed, the captions written,
    // the foot cleared, and the response calculated.
    void applyScene();
    // Calculates the three responses from the current texts and shows them.
    void recalculateResponse();

    // Menu commands.
    void openRoomFile();     // open a room file, then applyScene unless reading failed
    void saveRoomFile();     // save the room file
    void saveResultFile();   // save the calculation result file
    void printChart();       // print the chart with the scene in its foot
    void printWindow();      // print the whole window
    void exitProgram();      // close the window, which ends the program
    void showModes();        // compute the room's modes and show the mode list
    void showRoomSettings(); // show the settings dialog
    void showAxisSettings(); // show the graph axis dialog
    void openHelp();         // open the help file
    void showAbout();        // show the version box

    // Curve switches: a checked box adds its stored levels for the dialog's range, an
    // unchecked one empties its curve.
    void toggleSp1Curve();
    void toggleSp2Curve();
    void toggleTotalCurve();

    // Placing. Marker press, move and release; slider position change and its completion
    // (a mouse release, a key or a wheel turn); a key in the object's nudge box.
    void markerPressed(PlacedObject object, Qt::MouseButton button, QPoint position);
    void markerMoved(PlacedObject object, QPoint position);
    void markerReleased(PlacedObject object);
    void sliderMoved(PlacedObject object);
    void sliderReleased(PlacedObject object);
    void nudgeKeyPressed(PlacedObject object, int key, Qt::KeyboardModifiers modifiers);

    // The program's one printer, made at the first print: the choices made in a print
    // dialog stay for the next print, whichever window prints.
    QPrinter& printer();

    // The whole scene as the controls hold it.
    SceneTexts sceneTexts() const;
    // Puts new position texts into the read-outs (a room file being loaded).
    void writePositionTexts(const SceneTexts& texts);

    const ResponseCurves& responseCurves() const { return curves_; }
    // The elements of ResponseCurves the last calculation wrote.
    ElementRange computedElements() const { return computed_; }
    const PlanRect& planRect() const { return plan_; }

    // Controls.
    ResponseChart* responseChart = nullptr;
    QLabel* roomSizeTitle = nullptr;
    QLabel* roomSizeCaption = nullptr;
    QLabel* reflectionCaption = nullptr;
    QLabel* reflectionCountCaption = nullptr;
    QFrame* sliderPanel = nullptr;
    QLabel* heightTitle = nullptr;
    QLabel* sp1SliderLabel = nullptr;
    QLabel* sp2SliderLabel = nullptr;
    QLabel* listenerSliderLabel = nullptr;
    HeightSlider* sp1HeightSlider = nullptr;
    HeightSlider* sp2HeightSlider = nullptr;
    HeightSlider* listenerHeightSlider = nullptr;
    QLabel* ceilingHeightLabel = nullptr; // the room height at the sliders' top
    QLabel* floorHeightLabel = nullptr;
    PlanView* planView = nullptr;
    MarkerShape* sp1Marker = nullptr;
    MarkerShape* sp2Marker = nullptr;
    MarkerShape* listenerMarker = nullptr;
    QLabel* fromLeftWallLabel = nullptr;
    QLabel* fromFrontWallLabel = nullptr;
    QLabel* fromFloorLabel = nullptr;
    MarkerShape* sp1KeyMarker = nullptr;
    MarkerShape* sp2KeyMarker = nullptr;
    MarkerShape* listenerKeyMarker = nullptr;
    NudgeBox* sp1NudgeBox = nullptr;
    NudgeBox* sp2NudgeBox = nullptr;
    NudgeBox* listenerNudgeBox = nullptr;
    QLabel* sp1XReadOut = nullptr;
    QLabel* sp1YReadOut = nullptr;
    QLabel* sp1ZReadOut = nullptr;
    QLabel* sp2XReadOut = nullptr;
    QLabel* sp2YReadOut = nullptr;
    QLabel* sp2ZReadOut = nullptr;
    QLabel* listenerXReadOut = nullptr;
    QLabel* listenerYReadOut = nullptr;
    QLabel* listenerZReadOut = nullptr;
    QFrame* curvePanel = nullptr;
    QLabel* curveTitle = nullptr;
    QCheckBox* sp1CurveBox = nullptr;
    QCheckBox* sp2CurveBox = nullptr;
    QCheckBox* totalCurveBox = nullptr;

    QMenu* fileMenu = nullptr;
    QAction* openRoomAction = nullptr;
    QAction* saveRoomAction = nullptr;
    QAction* saveResultAction = nullptr;
    QAction* printChartAction = nullptr;
    QAction* printWindowAction = nullptr;
    QAction* exitAction = nullptr;
    QMenu* calculationMenu = nullptr;
    QAction* modesAction = nullptr;
    QMenu* settingsMenu = nullptr;
    QAction* roomSettingsAction = nullptr;
    QAction* axisSettingsAction = nullptr;
    QMenu* helpMenu = nullptr;
    QAction* helpAction = nullptr;
    QAction* aboutAction = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct ObjectControls {
        MarkerShape* shape = nullptr;
        HeightSlider* slider = nullptr;
        QLabel* x = nullptr;
        QLabel* y = nullptr;
        QLabel* z = nullptr;
        NudgeBox* box = nullptr;
    };

    void createControls();
    void createMenu();
    void connectHandlers();
    ObjectControls& controls(PlacedObject object);
    QLabel* readOut(PlacedObject object, Coordinate coordinate);

    RoomSettingsDialog& roomSettings() const;
    ModeListWindow& modeList() const;
    AxisSettingsDialog& axisSettings() const;
    AboutBox& aboutBox() const;
    Point3 position(PlacedObject object) const;
    void writeReadOut(QLabel* label, double value);
    static void setCaption(QLabel* label, const QString& text);
    void placeMarker(PlacedObject object, const Point3& p, double width, double depth);
    void addStoredPoints(int curve, std::int32_t start, std::int32_t end);
    void toggleCurve(int curve);

    std::array<ObjectControls, 3> objects_;
    std::array<QCheckBox*, 3> curveBoxes_{};
    RoomSettingsDialog* room_ = nullptr;
    ModeListWindow* modes_ = nullptr;
    AxisSettingsDialog* graphset_ = nullptr;
    AboutBox* about_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    ResultFileCommand resultFile_;
    ResponseCurves curves_;
    ElementRange computed_; // empty until the first calculation
    PlanRect plan_;
    bool shown_ = false;
    bool dragging_ = false;
    PixelPoint grabPoint_;
};

} // namespace kolmarin
