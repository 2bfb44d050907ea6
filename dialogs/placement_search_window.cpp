#include "dialogs/placement_search_window.h"

#include "widgets/current_delivery.h"

#include "model/acoustics/number_text.h"
#include "widgets/japanese_fonts.h"
#include "widgets/ui_support.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>

namespace kolmarin {

namespace {

QDoubleSpinBox* numberBox(double low, double high, double value, int decimals, double step,
                          const QString& suffix) {
    auto* box = new QDoubleSpinBox;
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setSingleStep(step);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

QSpinBox* hertzBox(int value) {
    auto* box = new QSpinBox;
    box->setRange(10, 500);
    box->setValue(value);
    box->setSuffix(QStringLiteral(" Hz"));
    return box;
}

QString decibels(double value) {
    return std::isnan(value) ? QStringLiteral("不明") : QLocale().toString(value, 'f', 2);
}

// The positions as the read-outs would show them.
QString metres(double value) {
    return toQString(formatPosition(value, decimalSeparator()));
}

} // namespace

PlacementSearchWindow::PlacementSearchWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("配置の探索"));
    setFont(japaneseWindowFont());
    setObjectName(QStringLiteral("placementSearchWindow"));

    layoutBox_ = new QComboBox;
    layoutBox_->addItems(
        {QStringLiteral("ステレオ"), QStringLiteral("聴取者のみ"), QStringLiteral("スピーカー対のみ")});
    wallBox_ = numberBox(0.0, 2.0, 0.30, 2, 0.05, QStringLiteral(" m"));
    behindBox_ = numberBox(0.0, 5.0, 0.5, 2, 0.1, QStringLiteral(" m"));
    narrowestBox_ = numberBox(1.0, 179.0, 50.0, 0, 1.0, QStringLiteral("°"));
    widestBox_ = numberBox(1.0, 179.0, 70.0, 0, 1.0, QStringLiteral("°"));
    lowBox_ = hertzBox(20);
    highBox_ = hertzBox(200);

    auto* angles = new QHBoxLayout;
    angles->addWidget(narrowestBox_);
    angles->addWidget(new QLabel(QStringLiteral("–")));
    angles->addWidget(widestBox_);
    auto* band = new QHBoxLayout;
    band->addWidget(lowBox_);
    band->addWidget(new QLabel(QStringLiteral("–")));
    band->addWidget(highBox_);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("配置"), layoutBox_);
    form->addRow(QStringLiteral("壁からの距離"), wallBox_);
    form->addRow(QStringLiteral("スピーカーの線からの距離"), behindBox_);
    form->addRow(QStringLiteral("見込み角"), angles);
    form->addRow(QStringLiteral("帯域"), band);

    startButton_ = new QPushButton(QStringLiteral("探索"));
    cancelButton_ = new QPushButton(QStringLiteral("中止"));
    cancelButton_->setEnabled(false);
    progressBar_ = new QProgressBar;
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    timeLeftLabel_ = new QLabel;
    auto* run = new QHBoxLayout;
    run->addWidget(startButton_);
    run->addWidget(cancelButton_);
    run->addWidget(progressBar_, 1);
    run->addWidget(timeLeftLabel_);

    currentLabel_ = new QLabel;
    resultTable_ = new QTableWidget(0, 9);
    resultTable_->setHorizontalHeaderLabels(
        {QStringLiteral("順位"), QStringLiteral("SP1 x"), QStringLiteral("SP1 y"), QStringLiteral("SP2 x"),
         QStringLiteral("SP2 y"), QStringLiteral("聴取者 x"), QStringLiteral("聴取者 y"),
         QStringLiteral("ばらつき dB"), QStringLiteral("頑健性 dB")});
    resultTable_->verticalHeader()->hide();
    // The rank keeps the width of its header; the positions and figures share the rest of
    // the window's width, however wide the user makes it.
    resultTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    resultTable_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    resultTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    resultTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    applyButton_ = new QPushButton(QStringLiteral("適用"));
    applyButton_->setEnabled(false);
    auto* foot = new QHBoxLayout;
    foot->addWidget(currentLabel_, 1);
    foot->addWidget(applyButton_);

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addLayout(run);
    column->addWidget(resultTable_, 1);
    column->addLayout(foot);
    resize(660, 600); // room for the ten rows without scrolling

    const std::pair<QObject*, const char*> names[]{{layoutBox_, "layoutBox"},
                                                   {wallBox_, "wallClearanceBox"},
                                                   {behindBox_, "listenerBehindBox"},
                                                   {narrowestBox_, "narrowestBox"},
                                                   {widestBox_, "widestBox"},
                                                   {lowBox_, "bandLowBox"},
                                                   {highBox_, "bandHighBox"},
                                                   {startButton_, "searchButton"},
                                                   {cancelButton_, "cancelButton"},
                                                   {applyButton_, "applyButton"},
                                                   {progressBar_, "searchProgress"},
                                                   {timeLeftLabel_, "timeLeftLabel"},
                                                   {currentLabel_, "currentSpreadLabel"},
                                                   {resultTable_, "resultTable"}};
    for (const auto& [control, name] : names)
        control->setObjectName(QString::fromLatin1(name));

    connect(startButton_, &QPushButton::clicked, this, commandSlot(this, [this] { startSearch(); }));
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelSearch(); });
    connect(applyButton_, &QPushButton::clicked, this, commandSlot(this, [this] { applySelected(); }));
    connect(resultTable_, &QTableWidget::itemSelectionChanged, this,
            commandSlot(this, [this] { selectionChanged(); }));
}

PlacementSearchWindow::~PlacementSearchWindow() {
    stopThread();
}

SearchOptions PlacementSearchWindow::readOptions() const {
    SearchOptions options;
    options.layout = static_cast<Layout>(layoutBox_->currentIndex());
    options.band = Band{lowBox_->value(), highBox_->value()};
    if (!isValidBand(options.band))
        throw UserError("帯域の下限は上限より低くしてください。");
    options.constraints.wallClearance = wallBox_->value();
    options.constraints.distanceNearest = behindBox_->value();
    options.constraints.narrowestAngle = narrowestBox_->value();
    options.constraints.widestAngle = widestBox_->value();
    if (options.constraints.narrowestAngle > options.constraints.widestAngle)
        throw UserError("見込み角の下限は上限以下にしてください。");
    return options;
}

void PlacementSearchWindow::stopThread() {
    searching_ = false;
    endBackgroundRun(thread_, generation_);
}

void PlacementSearchWindow::startSearch() {
    const SearchOptions options = readOptions();
    const Scene scene = readScene();
    stopThread();
    searching_ = true;
    startButton_->setEnabled(false);
    cancelButton_->setEnabled(true);
    progressBar_->setValue(0);
    timeLeftLabel_->clear();
    const auto post = deliveryToCurrent(this, generation_);
    thread_ = std::jthread([post, scene, options](std::stop_token stop) {
        auto result = std::make_shared<const SearchResult>(searchPlacements(
            scene, options,
            [&post](SearchProgress progress) {
                post([progress](PlacementSearchWindow& window) { window.showProgress(progress); });
            },
            stop));
        post([result](PlacementSearchWindow& window) { window.showResult(*result); });
    });
}

void PlacementSearchWindow::cancelSearch() {
    // The search ends within moments and posts the best it has found so far.
    if (thread_.joinable())
        thread_.request_stop();
    cancelButton_->setEnabled(false);
}

void PlacementSearchWindow::showProgress(SearchProgress progress) {
    if (!searching_)
        return;
    progressBar_->setValue(static_cast<int>(std::lround(100 * progress.fraction)));
    timeLeftLabel_->setText(QStringLiteral("残り約 %1 秒")
                                .arg(static_cast<long>(std::ceil(std::max(0.0, progress.secondsLeft)))));
}

void PlacementSearchWindow::showResult(const SearchResult& result) {
    searching_ = false;
    startButton_->setEnabled(true);
    cancelButton_->setEnabled(false);
    if (!result.cancelled)
        progressBar_->setValue(100);
    timeLeftLabel_->setText(result.cancelled ? QStringLiteral("中止") : QString());
    results_ = result.best;
    resultTable_->clearSelection();
    resultTable_->setRowCount(static_cast<int>(results_.size()));
    for (int row = 0; row < resultTable_->rowCount(); ++row) {
        const Placement& p = results_[static_cast<std::size_t>(row)];
        const QString texts[]{QString::number(row + 1), metres(p.sp1.x),    metres(p.sp1.y),
                              metres(p.sp2.x),          metres(p.sp2.y),    metres(p.listener.x),
                              metres(p.listener.y),     decibels(p.spread), decibels(p.robust)};
        for (int column = 0; column < 9; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            resultTable_->setItem(row, column, item);
        }
    }
    currentLabel_->setText(QStringLiteral("現在の配置のばらつき ") +
                           (result.currentSpread ? decibels(*result.currentSpread) + QStringLiteral(" dB")
                                                 : QStringLiteral("不明")));
}

void PlacementSearchWindow::selectionChanged() {
    const QList<QTableWidgetItem*> selected = resultTable_->selectedItems();
    const int row = selected.isEmpty() ? -1 : selected.front()->row();
    applyButton_->setEnabled(row >= 0);
    if (showCandidate)
        showCandidate(row >= 0 ? std::optional<Placement>(results_[static_cast<std::size_t>(row)])
                               : std::nullopt);
}

void PlacementSearchWindow::applySelected() {
    const QList<QTableWidgetItem*> selected = resultTable_->selectedItems();
    if (selected.isEmpty() || !applyPlacement)
        return;
    applyPlacement(results_[static_cast<std::size_t>(selected.front()->row())]);
}

void PlacementSearchWindow::closeEvent(QCloseEvent* event) {
    // A closed window searches no further and leaves no candidate on the chart.
    stopThread();
    startButton_->setEnabled(true);
    cancelButton_->setEnabled(false);
    resultTable_->clearSelection();
    if (showCandidate)
        showCandidate(std::nullopt);
    QWidget::closeEvent(event);
}

} // namespace kolmarin
