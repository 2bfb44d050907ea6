#include "dialogs/placement_search_window.h"

#include "widgets/current_delivery.h"

#include "model/acoustics/bass_setup.h"
#include "model/acoustics/listening_area.h"
#include "model/text/number_text.h"
#include "widgets/japanese_fonts.h"
#include "widgets/run_row.h"
#include "widgets/stale_rows.h"
#include "widgets/ui_support.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMetaObject>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
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

// A figure the row's objective did not take: the listening area with several seats, the
// seats' objective with one.
QString unusedOrDecibels(bool used, double value) {
    return used ? decibels(value) : QStringLiteral("–");
}

// Which objective ranked the rows, for the line above them.
QString rankingText(const SearchResult& result, Objective objective, int seats) {
    if (result.allSeats)
        return QStringLiteral("順位: 全座席の評価 = 座席間のばらつき + 目標カーブ (平坦) との差 (%1 席、"
                              "現在の配置 %2)")
            .arg(seats)
            .arg(result.currentSeatScore ? decibels(*result.currentSeatScore) + QStringLiteral(" dB")
                                         : QStringLiteral("不明"));
    return objective == Objective::Area ? QStringLiteral("順位: 聴取範囲のばらつき")
                                        : QStringLiteral("順位: 聴取位置のばらつき");
}

// The positions as the read-outs would show them.
QString metres(double value) {
    return toQString(formatPosition(value, decimalSeparator()));
}

// `pending` while the area is still being computed.
QString currentSpreadText(std::optional<double> spread, std::optional<double> area, Band band,
                          bool pending = false) {
    const auto figure = [](std::optional<double> value) {
        return value ? decibels(*value) + QStringLiteral(" dB") : QStringLiteral("不明");
    };
    return QStringLiteral("現在の配置のばらつき ") + figure(spread) + QStringLiteral("、聴取範囲 ") +
           (pending ? QStringLiteral("計算中") : figure(area)) +
           QStringLiteral(" (%1–%2 Hz)").arg(band.low).arg(band.high);
}

bool samePlan(const Point3& a, const Point3& b) {
    return a.x == b.x && a.y == b.y;
}

// What has changed since the search in what its rows depend on: everything but the
// positions the layout itself chooses. Empty when nothing has.
QString changeSinceSearch(const Scene& searched, const Scene& now, Layout layout) {
    const double room[]{searched.width,     searched.depth,     searched.height,
                        searched.reflRight, searched.reflLeft,  searched.reflFront,
                        searched.reflBack,  searched.reflFloor, searched.reflCeiling};
    const double roomNow[]{now.width,     now.depth,    now.height,    now.reflRight,  now.reflLeft,
                           now.reflFront, now.reflBack, now.reflFloor, now.reflCeiling};
    if (!std::equal(std::begin(room), std::end(room), std::begin(roomNow)))
        return QStringLiteral("部屋の寸法か反射率が変わりました");
    if (searched.reflectionCount != now.reflectionCount)
        return QStringLiteral("反射回数が変わりました");
    if (searched.delays != now.delays)
        return QStringLiteral("遅延の扱いが変わりました");
    // The other main loudspeakers and the subwoofers stay where they are while the layout
    // moves SP1, SP2 and the listener; their signals and the crossover shape every row's Total.
    const auto sameSource = [](const Source& a, const Source& b) {
        return a.levelDb == b.levelDb && a.delayMs == b.delayMs && a.reversed == b.reversed &&
               a.branch == b.branch && a.crossoverHz == b.crossoverHz;
    };
    if (!std::equal(searched.sources.begin(), searched.sources.end(), now.sources.begin(), now.sources.end(),
                    sameSource) ||
        !std::equal(searched.sources.begin() + 2, searched.sources.end(), now.sources.begin() + 2,
                    now.sources.end(), [](const Source& a, const Source& b) {
                        return a.position.x == b.position.x && a.position.y == b.position.y &&
                               a.position.z == b.position.z;
                    }))
        return QStringLiteral("サブウーファーかクロスオーバーが変わりました");
    const Placement was = placementOf(searched), is = placementOf(now);
    if (was.sp1.z != is.sp1.z || was.sp2.z != is.sp2.z || was.listener.z != is.listener.z)
        return QStringLiteral("高さが変わりました");
    if (layout == Layout::Seats && !(samePlan(was.sp1, is.sp1) && samePlan(was.sp2, is.sp2)))
        return QStringLiteral("スピーカーの位置が変わりました");
    if (layout == Layout::Speakers && !samePlan(was.listener, is.listener))
        return QStringLiteral("聴取者の位置が変わりました");
    // The other seats move with the listener: their places relative to it are the scene's.
    const std::vector<Point3> seatsWas = seatsWith(searched, is.listener);
    if (!std::equal(seatsWas.begin(), seatsWas.end(), now.seats.begin(), now.seats.end(), samePlan))
        return QStringLiteral("座席が変わりました");
    return QString();
}

// Two constraint values alike, "as the room gives it" (NaN) included.
bool sameValue(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool sameOptions(const SearchOptions& a, const SearchOptions& b) {
    const PlacementConstraints& p = a.constraints;
    const PlacementConstraints& q = b.constraints;
    const double first[]{p.wallClearance,    p.frontNearest,   p.frontFarthest, p.distanceNearest,
                         p.distanceFarthest, p.narrowestAngle, p.widestAngle,   p.leastSpacing};
    const double second[]{q.wallClearance,    q.frontNearest,   q.frontFarthest, q.distanceNearest,
                          q.distanceFarthest, q.narrowestAngle, q.widestAngle,   q.leastSpacing};
    return a.layout == b.layout && a.objective == b.objective && a.band == b.band &&
           p.centreLine == q.centreLine &&
           std::equal(std::begin(first), std::end(first), std::begin(second), sameValue);
}

// A range's far end typed as 0 leaves it to the room.
double farEnd(const QDoubleSpinBox* box) {
    return box->value() > 0 ? box->value() : NAN;
}

} // namespace

PlacementSearchWindow::PlacementSearchWindow(SceneDocument& document, QWidget* parent)
    : QWidget(parent, Qt::Window), document_(document) {
    setWindowTitle(QStringLiteral("配置の探索"));
    setFont(japaneseWindowFont());
    setObjectName(QStringLiteral("placementSearchWindow"));

    QFormLayout* form = createConditionBoxes();

    runRow_ = new RunRow(QStringLiteral("探索"));

    currentLabel_ = new QLabel;
    rankingLabel_ = new QLabel;
    statusLabel_ = new QLabel;
    statusLabel_->setWordWrap(true);
    createResultTable();
    applyButton_ = new QPushButton(QStringLiteral("適用"));
    applyButton_->setEnabled(false);
    auto* foot = new QHBoxLayout;
    foot->addWidget(currentLabel_, 1);
    foot->addWidget(applyButton_);

    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(runRow_);
    column->addWidget(rankingLabel_);
    column->addWidget(resultTable_, 1);
    column->addWidget(statusLabel_);
    column->addLayout(foot);
    resize(1060, 740); // room for the thirteen columns and the ten rows without scrolling

    nameControls();
    connectControls();

    // The current line from the start, for the calculation already shown (none after one
    // that failed), then after each calculation.
    const auto takeResult = [this] {
        const SceneResult& result = document_.result();
        if (result.calculated())
            sceneCalculated(result.scene, result.curves, result.computed);
    };
    connect(&document_, &SceneDocument::calculated, this, takeResult);
    takeResult();
}

// The layout, the objective, the constraints and the band, in a form.
QFormLayout* PlacementSearchWindow::createConditionBoxes() {
    layoutBox_ = new QComboBox;
    layoutBox_->addItems(
        {QStringLiteral("ステレオ"), QStringLiteral("座席 (まとめて)"), QStringLiteral("スピーカー対のみ")});
    layoutBox_->setToolTip(QStringLiteral(
        "ステレオ: スピーカー対と座席を左右対称に動かします。座席 (まとめて): 座席だけを、並びを保ったまま\n"
        "まとめて動かします。スピーカー対のみ: スピーカー対だけを中心線に対称に動かします。"));
    centreLineBox_ = new QCheckBox(QStringLiteral("中心線上に置く"));
    centreLineBox_->setToolTip(QStringLiteral(
        "座席を動かす配置では聴取者 (座席が複数なら座席の中央、x の平均) を部屋の左右の中心線に置き、\n"
        "スピーカー対を動かす配置では対を中心線に対称に置きます。"));
    objectiveBox_ = new QComboBox;
    objectiveBox_->addItems({QStringLiteral("聴取範囲"), QStringLiteral("1 点")});
    objectiveBox_->setToolTip(QStringLiteral(
        "何の小さい順に並べるか。聴取範囲: 聴取者とそのまわり 8 点 (0.10 m ずらした所) のばらつきの平均で、\n"
        "頭が少し動いても平坦な配置を選びます (既定)。1 点: 聴取者の位置のばらつきだけで選びます。"));
    const PlacementConstraints defaults;
    const QString metre = QStringLiteral(" m");
    wallBox_ = numberBox(0.0, 2.0, defaults.wallClearance, 2, 0.05, metre);
    frontNearestBox_ = numberBox(0.0, 20.0, defaults.frontNearest, 2, 0.05, metre);
    frontFarthestBox_ = numberBox(0.0, 20.0, 0.0, 2, 0.05, metre);
    frontFarthestBox_->setSpecialValueText(QStringLiteral("奥行の半分"));
    distanceNearestBox_ = numberBox(0.0, 20.0, defaults.distanceNearest, 2, 0.1, metre);
    distanceFarthestBox_ = numberBox(0.0, 20.0, 0.0, 2, 0.1, metre);
    distanceFarthestBox_->setSpecialValueText(QStringLiteral("奥行"));
    narrowestBox_ = numberBox(1.0, 179.0, defaults.narrowestAngle, 0, 1.0, QStringLiteral("°"));
    widestBox_ = numberBox(1.0, 179.0, defaults.widestAngle, 0, 1.0, QStringLiteral("°"));
    spacingBox_ = numberBox(0.0, 20.0, defaults.leastSpacing, 2, 0.1, metre);
    lowBox_ = hertzBox(20);
    highBox_ = hertzBox(200);

    const auto range = [](QWidget* low, QWidget* high) {
        auto* row = new QHBoxLayout;
        row->addWidget(low);
        row->addWidget(new QLabel(QStringLiteral("–")));
        row->addWidget(high);
        return row;
    };
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("配置"), layoutBox_);
    form->addRow(QString(), centreLineBox_);
    form->addRow(QStringLiteral("並べる順"), objectiveBox_);
    form->addRow(QStringLiteral("壁からの距離"), wallBox_);
    form->addRow(QStringLiteral("スピーカーの前の壁からの距離"), range(frontNearestBox_, frontFarthestBox_));
    form->addRow(QStringLiteral("聴取距離 (スピーカーの線から)"),
                 range(distanceNearestBox_, distanceFarthestBox_));
    form->addRow(QStringLiteral("見込み角"), range(narrowestBox_, widestBox_));
    form->addRow(QStringLiteral("スピーカーの間隔 (最小)"), spacingBox_);
    form->addRow(QStringLiteral("帯域"), range(lowBox_, highBox_));

    return form;
}

// The table of results, each column's header telling what it holds.
void PlacementSearchWindow::createResultTable() {
    resultTable_ = new QTableWidget(0, 13);
    // Each column says what it holds and which way is better, in the user's words.
    const std::pair<const char*, const char*> columns[]{
        {"順位", "「並べる順」で選んだ値 (聴取範囲のばらつき、または 1 点のばらつき) の小さい順の順位です。\n"
                 "座席が複数あるときは、全座席の評価の小さい順です。"},
        {"SP1 x", "SP1 の左の壁からの距離 (m)。"},
        {"SP1 y", "SP1 の前の壁からの距離 (m)。"},
        {"SP2 x", "SP2 の左の壁からの距離 (m)。"},
        {"SP2 y", "SP2 の前の壁からの距離 (m)。"},
        {"聴取者 x", "聴取者の左の壁からの距離 (m)。"},
        {"聴取者 y", "聴取者の前の壁からの距離 (m)。"},
        {"ばらつき dB",
         "聴取位置での Total のレベルが、帯域の中でどれだけ上下するか (0.5 Hz ごとのレベルの標準偏差)。\n"
         "小さいほど低音の山と谷が浅く、平坦で良い配置です。"},
        {"聴取範囲 dB",
         "聴取者と、そこから前後・左右・斜めに 0.10 m ずらした 8 点、合わせて 9 点のばらつきの平均。\n"
         "頭が少し動いても平坦かどうかを表します。小さいほど良い。"},
        {"最悪 ±0.10 m dB",
         "聴取者と、そこから前後・左右・斜めに 0.10 m ずらした 8 点のうち、いちばん悪い (大きい) ばらつき。\n"
         "ばらつきとの差が小さいほど、頭が少し動いても響きが変わりにくい配置です。小さいほど良い。"},
        {"角度 °", "聴取者から見た SP1 と SP2 の開き (平面図での角度)。ステレオでは 60° 前後がふつうです。"},
        {"距離 m", "スピーカーを結ぶ線から聴取者までの前後の距離 (m)。"},
        {"全座席 dB",
         "座席が複数あるときの順位の値: 座席間のばらつき (0.5 Hz ごとの座席どうしのレベルの標準偏差の、\n"
         "帯域での平均) と、座席の平均カーブの平坦な目標カーブとの差 (帯域での標準偏差) の和。\n"
         "小さいほど、どの席でも同じ平坦な低音が聞こえます。このとき、ばらつき dB は座席 1 (聴取者) の\n"
         "もので、聴取範囲と最悪 ±0.10 m は使いません (–)。座席が一つならこの欄が – です。"},
    };
    QStringList headers;
    for (const auto& column : columns)
        headers.append(QString::fromUtf8(column.first));
    resultTable_->setHorizontalHeaderLabels(headers);
    for (int i = 0; i < resultTable_->columnCount(); ++i)
        resultTable_->horizontalHeaderItem(i)->setToolTip(
            QString::fromUtf8(columns[static_cast<std::size_t>(i)].second));
    resultTable_->verticalHeader()->hide();
    // The rank and the figures keep the width of their headers; the positions share the rest of
    // the window's width, however wide the user makes it.
    resultTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (int column : {0, 7, 8, 9, 10, 11, 12})
        resultTable_->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    resultTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    resultTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void PlacementSearchWindow::nameControls() {
    const std::pair<QObject*, const char*> names[]{{layoutBox_, "layoutBox"},
                                                   {wallBox_, "wallClearanceBox"},
                                                   {objectiveBox_, "objectiveBox"},
                                                   {centreLineBox_, "centreLineBox"},
                                                   {rankingLabel_, "rankingLabel"},
                                                   {frontNearestBox_, "frontNearestBox"},
                                                   {frontFarthestBox_, "frontFarthestBox"},
                                                   {distanceNearestBox_, "distanceNearestBox"},
                                                   {distanceFarthestBox_, "distanceFarthestBox"},
                                                   {spacingBox_, "leastSpacingBox"},
                                                   {narrowestBox_, "narrowestBox"},
                                                   {widestBox_, "widestBox"},
                                                   {lowBox_, "bandLowBox"},
                                                   {highBox_, "bandHighBox"},
                                                   {applyButton_, "applyButton"},
                                                   {currentLabel_, "currentSpreadLabel"},
                                                   {statusLabel_, "searchStatusLabel"},
                                                   {resultTable_, "resultTable"}};
    for (const auto& [control, name] : names)
        control->setObjectName(QString::fromLatin1(name));
}

void PlacementSearchWindow::connectControls() {
    connect(runRow_, &RunRow::startClicked, this, commandSlot(this, [this] { startSearch(); }));
    connect(applyButton_, &QPushButton::clicked, this, commandSlot(this, [this] { applySelected(); }));
    connect(resultTable_, &QTableWidget::itemSelectionChanged, this,
            commandSlot(this, [this] { selectionChanged(); }));
    // Rows found under other conditions than the boxes now hold are no answer to them.
    const auto conditionsChanged = [this] {
        if (!results_.empty() && staleReason_.isEmpty() && !searching() && optionsChanged())
            markStale(QStringLiteral("探索の条件が変わりました"));
    };
    for (QComboBox* box : {layoutBox_, objectiveBox_})
        connect(box, &QComboBox::currentIndexChanged, this, conditionsChanged);
    for (QDoubleSpinBox* box : {wallBox_, frontNearestBox_, frontFarthestBox_, distanceNearestBox_,
                                distanceFarthestBox_, narrowestBox_, widestBox_, spacingBox_})
        connect(box, &QDoubleSpinBox::valueChanged, this, conditionsChanged);
    for (QSpinBox* box : {lowBox_, highBox_})
        connect(box, &QSpinBox::valueChanged, this, conditionsChanged);
    connect(centreLineBox_, &QCheckBox::toggled, this, conditionsChanged);
}

PlacementSearchWindow::~PlacementSearchWindow() {
    endBackgroundRun(areaThread_, areaGeneration_);
    runRow_->end();
}

PlacementConstraints PlacementSearchWindow::constraints() const {
    PlacementConstraints c;
    c.wallClearance = wallBox_->value();
    c.frontNearest = frontNearestBox_->value();
    c.frontFarthest = farEnd(frontFarthestBox_);
    c.distanceNearest = distanceNearestBox_->value();
    c.distanceFarthest = farEnd(distanceFarthestBox_);
    c.narrowestAngle = narrowestBox_->value();
    c.widestAngle = widestBox_->value();
    c.leastSpacing = spacingBox_->value();
    c.centreLine = centreLineBox_->isChecked();
    return c;
}

SearchOptions PlacementSearchWindow::readOptions() const {
    SearchOptions options;
    options.layout = static_cast<Layout>(layoutBox_->currentIndex());
    options.objective = objectiveBox_->currentIndex() == 0 ? Objective::Area : Objective::Point;
    options.band = Band{lowBox_->value(), highBox_->value()};
    if (!isValidBand(options.band))
        throw UserError("帯域の下限は上限より低くしてください。");
    options.constraints = constraints();
    const PlacementConstraints& c = options.constraints;
    if (c.narrowestAngle > c.widestAngle)
        throw UserError("見込み角の下限は上限以下にしてください。");
    // A far end left to the room (NaN) compares false: no refusal.
    if (c.frontNearest > c.frontFarthest)
        throw UserError("スピーカーの前の壁からの距離の下限は上限以下にしてください。");
    if (c.distanceNearest > c.distanceFarthest)
        throw UserError("聴取距離の下限は上限以下にしてください。");
    return options;
}

bool PlacementSearchWindow::optionsChanged() const {
    try {
        return !sameOptions(readOptions(), searchedOptions_);
    } catch (const UserError&) {
        return true; // conditions that cannot be searched are other conditions
    }
}

bool PlacementSearchWindow::searching() const {
    return runRow_->running();
}

void PlacementSearchWindow::startSearch() {
    const SearchOptions options = readOptions();
    const Scene scene = document_.calculationScene(decimalSeparator());
    searchedScene_ = scene;
    searchedOptions_ = options;
    setStatus(QStringLiteral("探索しています..."));
    runRow_->start([this, scene, options](std::stop_token stop, const RunRow::Progress& progress,
                                          const RunRow::Deliver& deliver) {
        auto result = std::make_shared<const SearchResult>(searchPlacements(
            scene, options, [&progress](SearchProgress p) { progress(p.fraction, p.secondsLeft); }, stop));
        deliver([this, result] { showResult(*result); });
    });
}

void PlacementSearchWindow::showResult(const SearchResult& result) {
    runRow_->finish(result.cancelled);
    results_ = result.best;
    staleReason_.clear();
    resultTable_->clearSelection();
    resultTable_->setRowCount(static_cast<int>(results_.size()));
    for (int row = 0; row < resultTable_->rowCount(); ++row) {
        const Placement& p = results_[static_cast<std::size_t>(row)];
        const QString texts[]{QString::number(row + 1),
                              metres(p.sp1.x),
                              metres(p.sp1.y),
                              metres(p.sp2.x),
                              metres(p.sp2.y),
                              metres(p.listener.x),
                              metres(p.listener.y),
                              decibels(p.spread),
                              unusedOrDecibels(!result.allSeats, p.area),
                              unusedOrDecibels(!result.allSeats, p.robust),
                              QLocale().toString(p.angle, 'f', 1),
                              QLocale().toString(p.distance, 'f', 2),
                              unusedOrDecibels(result.allSeats, p.seatScore)};
        for (int column = 0; column < resultTable_->columnCount(); ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            resultTable_->setItem(row, column, item);
        }
    }
    rankingLabel_->setText(
        rankingText(result, searchedOptions_.objective, static_cast<int>(searchedScene_.seats.size())));
    QString status;
    if (results_.empty())
        status = result.cancelled
                     ? QStringLiteral("中止しました。配置はまだ見つかっていませんでした。")
                     : QStringLiteral("条件を満たす配置は見つかりませんでした。壁からの距離、"
                                      "前の壁からの距離、聴取距離、見込み角、間隔の条件を緩めてください。");
    else if (result.cancelled)
        status = QStringLiteral("中止しました。それまでに見つかった配置です。");
    // A large room's grid was coarser than usual: the user learns why the rows lie apart.
    const QString note = QString::fromStdString(coarsenedGridNote(result));
    if (!note.isEmpty())
        status = status.isEmpty() ? note + QStringLiteral("。")
                                  : status + QLatin1Char(' ') + note + QStringLiteral("。");
    setStatus(status);
    // A scene or conditions changed while the search ran make its rows stale at once. The
    // scene is read as the search read it (texts typed but not applied count); one that
    // cannot be read now is left to 適用, which reads it again.
    try {
        checkRows(document_.calculationScene(decimalSeparator()));
    } catch (const std::exception&) {
    }
    if (!results_.empty() && staleReason_.isEmpty() && optionsChanged())
        markStale(QStringLiteral("探索の条件が変わりました"));
    if (calculatedScene_)
        showCurrentSpread();
    else // no calculation since the window was made: the search's own figure of the scene
        currentLabel_->setText(
            currentSpreadText(result.currentSpread, result.currentArea, searchedOptions_.band));
}

void PlacementSearchWindow::sceneCalculated(const Scene& scene, const ResponseCurves& curves,
                                            ElementRange computed) {
    calculatedScene_ = scene;
    calculatedCurves_ = curves;
    calculatedElements_ = computed;
    checkRows(scene);
    if (isVisible())
        showCurrentSpread();
}

void PlacementSearchWindow::checkRows(const Scene& scene) {
    if (results_.empty() || !staleReason_.isEmpty() || searching())
        return;
    const QString reason = changeSinceSearch(searchedScene_, scene, searchedOptions_.layout);
    if (!reason.isEmpty())
        markStale(reason);
}

// The rows stay for the user to read, greyed; 探索 searches the scene as it is now.
void PlacementSearchWindow::markStale(const QString& reason) {
    staleReason_ = reason;
    greyOutRows(*resultTable_);
    setStatus(QStringLiteral("結果は古くなりました: %1。探索し直してください。").arg(reason));
    emit candidateChanged(std::nullopt);
}

// The spread of the scene of the last calculation over the band the rows were searched
// in (or, before any search, the band in the boxes): from its curves when they cover the
// band, else by a calculation of the band alone, which gives the same figure.
void PlacementSearchWindow::showCurrentSpread() {
    if (!calculatedScene_)
        return;
    Band band = searchedOptions_.band;
    if (results_.empty() && isValidBand(Band{lowBox_->value(), highBox_->value()}))
        band = Band{lowBox_->value(), highBox_->value()};
    const bool covered =
        calculatedElements_.first <= 2 * band.low && 2 * band.high <= calculatedElements_.last;
    const std::optional<double> spread = covered ? std::optional<double>(totalSpread(calculatedCurves_, band))
                                                 : spreadOf(*calculatedScene_, band);
    endBackgroundRun(areaThread_, areaGeneration_);
    currentLabel_->setText(currentSpreadText(spread, std::nullopt, band, spread.has_value()));
    if (!spread)
        return;
    // The area needs the band at the eight neighbours too: up to seconds with many
    // reflections, so it is computed behind the window and stops between two of them
    // when the scene changes again.
    const auto post = deliveryToCurrent(this, areaGeneration_);
    areaThread_ = std::jthread([post, scene = *calculatedScene_, band, spread](std::stop_token stop) {
        std::array<double, 9> spreads{*spread};
        const std::array<Point3, 9> places = listeningArea(scene.seats[0]);
        for (std::size_t i = 1; i < places.size(); ++i) {
            if (stop.stop_requested())
                return;
            Scene moved = scene;
            moved.seats[0] = places[i];
            spreads[i] = spreadOf(moved, band).value_or(NAN);
        }
        const double area = areaFigures(spreads).area;
        post([spread, area, band](PlacementSearchWindow& window) {
            window.currentLabel_->setText(currentSpreadText(
                spread, std::isnan(area) ? std::nullopt : std::optional<double>(area), band, false));
        });
    });
}

void PlacementSearchWindow::setStatus(const QString& text) {
    statusLabel_->setText(text);
}

void PlacementSearchWindow::selectionChanged() {
    const QList<QTableWidgetItem*> selected = resultTable_->selectedItems();
    const int row = selected.isEmpty() ? -1 : selected.front()->row();
    applyButton_->setEnabled(row >= 0);
    // A stale row's curve would be drawn in a room it was not found for.
    if (staleReason_.isEmpty())
        emit candidateChanged(row >= 0 ? std::optional<Placement>(results_[static_cast<std::size_t>(row)])
                                       : std::nullopt);
}

void PlacementSearchWindow::applySelected() {
    const QList<QTableWidgetItem*> selected = resultTable_->selectedItems();
    if (selected.isEmpty())
        return;
    // The scene as 適用 would change it, read now: a text typed in the settings dialog
    // counts even before the dialog applied it.
    if (staleReason_.isEmpty())
        checkRows(document_.calculationScene(decimalSeparator()));
    if (staleReason_.isEmpty() && optionsChanged())
        markStale(QStringLiteral("探索の条件が変わりました"));
    if (!staleReason_.isEmpty())
        throw UserError(
            QStringLiteral("この配置は今の部屋と条件で探したものではないため、適用できません (%1)。"
                           "探索し直してください。")
                .arg(staleReason_)
                .toStdString());
    emit placementApplied(results_[static_cast<std::size_t>(selected.front()->row())]);
}

void PlacementSearchWindow::closeEvent(QCloseEvent* event) {
    // A closed window searches no further and leaves no candidate on the chart; reopened,
    // it says that the search was stopped rather than showing its last progress.
    if (runRow_->end())
        setStatus(QStringLiteral("ウィンドウを閉じたため、探索を中止しました。"));
    resultTable_->clearSelection();
    emit candidateChanged(std::nullopt);
    QWidget::closeEvent(event);
}

void PlacementSearchWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showCurrentSpread();
}

} // namespace kolmarin
