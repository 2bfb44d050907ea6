#include "mainwindow/nudge_box.h"

#include <QApplication>
#include <QKeyEvent>

namespace kolmarin {

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
