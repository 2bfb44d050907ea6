#include "mainwindow/plan_view.h"

#include "model/layout/plan_geometry.h"

#include <QPainter>

namespace kolmarin {

PlanView::PlanView(QWidget* parent) : QWidget(parent) {
    drawEmpty();
}

void PlanView::drawEmpty() {
    showsRoom_ = false;
    resize(kPlanMaxWidth, kPlanMaxHeight);
    update();
}

void PlanView::drawRoom(int widthPx, int heightPx) {
    showsRoom_ = true;
    resize(widthPx, heightPx);
    update();
}

void PlanView::setLayer(const QImage& cells, const QRectF& area) {
    layer_ = cells;
    layerArea_ = area;
    update();
}

void PlanView::paintEvent(QPaintEvent*) {
    const int w = width();
    const int h = height();
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(0, 0, w - 1, h - 1);
    if (showsRoom_ && !layer_.isNull()) {
        // Inside the outline, each cell a sharp block.
        painter.save();
        painter.setClipRect(1, 1, w - 2, h - 2);
        painter.drawImage(layerArea_, layer_);
        painter.restore();
    }

    const QLine across(0, h / 2, w, h / 2);
    const QLine down(w / 2, 0, w / 2, h);
    painter.drawLine(across);
    painter.drawLine(down);
    if (!showsRoom_)
        return;

    painter.setPen(QPen(QColor(128, 128, 128), 1));
    for (int x : planTenths(w))
        painter.drawLine(x, 0, x, h);
    for (int y : planTenths(h))
        painter.drawLine(0, y, w, y);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(across);
    painter.drawLine(down);
}

} // namespace kolmarin
