#include "dialogs/subwoofer_optimiser_window.h"

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

    runRow_ = new RunRow(QStringLiteral("最適化"));

    table_ = new QTableWidget(0, 5);
    table_->setHorizontalHeaderLabels({QStringLiteral("順位"), QStringLiteral("座席間ばらつき dB"),
                                       QStringLiteral("座席 1 ばらつき dB"), QStringLiteral("平均 dB"),
                                       QStringLiteral("サブウーファー (x, y, z m / dB / ms / 極性)")});
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    statusLabel_ = new QLabel;
    applyButton_ = new QPushButton(QStringLiteral("適用"));
    applyButton_->setEnabled(false);
    exportButton_ = new QPushButton(QStringLiteral("設定を書き出す..."));
    exportButton_->setEnabled(false);
    exportButton_->setToolTip(QStringLiteral("選んだ行の各サブウーファーのレベル (dB)、遅れ (ms と、音が 344 "
                                             "m/s でその間に進む距離 m) と極性を、\n"
                                             "AV アンプやプロセッサーに入れる設定としてテキストか CSV "
                                             "(名前が .csv で終わるとき) で書き出します。"));
    auto* foot = new QHBoxLayout;
    foot->addWidget(statusLabel_, 1);
    foot->addWidget(exportButton_);
    foot->addWidget(applyButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(runRow_);
    layout->addWidget(table_, 1);
    layout->addLayout(foot);
    resize(900, 420);

    const std::pair<QWidget*, const char*> names[]{
        {countBox_, "countBox"},       {lowBox_, "bandLowBox"},         {highBox_, "bandHighBox"},
        {applyButton_, "applyButton"}, {exportButton_, "exportButton"}, {table_, "resultTable"},
        {statusLabel_, "statusLabel"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));
    connect(runRow_, &RunRow::startClicked, this, commandSlot(this, [this] { startSearch(); }));
    connect(applyButton_, &QPushButton::clicked, this, commandSlot(this, [this] { applySelected(); }));
    connect(exportButton_, &QPushButton::clicked, this, commandSlot(this, [this] { exportSelected(); }));
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            commandSlot(this, [this] { selectionChanged(); }));
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
    // Optional goals beside the variation: seat 1's own evenness, and enough output.
    seat1WeightBox_ = new QDoubleSpinBox;
    seat1WeightBox_->setRange(0, 10);
    seat1WeightBox_->setSingleStep(0.1);
    seat1WeightBox_->setValue(0);
    leastMeanBox_ = new QDoubleSpinBox;
    leastMeanBox_->setRange(-100, 60);
    leastMeanBox_->setValue(-100);
    leastMeanBox_->setSpecialValueText(QStringLiteral("なし"));
    leastMeanBox_->setSuffix(QStringLiteral(" dB"));
    subsOnlyBox_ = new QCheckBox(QStringLiteral("サブウーファーだけで比較する (スピーカーを除く)"));
    form->addRow(QStringLiteral("座席 1 のばらつきの重み"), seat1WeightBox_);
    form->addRow(QStringLiteral("平均レベルの下限"), leastMeanBox_);
    form->addRow(QString(), subsOnlyBox_);
    seat1WeightBox_->setObjectName(QStringLiteral("seat1WeightBox"));
    leastMeanBox_->setObjectName(QStringLiteral("leastMeanBox"));
    subsOnlyBox_->setObjectName(QStringLiteral("subsOnlyBox"));
    return form;
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
    options.goal.seat1Weight = seat1WeightBox_->value();
    if (leastMeanBox_->value() > leastMeanBox_->minimum())
        options.goal.leastMeanDb = leastMeanBox_->value();
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
        const QString cells[]{QString::number(row + 1), decibels(c.figures.variation),
                              decibels(c.figures.seat1Spread), decibels(c.figures.meanLevel),
                              subs.join(QStringLiteral("  "))};
        for (int column = 0; column < 5; ++column)
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
    return setup;
}

void SubwooferOptimiserWindow::selectionChanged() {
    const QList<QTableWidgetItem*> chosen = table_->selectedItems();
    applyButton_->setEnabled(!chosen.isEmpty());
    exportButton_->setEnabled(!chosen.isEmpty());
    // A stale row's curves would be drawn in a room it was not found for.
    if (!chosen.isEmpty() && !stale_)
        emit candidateChanged(rowSetup(chosen.front()->row()));
    else if (chosen.isEmpty())
        emit candidateChanged(std::nullopt);
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
    const std::vector<SubwooferSignal> subwoofers =
        rowSetup(currentRow("書き出す行を選んでください", "書き出せません")).subwoofers;
    const FileDialogRequest request{QStringLiteral("テキスト(*.txt)"),
                                    QStringLiteral("*.txt"),
                                    exportProposal_,
                                    QStringLiteral("txt"),
                                    {{QStringLiteral("CSV(*.csv)"), QStringLiteral("*.csv")}}};
    saveThroughDialog(this, request, exportProposal_, [&](const FileChoice& choice) {
        return choice.path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)
                   ? bassSettingsCsv(subwoofers, {})
                   : bassSettingsText(subwoofers, {});
    });
}

void SubwooferOptimiserWindow::closeEvent(QCloseEvent* event) {
    // A closed window searches no further.
    if (runRow_->end())
        statusLabel_->setText(QStringLiteral("ウィンドウを閉じたため、最適化を中止しました。"));
    QWidget::closeEvent(event);
}

} // namespace kolmarin
