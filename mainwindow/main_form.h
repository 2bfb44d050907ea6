#pragma once
// The main window: the response chart on the left, the height sliders in the middle, the
// room plan with the three markers on the right and the position read-outs below it.
// The positions of SP1, SP2 and the listener live in the read-outs' texts; the room, the
// coefficients and the conditions in the settings dialog's boxes. Every operation reads
// the texts it needs when it runs.

#include "mainwindow/result_file_command.h"
#include "model/acoustics/response.h"
#include "model/acoustics/scene.h"
#include "model/layout/plan_geometry.h"

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
class TTrackBarEx;
class TAboutBox;
class TgraphsetForm;
class TmodeForm;
class TroomForm;

class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The settings dialog holds the room and conditions, the graph axis dialog the level
    // axis range; they, the mode list window and the version box are created after the
    // main window.
    void setDialogs(TroomForm* room, TmodeForm* modes, TgraphsetForm* graphset, TAboutBox* about);

    // Brings the window in line with the scene: positions beyond a wall come back into the
    // room, the plan is sized and drawn, markers and sliders placed, the captions written,
    // the foot cleared, and the response calculated.
    void ApplyScene();
    // Calculates the three responses from the current texts and shows them.
    void Culcstundwave();

    // Menu commands.
    void roomDateOpenMClick(); // open a room file, then ApplyScene unless reading failed
    void roomSaveMClick();     // save the room file
    void S1Click();            // save the calculation result file
    void PrintClick();         // print the chart with the scene in its foot
    void F2Click();            // print the whole window
    void X1Click();            // close the window, which ends the program
    void M1Click();            // compute the room's modes and show the mode list
    void R1Click();            // show the settings dialog
    void G1Click();            // show the graph axis dialog
    void Kolmarin1Click();     // open the help file
    void N3Click();            // show the version box

    // Curve switches: a checked box adds its stored levels for the dialog's range, an
    // unchecked one empties its curve.
    void CheckBoxSP1Click();
    void CheckBoxSP2Click();
    void CheckBoxTotalClick();

    // Placing. Marker press, move and release; slider position change and its completion
    // (a mouse release, a key or a wheel turn); a key in the object's nudge box.
    void ShapeMouseDown(PlacedObject object, Qt::MouseButton button, QPoint position);
    void ShapeMouseMove(PlacedObject object, QPoint position);
    void ShapeMouseUp(PlacedObject object);
    void TrackBarExChange(PlacedObject object);
    void TrackBarExMouseUp(PlacedObject object);
    void EditKeyDown(PlacedObject object, int key, Qt::KeyboardModifiers modifiers);

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

    // Controls, by their names in the program.
    ResponseChart* Chart1 = nullptr;
    QLabel* Label1 = nullptr;  // "部屋の大きさ"
    QLabel* Label2 = nullptr;  // room size caption
    QLabel* Label33 = nullptr; // reflection coefficient caption
    QLabel* Label34 = nullptr; // reflection count caption
    QFrame* Bevel1 = nullptr;
    QLabel* Label32 = nullptr; // "高さ指定"
    QLabel* Label29 = nullptr;
    QLabel* Label30 = nullptr;
    QLabel* Label31 = nullptr;
    TTrackBarEx* TrackBarExSP1 = nullptr;
    TTrackBarEx* TrackBarExSP2 = nullptr;
    TTrackBarEx* TrackBarExL = nullptr;
    QLabel* Label28 = nullptr; // ceiling: room height + "m"
    QLabel* Label27 = nullptr; // floor: "0m"
    PlanView* Image1 = nullptr;
    MarkerShape* ShapeSP1 = nullptr;
    MarkerShape* ShapeSP2 = nullptr;
    MarkerShape* ShapeL = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    MarkerShape* Shape1 = nullptr;
    MarkerShape* Shape2 = nullptr;
    MarkerShape* Shape3 = nullptr;
    NudgeBox* EditSP1 = nullptr;
    NudgeBox* EditSP2 = nullptr;
    NudgeBox* EditL = nullptr;
    QLabel* Label6 = nullptr; // SP1 x, y, z
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label13 = nullptr; // SP2 x, y, z
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label20 = nullptr; // listener x, y, z
    QLabel* Label21 = nullptr;
    QLabel* Label22 = nullptr;
    QFrame* Bevel2 = nullptr;
    QLabel* Label12 = nullptr; // "グラフ表示"
    QCheckBox* CheckBoxSP1 = nullptr;
    QCheckBox* CheckBoxSP2 = nullptr;
    QCheckBox* CheckBoxTotal = nullptr;

    // Menu: ファイル, 計算, 設定, ヘルプ.
    QMenu* F1 = nullptr;
    QAction* roomDateOpenM = nullptr;
    QAction* roomSaveM = nullptr;
    QAction* S1 = nullptr;
    QAction* Print = nullptr;
    QAction* F2 = nullptr;
    QAction* X1 = nullptr;
    QMenu* C1 = nullptr;
    QAction* M1 = nullptr;
    QMenu* N2 = nullptr;
    QAction* R1 = nullptr;
    QAction* G1 = nullptr;
    QMenu* H1 = nullptr;
    QAction* Kolmarin1 = nullptr;
    QAction* N3 = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct ObjectControls {
        MarkerShape* shape = nullptr;
        TTrackBarEx* slider = nullptr;
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

    TroomForm& room() const;
    TmodeForm& modes() const;
    TgraphsetForm& graphset() const;
    TAboutBox& about() const;
    Point3 position(PlacedObject object) const;
    void writeReadOut(QLabel* label, double value);
    static void setCaption(QLabel* label, const QString& text);
    void placeMarker(PlacedObject object, const Point3& p, double width, double depth);
    void addStoredPoints(int curve, std::int32_t start, std::int32_t end);
    void CheckBoxClick(int curve);

    std::array<ObjectControls, 3> objects_;
    std::array<QCheckBox*, 3> curveBoxes_{};
    TroomForm* room_ = nullptr;
    TmodeForm* modes_ = nullptr;
    TgraphsetForm* graphset_ = nullptr;
    TAboutBox* about_ = nullptr;
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
