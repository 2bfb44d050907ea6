// Before and after: a curve kept on the chart to compare against, either the Total as it
// stands (比較用に保持) or a measurement read from a curve text, and the Total written in
// that same text, so the simulation can be laid over a measurement in either program.
#include "files/curve_text.h"
#include "mainwindow/chart_panel.h"
#include "mainwindow/main_window.h"
#include "widgets/response_chart.h"
#include "widgets/save_command.h"
#include "widgets/ui_support.h"

#include <QAction>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>

#include <cmath>

namespace kolmarin {

void MainWindow::createReferenceCommands() {
    calculationMenu_->addSeparator();
    keepReferenceAction_ = calculationMenu_->addAction(QStringLiteral("比較用に保持"));
    loadReferenceAction_ = calculationMenu_->addAction(QStringLiteral("比較用の曲線を読み込む..."));
    clearReferenceAction_ = calculationMenu_->addAction(QStringLiteral("比較用の曲線を消す"));
    // After the chart image, before the print commands.
    saveCurveTextAction_ = new QAction(QStringLiteral("曲線をテキストで書き出す..."), fileMenu_);
    const QList<QAction*> items = fileMenu_->actions();
    fileMenu_->insertAction(items.value(items.indexOf(saveChartImageAction_) + 1), saveCurveTextAction_);
    const std::pair<QAction*, const char*> names[]{{keepReferenceAction_, "keepReferenceAction"},
                                                   {loadReferenceAction_, "loadReferenceAction"},
                                                   {clearReferenceAction_, "clearReferenceAction"},
                                                   {saveCurveTextAction_, "saveCurveTextAction"}};
    for (const auto& [action, name] : names)
        action->setObjectName(QString::fromLatin1(name));
    connect(keepReferenceAction_, &QAction::triggered, this, commandSlot(this, [this] { keepReference(); }));
    connect(loadReferenceAction_, &QAction::triggered, this, commandSlot(this, [this] { loadReference(); }));
    connect(clearReferenceAction_, &QAction::triggered, this,
            commandSlot(this, [this] { chart_->chart().clearReference(); }));
    connect(saveCurveTextAction_, &QAction::triggered, this, commandSlot(this, [this] { saveCurveText(); }));
}

void MainWindow::keepReference() {
    if (!document_.result().calculated())
        throw UserError("保持する Total がまだ計算されていません");
    QVector<double> frequencies;
    QVector<double> levels;
    for (const CurvePoint& p : totalCurvePoints(document_.result().curves, document_.result().computed)) {
        frequencies.append(p.frequency);
        levels.append(p.level);
    }
    chart_->chart().showReference(QStringLiteral("比較"), frequencies, levels);
}

// A measurement holds an absolute sound pressure level while the simulation's levels are
// relative to the source, so the curve is moved as a whole to the Total's mean over the
// frequencies both cover: the shapes, which are what the room does, then lie over each
// other. The shift stands in the legend. Only the calculable range is drawn, so the
// frequency axis keeps its scale.
void MainWindow::loadReference() {
    const QString path = askFileName(
        this, FileDialogKind::Open,
        {QStringLiteral("測定データ"), QStringLiteral("*.txt *.frd *.csv"), referenceProposal_, QString()});
    if (path.isEmpty())
        return;
    referenceProposal_ = path;
    const std::vector<CurvePoint> points = readCurveFile(path);
    const SceneResult& result = document_.result();
    QVector<double> frequencies;
    QVector<double> levels;
    double measured = 0;
    double simulated = 0;
    int common = 0;
    for (const CurvePoint& p : points) {
        if (p.frequency < kLowestFrequency || p.frequency > kHighestFrequency)
            continue;
        frequencies.append(p.frequency);
        levels.append(p.level);
        const int j = static_cast<int>(std::lround(2 * p.frequency));
        if (j >= result.computed.first && j <= result.computed.last) {
            measured += p.level;
            simulated += result.curves.total[static_cast<std::size_t>(j)];
            ++common;
        }
    }
    if (frequencies.isEmpty())
        throw UserError(QStringLiteral("%1: 10 Hz から 500 Hz の点がありません").arg(path).toStdString());
    const double shift = common > 0 ? (simulated - measured) / common : 0.0;
    for (double& level : levels)
        level += shift;
    chart_->chart().showReference(
        QStringLiteral("比較 (%1, %2 dB)").arg(QFileInfo(path).fileName(), QLocale().toString(shift, 'f', 1)),
        frequencies, levels);
}

void MainWindow::saveCurveText() {
    if (!document_.result().calculated())
        throw UserError("書き出す曲線がまだ計算されていません");
    // The curves are the last calculation's, so its delay model names them.
    CurveSubject subject = curveSubject(bassSetup());
    subject.delays = document_.result().scene.delays;
    saveThroughDialog(
        this, {QStringLiteral("曲線のテキスト"), QStringLiteral("*.txt"), QString(), QStringLiteral("txt")},
        curveTextProposal_, totalCurveText(document_.result().curves, document_.result().computed, subject));
}

} // namespace kolmarin
