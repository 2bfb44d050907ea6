#pragma once
// The hourglass for the length of one command, also when it stops with an error.

#include <QApplication>

namespace kolmarin {

class BusyCursor {
  public:
    BusyCursor() {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // Hand the new cursor to the window system now: the command holds the event loop
        // until it ends. User input stays queued.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace kolmarin
