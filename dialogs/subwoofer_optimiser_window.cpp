#include "dialogs/subwoofer_optimiser_window.h"

#include "dialogs/bass_goal_form.h"
#include "files/bass_settings_text.h"
#include "files/candidate_file.h"
#include "model/acoustics/subwoofer_candidates.h"
#include "model/acoustics/subwoofer_problem.h"
#include "model/errors.h"
#include "model/text/number_text.h"
#include "widgets/japanese_fonts.h"
#include "widgets/run_row.h"
#include "widgets/save_command.h"
#include "widgets/stale_rows.h"
#include "widgets/ui_support.h"
#include "widgets/user_dialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <memory>
#include <string>

namespace kolmarin {

namespace {

QString decibels(double value) {
    return QLocale().toString(value, 'f', 2);
}

// What the user reads under the table for a row: its EQ, what each subwoofer's level, delay
// and polarity buy (the score with that choice put back to 0 dB, 0 ms or +), and its
// figures per seat.
QString configurationDetails(const SubwooferConfiguration& c) {
    QStringList lines;
    for (std::size_t i = 0; i < c.eq.size(); ++i)
        lines.append(QString::fromLatin1(filterLine(static_cast<int>(i) + 1, c.eq[i])));
    if (!c.eq.empty())
        lines.append(QStringLiteral("EQ なしの評価: %1").arg(decibels(c.scoreWithoutEq)));
    QStringList worth;
    for (std::size_t k = 0; k < c.worth.size(); ++k) {
        const std::pair<QString, double> parts[]{{QStringLiteral("0 dB"), c.worth[k].level},
                                                 {QStringLiteral("0 ms"), c.worth[k].delay},
                                                 {QStringLiteral("+"), c.worth[k].polarity}};
        for (const auto& [back, value] : parts)
            if (!std::isnan(value))
                worth.append(
                    QStringLiteral("SW%1 を %2 にすると %3")
                        .arg(k + 1)
                        .arg(back, value >= kOutsideScore / 2
                                       ? QStringLiteral("目標レベルの範囲外")
                                       : QLocale().toString(value, 'f', 2).prepend(value >= 0 ? "+" : "")));
    }
    if (!worth.isEmpty())
        lines.append(QStringLiteral("評価の変化: ") + worth.join(QStringLiteral("、")));
    QStringList seats;
    for (std::size_t s = 0; s < c.figures.seatSpread.size(); ++s)
        seats.append(QStringLiteral("座席 %1: ばらつき %2 dB、平均 %3 dB")
                         .arg(s + 1)
                         .arg(decibels(c.figures.seatSpread[s]), decibels(c.figures.seatMean[s])));
    lines.append(seats.join(QStringLiteral("  ")));
    return lines.join(QLatin1Char('\n'));
}

QSpinBox* spinBox(int low, int high, int value, const QString& suffix) {
    auto* box = new QSpinBox;
    box->setRange(low, high);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

} // namespace

SubwooferOptimiserWindow::SubwooferOptimiserWindow(const SceneDocument& document, QWidget* parent)
    : QWidget(parent, Qt::Window), document_(document) {
    setWindowTitle(QStringLiteral("サブウーファーの最適化"));
    setFont(japaneseWindowFont());
    setObjectName(QStringLiteral("subwooferOptimiserWindow"));

    QFormLayout* form = createGoalBoxes();
    goalForm_ = new BassGoalForm;
    auto* settings = new QHBoxLayout;
    settings->addLayout(form);
    settings->addWidget(goalForm_, 1);

    runRow_ = new RunRow(QStringLiteral("最適化"));
    createTable();
    detailsLabel_ = new QLabel;
    detailsLabel_->setWordWrap(true);
    detailsLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusLabel_ = new QLabel;
    chartEqBox_ = new QCheckBox(QStringLiteral("グラフに EQ を入れる"));
    chartEqBox_->setChecked(true);
    chartEqBox_->setToolTip(QStringLiteral("選んだ行の座席の曲線を、EQ を入れて描くか、入れずに描くか"));
    applyButton_ = new QPushButton(QStringLiteral("適用"));
    applyButton_->setEnabled(false);
    applyButton_->setToolTip(QStringLiteral("選んだ行のサブウーファーと EQ をセットアップに入れます"));
    exportButton_ = new QPushButton(QStringLiteral("設定を書き出す..."));
    exportButton_->setEnabled(false);
    exportButton_->setToolTip(
        QStringLiteral("選んだ行の各サブウーファーのレベル (dB)、遅れ (ms と、音が 344 "
                       "m/s でその間に進む距離 m)、極性と、\n"
                       "共通の EQ のフィルター (Filter 1: ON PK Fc ... Hz Gain ... dB Q ...) "
                       "を、\n"
                       "AV アンプやプロセッサーに入れる設定としてテキストか CSV "
                       "(名前が .csv で終わるとき) で書き出します。"));
    auto* foot = new QHBoxLayout;
    foot->addWidget(statusLabel_, 1);
    foot->addWidget(chartEqBox_);
    foot->addWidget(exportButton_);
    foot->addWidget(applyButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addWidget(runRow_);
    layout->addWidget(table_, 1);
    layout->addWidget(detailsLabel_);
    layout->addLayout(foot);
    resize(1180, 560);

    const std::pair<QWidget*, const char*> names[]{
        {countBox_, "countBox"},       {lowBox_, "bandLowBox"},         {highBox_, "bandHighBox"},
        {applyButton_, "applyButton"}, {exportButton_, "exportButton"}, {table_, "resultTable"},
        {statusLabel_, "statusLabel"}, {chartEqBox_, "chartEqBox"},     {detailsLabel_, "detailsLabel"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));
    connect(runRow_, &RunRow::startClicked, this, commandSlot(this, [this] { startSearch(); }));
    connect(applyButton_, &QPushButton::clicked, this, commandSlot(this, [this] { applySelected(); }));
    connect(exportButton_, &QPushButton::clicked, this, commandSlot(this, [this] { exportSelected(); }));
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            commandSlot(this, [this] { selectionChanged(); }));
    connect(chartEqBox_, &QCheckBox::toggled, this, commandSlot(this, [this] { showCandidate(); }));
    connect(&document_, &SceneDocument::calculated, this, [this] {
        if (!searching())
            checkRows();
    });
}

// The count, the candidates, the band and the optional goals, in a form.
QFormLayout* SubwooferOptimiserWindow::createGoalBoxes() {
    countBox_ = spinBox(1, kMostSubwoofers, 2, QStringLiteral(" 台"));
    lowBox_ = spinBox(10, 499, 20, QStringLiteral(" Hz"));
    highBox_ = spinBox(11, 500, 120, QStringLiteral(" Hz"));
    auto* band = new QHBoxLayout;
    band->addWidget(lowBox_);
    band->addWidget(new QLabel(QStringLiteral("–")));
    band->addWidget(highBox_);
    band->addStretch(1);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QStringLiteral("サブウーファーの数"), countBox_);
    candidatesLabel_ = new QLabel;
    auto* chooseFile = new QPushButton(QStringLiteral("ファイル..."));
    auto* useDefault = new QPushButton(QStringLiteral("既定"));
    chooseFile->setObjectName(QStringLiteral("candidateFileButton"));
    useDefault->setObjectName(QStringLiteral("defaultCandidatesButton"));
    auto* candidates = new QHBoxLayout;
    candidates->addWidget(candidatesLabel_);
    candidates->addWidget(chooseFile);
    candidates->addWidget(useDefault);
    candidates->addStretch(1);
    form->addRow(QStringLiteral("候補の位置"), candidates);
    setCandidateFile(QString());
    connect(chooseFile, &QPushButton::clicked, this, commandSlot(this, [this] {
                const QString path = askFileName(this, FileDialogKind::Open,
                                                 {QStringLiteral("候補の位置 (x y z)(*.txt)"),
                                                  QStringLiteral("*.txt"), candidatePath_, QString()});
                if (!path.isEmpty())
                    setCandidateFile(path);
            }));
    connect(useDefault, &QPushButton::clicked, this,
            commandSlot(this, [this] { setCandidateFile(QString()); }));
    form->addRow(QStringLiteral("帯域"), band);
    subsOnlyBox_ = new QCheckBox(QStringLiteral("サブウーファーだけで比較する (スピーカーを除く)"));
    form->addRow(QString(), subsOnlyBox_);
    subsOnlyBox_->setObjectName(QStringLiteral("subsOnlyBox"));
    return form;
}

// The rows' table, each heading telling what its figure is.
void SubwooferOptimiserWindow::createTable() {
    const std::pair<QString, QString> columns[]{
        {QStringLiteral("順位"), QStringLiteral("評価の小さい順。表示する行の数は順位 1 を変えません")},
        {QStringLiteral("評価"),
         QStringLiteral("最小にしたもの: ばらつきの重み倍 + 目標との差の重み倍 (+ 座席 1 の重み倍)。\n"
                        "平均レベルが目標レベルの ±3 dB を外れると 1000 + 外れた量になります")},
        {QStringLiteral("座席間ばらつき dB"),
         QStringLiteral(
             "0.5 Hz ごとの座席どうしのレベルの標準偏差を帯域で平均したもの (EQ では直せない部分)")},
        {QStringLiteral("目標との差 dB"),
         QStringLiteral("座席の平均の曲線から目標カーブを引いたものの、帯域での標準偏差 (EQ を入れた後)")},
        {QStringLiteral("レベル差 dB"),
         QStringLiteral("座席と帯域での平均レベル (目標カーブに対する) と目標レベルの差。±3 dB に保ちます")},
        {QStringLiteral("座席 1 ばらつき dB"), QStringLiteral("座席 1 のレベルの帯域での標準偏差")},
        {QStringLiteral("平均 dB"), QStringLiteral("座席と帯域での平均レベル (EQ を入れた後)")},
        {QStringLiteral("EQ"),
         QStringLiteral("共通の EQ のフィルター。行を選ぶと下に周波数、ゲイン、Q が出ます")},
        {QStringLiteral("サブウーファー (x, y, z m / dB / ms / 極性)"), QString()}};
    table_ = new QTableWidget(0, static_cast<int>(std::size(columns)));
    for (int c = 0; c < table_->columnCount(); ++c) {
        auto* item = new QTableWidgetItem(columns[c].first);
        item->setToolTip(columns[c].second);
        table_->setHorizontalHeaderItem(c, item);
    }
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

SubwooferOptimiserWindow::~SubwooferOptimiserWindow() {
    runRow_->end();
}

bool SubwooferOptimiserWindow::searching() const {
    return runRow_->running();
}

void SubwooferOptimiserWindow::setCandidateFile(const QString& path) {
    candidatePath_ = path;
    candidatesLabel_->setText(
        path.isEmpty() ? QStringLiteral("既定: 壁の中点、隅、壁沿い 0.25 m ごと (壁と床から 0.30 m)")
                       : QFileInfo(path).fileName());
}

void SubwooferOptimiserWindow::startSearch() {
    const Band band{lowBox_->value(), highBox_->value()};
    if (band.low >= band.high)
        throw UserError("帯域の下限は上限より低くしてください");
    // The setup's own subwoofers make way for the optimiser's.
    const BassSetup without = withSubwoofersOf(document_.setup(), {});
    const Scene scene = setupScene(without, decimalSeparator());
    if (candidatePath_.isEmpty())
        if (const std::string why = missingDefaultCandidates(scene.width, scene.depth, scene.height);
            !why.empty())
            throw UserError(why);
    // A file is read and checked here, so that what is wrong with it is said at once.
    const std::vector<Point3> candidates =
        candidatePath_.isEmpty() ? defaultSubwooferCandidates(scene.width, scene.depth, scene.height)
                                 : readCandidateFile(candidatePath_);
    for (std::size_t c = 0; c < candidates.size(); ++c)
        if (!scene.contains(candidates[c]))
            throw UserError("候補 " + std::to_string(c + 1) + " が部屋の外にあります");
    OptimiserOptions options;
    options.count = countBox_->value();
    options.top = 10;
    goalForm_->fill(options);
    const bool subsOnly = subsOnlyBox_->isChecked();
    searched_ = without;
    // The rows shown are the last run's until this one ends: none of them stays chosen, so
    // no curve of theirs stays on the chart and the new first row is chosen afresh.
    table_->clearSelection();
    applyButton_->setEnabled(false);
    statusLabel_->setText(QStringLiteral("最適化しています..."));
    const int crossover = without.crossover;
    runRow_->start(
        [this, scene, crossover, subsOnly, band, options,
         candidates](std::stop_token stop, const RunRow::Progress& progress, const RunRow::Deliver& deliver) {
            auto positions = std::make_shared<std::vector<Point3>>();
            auto result = std::make_shared<OptimiserResult>();
            auto note = std::make_shared<std::string>(); // why nothing was found, or what was left out
            try {
                const OptimiserRunClock clock(preparingShare(scene, candidates.size(), band, options));
                const SubwooferSpectra spectra = prepareSubwooferSpectra(
                    scene, crossover, subsOnly, band, candidates,
                    [&](double f) {
                        const OptimiserProgress p = clock.preparing(f);
                        progress(p.fraction, p.secondsLeft);
                    },
                    stop);
                *positions = spectra.positions;
                *note = thinnedSubwooferCandidates(spectra);
                if (!stop.stop_requested() && static_cast<int>(spectra.positions.size()) < options.count)
                    *note = tooFewSubwooferCandidates(spectra, options.count);
                else if (!stop.stop_requested())
                    *result = optimiseSubwoofers(
                        spectra, options,
                        [&](OptimiserProgress p) {
                            const OptimiserProgress whole = clock.searching(p);
                            progress(whole.fraction, whole.secondsLeft);
                        },
                        stop);
                result->cancelled = result->cancelled || stop.stop_requested();
            } catch (const std::exception& e) {
                *note = e.what();
                result->cancelled = true;
            }
            deliver([this, result, positions, note] { showResult(*result, *positions, *note); });
        });
}

void SubwooferOptimiserWindow::showResult(const OptimiserResult& result, const std::vector<Point3>& positions,
                                          const std::string& note) {
    result_ = result;
    positions_ = positions;
    stale_ = false;
    runRow_->finish(result.cancelled);
    statusLabel_->setText((result.cancelled ? QStringLiteral("中止しました。") : QStringLiteral("完了。")) +
                          QStringLiteral("調べた組み合わせ: %1").arg(QLocale().toString(result.evaluated)) +
                          (note.empty() ? QString() : QStringLiteral("。") + toQString(note)));
    table_->setRowCount(static_cast<int>(result.best.size()));
    const char separator = decimalSeparator();
    for (int row = 0; row < rowCount(); ++row) {
        const SubwooferConfiguration& c = result.best[static_cast<std::size_t>(row)];
        QStringList subs;
        for (std::size_t n = 0; n < c.subwoofers.size(); ++n) {
            const SubwooferSetting& s = c.subwoofers[n];
            const Point3& p = positions_[static_cast<std::size_t>(s.candidate)];
            subs.append(QStringLiteral("SW%1 (%2, %3, %4) %5 dB %6 ms %7")
                            .arg(n + 1)
                            .arg(toQString(formatPosition(p.x, separator)).trimmed(),
                                 toQString(formatPosition(p.y, separator)).trimmed(),
                                 toQString(formatPosition(p.z, separator)).trimmed(),
                                 QLocale().toString(s.levelDb, 'f', 1), QLocale().toString(s.delayMs, 'f', 1))
                            .arg(s.inverted ? QStringLiteral("−") : QStringLiteral("+")));
        }
        const BassFigures& f = c.figures;
        const QString cells[]{
            QString::number(row + 1),
            decibels(f.score),
            decibels(f.variation),
            decibels(f.targetDeviation),
            f.levelOffset ? QLocale().toString(*f.levelOffset, 'f', 2) : QStringLiteral("—"),
            decibels(f.seat1Spread),
            decibels(f.meanLevel),
            c.eq.empty() ? QStringLiteral("なし") : QStringLiteral("%1 個").arg(c.eq.size()),
            subs.join(QStringLiteral("  "))};
        for (int column = 0; column < table_->columnCount(); ++column)
            table_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table_->resizeColumnsToContents();
    // The setup may have changed while the optimiser ran.
    checkRows();
    // A row chosen now is chosen afresh, and tells the chart, even where the same row number
    // was chosen before.
    table_->clearSelection();
    if (rowCount() > 0)
        table_->selectRow(0);
}

// The rows stay for the user to read, greyed; 最適化 searches the setup as it is now.
void SubwooferOptimiserWindow::checkRows() {
    if (stale_ || result_.best.empty())
        return;
    const BassSetup noSubwoofers;
    if (withSubwoofersOf(document_.setup(), noSubwoofers) == searched_)
        return;
    stale_ = true;
    greyOutRows(*table_);
    statusLabel_->setText(QStringLiteral("結果は古くなりました: 部屋、スピーカー、座席かクロスオーバーが"
                                         "変わりました。最適化し直してください。"));
    emit candidateChanged(std::nullopt);
}

BassSetup SubwooferOptimiserWindow::rowSetup(int row) const {
    BassSetup setup = searched_;
    const char separator = decimalSeparator();
    for (const SubwooferSetting& s : result_.best.at(static_cast<std::size_t>(row)).subwoofers) {
        const Point3& p = positions_.at(static_cast<std::size_t>(s.candidate));
        setup.texts.sources.push_back(
            {formatPosition(p.x, separator), formatPosition(p.y, separator), formatPosition(p.z, separator)});
        setup.subwoofers.push_back({s.levelDb, s.delayMs, s.inverted});
    }
    setup.subwooferEq = result_.best.at(static_cast<std::size_t>(row)).eq;
    return setup;
}

void SubwooferOptimiserWindow::selectionChanged() {
    const QList<QTableWidgetItem*> chosen = table_->selectedItems();
    applyButton_->setEnabled(!chosen.isEmpty());
    exportButton_->setEnabled(!chosen.isEmpty());
    detailsLabel_->setText(chosen.isEmpty() ? QString()
                                            : configurationDetails(result_.best.at(
                                                  static_cast<std::size_t>(chosen.front()->row()))));
    showCandidate();
}

// The chosen row's seats on the chart, with or without its EQ; a stale row's curves would be
// drawn in a room it was not found for.
void SubwooferOptimiserWindow::showCandidate() {
    const QList<QTableWidgetItem*> chosen = table_->selectedItems();
    if (chosen.isEmpty()) {
        emit candidateChanged(std::nullopt);
        return;
    }
    if (stale_)
        return;
    BassSetup setup = rowSetup(chosen.front()->row());
    if (!chartEqBox_->isChecked())
        setup.subwooferEq.clear();
    emit candidateChanged(setup);
}

int SubwooferOptimiserWindow::currentRow(const char* noRow, const char* staleAction) {
    const QList<QTableWidgetItem*> chosen = table_->selectedItems();
    if (chosen.isEmpty())
        throw UserError(noRow);
    checkRows();
    if (stale_)
        throw UserError(
            std::string("この結果は今の部屋、スピーカー、座席とクロスオーバーで求めたものではないため、") +
            staleAction + "。最適化し直してください。");
    return chosen.front()->row();
}

void SubwooferOptimiserWindow::applySelected() {
    const int row = currentRow("適用する行を選んでください", "適用できません");
    // The room, loudspeakers and seats as they are now; only the subwoofers come from the row.
    emit setupApplied(withSubwoofersOf(document_.setup(), rowSetup(row)));
}

void SubwooferOptimiserWindow::exportSelected() {
    const BassSetup setup = rowSetup(currentRow("書き出す行を選んでください", "書き出せません"));
    const FileDialogRequest request{QStringLiteral("テキスト(*.txt)"),
                                    QStringLiteral("*.txt"),
                                    exportProposal_,
                                    QStringLiteral("txt"),
                                    {{QStringLiteral("CSV(*.csv)"), QStringLiteral("*.csv")}}};
    saveThroughDialog(this, request, exportProposal_, [&](const FileChoice& choice) {
        return choice.path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)
                   ? bassSettingsCsv(setup.subwoofers, setup.subwooferEq)
                   : bassSettingsText(setup.subwoofers, setup.subwooferEq);
    });
}

void SubwooferOptimiserWindow::closeEvent(QCloseEvent* event) {
    // A closed window searches no further.
    if (runRow_->end())
        statusLabel_->setText(QStringLiteral("ウィンドウを閉じたため、最適化を中止しました。"));
    QWidget::closeEvent(event);
}

} // namespace kolmarin
