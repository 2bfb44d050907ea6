#include "dialogs/axis_settings_dialog.h"

#include "model/text/number_text.h"
#include "widgets/chart_axes.h"
#include "widgets/japanese_fonts.h"
#include "widgets/placed_controls.h"
#include "widgets/ui_support.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace kolmarin {

namespace {

constexpr int kClientWidth = 282;
constexpr int kClientHeight = 262;

QCheckBox* checkBox(QWidget* parent, const char* name, int x, int y) {
    auto* box = new QCheckBox(QStringLiteral("自動"), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(x, y, 57, 25);
    return box;
}

// Automatic: the boxes only show the range, read-only on the light 3-D face colour.
// Fixed: editable on white.
void setRangeLook(QLineEdit* minBox, QLineEdit* maxBox, bool automatic) {
    for (QLineEdit* box : {minBox, maxBox}) {
        box->setReadOnly(automatic);
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base,
                         automatic ? box->palette().color(QPalette::Midlight) : QColor(Qt::white));
        box->setPalette(palette);
    }
}

// Both texts are converted before anything changes, so a bad text leaves the chart and
// the looks as they were.
void applyAxis(ChartAxes& chart, ChartAxis axis, const QCheckBox* automatic, QLineEdit* minBox,
               QLineEdit* maxBox) {
    const double min = readDecimalBox(minBox);
    const double max = readDecimalBox(maxBox);
    if (automatic->isChecked()) {
        chart.setAxisAutomatic(axis);
        setRangeLook(minBox, maxBox, true);
    } else {
        chart.setAxisRange(axis, min, max);
        setRangeLook(minBox, maxBox, false);
    }
}

} // namespace

AxisSettingsDialog::AxisSettingsDialog(ChartAxes& chart, QWidget* parent) : QDialog(parent), chart_(chart) {
    setObjectName(QStringLiteral("axisSettingsDialog"));
    setWindowTitle(QStringLiteral("グラフ軸の設定"));
    setFont(japaneseWindowFont(12));
    setFixedSize(kClientWidth, kClientHeight);

    // Frames first, so they lie beneath the controls drawn on them.
    placeBevel(this, QFrame::Box, QRect(24, 16, 233, 89));
    placeBevel(this, QFrame::Box, QRect(24, 120, 233, 89));

    placeLabel(this, QStringLiteral("グラフ縦軸（音圧：ｄＢ）範囲指定"), 32, 24);
    levelAutoBox_ = checkBox(this, "levelAutoBox", 48, 40);
    levelMinBox_ = placeEdit(this, "levelMinBox", QStringLiteral("-25"), QRect(80, 72, 33, 21));
    placeLabel(this, QStringLiteral("dBから"), 120, 80);
    levelMaxBox_ = placeEdit(this, "levelMaxBox", QStringLiteral("25"), QRect(168, 72, 33, 21));
    placeLabel(this, QStringLiteral("dBまで"), 208, 80);

    placeLabel(this, QStringLiteral("グラフ横軸（周波数:Hz）範囲指定"), 32, 128);
    frequencyAutoBox_ = checkBox(this, "frequencyAutoBox", 48, 144);
    frequencyAutoBox_->setChecked(true);
    frequencyMinBox_ = placeEdit(this, "frequencyMinBox", QStringLiteral("20"), QRect(80, 176, 33, 21));
    placeLabel(this, QStringLiteral("Hzから"), 120, 184);
    frequencyMaxBox_ = placeEdit(this, "frequencyMaxBox", QStringLiteral("500"), QRect(168, 176, 33, 21));
    placeLabel(this, QStringLiteral("Hzまで"), 208, 184);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setGeometry(96, 224, 89, 33);
    okButton_->setDefault(true);

    setRangeLook(levelMinBox_, levelMaxBox_, false);
    setRangeLook(frequencyMinBox_, frequencyMaxBox_, true);

    // Connected after the initial states are set: the chart starts in the same states.
    connect(levelAutoBox_, &QCheckBox::toggled, this, commandSlot(this, [this] { applyLevelAxis(); }));
    connect(frequencyAutoBox_, &QCheckBox::toggled, this,
            commandSlot(this, [this] { applyFrequencyAxis(); }));
    connect(okButton_, &QPushButton::clicked, this, commandSlot(this, [this] { acceptSettings(); }));

    const QList<QWidget*> tabOrder{okButton_,         levelAutoBox_,    levelMinBox_,    levelMaxBox_,
                                   frequencyAutoBox_, frequencyMinBox_, frequencyMaxBox_};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    okButton_->setFocus();

    centreOnScreen(*this, QGuiApplication::primaryScreen(), size());
}

void AxisSettingsDialog::applyLevelAxis() {
    applyAxis(chart_, ChartAxis::Level, levelAutoBox_, levelMinBox_, levelMaxBox_);
}

void AxisSettingsDialog::applyFrequencyAxis() {
    applyAxis(chart_, ChartAxis::Frequency, frequencyAutoBox_, frequencyMinBox_, frequencyMaxBox_);
}

void AxisSettingsDialog::acceptSettings() {
    applyLevelAxis();
    applyFrequencyAxis();
    hide();
}

std::optional<LevelRange> AxisSettingsDialog::fixedLevelRange() const {
    if (levelAutoBox_->isChecked())
        return std::nullopt;
    const std::int32_t min = readWholeBox(levelMinBox_);
    const std::int32_t max = readWholeBox(levelMaxBox_);
    return LevelRange{min, max};
}

} // namespace kolmarin
