#include "mainwindow/trk_bar_ex.h"

#include "model/plan_geometry.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace kolmarin {

TTrackBarEx::TTrackBarEx(QWidget* parent) : QSlider(Qt::Vertical, parent) {
    setRange(0, kSliderMax);
    setTickInterval(10);
    setTickPosition(QSlider::TicksRight);
    setSingleStep(1);
    setPageStep(10);
    // Position 0 stands at the top; the arrow keys and the wheel move the thumb the way
    // they point.
    setInvertedAppearance(true);
    setInvertedControls(true);
    // Reachable by mouse only, never by Tab.
    setFocusPolicy(Qt::ClickFocus);
}

QRect TTrackBarEx::thumbRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void TTrackBarEx::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    emit mouseUp(event->button());
}

} // namespace kolmarin
