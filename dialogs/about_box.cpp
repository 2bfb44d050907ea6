#include "dialogs/about_box.h"

#include "widgets/japanese_fonts.h"
#include "widgets/placed_controls.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <qdrawutil.h>

#include <algorithm>

namespace kolmarin {

namespace {

constexpr int kClientWidth = 244;
constexpr int kClientHeight = 230;

// A panel whose edge is a lowered bevel with a raised one inside it, one pixel each.
class BevelPanel : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        qDrawShadePanel(&painter, rect(), palette(), true, 1);
        qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

// The program's picture: the room seen from above, quartered, with a standing wave across
// it, the two loudspeakers at the front wall and the listener. The same drawing as the
// program's icon file, on a 64-unit square scaled to the area.
class ProgramPicture : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const double side = std::min(width(), height());
        p.translate((width() - side) / 2, (height() - side) / 2);
        p.scale(side / 64, side / 64);

        p.setPen(QPen(QColor(0x3a, 0x4a, 0x5c), 2));
        p.setBrush(QColor(0xf4, 0xf6, 0xfa));
        p.drawRoundedRect(QRectF(1, 1, 62, 62), 6, 6);

        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(12, 6, 40, 52));
        p.drawLine(QPointF(32, 6), QPointF(32, 58));
        p.drawLine(QPointF(12, 32), QPointF(52, 32));

        QPainterPath wave(QPointF(12, 46));
        wave.cubicTo(18, 30, 22, 52, 28, 40);
        wave.cubicTo(34, 28, 38, 22, 44, 38);
        wave.cubicTo(50, 54, 50, 44, 52, 36);
        p.setPen(QPen(QColor(0x1f, 0x4f, 0xd8), 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);

        p.fillRect(QRectF(15, 10, 7, 7), Qt::black);
        p.fillRect(QRectF(42, 10, 7, 7), QColor(0xe0, 0x20, 0x20));
        p.setPen(QPen(Qt::black, 0.8));
        p.setBrush(QColor(0x00, 0xe0, 0xe0));
        p.drawEllipse(QPointF(32, 44), 3.5, 3.5);
    }
};

} // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(japaneseWindowFont(12));
    setFixedSize(kClientWidth, kClientHeight);
    setModal(true);

    // A lowered outer and a raised inner bevel.
    auto* panel = new BevelPanel(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setGeometry(7, 7, 226, 186);

    auto* programPicture = new ProgramPicture(panel);
    programPicture->setObjectName(QStringLiteral("programPicture"));
    programPicture->setGeometry(8, 8, 121, 113);

    QFont nameFont = japaneseWindowFont(16);
    nameFont.setBold(true);
    auto* productName = new QLabel(QStringLiteral("Kolmarin2"), panel);
    productName->setObjectName(QStringLiteral("productName"));
    productName->setFont(nameFont);
    productName->move(137, 15);
    productName->adjustSize();
    auto* version = new QLabel(QStringLiteral("バージョン0.90"), panel);
    version->setObjectName(QStringLiteral("version"));
    version->move(137, 45);
    version->adjustSize();

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setGeometry(94, 197, 69, 23);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::showEvent(QShowEvent* event) {
    // move() places the frame, so the frame is what is centred.
    centreOnScreen(*this, screen(), frameGeometry().size());
    QDialog::showEvent(event);
}

} // namespace kolmarin
