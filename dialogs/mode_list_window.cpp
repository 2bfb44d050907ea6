#include "dialogs/mode_list_window.h"

#include "printing/print_job_error.h"

#include "files/mode_file.h"
#include "files/scene_document.h"
#include "model/errors.h"
#include "widgets/japanese_fonts.h"
#include "widgets/placed_controls.h"
#include "widgets/save_command.h"
#include "widgets/ui_support.h"
#include "widgets/user_dialogs.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace kolmarin {

namespace {

constexpr int kClientWidth = 312;
constexpr int kClientHeight = 468;
constexpr int kPanelHeight = 105;
constexpr int kColumnCount = 5;
constexpr int kNumberColumnWidth = 30;
constexpr int kDefaultColumnWidth = 64;
constexpr int kDefaultRowHeight = 24;
constexpr int kDecayColumnWidth = 64;

void setUpGridLook(QTableView* grid) {
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->horizontalHeader()->setDefaultSectionSize(kDefaultColumnWidth);
    grid->verticalHeader()->setDefaultSectionSize(kDefaultRowHeight);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    // Like a string grid, a text wider than its cell is cut at the cell's edge.
    grid->setTextElideMode(Qt::ElideNone);
    grid->setCornerButtonEnabled(false);
}

// A string grid whose first row is its fixed title row: it stays at the top while the
// body scrolls beneath it. The grid keeps the titles in row 0, where printing and saving
// read them; a one-row view of the same cells is laid over the top of the viewport.
class FixedTitleGrid : public QTableWidget {
  public:
    explicit FixedTitleGrid(QWidget* parent) : QTableWidget(parent), titles_(new QTableView(this)) {
        setUpGridLook(this);
        // Scrolling by pixels lets the rows slide under the title row instead of jumping
        // whole rows, so the first body row is never hidden at the top.
        setVerticalScrollMode(ScrollPerPixel);
        setUpGridLook(titles_);
        titles_->setModel(model());
        titles_->setFrameShape(QFrame::NoFrame);
        titles_->setFocusPolicy(Qt::NoFocus);
        titles_->setSelectionMode(NoSelection);
        titles_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        titles_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        titles_->viewport()->installEventFilter(this);
        connect(horizontalHeader(), &QHeaderView::sectionResized, titles_,
                [this](int column, int, int size) { titles_->setColumnWidth(column, size); });
        connect(horizontalScrollBar(), &QScrollBar::valueChanged, titles_->horizontalScrollBar(),
                &QScrollBar::setValue);
    }

  protected:
    void updateGeometries() override {
        QTableWidget::updateGeometries();
        const QRect area = viewport()->geometry();
        titles_->setGeometry(area.x(), area.y(), area.width(), rowCount() > 0 ? rowHeight(0) : 0);
        titles_->setVisible(rowCount() > 0);
        titles_->verticalScrollBar()->setValue(0);
        titles_->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
        titles_->raise();
    }

    // A cell brought into view by the keyboard must not end up under the title row.
    void scrollTo(const QModelIndex& index, ScrollHint hint) override {
        QTableWidget::scrollTo(index, hint);
        if (!index.isValid() || index.row() == 0)
            return;
        const int covered = rowHeight(0) - visualRect(index).top();
        if (covered > 0)
            verticalScrollBar()->setValue(verticalScrollBar()->value() - covered);
    }

    // The wheel over the title row scrolls the body.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == titles_->viewport() && event->type() == QEvent::Wheel) {
            wheelEvent(static_cast<QWheelEvent*>(event));
            return true;
        }
        return QTableWidget::eventFilter(watched, event);
    }

  private:
    QTableView* titles_;
};

} // namespace

ModeListWindow::ModeListWindow(const SceneDocument& document, SharedPrinter& printer, QWidget* parent)
    : QDialog(parent), document_(document), saveName_(QStringLiteral("mode.dat")), printer_(printer) {
    setObjectName(QStringLiteral("modeListWindow"));
    setWindowTitle(QStringLiteral("部屋の固有モード"));
    setFont(japaneseWindowFont(12));

    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("menuBar"));
    fileMenu_ = menuBar_->addMenu(QStringLiteral("ファイル(&F)"));
    fileMenu_->setObjectName(QStringLiteral("fileMenu"));
    fileMenu_->setFont(font()); // a popup is a window of its own and does not inherit the font
    saveModesAction_ = fileMenu_->addAction(QStringLiteral("固有モードの保存(&S)"));
    saveModesAction_->setObjectName(QStringLiteral("saveModesAction"));
    saveModesAction_->setShortcuts(QKeySequence::Save);
    printModesAction_ = fileMenu_->addAction(QStringLiteral("固有モードの印刷(&P)"));
    printModesAction_->setObjectName(QStringLiteral("printModesAction"));
    printModesAction_->setShortcuts(QKeySequence::Print);
    QMenu* viewMenu = menuBar_->addMenu(QStringLiteral("表示(&V)"));
    viewMenu->setFont(font());
    decayTimesAction_ = viewMenu->addAction(QStringLiteral("残響時間 T60 の列(&T)"));
    decayTimesAction_->setObjectName(QStringLiteral("decayTimesAction"));
    decayTimesAction_->setCheckable(true);
    decayTimesAction_->setToolTip(
        QStringLiteral("各モードが音が止まってから 60 dB 減衰するまでの時間 (秒) です。そのモードの波が"
                       "当たる壁の反射率と、壁に当たる回数から求めます。「-」は、当たる壁の反射率が 1 "
                       "で減衰しないことを示します。"));
    viewMenu->setToolTipsVisible(true);

    panel_ = new QFrame(this);
    panel_->setObjectName(QStringLiteral("panel"));
    panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel_->setFixedHeight(kPanelHeight);
    placeLabel(panel_, QStringLiteral("部屋の大きさ"), 16, 12)
        ->setObjectName(QStringLiteral("roomSizeTitle"));
    roomSizeCaption_ = placeLabel(panel_, QStringLiteral("幅　　奥行き　　高さ"), 16, 36);
    roomSizeCaption_->setObjectName(QStringLiteral("roomSizeCaption"));
    roomSizeCaption_->setFixedWidth(kClientWidth - 2 * 16);
    printButton_ = placeButton(panel_, "printButton", QStringLiteral("印刷"), QRect(16, 64, 73, 33));
    closeButton_ = placeButton(panel_, "closeButton", QStringLiteral("閉じる"),
                               QRect(kClientWidth - 16 - 65, 64, 65, 33));

    modeGrid_ = new FixedTitleGrid(this);
    modeGrid_->setObjectName(QStringLiteral("modeGrid"));
    modeGrid_->setColumnCount(kColumnCount);
    modeGrid_->setSelectionMode(QAbstractItemView::SingleSelection);
    ModeTable titlesOnly;
    titlesOnly.rows.push_back(modeTableHeader());
    setModeTable(titlesOnly);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar_);
    layout->addWidget(panel_);
    layout->addWidget(modeGrid_, 1);

    gridPrinter_.grid = modeGrid_;
    gridPrinter_.leftMargin = 25;
    gridPrinter_.topMargin = 20;
    gridPrinter_.onBeginPage = [this](GridPrinter& sender) { printPageHeader(sender); };

    connect(closeButton_, &QPushButton::clicked, this, commandSlot(this, [this] { closeWindow(); }));
    connect(printButton_, &QPushButton::clicked, this, commandSlot(this, [this] { printModes(); }));
    connect(printModesAction_, &QAction::triggered, this, commandSlot(this, [this] { printModes(); }));
    connect(saveModesAction_, &QAction::triggered, this, commandSlot(this, [this] { saveModes(); }));
    connect(decayTimesAction_, &QAction::toggled, this, &ModeListWindow::modesRequested);

    setTabOrder(closeButton_, printButton_);
    setTabOrder(printButton_, modeGrid_);
    closeButton_->setFocus();

    // The width is fixed by the columns (setModeTable); only the height follows the user.
    const int menuHeight = menuBar_->sizeHint().height();
    setMinimumHeight(menuHeight + kPanelHeight + 2 * kDefaultRowHeight);
    resize(minimumWidth(), menuHeight + kClientHeight);
    centreOnScreen(*this, QGuiApplication::primaryScreen(), size());
}

void ModeListWindow::writeCell(int row, int column, const QString& text) {
    QTableWidgetItem* cell = modeGrid_->item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        // The title row and the number column are fixed cells: they show the face colour
        // of the window's buttons and cannot be selected.
        if (row == 0 || column == 0) {
            cell->setFlags(Qt::ItemIsEnabled);
            cell->setBackground(modeGrid_->palette().brush(QPalette::Button));
        } else {
            cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        }
        cell->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        modeGrid_->setItem(row, column, cell);
    }
    cell->setText(text);
}

void ModeListWindow::setModeTable(const ModeTable& table) {
    const int rows = static_cast<int>(table.rows.size());
    modeGrid_->setUpdatesEnabled(false);
    if (rows > modeGrid_->rowCount())
        modeGrid_->setRowCount(rows);
    const bool decay = !table.decay.empty();
    modeGrid_->setColumnCount(kColumnCount + (decay ? 1 : 0));
    for (int r = 0; r < rows; ++r) {
        const ModeRow& row = table.rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < kColumnCount; ++c)
            writeCell(r, c, toQString(row[static_cast<std::size_t>(c)]));
        if (decay && static_cast<std::size_t>(r) < table.decay.size())
            writeCell(r, kColumnCount, toQString(table.decay[static_cast<std::size_t>(r)]));
    }
    modeGrid_->setRowCount(rows);
    modeGrid_->setColumnWidth(0, kNumberColumnWidth);
    // A column is as wide as its title needs ("モード(奥行)" takes more than the 64 pixels of
    // the others in some fonts), and the window as wide as its columns.
    int columnsWidth = kNumberColumnWidth;
    for (int c = 1; c < modeGrid_->columnCount(); ++c) {
        const QTableWidgetItem* title = modeGrid_->item(0, c);
        const int needed = title ? modeGrid_->fontMetrics().horizontalAdvance(title->text()) + 8 : 0;
        const int width = std::max(c < kColumnCount ? kDefaultColumnWidth : kDecayColumnWidth, needed);
        modeGrid_->setColumnWidth(c, width);
        columnsWidth += width;
    }
    modeGrid_->setUpdatesEnabled(true);
    constexpr int kFrameWidth = kClientWidth - kNumberColumnWidth - (kColumnCount - 1) * kDefaultColumnWidth;
    setFixedWidth(columnsWidth + kFrameWidth);
}

bool ModeListWindow::showsDecayTimes() const {
    return decayTimesAction_->isChecked();
}

ModeTable ModeListWindow::modeTable() const {
    ModeTable table;
    table.rows.resize(static_cast<std::size_t>(modeGrid_->rowCount()));
    for (int r = 0; r < modeGrid_->rowCount(); ++r) {
        for (int c = 0; c < kColumnCount; ++c) {
            if (const QTableWidgetItem* cell = modeGrid_->item(r, c))
                table.rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] =
                    toStdString(cell->text());
        }
        if (modeGrid_->columnCount() > kColumnCount) {
            const QTableWidgetItem* cell = modeGrid_->item(r, kColumnCount);
            table.decay.push_back(cell ? toStdString(cell->text()) : std::string());
        }
    }
    return table;
}

ModeListWindow::~ModeListWindow() = default;

void ModeListWindow::closeWindow() {
    hide();
}

void ModeListWindow::printModes() {
    QPrinter& job = printer_.printer();
    if (!askPrint(this, job))
        return;
    QPainter painter;
    if (!painter.begin(&job))
        throw printJobError(PrintFailure::NotStarted, job);
    gridPrinter_.print(job, painter);
    endPrintJob(painter, job);
}

QString ModeListWindow::pageHeaderText() const {
    const SceneTexts& texts = document_.texts();
    return QStringLiteral("部屋の基準振動モード　部屋の幅：") + toQString(texts.width) +
           QStringLiteral("m  奥行：") + toQString(texts.depth) + QStringLiteral("m  高さ：") +
           toQString(texts.height) + QStringLiteral("m");
}

void ModeListWindow::printPageHeader(GridPrinter& sender) {
    QPainter* canvas = sender.canvas();
    if (!canvas)
        return;
    // Printer dots count from the top-left corner of the printable area.
    const int left = sender.mmToPrinterX(25);
    const int top = sender.mmToPrinterY(10);
    canvas->drawText(QPoint(left, top + canvas->fontMetrics().ascent()), pageHeaderText());
}

void ModeListWindow::saveModes() {
    // The room size comes from the document's texts as typed now; a text the file cannot
    // hold is refused before the user is asked for a name.
    const QByteArray bytes = modeFileBytes(document_.texts(), modeTable());
    saveThroughDialog(
        this,
        {QStringLiteral("固有モードデータファイル(*.dat)"), QStringLiteral("*.dat"), QString(), QString()},
        saveName_, bytes);
}

void ModeListWindow::setRoomSizeCaption(const QString& caption) {
    roomSizeCaption_->setText(caption);
}

} // namespace kolmarin
