#pragma once
// The subwoofers and the crossover: up to four subwoofers, each with its position, level,
// delay and polarity, and the crossover frequency (or none). 適用 and OK apply them to the
// document's setup as one step; a box that cannot be read, or holds a value out of its
// range, is refused with a message naming it, and nothing is applied.

#include "files/scene_document.h"
#include "model/acoustics/bass_setup.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;

namespace kolmarin {

class SubwooferDialog : public QDialog {
  public:
    // Shows the subwoofers and the crossover of the document's setup. The room, the
    // loudspeakers and the seats stay as they are, however they move while the dialog is open.
    explicit SubwooferDialog(SceneDocument& document, QWidget* parent = nullptr);

    // The setup as the boxes say; throws BoxTextError naming the first bad box.
    BassSetup readSetup() const;
    void addSubwoofer();         // 追加: at the front wall's midpoint
    void removeSubwoofer(int i); // 削除
    bool apply();                // 適用: false when a box was refused
    int subwooferCount() const { return static_cast<int>(rows_.size()); }

  private:
    struct Row {
        QLineEdit* boxes[5]{}; // x, y, z, level, delay
        QComboBox* polarity = nullptr;
        QPushButton* remove = nullptr;
    };
    void addRow(const PositionTexts& position, const SubwooferSignal& signal);
    void layRows();

    SceneDocument& document_;
    BassSetup setup_;
    std::vector<Row> rows_;
    QGridLayout* grid_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QCheckBox* crossoverCheck_ = nullptr;
    QLineEdit* crossoverBox_ = nullptr;
};

} // namespace kolmarin
