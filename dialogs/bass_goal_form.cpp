#include "dialogs/bass_goal_form.h"

#include "files/curve_text.h"
#include "widgets/ui_support.h"
#include "widgets/user_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace kolmarin {

namespace {

QDoubleSpinBox* decimalBox(double low, double high, double value, double step, const QString& suffix,
                           const QString& tip) {
    auto* box = new QDoubleSpinBox;
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setValue(value);
    box->setSuffix(suffix);
    box->setToolTip(tip);
    return box;
}

QWidget* row(std::initializer_list<QWidget*> widgets) {
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    layout->addStretch(1);
    return holder;
}

enum TargetChoice { Flat, House, OwnFile };

} // namespace

BassGoalForm::BassGoalForm(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(createObjectiveRows());
    layout->addWidget(createLimitRows());
    const std::pair<QWidget*, const char*> names[]{{objectiveBox_, "objectiveBox"},
                                                   {variationWeightBox_, "variationWeightBox"},
                                                   {targetWeightBox_, "targetWeightBox"},
                                                   {targetBox_, "targetBox"},
                                                   {targetLevelBox_, "targetLevelBox"},
                                                   {eqBox_, "eqFilterBox"},
                                                   {boostBox_, "boostBox"},
                                                   {delayBox_, "mostDelayBox"},
                                                   {commonLevelBox_, "commonLevelBox"},
                                                   {commonPolarityBox_, "commonPolarityBox"},
                                                   {seat1WeightBox_, "seat1WeightBox"},
                                                   {leastMeanBox_, "leastMeanBox"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));
}

// The objective, its weights and the target.
QWidget* BassGoalForm::createObjectiveRows() {
    objectiveBox_ = new QComboBox;
    objectiveBox_->addItems(
        {QStringLiteral("ばらつき + 目標との差"), QStringLiteral("座席間のばらつきだけ")});
    objectiveBox_->setToolTip(QStringLiteral(
        "評価 (小さいほどよい) の決め方です。\n"
        "ばらつき + 目標との差: 座席間のばらつき (EQ では直せない、席ごとの違い) の重み倍と、\n"
        "座席の平均の曲線が目標カーブからどれだけずれるか (EQ の後、帯域での標準偏差) の重み倍の和。\n"
        "座席の平均レベルは目標レベルの ±3 dB に保ち、外れる組み合わせはどれよりも後に回します。\n"
        "座席間のばらつきだけ: 以前の評価です。レベルを下げるほどよく見えることがあります。"));
    variationWeightBox_ =
        decimalBox(0, 10, 1, 0.1, QString(), QStringLiteral("座席間のばらつきに掛ける重み"));
    targetWeightBox_ = decimalBox(0, 10, 1, 0.1, QString(), QStringLiteral("目標カーブとの差に掛ける重み"));
    targetBox_ = new QComboBox;
    targetBox_->addItems(
        {QStringLiteral("平坦"), QStringLiteral("ハウスカーブ"), QStringLiteral("ファイル...")});
    targetBox_->setToolTip(
        QStringLiteral("座席の平均の曲線が目指す形です。ハウスカーブは、折れ点から 20 Hz まで\n"
                       "対数周波数で直線に持ち上がります。ファイルは「周波数 レベル」の行で、\n"
                       "最後の点を 0 dB とします。"));
    riseBox_ = decimalBox(0, 20, 6, 0.5, QStringLiteral(" dB"), QStringLiteral("20 Hz での持ち上げ"));
    cornerBox_ = new QSpinBox;
    cornerBox_->setRange(21, 500);
    cornerBox_->setValue(60);
    cornerBox_->setSuffix(QStringLiteral(" Hz"));
    cornerBox_->setToolTip(QStringLiteral("持ち上げが始まる折れ点"));
    targetFileLabel_ = new QLabel;
    targetLevelBox_ = decimalBox(
        -100.5, 150, -100.5, 0.5, QStringLiteral(" dB"),
        QStringLiteral("座席の平均レベルを保つ中心です。既定はスピーカー (クロスオーバーより上の\n"
                       "1 オクターブ) の座席での平均レベル。クロスオーバーがなければ保ちません。"));
    targetLevelBox_->setSpecialValueText(QStringLiteral("スピーカーに合わせる"));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QStringLiteral("評価"), objectiveBox_);
    form->addRow(QStringLiteral("重み (ばらつき, 目標)"), row({variationWeightBox_, targetWeightBox_}));
    form->addRow(QStringLiteral("目標カーブ"), row({targetBox_, riseBox_, cornerBox_, targetFileLabel_}));
    form->addRow(QStringLiteral("目標レベル"), targetLevelBox_);
    connect(targetBox_, &QComboBox::activated, this, commandSlot(this, [this] {
                if (targetBox_->currentIndex() == OwnFile) {
                    const QString path = askFileName(this, FileDialogKind::Open,
                                                     {QStringLiteral("目標カーブ (周波数 レベル)(*.txt)"),
                                                      QStringLiteral("*.txt"), targetPath_, QString()});
                    if (!path.isEmpty())
                        setTargetFile(path);
                }
                showTargetChoice();
            }));
    auto* holder = new QWidget;
    holder->setLayout(form);
    showTargetChoice();
    return holder;
}

// The EQ and what a processor allows.
QWidget* BassGoalForm::createLimitRows() {
    eqBox_ = new QSpinBox;
    eqBox_->setRange(0, kMostEqFilters);
    eqBox_->setValue(4);
    eqBox_->setSuffix(QStringLiteral(" 個"));
    eqBox_->setToolTip(
        QStringLiteral("サブウーファーの系統に共通のピーキング EQ (48 kHz) のフィルターの数。\n"
                       "配置ごとに周波数、ゲイン、Q を合わせ、評価が下がるときだけ使います。"));
    boostBox_ = decimalBox(
        0, 6, 3, 0.5, QStringLiteral(" dB"),
        QStringLiteral("1 個のフィルターで持ち上げてよい量 (0: 下げるだけ)。下げるのは -15 dB まで、"
                       "Q は 0.5 から 10"));
    delayBox_ = decimalBox(0, 20, kDefaultMostDelayMs, 0.5, QStringLiteral(" ms"),
                           QStringLiteral("プロセッサーで設定できる遅れの上限"));
    commonLevelBox_ = new QCheckBox(QStringLiteral("レベルを共通にする (1 出力から分岐)"));
    commonPolarityBox_ = new QCheckBox(QStringLiteral("極性を共通にする"));
    seat1WeightBox_ =
        decimalBox(0, 10, 0, 0.1, QString(), QStringLiteral("座席 1 自身の周波数ごとのばらつきに掛ける重み"));
    leastMeanBox_ = decimalBox(-100, 60, -100, 1, QStringLiteral(" dB"),
                               QStringLiteral("平均レベルがこれを下回る組み合わせを後に回します"));
    leastMeanBox_->setSpecialValueText(QStringLiteral("なし"));
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QStringLiteral("EQ フィルター"),
                 row({eqBox_, new QLabel(QStringLiteral("持ち上げ上限")), boostBox_}));
    form->addRow(QStringLiteral("遅れの上限"), delayBox_);
    form->addRow(QString(), row({commonLevelBox_, commonPolarityBox_}));
    form->addRow(QStringLiteral("座席 1 の重み"),
                 row({seat1WeightBox_, new QLabel(QStringLiteral("平均レベルの下限")), leastMeanBox_}));
    auto* holder = new QWidget;
    holder->setLayout(form);
    return holder;
}

void BassGoalForm::setTargetFile(const QString& path) {
    targetPath_ = path;
    targetBox_->setCurrentIndex(path.isEmpty() ? Flat : OwnFile);
    targetFileLabel_->setText(QFileInfo(path).fileName());
    showTargetChoice();
}

void BassGoalForm::showTargetChoice() {
    const int choice = targetBox_->currentIndex();
    if (choice == OwnFile && targetPath_.isEmpty())
        targetBox_->setCurrentIndex(Flat);
    riseBox_->setVisible(targetBox_->currentIndex() == House);
    cornerBox_->setVisible(targetBox_->currentIndex() == House);
    targetFileLabel_->setVisible(targetBox_->currentIndex() == OwnFile);
}

void BassGoalForm::fill(OptimiserOptions& options) const {
    OptimiserGoal& goal = options.goal;
    goal.objective = objectiveBox_->currentIndex() == 0 ? BassObjective::Combined : BassObjective::Variation;
    goal.variationWeight = variationWeightBox_->value();
    goal.targetWeight = targetWeightBox_->value();
    if (goal.variationWeight == 0.0 && goal.targetWeight == 0.0)
        throw UserError("重みのどちらかは 0 より大きくしてください");
    switch (targetBox_->currentIndex()) {
    case House:
        goal.target = {
            TargetCurve::Kind::House, riseBox_->value(), static_cast<double>(cornerBox_->value()), {}};
        break;
    case OwnFile:
        goal.target = readTargetCurve(targetPath_);
        break;
    default:
        goal.target = {};
    }
    goal.targetLevelDb.reset();
    if (targetLevelBox_->value() > targetLevelBox_->minimum())
        goal.targetLevelDb = targetLevelBox_->value();
    goal.eqFilters = eqBox_->value();
    goal.eqLimits.mostBoostDb = boostBox_->value();
    goal.seat1Weight = seat1WeightBox_->value();
    goal.leastMeanDb.reset();
    if (leastMeanBox_->value() > leastMeanBox_->minimum())
        goal.leastMeanDb = leastMeanBox_->value();
    options.mostDelayMs = delayBox_->value();
    options.commonLevel = commonLevelBox_->isChecked();
    options.commonPolarity = commonPolarityBox_->isChecked();
}

} // namespace kolmarin
