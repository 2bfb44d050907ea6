#pragma once
// The table of placed things: every loudspeaker, subwoofer and seat of the document's
// scene in one list, with its position and, where it has them, its level, delay, polarity
// and size (large or small), and each seat's figures from the latest calculation. A
// centre and surrounds are added and taken away here. A value typed into a cell
// is checked, then applied to the document as one step the edit menu can take back; the
// plan, the chart and the other windows follow the document.

#include "files/scene_document.h"
#include "model/acoustics/placed_things.h"

#include <QWidget>

#include <vector>

class QComboBox;
class QTableWidget;

namespace kolmarin {

class PlacedThingsWindow : public QWidget {
    Q_OBJECT
  public:
    // The table's columns after the name.
    enum class Column { X, Y, Z, Level, Delay, Polarity, Size, Spread, Mean };

    explicit PlacedThingsWindow(SceneDocument& document, QWidget* parent = nullptr);

    // Enters `text` in `thing`'s cell of `column` as a user would ("-" or "+" for the
    // polarity, "ラージ" or "スモール" for the size) and applies it. Throws UserError when
    // the text is refused or the document cannot take it; the cell then shows the
    // document's value again.
    void edit(const PlacedThing& thing, Column column, const QString& text);
    // What `thing`'s cell of `column` shows; empty where the column does not apply.
    QString cellText(const PlacedThing& thing, Column column) const;
    // スピーカーを追加: a loudspeaker of `role` where firstPlace puts it, as one step.
    void addLoudspeaker(LoudspeakerRole role);
    // 外す: takes a centre or surround away, as one step.
    void removeLoudspeaker(const PlacedThing& thing);

  private:
    void refill(); // the rows as the document holds them
    // The choice box in `row`'s cell of `column`, made with `items` when `wanted`; none otherwise.
    QComboBox* choiceCell(int row, Column column, bool wanted, const QStringList& items);
    void apply(int row, Column column, const QString& text);
    int rowOf(const PlacedThing& thing) const;

    SceneDocument& document_;
    QTableWidget* table_ = nullptr;
    QComboBox* roleBox_ = nullptr; // the roles not yet placed
    std::vector<PlacedThing> things_;
    bool filling_ = false;
};

} // namespace kolmarin
