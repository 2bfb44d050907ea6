#include "dialogs/room_form.h"

#include "mainwindow/japanese_fonts.h"
#include "mainwindow/ui_support.h"
#include "model/layout/dialog_steps.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace kolmarin {

namespace {

constexpr int kClientWidth = 511;
constexpr int kClientHeight = 205;
constexpr int kEditWidth = 41;
constexpr int kEditHeight = 21;

QFrame* bevel(QWidget* parent, int x, int y, int w, int h) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(x, y, w, h);
    return frame;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y) {
    auto* caption = new QLabel(text, parent);
    caption->move(x, y);
    caption->adjustSize();
    return caption;
}

QLineEdit* edit(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(x, y, kEditWidth, kEditHeight);
    return box;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, int x, int y, int w) {
    auto* push = new QPushButton(text, parent);
    push->setObjectName(QString::fromLatin1(name));
    push->setGeometry(x, y, w, 25);
    // Enter in a box must not press whichever button last had the focus.
    push->setAutoDefault(false);
    return push;
}

} // namespace

TroomForm::TroomForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("roomForm"));
    setWindowTitle(QStringLiteral("部屋、計算条件の設定"));
    setFont(japaneseWindowFont(12));

    menuBar = new QMenuBar(this);
    QMenu* fileMenu = menuBar->addMenu(QStringLiteral("ファイル(&F)"));
    fileMenu->setFont(font()); // a popup is a window of its own and does not inherit the font
    O1 = fileMenu->addAction(QStringLiteral("部屋データを開く(&O)"));
    O1->setObjectName(QStringLiteral("O1"));
    S1 = fileMenu->addAction(QStringLiteral("部屋データの保存(&S)"));
    S1->setObjectName(QStringLiteral("S1"));
    connect(O1, &QAction::triggered, this, [this] { runCommand(this, [this] { O1Click(); }); });
    connect(S1, &QAction::triggered, this, [this] { runCommand(this, [this] { S1Click(); }); });

    auto* client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(client);

    // Room size: three rows of label, box and unit.
    bevel(client, 8, 8, 140, 108);
    label(client, QStringLiteral("部屋の大きさ"), 16, 14);
    label(client, QStringLiteral("幅(短辺)"), 16, 38);
    label(client, QStringLiteral("奥行き(長辺)"), 16, 64);
    label(client, QStringLiteral("高さ"), 16, 90);
    EditRoomW = edit(client, "EditRoomW", QString(), 88, 34);
    EditRoomD = edit(client, "EditRoomD", QString(), 88, 60);
    EditRoomH = edit(client, "EditRoomH", QString(), 88, 86);
    label(client, QStringLiteral("m"), 134, 38);
    label(client, QStringLiteral("m"), 134, 64);
    label(client, QStringLiteral("m"), 134, 90);

    // Reflection coefficients: the opposite surfaces side by side.
    bevel(client, 156, 8, 164, 108);
    label(client, QStringLiteral("部屋の反射率"), 164, 14);
    label(client, QStringLiteral("右"), 164, 38);
    label(client, QStringLiteral("正面"), 164, 64);
    label(client, QStringLiteral("床面"), 164, 90);
    label(client, QStringLiteral("左"), 245, 38);
    label(client, QStringLiteral("後面"), 245, 64);
    label(client, QStringLiteral("天井"), 245, 90);
    EditRefR = edit(client, "EditRefR", QString(), 192, 34);
    EditRefF = edit(client, "EditRefF", QString(), 192, 60);
    EditRefFloor = edit(client, "EditRefFloor", QString(), 192, 86);
    EditRefL = edit(client, "EditRefL", QString(), 273, 34);
    EditRefB = edit(client, "EditRefB", QString(), 273, 60);
    EditRefC = edit(client, "EditRefC", QString(), 273, 86);

    // Calculation conditions and the limits the calculation applies to them.
    bevel(client, 328, 8, 175, 108);
    label(client, QStringLiteral("計算条件"), 336, 14);
    label(client, QStringLiteral("反射回数"), 336, 38);
    label(client, QStringLiteral("開始周波数"), 336, 64);
    label(client, QStringLiteral("終了周波数"), 336, 90);
    EditRefN = edit(client, "EditRefN", QString(), 404, 34);
    EditSHz = edit(client, "EditSHz", QString(), 404, 60);
    EditEHz = edit(client, "EditEHz", QString(), 404, 86);
    label(client, QStringLiteral("回"), 450, 38);
    label(client, QStringLiteral("Hz"), 450, 64);
    label(client, QStringLiteral("Hz"), 450, 90);
    label(client, QStringLiteral("反射回数の上限は200"), 330, 124);
    label(client, QStringLiteral("計算可能周波数は10Hz～500Hz"), 330, 142);

    Button1 = button(client, "Button1", QStringLiteral("固有モード計算"), 8, 170, 113);
    Button2 = button(client, "Button2", QStringLiteral("適用(&A)"), 318, 170, 89);
    Button3 = button(client, "Button3", QStringLiteral("OK(&C)"), 414, 170, 89);
    // The eigenmode window is not connected yet.
    Button1->setEnabled(false);

    connect(Button2, &QPushButton::clicked, this, [this] { runCommand(this, [this] { Button2Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { runCommand(this, [this] { Button3Click(); }); });

    writeTexts(startupTexts(decimalSeparator()));

    for (QLineEdit* box :
         {EditRoomW, EditRoomD, EditRoomH, EditRefR, EditRefL, EditRefF, EditRefB, EditRefFloor, EditRefC})
        box->installEventFilter(this);

    const QList<QWidget*> tabOrder{Button2,  EditRoomW, EditRoomD, EditRoomH,    EditRefR,
                                   EditRefL, EditRefF,  EditRefB,  EditRefFloor, EditRefC,
                                   Button1,  EditRefN,  EditSHz,   EditEHz,      Button3};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    Button2->setFocus();

    setFixedSize(sizeHint());
    placeOnScreen();
}

void TroomForm::placeOnScreen() {
    // The designed place, moved up or left only as far as a small screen needs to show the
    // whole dialog. The frame is not known before the first showing; a title bar and
    // border of usual size are allowed for.
    QPoint place(178, 520);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        const QSize outer = size() + QSize(8, 32);
        place.setX(std::max(available.left(), std::min(place.x(), available.right() + 1 - outer.width())));
        place.setY(std::max(available.top(), std::min(place.y(), available.bottom() + 1 - outer.height())));
    }
    move(place);
}

void TroomForm::Button2Click() {
    if (applyScene)
        applyScene();
}

void TroomForm::Button3Click() {
    Button2Click();
    hide();
    QWidget* mainWindow = parentWidget() ? parentWidget()->window() : nullptr;
    if (!mainWindow) {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMainWindow*>(top)) {
                mainWindow = top;
                break;
            }
        }
    }
    if (mainWindow) {
        mainWindow->show();
        mainWindow->raise();
        mainWindow->activateWindow();
    }
}

void TroomForm::readTexts(SceneTexts& texts) const {
    texts.width = toStdString(EditRoomW->text());
    texts.depth = toStdString(EditRoomD->text());
    texts.height = toStdString(EditRoomH->text());
    texts.reflRight = toStdString(EditRefR->text());
    texts.reflLeft = toStdString(EditRefL->text());
    texts.reflFront = toStdString(EditRefF->text());
    texts.reflBack = toStdString(EditRefB->text());
    texts.reflFloor = toStdString(EditRefFloor->text());
    texts.reflCeiling = toStdString(EditRefC->text());
    texts.reflectionCount = toStdString(EditRefN->text());
    texts.startFrequency = toStdString(EditSHz->text());
    texts.endFrequency = toStdString(EditEHz->text());
}

void TroomForm::writeTexts(const SceneTexts& texts) {
    EditRoomW->setText(toQString(texts.width));
    EditRoomD->setText(toQString(texts.depth));
    EditRoomH->setText(toQString(texts.height));
    EditRefR->setText(toQString(texts.reflRight));
    EditRefL->setText(toQString(texts.reflLeft));
    EditRefF->setText(toQString(texts.reflFront));
    EditRefB->setText(toQString(texts.reflBack));
    EditRefFloor->setText(toQString(texts.reflFloor));
    EditRefC->setText(toQString(texts.reflCeiling));
    EditRefN->setText(toQString(texts.reflectionCount));
    EditSHz->setText(toQString(texts.startFrequency));
    EditEHz->setText(toQString(texts.endFrequency));
}

QLineEdit* TroomForm::box(SceneText text) const {
    const std::pair<SceneText, QLineEdit*> boxes[]{
        {&SceneTexts::width, EditRoomW},        {&SceneTexts::depth, EditRoomD},
        {&SceneTexts::height, EditRoomH},       {&SceneTexts::reflRight, EditRefR},
        {&SceneTexts::reflLeft, EditRefL},      {&SceneTexts::reflFront, EditRefF},
        {&SceneTexts::reflBack, EditRefB},      {&SceneTexts::reflFloor, EditRefFloor},
        {&SceneTexts::reflCeiling, EditRefC},   {&SceneTexts::reflectionCount, EditRefN},
        {&SceneTexts::startFrequency, EditSHz}, {&SceneTexts::endFrequency, EditEHz},
    };
    for (const auto& [which, edit] : boxes)
        if (which == text)
            return edit;
    return nullptr;
}

bool TroomForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* box = qobject_cast<QLineEdit*>(watched);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (!box || (key != Qt::Key_Up && key != Qt::Key_Down))
        return QDialog::eventFilter(watched, event);

    const StepDirection direction = key == Qt::Key_Up ? StepDirection::Up : StepDirection::Down;
    const bool dimension = box == EditRoomW || box == EditRoomD || box == EditRoomH;
    runCommand(this, [&] {
        const std::string text = toStdString(box->text());
        if (dimension) {
            if (const auto stepped = stepDimensionText(text, direction, decimalSeparator()))
                box->setText(toQString(*stepped));
        } else {
            box->setText(toQString(stepCoefficientText(text, direction, decimalSeparator())));
        }
        Button2Click();
    });
    // The box still gets the key, as it would without the step.
    return false;
}

} // namespace kolmarin
