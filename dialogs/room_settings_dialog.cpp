#include "dialogs/room_settings_dialog.h"

#include "model/dialog_steps.h"
#include "widgets/japanese_fonts.h"
#include "widgets/ui_support.h"

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

RoomSettingsDialog::RoomSettingsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("roomSettingsDialog"));
    setWindowTitle(QStringLiteral("部屋、計算条件の設定"));
    setFont(japaneseWindowFont(12));

    menuBar = new QMenuBar(this);
    QMenu* fileMenu = menuBar->addMenu(QStringLiteral("ファイル(&F)"));
    fileMenu->setFont(font()); // a popup is a window of its own and does not inherit the font
    openRoomAction = fileMenu->addAction(QStringLiteral("部屋データを開く(&O)"));
    openRoomAction->setObjectName(QStringLiteral("openRoomAction"));
    saveRoomAction = fileMenu->addAction(QStringLiteral("部屋データの保存(&S)"));
    saveRoomAction->setObjectName(QStringLiteral("saveRoomAction"));
    connect(openRoomAction, &QAction::triggered, this,
            [this] { runCommand(this, [this] { openRoomFile(); }); });
    connect(saveRoomAction, &QAction::triggered, this,
            [this] { runCommand(this, [this] { saveRoomFile(); }); });

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
    roomWidthBox = edit(client, "roomWidthBox", QString(), 88, 34);
    roomDepthBox = edit(client, "roomDepthBox", QString(), 88, 60);
    roomHeightBox = edit(client, "roomHeightBox", QString(), 88, 86);
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
    rightReflectionBox = edit(client, "rightReflectionBox", QString(), 192, 34);
    frontReflectionBox = edit(client, "frontReflectionBox", QString(), 192, 60);
    floorReflectionBox = edit(client, "floorReflectionBox", QString(), 192, 86);
    leftReflectionBox = edit(client, "leftReflectionBox", QString(), 273, 34);
    backReflectionBox = edit(client, "backReflectionBox", QString(), 273, 60);
    ceilingReflectionBox = edit(client, "ceilingReflectionBox", QString(), 273, 86);

    // Calculation conditions and the limits the calculation applies to them.
    bevel(client, 328, 8, 175, 108);
    label(client, QStringLiteral("計算条件"), 336, 14);
    label(client, QStringLiteral("反射回数"), 336, 38);
    label(client, QStringLiteral("開始周波数"), 336, 64);
    label(client, QStringLiteral("終了周波数"), 336, 90);
    reflectionCountBox = edit(client, "reflectionCountBox", QString(), 404, 34);
    startFrequencyBox = edit(client, "startFrequencyBox", QString(), 404, 60);
    endFrequencyBox = edit(client, "endFrequencyBox", QString(), 404, 86);
    label(client, QStringLiteral("回"), 450, 38);
    label(client, QStringLiteral("Hz"), 450, 64);
    label(client, QStringLiteral("Hz"), 450, 90);
    label(client, QStringLiteral("反射回数の上限は200"), 330, 124);
    label(client, QStringLiteral("計算可能周波数は10Hz～500Hz"), 330, 142);

    modesButton = button(client, "modesButton", QStringLiteral("固有モード計算"), 8, 170, 113);
    applyButton = button(client, "applyButton", QStringLiteral("適用(&A)"), 318, 170, 89);
    okButton = button(client, "okButton", QStringLiteral("OK(&C)"), 414, 170, 89);
    // The eigenmode window is not connected yet.
    modesButton->setEnabled(false);

    connect(applyButton, &QPushButton::clicked, this, [this] { runCommand(this, [this] { apply(); }); });
    connect(okButton, &QPushButton::clicked, this,
            [this] { runCommand(this, [this] { acceptSettings(); }); });

    writeTexts(startupTexts(decimalSeparator()));

    for (QLineEdit* box : {roomWidthBox, roomDepthBox, roomHeightBox, rightReflectionBox, leftReflectionBox,
                           frontReflectionBox, backReflectionBox, floorReflectionBox, ceilingReflectionBox})
        box->installEventFilter(this);

    const QList<QWidget*> tabOrder{
        applyButton,       roomWidthBox,       roomDepthBox,      roomHeightBox,      rightReflectionBox,
        leftReflectionBox, frontReflectionBox, backReflectionBox, floorReflectionBox, ceilingReflectionBox,
        modesButton,       reflectionCountBox, startFrequencyBox, endFrequencyBox,    okButton};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    applyButton->setFocus();

    setFixedSize(sizeHint());
    placeOnScreen();
}

void RoomSettingsDialog::placeOnScreen() {
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

void RoomSettingsDialog::apply() {
    if (applyScene)
        applyScene();
}

void RoomSettingsDialog::acceptSettings() {
    apply();
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

void RoomSettingsDialog::readTexts(SceneTexts& texts) const {
    texts.width = toStdString(roomWidthBox->text());
    texts.depth = toStdString(roomDepthBox->text());
    texts.height = toStdString(roomHeightBox->text());
    texts.reflRight = toStdString(rightReflectionBox->text());
    texts.reflLeft = toStdString(leftReflectionBox->text());
    texts.reflFront = toStdString(frontReflectionBox->text());
    texts.reflBack = toStdString(backReflectionBox->text());
    texts.reflFloor = toStdString(floorReflectionBox->text());
    texts.reflCeiling = toStdString(ceilingReflectionBox->text());
    texts.reflectionCount = toStdString(reflectionCountBox->text());
    texts.startFrequency = toStdString(startFrequencyBox->text());
    texts.endFrequency = toStdString(endFrequencyBox->text());
}

void RoomSettingsDialog::writeTexts(const SceneTexts& texts) {
    roomWidthBox->setText(toQString(texts.width));
    roomDepthBox->setText(toQString(texts.depth));
    roomHeightBox->setText(toQString(texts.height));
    rightReflectionBox->setText(toQString(texts.reflRight));
    leftReflectionBox->setText(toQString(texts.reflLeft));
    frontReflectionBox->setText(toQString(texts.reflFront));
    backReflectionBox->setText(toQString(texts.reflBack));
    floorReflectionBox->setText(toQString(texts.reflFloor));
    ceilingReflectionBox->setText(toQString(texts.reflCeiling));
    reflectionCountBox->setText(toQString(texts.reflectionCount));
    startFrequencyBox->setText(toQString(texts.startFrequency));
    endFrequencyBox->setText(toQString(texts.endFrequency));
}

QLineEdit* RoomSettingsDialog::box(SceneText text) const {
    const std::pair<SceneText, QLineEdit*> boxes[]{
        {&SceneTexts::width, roomWidthBox},
        {&SceneTexts::depth, roomDepthBox},
        {&SceneTexts::height, roomHeightBox},
        {&SceneTexts::reflRight, rightReflectionBox},
        {&SceneTexts::reflLeft, leftReflectionBox},
        {&SceneTexts::reflFront, frontReflectionBox},
        {&SceneTexts::reflBack, backReflectionBox},
        {&SceneTexts::reflFloor, floorReflectionBox},
        {&SceneTexts::reflCeiling, ceilingReflectionBox},
        {&SceneTexts::reflectionCount, reflectionCountBox},
        {&SceneTexts::startFrequency, startFrequencyBox},
        {&SceneTexts::endFrequency, endFrequencyBox},
    };
    for (const auto& [which, edit] : boxes)
        if (which == text)
            return edit;
    return nullptr;
}

bool RoomSettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* box = qobject_cast<QLineEdit*>(watched);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (!box || (key != Qt::Key_Up && key != Qt::Key_Down))
        return QDialog::eventFilter(watched, event);

    const StepDirection direction = key == Qt::Key_Up ? StepDirection::Up : StepDirection::Down;
    const bool dimension = box == roomWidthBox || box == roomDepthBox || box == roomHeightBox;
    runCommand(this, [&] {
        const std::string text = toStdString(box->text());
        if (dimension) {
            if (const auto stepped = stepDimensionText(text, direction, decimalSeparator()))
                box->setText(toQString(*stepped));
        } else {
            box->setText(toQString(stepCoefficientText(text, direction, decimalSeparator())));
        }
        apply();
    });
    // The box still gets the key, as it would without the step.
    return false;
}

} // namespace kolmarin
