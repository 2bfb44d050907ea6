#include "widgets/placed_controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace kolmarin {

QLabel* placeLabel(QWidget* parent, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

void setCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

QFrame* placeBevel(QWidget* parent, QFrame::Shape shape, const QRect& geometry) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(shape);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(geometry);
    return frame;
}

QLineEdit* placeEdit(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    return box;
}

QPushButton* placeButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

void centreOnScreen(QWidget& window, const QScreen* screen, const QSize& outer) {
    if (!screen)
        return;
    QRect placed(QPoint(), outer);
    placed.moveCenter(screen->availableGeometry().center());
    window.move(placed.topLeft());
}

} // namespace kolmarin
