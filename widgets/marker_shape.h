#pragma once
// A marker of the room plan: a small filled square or circle with a black outline that
// reports mouse presses, moves and releases in its own pixel coordinates. While a button
// is held the marker keeps receiving the moves and the release, wherever the pointer goes.

#include <QColor>
#include <QWidget>

namespace kolmarin {

class MarkerShape : public QWidget {
    Q_OBJECT
  public:
    enum class Form { Square, Circle };
    MarkerShape(Form form, const QColor& fill, QWidget* parent = nullptr);

    Form mainWindow() const { return form_; }
    QColor fill() const { return fill_; }

  signals:
    void mouseDown(Qt::MouseButton button, QPoint position);
    void mouseMove(QPoint position);
    void mouseUp(Qt::MouseButton button, QPoint position);
    void hovered(bool inside); // the pointer came over the marker, or left it

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    Form form_;
    QColor fill_;
};

} // namespace kolmarin
