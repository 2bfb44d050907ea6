#pragma once
// The mode list window: the room's natural modes in a grid under the room size they were
// computed for. From here the list is printed over as many pages as it needs or saved as
// a text file. Modeless; closing it only hides it, and the list stays until the next
// eigenmode calculation replaces it.

#include "model/acoustics/eigenmodes.h"
#include "printing/zuq_grid_printer.h"

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

class TroomForm;

class TmodeForm : public QDialog {
    Q_OBJECT
  public:
    // `room` holds the dimension texts that the saved file and the printed page header
    // name; they are read when saving or printing, not when the list was computed.
    explicit TmodeForm(const TroomForm& room, QWidget* parent = nullptr);
    ~TmodeForm() override;

    // Replaces the whole list: row 0 the column titles, then one row per mode. Every row
    // is written before the row count settles, so nothing of a longer earlier list stays.
    void setModeTable(const ModeTable& table);
    // The list as the grid holds it.
    ModeTable modeTable() const;

    // The program's one printer, so the choices made in any print dialog carry over; set
    // by the main window. Without it the window keeps a printer of its own.
    std::function<QPrinter&()> printer;

    void Button1Click(); // close: hide the window
    void Button2Click(); // print the list; throws UserError when the job cannot start or finish
    void P1Click();      // the menu's print item, the same as the button
    void S1Click();      // save the list; throws UserError when the file cannot be written

    // Page header of the printed list, drawn at the top of every page.
    void ZuqSGridPrinter1BeginPage(TZuqSGridPrinter& sender);
    QString pageHeaderText() const;

    QMenuBar* MainMenu1 = nullptr;
    QMenu* F1 = nullptr;   // "ファイル(&F)"
    QAction* S1 = nullptr; // "固有モードの保存(&S)"
    QAction* P1 = nullptr; // "固有モードの印刷(&P)"
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;       // "部屋の大きさ"
    QLabel* Label2 = nullptr;       // the room size the list was computed for
    QPushButton* Button2 = nullptr; // "印刷"
    QPushButton* Button1 = nullptr; // "閉じる"
    QTableWidget* StringGrid1 = nullptr;
    TZuqSGridPrinter ZuqSGridPrinter1;

  private:
    void writeCell(int row, int column, const QString& text);

    const TroomForm& room_;
    QString saveName_; // the name the save dialog proposes: the last one chosen in it
    std::unique_ptr<QPrinter> ownPrinter_;
};

} // namespace kolmarin
