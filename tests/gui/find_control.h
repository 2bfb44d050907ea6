#pragma once
// A window's control found by its object name, for the tests that must reach the widget a
// user's key, click or typing would reach. A missing control ends the test program.

#include <QObject>
#include <QString>

namespace kolmarin::testing {

template <class Control> Control* control(const QObject& window, const char* name) {
    auto* found = window.findChild<Control*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control named %s", name);
    return found;
}

} // namespace kolmarin::testing
