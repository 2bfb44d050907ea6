#pragma once
// The room plan: the floor seen from above, white, divided into ten by ten
// equal cells by thin grey lines, with the two centre lines drawn heavy over them. Before
// the first room is laid out it shows the full 305 × 417 area with thin centre lines only.

#include <QImage>
#include <QRectF>
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

    // A colour layer under the grid lines of a room's plan (the response map): `cells`
    // stretched over `area`, in the plan's pixels. A null image takes it away.
    void setLayer(const QImage& cells, const QRectF& area);
    bool hasLayer() const { return !layer_.isNull(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool showsRoom_ = false;
    QImage layer_;
    QRectF layerArea_;
};

} // namespace kolmarin
