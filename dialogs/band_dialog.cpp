#include "dialogs/band_dialog.h"

#include "widgets/japanese_fonts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kolmarin {

std::optional<Band> askBand(QWidget* parent, Band current, const QString& title) {
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setFont(japaneseWindowFont());
    dialog.setObjectName(QStringLiteral("bandDialog"));
    QSpinBox* boxes[2]{};
    auto* row = new QHBoxLayout;
    const int values[]{current.low, current.high};
    const char* names[]{"bandLowBox", "bandHighBox"};
    for (int i = 0; i < 2; ++i) {
        boxes[i] = new QSpinBox;
        boxes[i]->setRange(kLowestFrequency, kHighestFrequency);
        boxes[i]->setValue(values[i]);
        boxes[i]->setSuffix(QStringLiteral(" Hz"));
        boxes[i]->setObjectName(QString::fromLatin1(names[i]));
        row->addWidget(boxes[i]);
        if (i == 0)
            row->addWidget(new QLabel(QStringLiteral("–")));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    auto* column = new QVBoxLayout(&dialog);
    column->addWidget(new QLabel(QStringLiteral("ばらつきを求める帯域 (10–500 Hz、整数)")));
    column->addLayout(row);
    column->addWidget(buttons);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    const auto check = [&] { ok->setEnabled(boxes[0]->value() < boxes[1]->value()); };
    for (QSpinBox* box : boxes)
        QObject::connect(box, &QSpinBox::valueChanged, &dialog, check);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return Band{boxes[0]->value(), boxes[1]->value()};
}

} // namespace kolmarin
