#pragma once
// Controls put at fixed places in a window, as every window of the program lays out its
// controls by the pixel, and a window put in the middle of the screen.

#include <QFrame>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QRect;
class QScreen;
class QSize;
class QWidget;

namespace kolmarin {

// A label of its text's natural size with its top-left corner at (x, y).
QLabel* placeLabel(QWidget* parent, const QString& text, int x, int y);
// A new text for a placed label, which takes the new text's natural size.
void setCaption(QLabel* label, const QString& text);

// A sunken frame of `shape` (a box or a panel) that groups the controls drawn over it;
// made before them, it lies beneath them.
QFrame* placeBevel(QWidget* parent, QFrame::Shape shape, const QRect& geometry);

// An edit box and a push button, each found by its object name `name`. Enter in a box
// must not press whichever button last had the focus, so the button is never the
// automatic default.
QLineEdit* placeEdit(QWidget* parent, const char* name, const QString& text, const QRect& geometry);
QPushButton* placeButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry);

// Moves `window` so that a frame of size `outer` stands in the middle of the screen's
// available area; without a screen the window stays where it is.
void centreOnScreen(QWidget& window, const QScreen* screen, const QSize& outer);

} // namespace kolmarin
