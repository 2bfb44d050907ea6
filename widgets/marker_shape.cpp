#include "widgets/marker_shape.h"

#include "model/layout/plan_geometry.h"

#include <QMouseEvent>
#include <QPainter>

namespace kolmarin {

MarkerShape::MarkerShape(Form form, const QColor& fill, QWidget* parent)
    : QWidget(parent), form_(form), fill_(fill) {
    // The whole square takes the mouse, also around a circle, so the topmost of two
    // overlapping markers is the one that moves.
    setFixedSize(kMarkerSize, kMarkerSize);
}

void MarkerShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(fill_);
    const QRect outline(0, 0, width() - 1, height() - 1);
    if (form_ == Form::Circle) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.drawEllipse(QRectF(outline).adjusted(0.5, 0.5, -0.5, -0.5));
    } else {
        painter.drawRect(outline);
    }
}

void MarkerShape::mousePressEvent(QMouseEvent* event) {
    emit mouseDown(event->button(), event->position().toPoint());
}

void MarkerShape::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMove(event->position().toPoint());
}

void MarkerShape::mouseReleaseEvent(QMouseEvent* event) {
    emit mouseUp(event->button(), event->position().toPoint());
}

void MarkerShape::enterEvent(QEnterEvent*) {
    emit hovered(true);
}

void MarkerShape::leaveEvent(QEvent*) {
    emit hovered(false);
}

} // namespace kolmarin
