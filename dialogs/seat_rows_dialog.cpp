#include "dialogs/seat_rows_dialog.h"

#include "model/acoustics/bass_setup.h"
#include "widgets/japanese_fonts.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>

namespace kolmarin {

std::optional<SeatRowsChoice> askSeatRows(QWidget* parent, const SeatRowsChoice& current) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("座席を並べる"));
    dialog.setFont(japaneseWindowFont());
    dialog.setObjectName(QStringLiteral("seatRowsDialog"));
    auto* pattern = new QComboBox;
    pattern->addItems({QStringLiteral("横一列 (聴取者の左右)"), QStringLiteral("格子 (聴取者の前後左右)")});
    pattern->setCurrentIndex(current.pattern == SeatPattern::Grid ? 1 : 0);
    pattern->setObjectName(QStringLiteral("seatPatternBox"));
    auto* count = new QSpinBox;
    count->setRange(1, kMostExtraSeats);
    count->setValue(current.count);
    count->setSuffix(QStringLiteral(" 席"));
    count->setObjectName(QStringLiteral("seatCountBox"));
    auto* spacing = new QDoubleSpinBox;
    spacing->setRange(0.30, 3.00);
    spacing->setSingleStep(0.05);
    spacing->setValue(current.spacing);
    spacing->setSuffix(QStringLiteral(" m"));
    spacing->setObjectName(QStringLiteral("seatSpacingBox"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("並べ方"), pattern);
    form->addRow(QStringLiteral("聴取者のほかに"), count);
    form->addRow(QStringLiteral("間隔"), spacing);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return SeatRowsChoice{pattern->currentIndex() == 1 ? SeatPattern::Grid : SeatPattern::Row, count->value(),
                          spacing->value()};
}

} // namespace kolmarin
