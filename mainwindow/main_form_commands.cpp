// The main window's menu commands: each hands over to the window or file command that
// does the work.
#include "dialogs/about_box.h"
#include "dialogs/eigenmode_command.h"
#include "dialogs/graphset_form.h"
#include "dialogs/mode_form.h"
#include "dialogs/room_form.h"
#include "mainwindow/help_file.h"
#include "mainwindow/main_form.h"
#include "printing/graph_print.h"

#include <QPrinter>

namespace kolmarin {

namespace {

void bringForward(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

QPrinter& TForm1::printer() {
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TForm1::roomDateOpenMClick() {
    // The window follows the scene after a load, a cancelled dialog or a refused file
    // alike; only a file that could not be read leaves it as it was.
    if (room().O1Click() != OpenOutcome::IoError)
        ApplyScene();
}

void TForm1::roomSaveMClick() {
    room().S1Click();
}

void TForm1::S1Click() {
    resultFile_.run(this, sceneTexts(), curves_, computed_);
}

void TForm1::PrintClick() {
    printGraph(*this, *Chart1, sceneTexts(), printer());
}

void TForm1::F2Click() {
    printWholeWindow(*this, *centralWidget(), printer());
}

void TForm1::X1Click() {
    close();
}

void TForm1::M1Click() {
    computeAndShowEigenmodes(room(), modes());
}

void TForm1::R1Click() {
    bringForward(room());
}

void TForm1::G1Click() {
    bringForward(graphset());
}

void TForm1::Kolmarin1Click() {
    openHelpFile(this);
}

void TForm1::N3Click() {
    about().exec();
}

} // namespace kolmarin
