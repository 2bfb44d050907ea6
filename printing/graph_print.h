#pragma once
// The two print commands of the main window's file menu: the response chart on a
// landscape page with the scene written in its foot, and a picture of the whole window.
// Both ask with the print dialog first; a job that cannot be printed throws UserError.

class QPrinter;

namespace kolmarin {

class TForm1;

// Prints Chart1 with the five scene lines in its foot on one landscape page, as the job
// "Chart1", in the page area whose margins follow print_geometry.h. The printer's
// orientation and job name are set back afterwards and the foot is emptied again, also
// when the job failed (it is then aborted).
void printGraph(TForm1& form, QPrinter& printer);

// Sets the printer to landscape before the dialog (so a choice made there wins and stays
// afterwards), then prints the window's client area, without its menu bar, at the size it
// has on screen, centred on the page.
void printWholeWindow(TForm1& form, QPrinter& printer);

} // namespace kolmarin
