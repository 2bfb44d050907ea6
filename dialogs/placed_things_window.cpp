#include "dialogs/placed_things_window.h"

#include "model/text/number_text.h"
#include "widgets/japanese_fonts.h"
#include "widgets/ui_support.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kolmarin {

namespace {

using Column = PlacedThingsWindow::Column;

struct ColumnInfo {
    const char* title;
    const char* tip;
};

// In Column's order, after the name.
const ColumnInfo kColumns[]{
    {"x (m)", "左の壁からの距離。入力すると、その位置に動きます (元に戻せます)。"},
    {"y (m)", "前の壁からの距離。"},
    {"z (m)", "床からの高さ。"},
    {"レベル (dB)", "サブウーファーの出力レベル (-20〜+10 dB)。"},
    {"遅延 (ms)", "サブウーファーの信号の遅れ (0〜30 ms)。"},
    {"極性", "サブウーファーの極性: + は正相、- は逆相。"},
    {"大きさ", "スピーカーの大きさ。スモール: クロスオーバーより下はサブウーファーが受け持ちます。\n"
               "ラージ: 全帯域を鳴らします。クロスオーバーがないときは、どちらも全帯域です。"},
    {"ばらつき (dB)", "座席の比較の帯域で、この座席の Total のレベルがどれだけ上下するか (標準偏差)。\n"
                      "小さいほど平坦です。座席が 2 席以上のときの、最後の計算の値です。"},
    {"平均 (dB)", "座席の比較の帯域での、この座席の Total のレベルの平均。最後の計算の値です。"},
};
constexpr int kColumnCount = 1 + static_cast<int>(std::size(kColumns));

const QString kSmall = QStringLiteral("スモール"), kLarge = QStringLiteral("ラージ");

int tableColumn(Column column) {
    return 1 + static_cast<int>(column);
}

bool isPosition(Column column) {
    return column == Column::X || column == Column::Y || column == Column::Z;
}

bool applies(const PlacedThing& thing, Column column) {
    if (isPosition(column))
        return true;
    if (column == Column::Spread || column == Column::Mean)
        return thing.kind == PlacedKind::Seat;
    if (column == Column::Size)
        return thing.kind == PlacedKind::Loudspeaker;
    return thing.kind == PlacedKind::Subwoofer;
}

QString twoDecimals(double value) {
    return QLocale().toString(value, 'f', 2);
}

// The cell's value, read as the program reads decimals and within low..high; otherwise
// a message naming the cell.
double readCell(const QString& name, const QString& text, double low, double high) {
    double value = 0;
    try {
        value = parseDecimal(toStdString(text.trimmed()), decimalSeparator());
    } catch (const UserError& e) {
        throw UserError(toStdString(name + QStringLiteral(": ") + QString::fromUtf8(e.what())));
    }
    if (!(value >= low && value <= high))
        throw UserError(toStdString(QStringLiteral("%1 は %2〜%3 の範囲で入力してください。")
                                        .arg(name, QLocale().toString(low), QLocale().toString(high))));
    return value;
}

} // namespace

PlacedThingsWindow::PlacedThingsWindow(SceneDocument& document, QWidget* parent)
    : QWidget(parent, Qt::Window), document_(document) {
    setWindowTitle(QStringLiteral("配置の一覧"));
    setFont(japaneseWindowFont());
    setObjectName(QStringLiteral("placedThingsWindow"));
    table_ = new QTableWidget(0, kColumnCount);
    table_->setObjectName(QStringLiteral("placedThingsTable"));
    auto* name = new QTableWidgetItem(QStringLiteral("名前"));
    table_->setHorizontalHeaderItem(0, name);
    for (int c = 1; c < kColumnCount; ++c) {
        auto* header = new QTableWidgetItem(QString::fromUtf8(kColumns[c - 1].title));
        header->setToolTip(QString::fromUtf8(kColumns[c - 1].tip));
        table_->setHorizontalHeaderItem(c, header);
    }
    table_->verticalHeader()->hide();
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* note = new QLabel(QStringLiteral("位置、レベル、遅延はセルに入力して Enter で変わります。"
                                           "ばらつきと平均は座席の比較の帯域での値です。"));
    note->setWordWrap(true);
    roleBox_ = new QComboBox;
    roleBox_->setObjectName(QStringLiteral("loudspeakerRoleBox"));
    auto* addButton = new QPushButton(QStringLiteral("スピーカーを追加"));
    addButton->setToolTip(QStringLiteral("選んだスピーカーを部屋に置きます。位置は表で変えられます。"));
    auto* removeButton = new QPushButton(QStringLiteral("選んだスピーカーを外す"));
    removeButton->setToolTip(QStringLiteral("表で選んだセンターかサラウンドを外します。"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(roleBox_);
    buttons->addWidget(addButton);
    buttons->addWidget(removeButton);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(table_, 1);
    layout->addWidget(note);
    connect(addButton, &QPushButton::clicked, this, commandSlot(this, [this] {
                if (roleBox_->currentIndex() >= 0)
                    addLoudspeaker(static_cast<LoudspeakerRole>(roleBox_->currentData().toInt()));
            }));
    connect(removeButton, &QPushButton::clicked, this, commandSlot(this, [this] {
                const int row = table_->currentRow();
                if (row < 0)
                    throw UserError("外すスピーカーを表で選んでください");
                removeLoudspeaker(things_.at(static_cast<std::size_t>(row)));
            }));
    resize(760, 360);

    connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_ || item->column() == 0)
            return;
        const QString text = item->text();
        runCommand(this, [&] { apply(item->row(), static_cast<Column>(item->column() - 1), text); });
    });
    connect(&document_, &SceneDocument::changed, this, &PlacedThingsWindow::refill);
    connect(&document_, &SceneDocument::calculated, this, &PlacedThingsWindow::refill);
    refill();
}

void PlacedThingsWindow::refill() {
    const BassSetup setup = document_.setup();
    const std::optional<SeatFigures>& figures = document_.result().seatFigures;
    things_ = placedThings(setup);
    filling_ = true;
    table_->setRowCount(static_cast<int>(things_.size()));
    for (int row = 0; row < static_cast<int>(things_.size()); ++row) {
        const PlacedThing& thing = things_[static_cast<std::size_t>(row)];
        const auto set = [&](int column, const QString& text, bool editable) {
            QTableWidgetItem* item = table_->item(row, column);
            if (!item) {
                item = new QTableWidgetItem;
                table_->setItem(row, column, item);
            }
            item->setText(text);
            item->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                    : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        };
        set(0, toQString(thing.label), false);
        const PositionTexts& p = positionOf(setup, thing);
        set(tableColumn(Column::X), toQString(p.x), true);
        set(tableColumn(Column::Y), toQString(p.y), true);
        set(tableColumn(Column::Z), toQString(p.z), true);
        const SubwooferSignal* signal =
            thing.kind == PlacedKind::Subwoofer
                ? &setup.subwoofers.at(static_cast<std::size_t>(thing.index - setup.loudspeakerCount()))
                : nullptr;
        set(tableColumn(Column::Level), signal ? twoDecimals(signal->levelDb) : QString(), signal);
        set(tableColumn(Column::Delay), signal ? twoDecimals(signal->delayMs) : QString(), signal);
        set(tableColumn(Column::Polarity), QString(), false);
        if (QComboBox* box =
                choiceCell(row, Column::Polarity, signal, {QStringLiteral("+"), QStringLiteral("-")}))
            box->setCurrentIndex(signal->reversed ? 1 : 0);
        const bool loudspeaker = thing.kind == PlacedKind::Loudspeaker;
        set(tableColumn(Column::Size), QString(), false);
        if (QComboBox* box = choiceCell(row, Column::Size, loudspeaker, {kSmall, kLarge}))
            box->setCurrentIndex(setup.loudspeakers.at(static_cast<std::size_t>(thing.index)).large ? 1 : 0);
        const bool seatFigures = thing.kind == PlacedKind::Seat && figures &&
                                 thing.index < static_cast<int>(figures->spread.size());
        set(tableColumn(Column::Spread),
            seatFigures ? twoDecimals(figures->spread[static_cast<std::size_t>(thing.index)]) : QString(),
            false);
        set(tableColumn(Column::Mean),
            seatFigures ? QLocale().toString(figures->mean[static_cast<std::size_t>(thing.index)], 'f', 1)
                        : QString(),
            false);
    }
    // The roles not yet placed, in their order; the one chosen stays chosen while it is.
    const QVariant chosen = roleBox_->currentData();
    roleBox_->clear();
    for (int r = static_cast<int>(LoudspeakerRole::Centre); r <= static_cast<int>(LoudspeakerRole::BackRight);
         ++r)
        if (!loudspeakerIndex(setup.loudspeakers, static_cast<LoudspeakerRole>(r)))
            roleBox_->addItem(toQString(loudspeakerName(static_cast<LoudspeakerRole>(r))), r);
    if (const int again = roleBox_->findData(chosen); again >= 0)
        roleBox_->setCurrentIndex(again);
    filling_ = false;
    table_->resizeColumnsToContents();
}

QComboBox* PlacedThingsWindow::choiceCell(int row, Column column, bool wanted, const QStringList& items) {
    const int cell = tableColumn(column);
    auto* box = qobject_cast<QComboBox*>(table_->cellWidget(row, cell));
    if (!wanted) {
        if (box)
            table_->removeCellWidget(row, cell);
        return nullptr;
    }
    if (box)
        return box;
    box = new QComboBox;
    box->addItems(items);
    // The row is looked up when chosen: rows are reused as things come and go.
    connect(box, &QComboBox::activated, this, [this, box, column](int index) {
        for (int r = 0; r < table_->rowCount(); ++r)
            if (table_->cellWidget(r, tableColumn(column)) == box)
                runCommand(this, [&] { apply(r, column, box->itemText(index)); });
    });
    table_->setCellWidget(row, cell, box);
    return box;
}

void PlacedThingsWindow::apply(int row, Column column, const QString& text) {
    const PlacedThing thing = things_.at(static_cast<std::size_t>(row));
    BassSetup setup = document_.setup();
    const char separator = decimalSeparator();
    const QString name = toQString(thing.label) + QStringLiteral(" の ") +
                         QString::fromUtf8(kColumns[static_cast<int>(column)].title);
    QString step;
    try {
        if (isPosition(column)) {
            const std::string* room[]{&setup.texts.width, &setup.texts.depth, &setup.texts.height};
            const int axis = static_cast<int>(column);
            const double value = readCell(name, text, 0.0, parseDecimal(*room[axis], separator));
            PositionTexts& p = positionOf(setup, thing);
            std::string* coordinate[]{&p.x, &p.y, &p.z};
            *coordinate[axis] = formatPosition(value, separator);
            step = toQString(thing.name) + QStringLiteral(" の移動");
        } else if (column == Column::Size) {
            setup.loudspeakers.at(static_cast<std::size_t>(thing.index)).large = text.trimmed() == kLarge;
            step = toQString(thing.label) + QStringLiteral(" の設定");
        } else {
            SubwooferSignal& signal =
                setup.subwoofers.at(static_cast<std::size_t>(thing.index - setup.loudspeakerCount()));
            if (column == Column::Level)
                signal.levelDb = readCell(name, text, kLowestSubwooferLevel, kHighestSubwooferLevel);
            else if (column == Column::Delay)
                signal.delayMs = readCell(name, text, 0.0, kLongestSubwooferDelay);
            else
                signal.reversed = text.trimmed() == QStringLiteral("-");
            step = toQString(thing.label) + QStringLiteral(" の設定");
        }
        document_.applySetup(setup, step);
    } catch (...) {
        // The cell shows what the document holds, not the refused text.
        refill();
        throw;
    }
}

int PlacedThingsWindow::rowOf(const PlacedThing& thing) const {
    for (std::size_t row = 0; row < things_.size(); ++row)
        if (things_[row] == thing)
            return static_cast<int>(row);
    throw UserError("一覧にないものです: " + thing.label);
}

void PlacedThingsWindow::edit(const PlacedThing& thing, Column column, const QString& text) {
    if (!applies(thing, column) || column == Column::Spread || column == Column::Mean)
        throw UserError("この欄は入力できません: " + thing.label);
    apply(rowOf(thing), column, text);
}

QString PlacedThingsWindow::cellText(const PlacedThing& thing, Column column) const {
    const int row = rowOf(thing);
    if (column == Column::Polarity || column == Column::Size) {
        const auto* box = qobject_cast<QComboBox*>(table_->cellWidget(row, tableColumn(column)));
        return box ? box->currentText() : QString();
    }
    return table_->item(row, tableColumn(column))->text();
}

void PlacedThingsWindow::addLoudspeaker(LoudspeakerRole role) {
    BassSetup setup = document_.setup();
    const char separator = decimalSeparator();
    const auto point = [&](const PositionTexts& p) {
        return Point3{parseDecimal(p.x, separator), parseDecimal(p.y, separator),
                      parseDecimal(p.z, separator)};
    };
    const Point3 room = point({setup.texts.width, setup.texts.depth, setup.texts.height});
    const Point3 at =
        firstPlace(role, room, point(setup.texts.sources.at(0)), point(setup.texts.seats.at(0)));
    setup = withLoudspeaker(
        setup, {role, false},
        {formatPosition(at.x, separator), formatPosition(at.y, separator), formatPosition(at.z, separator)});
    document_.applySetup(setup, toQString(loudspeakerName(role)) + QStringLiteral(" の追加"));
}

void PlacedThingsWindow::removeLoudspeaker(const PlacedThing& thing) {
    document_.applySetup(withoutLoudspeaker(document_.setup(), thing),
                         toQString(thing.name) + QStringLiteral(" を外す"));
}

} // namespace kolmarin
