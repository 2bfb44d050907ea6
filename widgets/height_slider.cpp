#include "widgets/height_slider.h"

#include "model/layout/plan_geometry.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QWheelEvent>

namespace kolmarin {

namespace {

// The application's style with a thumb 17 pixels long, so the thumb is the same size
// whatever style the desktop brings.
class ThumbStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_SliderLength)
            return 17;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

HeightSlider::HeightSlider(QWidget* parent) : QSlider(Qt::Vertical, parent) {
    // A widget does not own the style it is given: one instance serves every slider.
    static ThumbStyle* const thumbStyle = new ThumbStyle;
    setStyle(thumbStyle);
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

QRect HeightSlider::thumbRect() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void HeightSlider::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    emit mouseUp(event->button());
}

// While the mouse holds the thumb its release commits the height; a key or the wheel
// commits only what it moved itself.
void HeightSlider::keyPressEvent(QKeyEvent* event) {
    const int before = value();
    QSlider::keyPressEvent(event);
    if (value() == before || isSliderDown())
        return;
    if (event->isAutoRepeat())
        repeatsMoved_ = true;
    else
        emit keyOrWheelMoved();
}

void HeightSlider::keyReleaseEvent(QKeyEvent* event) {
    QSlider::keyReleaseEvent(event);
    if (!event->isAutoRepeat() && repeatsMoved_) {
        repeatsMoved_ = false;
        emit keyOrWheelMoved();
    }
}

void HeightSlider::wheelEvent(QWheelEvent* event) {
    const int before = value();
    QSlider::wheelEvent(event);
    if (value() != before && !isSliderDown())
        emit keyOrWheelMoved();
}

} // namespace kolmarin
