#include "dialogs/subwoofer_dialog.h"

#include "model/acoustics/crossover.h"
#include "model/text/number_text.h"
#include "widgets/japanese_fonts.h"
#include "widgets/ui_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace kolmarin {

namespace {

constexpr int kMostSubwoofers = 4;
// A new subwoofer stands where one is usually put first: on the floor at the middle of
// the front wall, clear of it by a cabinet's depth.
constexpr double kWallGap = 0.30;

const char* const kColumnNames[5]{"x", "y", "z", "level", "delay"};
const char* const kColumnTitles[5]{"x (m)", "y (m)", "z (m)", "レベル (dB)", "遅延 (ms)"};

QString number(double value) {
    return QLocale().toString(value, 'f', 2);
}

// The box's value, which must lie in low..high; otherwise a message naming the box.
double readInRange(QLineEdit* box, const QString& name, double low, double high) {
    double value = 0;
    try {
        value = readDecimalBox(box);
    } catch (const BoxTextError& e) {
        throw BoxTextError(toStdString(name + QStringLiteral(": ") + QString::fromUtf8(e.what())), box);
    }
    if (!(value >= low && value <= high))
        throw BoxTextError(toStdString(QStringLiteral("%1 は %2〜%3 の範囲で入力してください。")
                                           .arg(name, QLocale().toString(low), QLocale().toString(high))),
                           box);
    return value;
}

} // namespace

SubwooferDialog::SubwooferDialog(SceneDocument& document, QWidget* parent)
    : QDialog(parent), document_(document), setup_(document.setup()) {
    setWindowTitle(QStringLiteral("サブウーファーとクロスオーバー"));
    setObjectName(QStringLiteral("subwooferDialog"));
    setFont(japaneseWindowFont());
    auto* column = new QVBoxLayout(this);
    grid_ = new QGridLayout;
    column->addLayout(grid_);
    addButton_ = new QPushButton(QStringLiteral("追加"));
    addButton_->setObjectName(QStringLiteral("addSubwooferButton"));
    connect(addButton_, &QPushButton::clicked, this, [this] { addSubwoofer(); });
    column->addWidget(addButton_, 0, Qt::AlignLeft);

    auto* crossoverRow = new QHBoxLayout;
    crossoverCheck_ = new QCheckBox(QStringLiteral("クロスオーバー"));
    crossoverCheck_->setObjectName(QStringLiteral("crossoverCheck"));
    crossoverBox_ = new QLineEdit;
    crossoverBox_->setObjectName(QStringLiteral("crossoverBox"));
    crossoverBox_->setMaximumWidth(60);
    crossoverCheck_->setChecked(setup_.crossover != 0);
    crossoverBox_->setText(QString::number(setup_.crossover != 0 ? setup_.crossover : 80));
    crossoverBox_->setEnabled(crossoverCheck_->isChecked());
    connect(crossoverCheck_, &QCheckBox::toggled, crossoverBox_, &QLineEdit::setEnabled);
    crossoverRow->addWidget(crossoverCheck_);
    crossoverRow->addWidget(crossoverBox_);
    crossoverRow->addWidget(
        new QLabel(QStringLiteral("Hz (%1〜%2)").arg(kLowestCrossover).arg(kHighestCrossover)));
    crossoverRow->addStretch();
    column->addLayout(crossoverRow);

    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Apply | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Apply)->setText(QStringLiteral("適用"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    column->addWidget(buttons);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, [this] { apply(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (apply())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    for (int i = 0; i < setup_.subwooferCount(); ++i)
        addRow(setup_.texts.sources.at(setup_.loudspeakers.size() + static_cast<std::size_t>(i)),
               setup_.subwoofers[static_cast<std::size_t>(i)]);
    layRows();
}

void SubwooferDialog::addRow(const PositionTexts& position, const SubwooferSignal& signal) {
    Row row;
    const QString texts[5]{toQString(position.x), toQString(position.y), toQString(position.z),
                           number(signal.levelDb), number(signal.delayMs)};
    for (int c = 0; c < 5; ++c) {
        row.boxes[c] = new QLineEdit(texts[c].trimmed());
        row.boxes[c]->setFixedWidth(64);
    }
    row.polarity = new QComboBox;
    row.polarity->addItems({QStringLiteral("+"), QStringLiteral("−")});
    row.polarity->setCurrentIndex(signal.reversed ? 1 : 0);
    row.remove = new QPushButton(QStringLiteral("削除"));
    QPushButton* remove = row.remove;
    connect(remove, &QPushButton::clicked, this, [this, remove] {
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i].remove == remove)
                removeSubwoofer(static_cast<int>(i));
    });
    rows_.push_back(row);
}

// The rows are named by their place, so SW numbers close up after a removal.
void SubwooferDialog::layRows() {
    while (QLayoutItem* item = grid_->takeAt(0)) {
        if (QWidget* widget = item->widget(); widget && qobject_cast<QLabel*>(widget))
            widget->deleteLater();
        delete item;
    }
    for (int c = 0; c < 5; ++c)
        grid_->addWidget(new QLabel(QString::fromUtf8(kColumnTitles[c])), 0, c + 1);
    grid_->addWidget(new QLabel(QStringLiteral("極性")), 0, 6);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const int r = static_cast<int>(i) + 1;
        grid_->addWidget(new QLabel(QStringLiteral("SW%1").arg(r)), r, 0);
        for (int c = 0; c < 5; ++c) {
            rows_[i].boxes[c]->setObjectName(
                QStringLiteral("sw%1_%2Box").arg(r).arg(QString::fromLatin1(kColumnNames[c])));
            grid_->addWidget(rows_[i].boxes[c], r, c + 1);
        }
        rows_[i].polarity->setObjectName(QStringLiteral("sw%1_polarityBox").arg(r));
        grid_->addWidget(rows_[i].polarity, r, 6);
        grid_->addWidget(rows_[i].remove, r, 7);
    }
    if (rows_.empty())
        grid_->addWidget(new QLabel(QStringLiteral("サブウーファーはありません。")), 1, 0, 1, 7);
    addButton_->setEnabled(rows_.size() < std::size_t{kMostSubwoofers});
}

void SubwooferDialog::addSubwoofer() {
    if (rows_.size() >= std::size_t{kMostSubwoofers})
        return;
    const char separator = decimalSeparator();
    double width = 0;
    try {
        width = parseDecimal(setup_.texts.width, separator);
    } catch (const UserError&) {
        // The room's width is checked when the setup is applied; any place will do meanwhile.
    }
    addRow({formatPosition(width / 2, separator), formatPosition(kWallGap, separator),
            formatPosition(kWallGap, separator)},
           {});
    layRows();
}

void SubwooferDialog::removeSubwoofer(int i) {
    Row row = rows_.at(static_cast<std::size_t>(i));
    rows_.erase(rows_.begin() + i);
    for (QWidget* widget : {static_cast<QWidget*>(row.polarity), static_cast<QWidget*>(row.remove)})
        widget->deleteLater();
    for (QLineEdit* box : row.boxes)
        box->deleteLater();
    layRows();
}

BassSetup SubwooferDialog::readSetup() const {
    const char separator = decimalSeparator();
    const double room[3]{parseDecimal(setup_.texts.width, separator),
                         parseDecimal(setup_.texts.depth, separator),
                         parseDecimal(setup_.texts.height, separator)};
    BassSetup setup = withSubwoofersOf(setup_, {});
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        const QString name = QStringLiteral("SW%1 の ").arg(i + 1);
        double values[5]{};
        for (int c = 0; c < 3; ++c)
            values[c] = readInRange(row.boxes[c], name + QString::fromUtf8(kColumnTitles[c]), 0.0, room[c]);
        values[3] = readInRange(row.boxes[3], name + QString::fromUtf8(kColumnTitles[3]),
                                kLowestSubwooferLevel, kHighestSubwooferLevel);
        values[4] = readInRange(row.boxes[4], name + QString::fromUtf8(kColumnTitles[4]), 0.0,
                                kLongestSubwooferDelay);
        setup.texts.sources.push_back({formatPosition(values[0], separator),
                                       formatPosition(values[1], separator),
                                       formatPosition(values[2], separator)});
        setup.subwoofers.push_back({values[3], values[4], row.polarity->currentIndex() == 1});
    }
    setup.crossover = 0;
    if (crossoverCheck_->isChecked()) {
        const QString name = QStringLiteral("クロスオーバー周波数 (Hz)");
        const double crossover = readInRange(crossoverBox_, name, kLowestCrossover, kHighestCrossover);
        if (crossover != std::floor(crossover))
            throw BoxTextError(toStdString(name + QStringLiteral(" は整数で入力してください。")),
                               crossoverBox_);
        setup.crossover = static_cast<int>(crossover);
    }
    return setup;
}

bool SubwooferDialog::apply() {
    return runCommand(this, [this] {
        const BassSetup chosen = readSetup();
        BassSetup setup = withSubwoofersOf(document_.setup(), chosen);
        setup.crossover = chosen.crossover;
        document_.applySetup(setup, QStringLiteral("サブウーファーとクロスオーバー"));
        setup_ = chosen;
    });
}

} // namespace kolmarin
