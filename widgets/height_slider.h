#pragma once
// The height slider: a vertical slider from 0 at the top (the ceiling) to 100 at the
// bottom (the floor) that also reports when a move is complete, the moment a slid height
// is committed: the release of a mouse button pressed on it, and each move by a key or
// by the wheel.

#include <QSlider>

namespace kolmarin {

class HeightSlider : public QSlider {
    Q_OBJECT
  public:
    explicit HeightSlider(QWidget* parent = nullptr);

    // Where the thumb is drawn now, in the slider's own pixels.
    QRect thumbRect() const;

  signals:
    void mouseUp(Qt::MouseButton button);
    // A key or a wheel turn moved the thumb. A key held down reports its first move and
    // then, at its release, the moves of its repeats.
    void keyOrWheelMoved();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    bool repeatsMoved_ = false;
};

} // namespace kolmarin
