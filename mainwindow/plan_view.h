#pragma once
// The room plan: the floor seen from above, white, divided into ten by ten
// equal cells by thin grey lines, with the two centre lines drawn heavy over them. Before
// the first room is laid out it shows the full 305 × 417 area with thin centre lines only.

#include <QWidget>

namespace kolmarin {

class PlanView : public QWidget {
    Q_OBJECT
  public:
    explicit PlanView(QWidget* parent = nullptr);

    // The empty plan of a window that has no room yet.
    void drawEmpty();
    // The plan of a room `widthPx` × `heightPx` pixels large.
    void drawRoom(int widthPx, int heightPx);

    bool showsRoom() const { return showsRoom_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool showsRoom_ = false;
};

} // namespace kolmarin
