#include "dialogs/waterfall_window.h"

#include "printing/picture_print.h"
#include "widgets/japanese_fonts.h"
#include "widgets/save_command.h"
#include "widgets/ui_support.h"

#include <QBuffer>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kolmarin {

// The drawing area: paints whatever picture the window holds.
class WaterfallView : public QWidget {
  public:
    explicit WaterfallView(const WaterfallPicture& picture) : picture_(picture) {
        setMinimumSize(520, 340);
        setObjectName(QStringLiteral("waterfallView"));
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paintWaterfall(painter, QRectF(rect()), picture_);
    }

  private:
    const WaterfallPicture& picture_;
};

namespace {

QDoubleSpinBox* millisecondsBox(double low, double high, double value, const char* name) {
    auto* box = new QDoubleSpinBox;
    box->setRange(low, high);
    box->setDecimals(1);
    box->setValue(value);
    box->setSuffix(QStringLiteral(" ms"));
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QSpinBox* wholeBox(int low, int high, int value, const QString& suffix, const char* name) {
    auto* box = new QSpinBox;
    box->setRange(low, high);
    box->setValue(value);
    box->setSuffix(suffix);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QHBoxLayout* pair(QWidget* a, QWidget* b) {
    auto* row = new QHBoxLayout;
    row->addWidget(a);
    row->addWidget(new QLabel(QStringLiteral("–")));
    row->addWidget(b);
    return row;
}

const char* curveName(int index) {
    return index == 1 ? "SP1" : index == 2 ? "SP2" : "Total";
}

} // namespace

WaterfallWindow::WaterfallWindow(const SceneDocument& document, SharedPrinter& printer, QWidget* parent)
    : QWidget(parent, Qt::Window), printer_(printer), document_(document) {
    setWindowTitle(QStringLiteral("減衰 (滝グラフ)"));
    setFont(japaneseWindowFont());
    setObjectName(QStringLiteral("waterfallWindow"));

    QFormLayout* form = createSettingBoxes();

    messageLabel_ = new QLabel;
    messageLabel_->setObjectName(QStringLiteral("waterfallMessage"));
    messageLabel_->setWordWrap(true);
    view_ = new WaterfallView(picture_);
    view_->setToolTip(
        QStringLiteral("リスニング位置での音の消え方です。手前のスライスが定常状態 (グラフの曲線と同じ) で、"
                       "奥へ行くほど音が止まってからの時間が経っています。奥まで高く残る山は、長く鳴り続ける"
                       "モード (ブーミーな低音) です。"));
    auto* saveButton = new QPushButton(QStringLiteral("画像として保存..."));
    auto* printButton = new QPushButton(QStringLiteral("印刷..."));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(messageLabel_, 1);
    buttons->addWidget(saveButton);
    buttons->addWidget(printButton);

    decayLabel_ = new QLabel;
    decayLabel_->setObjectName(QStringLiteral("waterfallDecayTimes"));
    decayLabel_->setWordWrap(true);
    decayLabel_->setToolTip(QStringLiteral(
        "1/3 オクターブごとに、音が止まってから 60 dB 小さくなるまでの時間 (秒) です。"
        "「-」は、その帯域のフィルタ自身の響きと見分けられないほど短いか、求められないことを示します。"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(view_, 1);
    layout->addWidget(decayLabel_);
    layout->addLayout(buttons);

    const auto changed = [this] { redraw(); };
    for (QComboBox* box : {curveBox_, styleBox_})
        connect(box, &QComboBox::currentIndexChanged, this, changed);
    for (QSpinBox* box : {lowBox_, highBox_, slicesBox_})
        connect(box, &QSpinBox::valueChanged, this, changed);
    for (QDoubleSpinBox* box : {firstBox_, lastBox_, windowBox_, riseBox_})
        connect(box, &QDoubleSpinBox::valueChanged, this, changed);
    connect(saveButton, &QPushButton::clicked, this, commandSlot(this, [this] { saveImage(); }));
    connect(printButton, &QPushButton::clicked, this, commandSlot(this, [this] { print(); }));
    resize(720, 560);

    // A calculation that failed leaves the last responses shown; a save under a new name
    // retitles them.
    const auto takeResult = [this] {
        if (!document_.result().calculated())
            return;
        responses_ = document_.result().impulses;
        haveResponses_ = true;
        if (isVisible())
            redraw();
    };
    connect(&document, &SceneDocument::calculated, this, takeResult);
    connect(&document, &SceneDocument::changed, this, [this](SceneDocument::Changes what) {
        if (what.testFlag(SceneDocument::Caption) && isVisible())
            redraw();
    });
    takeResult();
}

// The curve, the style, the band, the time span and the slices, in a form.
QFormLayout* WaterfallWindow::createSettingBoxes() {
    const WaterfallSettings defaults;
    curveBox_ = new QComboBox;
    curveBox_->addItems({QStringLiteral("Total"), QStringLiteral("SP1"), QStringLiteral("SP2")});
    curveBox_->setObjectName(QStringLiteral("waterfallCurveBox"));
    styleBox_ = new QComboBox;
    styleBox_->addItems({QStringLiteral("滝グラフ"), QStringLiteral("スペクトログラム")});
    styleBox_->setObjectName(QStringLiteral("waterfallStyleBox"));
    lowBox_ = wholeBox(10, 500, defaults.band.low, QStringLiteral(" Hz"), "waterfallLowBox");
    highBox_ = wholeBox(10, 500, defaults.band.high, QStringLiteral(" Hz"), "waterfallHighBox");
    firstBox_ = millisecondsBox(0, kLongestWindowMs, defaults.firstMs, "waterfallFirstBox");
    lastBox_ = millisecondsBox(0, kLongestWindowMs, defaults.lastMs, "waterfallLastBox");
    slicesBox_ = wholeBox(1, kMostSlices, defaults.slices, QString(), "waterfallSlicesBox");
    windowBox_ = millisecondsBox(1, kLongestWindowMs, defaults.windowMs, "waterfallWindowBox");
    riseBox_ = millisecondsBox(0, kLongestWindowMs / 2, defaults.riseMs, "waterfallRiseBox");
    windowBox_->setToolTip(
        QStringLiteral("各スライスで使うインパルス応答の長さです。長いほど周波数の分解能が上がり、"
                       "短いほど時間の変化を細かく追えます。"));
    riseBox_->setToolTip(QStringLiteral("窓の両端をなめらかに立ち上げ・下げる長さです。"
                                        "スペクトログラムでは使いません (窓全体がハン窓です)。"));
    slicesBox_->setToolTip(QStringLiteral("開始から終了までを等間隔に切るスライスの数です。"));

    auto* form = new QFormLayout;
    auto* choices = new QHBoxLayout;
    choices->addWidget(curveBox_);
    choices->addWidget(styleBox_);
    form->addRow(QStringLiteral("曲線・表示"), choices);
    form->addRow(QStringLiteral("周波数"), pair(lowBox_, highBox_));
    form->addRow(QStringLiteral("時間"), pair(firstBox_, lastBox_));
    auto* window = new QHBoxLayout;
    window->addWidget(slicesBox_);
    window->addWidget(new QLabel(QStringLiteral("窓")));
    window->addWidget(windowBox_);
    window->addWidget(new QLabel(QStringLiteral("立ち上がり")));
    window->addWidget(riseBox_);
    form->addRow(QStringLiteral("スライス数"), window);
    return form;
}

void WaterfallWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    redraw();
}

WaterfallSettings WaterfallWindow::readSettings() const {
    WaterfallSettings s;
    s.band = {lowBox_->value(), highBox_->value()};
    s.firstMs = firstBox_->value();
    s.lastMs = lastBox_->value();
    s.slices = slicesBox_->value();
    s.windowMs = windowBox_->value();
    s.riseMs = riseBox_->value();
    return s;
}

void WaterfallWindow::redraw() {
    if (!haveResponses_)
        return;
    try {
        const WaterfallSettings settings = readSettings();
        checkWaterfallSettings(settings);
        const int curve = curveBox_->currentIndex();
        const std::vector<double> impulse = impulseResponseOf(responses_, curve == 1   ? ImpulseCurve::Sp1
                                                                          : curve == 2 ? ImpulseCurve::Sp2
                                                                                       : ImpulseCurve::Total);
        const bool spectrogram = styleBox_->currentIndex() == 1;
        // A spectrogram's window is a Hann window whole: the rise has no say there.
        riseBox_->setEnabled(!spectrogram);
        picture_.waterfall = spectrogram ? computeSpectrogram(impulse, settings, responses_.delays)
                                         : computeWaterfall(impulse, settings, responses_.delays);
        QStringList times;
        for (const double centre : thirdOctaveCentres()) {
            const std::optional<double> t60 = thirdOctaveDecayTime(impulse, centre);
            // No-break spaces hold each band and its time together; lines break only
            // between bands.
            times.append(QLocale().toString(centre) + QStringLiteral("\u00a0Hz\u00a0") +
                         (t60 ? QLocale().toString(*t60, 'f', 2) : QStringLiteral("-")));
        }
        decayLabel_->setText(QStringLiteral("残響時間\u00a0T60\u00a0(秒):  ") +
                             times.join(QStringLiteral("   ")));
        picture_.style = spectrogram ? WaterfallStyle::Spectrogram : WaterfallStyle::Slices;
        picture_.title = document_.caption() + QStringLiteral("   ") + QString::fromLatin1(curveName(curve));
        messageLabel_->clear();
    } catch (const UserError& e) {
        // The picture stays as it was until the settings make sense again.
        messageLabel_->setText(QString::fromUtf8(e.what()));
    }
    view_->update();
}

QByteArray WaterfallWindow::imageBytes(ChartImageFormat format) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QSize size = view_->size();
    if (format == ChartImageFormat::Png) {
        if (!waterfallImage(picture_, size, 2.0).save(&buffer, "PNG"))
            throw UserError("滝グラフの画像を作れませんでした");
        return bytes;
    }
    {
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Kolmarin2"));
        writer.setResolution(72);
        writer.setPageSize(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter;
        if (!painter.begin(&writer))
            throw UserError("滝グラフの画像を作れませんでした");
        paintWaterfall(painter, QRectF(QPointF(0, 0), QSizeF(size)), picture_);
    }
    return bytes;
}

void WaterfallWindow::saveImage() {
    saveImageThroughDialog(this, imageProposal_,
                           [this](ChartImageFormat format) { return imageBytes(format); });
}

void WaterfallWindow::print() {
    printPicture(*this, printer_.printer(), QStringLiteral("Waterfall"),
                 [this](QPainter& painter, const QRectF& area) { paintWaterfall(painter, area, picture_); });
}

} // namespace kolmarin
