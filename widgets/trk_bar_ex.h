#pragma once
// The height slider: a vertical slider from 0 at the top (the ceiling) to 100 at the
// bottom (the floor) that also reports the release of a mouse button pressed on it, the
// moment a slid height is committed.

#include <QSlider>

namespace kolmarin {

class TTrackBarEx : public QSlider {
    Q_OBJECT
  public:
    explicit TTrackBarEx(QWidget* parent = nullptr);

    // Where the thumb is drawn now, in the slider's own pixels.
    QRect thumbRect() const;

  signals:
    void mouseUp(Qt::MouseButton button);

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace kolmarin
