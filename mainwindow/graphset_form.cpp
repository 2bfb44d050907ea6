#include "mainwindow/graphset_form.h"

#include "mainwindow/chart_axes.h"
#include "mainwindow/japanese_fonts.h"
#include "mainwindow/ui_support.h"
#include "model/acoustics/number_text.h"

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

void bevel(QWidget* parent, int x, int y, int w, int h) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(x, y, w, h);
}

void label(QWidget* parent, const QString& text, int x, int y) {
    auto* caption = new QLabel(text, parent);
    caption->move(x, y);
    caption->adjustSize();
}

QCheckBox* checkBox(QWidget* parent, const char* name, int x, int y) {
    auto* box = new QCheckBox(QStringLiteral("自動"), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(x, y, 57, 25);
    return box;
}

QLineEdit* edit(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(x, y, 33, 21);
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

TgraphsetForm::TgraphsetForm(ChartAxes& chart, QWidget* parent) : QDialog(parent), chart_(chart) {
    setObjectName(QStringLiteral("graphsetForm"));
    setWindowTitle(QStringLiteral("グラフ軸の設定"));
    setFont(japaneseWindowFont(12));
    setFixedSize(kClientWidth, kClientHeight);

    // Frames first, so they lie beneath the controls drawn on them.
    bevel(this, 24, 16, 233, 89);
    bevel(this, 24, 120, 233, 89);

    label(this, QStringLiteral("グラフ縦軸（音圧：ｄＢ）範囲指定"), 32, 24);
    CheckBoxAutoY = checkBox(this, "CheckBoxAutoY", 48, 40);
    EditminY = edit(this, "EditminY", QStringLiteral("-25"), 80, 72);
    label(this, QStringLiteral("dBから"), 120, 80);
    EditmaxY = edit(this, "EditmaxY", QStringLiteral("25"), 168, 72);
    label(this, QStringLiteral("dBまで"), 208, 80);

    label(this, QStringLiteral("グラフ横軸（周波数:Hz）範囲指定"), 32, 128);
    CheckBoxAutoX = checkBox(this, "CheckBoxAutoX", 48, 144);
    CheckBoxAutoX->setChecked(true);
    EditminX = edit(this, "EditminX", QStringLiteral("20"), 80, 176);
    label(this, QStringLiteral("Hzから"), 120, 184);
    EditmaxX = edit(this, "EditmaxX", QStringLiteral("500"), 168, 176);
    label(this, QStringLiteral("Hzまで"), 208, 184);

    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->setObjectName(QStringLiteral("OK"));
    OK->setGeometry(96, 224, 89, 33);
    OK->setDefault(true);

    setRangeLook(EditminY, EditmaxY, false);
    setRangeLook(EditminX, EditmaxX, true);

    // Connected after the initial states are set: the chart starts in the same states.
    connect(CheckBoxAutoY, &QCheckBox::toggled, this,
            [this] { runCommand(this, [this] { CheckBoxAutoYClick(); }); });
    connect(CheckBoxAutoX, &QCheckBox::toggled, this,
            [this] { runCommand(this, [this] { CheckBoxAutoXClick(); }); });
    connect(OK, &QPushButton::clicked, this, [this] { runCommand(this, [this] { OKClick(); }); });

    const QList<QWidget*> tabOrder{OK, CheckBoxAutoY, EditminY, EditmaxY, CheckBoxAutoX, EditminX, EditmaxX};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    OK->setFocus();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect placed(QPoint(), size());
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
}

void TgraphsetForm::CheckBoxAutoYClick() {
    applyAxis(chart_, ChartAxis::Level, CheckBoxAutoY, EditminY, EditmaxY);
}

void TgraphsetForm::CheckBoxAutoXClick() {
    applyAxis(chart_, ChartAxis::Frequency, CheckBoxAutoX, EditminX, EditmaxX);
}

void TgraphsetForm::OKClick() {
    CheckBoxAutoYClick();
    CheckBoxAutoXClick();
    hide();
}

} // namespace kolmarin
