#pragma once
// The mode list window: the room's natural modes in a grid under the room size they were
// computed for. From here the list is printed over as many pages as it needs or saved as
// a text file. Modeless; closing it only hides it, and the list stays until the next
// eigenmode calculation replaces it.

#include "model/acoustics/eigenmodes.h"
#include "printing/grid_printer.h"
#include "printing/shared_printer.h"

#include <QDialog>

#include <functional>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPrinter;
class QPushButton;
class QTableWidget;

namespace kolmarin {

class SceneDocument;

class ModeListWindow : public QDialog {
    Q_OBJECT
  public:
    // `room` holds the dimension texts that the saved file and the printed page header
    // name; they are read when saving or printing, not when the list was computed. The list
    // prints on the program's one printer.
    ModeListWindow(const SceneDocument& document, SharedPrinter& printer, QWidget* parent = nullptr);
    ~ModeListWindow() override;

    // Replaces the whole list: row 0 the column titles, then one row per mode. Every row
    // is written before the row count settles, so nothing of a longer earlier list stays.
    void setModeTable(const ModeTable& table);
    // The list as the grid holds it.
    ModeTable modeTable() const;

    // Whether the list carries each mode's decay time at the listener (off at start). The
    // choice is the window's 表示 menu; changing it asks for the modes again.
    bool showsDecayTimes() const;

    void closeWindow(); // hides the window
    void printModes();  // print the list; throws UserError when the job cannot start or finish
    void saveModes();   // save the list; throws UserError when the file cannot be written

    // Page header of the printed list, drawn at the top of every page.
    void printPageHeader(GridPrinter& sender);
    QString pageHeaderText() const;

    // The room size the list was computed for, shown above it.
    void setRoomSizeCaption(const QString& caption);

    // The printer of the list, set up for the window's pages.
    GridPrinter& gridPrinter() { return gridPrinter_; }

  signals:
    // The list is to be computed again: its decay times were turned on or off.
    void modesRequested();

  private:
    void writeCell(int row, int column, const QString& text);

    const SceneDocument& document_;
    QString saveName_; // the name the save dialog proposes: the last one chosen in it
    SharedPrinter& printer_;
    QMenuBar* menuBar_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* saveModesAction_ = nullptr;
    QAction* printModesAction_ = nullptr;
    QAction* decayTimesAction_ = nullptr;
    QFrame* panel_ = nullptr;
    QLabel* roomSizeCaption_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QTableWidget* modeGrid_ = nullptr;
    GridPrinter gridPrinter_;
};

} // namespace kolmarin
