#include "mainwindow/nudge_box.h"

#include <QApplication>
#include <QKeyEvent>

namespace kolmarin {

namespace {

bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
    case Qt::Key_CapsLock:
        return true;
    default:
        return false;
    }
}

} // namespace

NudgeBox::NudgeBox(const QString& name, QWidget* parent) : QLineEdit(name, parent) {
    setReadOnly(true);
    setFocusPolicy(Qt::StrongFocus);
    setBackground(idleColour());
}

QColor NudgeBox::idleColour() const {
    return QApplication::palette("QMenu").color(QPalette::Window);
}

void NudgeBox::setBackground(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

void NudgeBox::keyPressEvent(QKeyEvent* event) {
    QLineEdit::keyPressEvent(event);
    if (!isModifierKey(event->key()))
        emit keyDown(event->key(), event->modifiers());
}

void NudgeBox::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    setBackground(focusColour());
}

void NudgeBox::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    setBackground(idleColour());
}

} // namespace kolmarin
