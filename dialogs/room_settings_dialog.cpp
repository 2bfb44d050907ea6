#include "dialogs/room_settings_dialog.h"

#include "model/layout/dialog_steps.h"
#include "widgets/japanese_fonts.h"
#include "widgets/placed_controls.h"
#include "widgets/ui_support.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
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
constexpr SceneText kBoxTexts[]{
    &SceneTexts::width,           &SceneTexts::depth,          &SceneTexts::height,
    &SceneTexts::reflRight,       &SceneTexts::reflLeft,       &SceneTexts::reflFront,
    &SceneTexts::reflBack,        &SceneTexts::reflFloor,      &SceneTexts::reflCeiling,
    &SceneTexts::reflectionCount, &SceneTexts::startFrequency, &SceneTexts::endFrequency};

} // namespace

RoomSettingsDialog::RoomSettingsDialog(SceneDocument& document, QWidget* parent)
    : QDialog(parent), document_(document) {
    setObjectName(QStringLiteral("roomSettingsDialog"));
    setWindowTitle(QStringLiteral("部屋、計算条件の設定"));
    setFont(japaneseWindowFont(12));

    createMenu();
    auto* client = new QWidget(this);
    client->setFixedSize(kClientWidth, kClientHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar_);
    layout->addWidget(client);

    createBoxes(client);
    createButtons(client);
    showTexts(SceneDocument::Room | SceneDocument::Conditions);
    connect(&document_, &SceneDocument::changed, this, &RoomSettingsDialog::showTexts);
    for (QLineEdit* box :
         {roomWidthBox_, roomDepthBox_, roomHeightBox_, rightReflectionBox_, leftReflectionBox_,
          frontReflectionBox_, backReflectionBox_, floorReflectionBox_, ceilingReflectionBox_})
        box->installEventFilter(this);
    for (QLineEdit* box : findChildren<QLineEdit*>())
        connect(box, &QLineEdit::textChanged, this, &RoomSettingsDialog::takeTypedText);

    setTabOrderAndFocus();

    setFixedSize(sizeHint());
    placeOnScreen();
    // A text the calculation or a command refuses is shown in its box here.
    setSceneTextBoxes([this](SceneText text) { return box(text); });
}

RoomSettingsDialog::~RoomSettingsDialog() {
    setSceneTextBoxes({});
}

void RoomSettingsDialog::createMenu() {
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("menuBar"));
    QMenu* fileMenu = menuBar_->addMenu(QStringLiteral("ファイル(&F)"));
    fileMenu->setFont(font()); // a popup is a window of its own and does not inherit the font
    openRoomAction_ = fileMenu->addAction(QStringLiteral("部屋データを開く(&O)"));
    openRoomAction_->setObjectName(QStringLiteral("openRoomAction"));
    openRoomAction_->setShortcuts(QKeySequence::Open);
    saveRoomAction_ = fileMenu->addAction(QStringLiteral("部屋データの保存(&S)"));
    saveRoomAction_->setObjectName(QStringLiteral("saveRoomAction"));
    saveRoomAction_->setShortcuts(QKeySequence::Save);
    connect(openRoomAction_, &QAction::triggered, this, commandSlot(this, [this] {
                if (openRoomFile() == OpenOutcome::Loaded)
                    document_.commit(QStringLiteral("部屋データを開く"));
            }));
    connect(saveRoomAction_, &QAction::triggered, this, commandSlot(this, [this] { saveRoomFile(); }));
}

void RoomSettingsDialog::createBoxes(QWidget* client) {
    // Room size: three rows of label, box and unit.
    placeBevel(client, QFrame::Box, QRect(8, 8, 140, 108));
    placeLabel(client, QStringLiteral("部屋の大きさ"), 16, 14);
    placeLabel(client, QStringLiteral("幅(短辺)"), 16, 38);
    placeLabel(client, QStringLiteral("奥行き(長辺)"), 16, 64);
    placeLabel(client, QStringLiteral("高さ"), 16, 90);
    roomWidthBox_ = placeEdit(client, "roomWidthBox", QString(), QRect(88, 34, kEditWidth, kEditHeight));
    roomDepthBox_ = placeEdit(client, "roomDepthBox", QString(), QRect(88, 60, kEditWidth, kEditHeight));
    roomHeightBox_ = placeEdit(client, "roomHeightBox", QString(), QRect(88, 86, kEditWidth, kEditHeight));
    placeLabel(client, QStringLiteral("m"), 134, 38);
    placeLabel(client, QStringLiteral("m"), 134, 64);
    placeLabel(client, QStringLiteral("m"), 134, 90);

    // Reflection coefficients: the opposite surfaces side by side.
    placeBevel(client, QFrame::Box, QRect(156, 8, 164, 108));
    placeLabel(client, QStringLiteral("部屋の反射率"), 164, 14);
    placeLabel(client, QStringLiteral("右"), 164, 38);
    placeLabel(client, QStringLiteral("正面"), 164, 64);
    placeLabel(client, QStringLiteral("床面"), 164, 90);
    placeLabel(client, QStringLiteral("左"), 245, 38);
    placeLabel(client, QStringLiteral("後面"), 245, 64);
    placeLabel(client, QStringLiteral("天井"), 245, 90);
    rightReflectionBox_ =
        placeEdit(client, "rightReflectionBox", QString(), QRect(192, 34, kEditWidth, kEditHeight));
    frontReflectionBox_ =
        placeEdit(client, "frontReflectionBox", QString(), QRect(192, 60, kEditWidth, kEditHeight));
    floorReflectionBox_ =
        placeEdit(client, "floorReflectionBox", QString(), QRect(192, 86, kEditWidth, kEditHeight));
    leftReflectionBox_ =
        placeEdit(client, "leftReflectionBox", QString(), QRect(273, 34, kEditWidth, kEditHeight));
    backReflectionBox_ =
        placeEdit(client, "backReflectionBox", QString(), QRect(273, 60, kEditWidth, kEditHeight));
    ceilingReflectionBox_ =
        placeEdit(client, "ceilingReflectionBox", QString(), QRect(273, 86, kEditWidth, kEditHeight));

    // Calculation conditions and the limits the calculation applies to them.
    placeBevel(client, QFrame::Box, QRect(328, 8, 175, 108));
    placeLabel(client, QStringLiteral("計算条件"), 336, 14);
    placeLabel(client, QStringLiteral("反射回数"), 336, 38);
    placeLabel(client, QStringLiteral("開始周波数"), 336, 64);
    placeLabel(client, QStringLiteral("終了周波数"), 336, 90);
    reflectionCountBox_ =
        placeEdit(client, "reflectionCountBox", QString(), QRect(404, 34, kEditWidth, kEditHeight));
    startFrequencyBox_ =
        placeEdit(client, "startFrequencyBox", QString(), QRect(404, 60, kEditWidth, kEditHeight));
    endFrequencyBox_ =
        placeEdit(client, "endFrequencyBox", QString(), QRect(404, 86, kEditWidth, kEditHeight));
    placeLabel(client, QStringLiteral("回"), 450, 38);
    placeLabel(client, QStringLiteral("Hz"), 450, 64);
    placeLabel(client, QStringLiteral("Hz"), 450, 90);
    // How each image's delay enters the calculation (DelayModel's order).
    placeLabel(client, QStringLiteral("像の遅延"), 16, 128);
    delayModelBox_ = new QComboBox(client);
    delayModelBox_->setObjectName(QStringLiteral("delayModelBox"));
    delayModelBox_->addItems({QStringLiteral("サンプル単位"), QStringLiteral("連続")});
    delayModelBox_->setToolTip(
        QStringLiteral("サンプル単位: 遅延を 4096 Hz のサンプルに丸めます (8.4 cm、既定)。\n"
                       "連続: 像ごとの本当の経路長で計算します。"));
    delayModelBox_->setGeometry(88, 124, 120, kEditHeight + 4);
    connect(delayModelBox_, &QComboBox::currentIndexChanged, this, &RoomSettingsDialog::takeTypedText);
    placeLabel(client, QStringLiteral("反射回数の上限は200"), 330, 124);
    placeLabel(client, QStringLiteral("計算可能周波数は10Hz～500Hz"), 330, 142);
}

void RoomSettingsDialog::createButtons(QWidget* client) {
    modesButton_ =
        placeButton(client, "modesButton", QStringLiteral("固有モード計算"), QRect(8, 170, 113, 25));
    applyButton_ = placeButton(client, "applyButton", QStringLiteral("適用(&A)"), QRect(318, 170, 89, 25));
    okButton_ = placeButton(client, "okButton", QStringLiteral("OK(&C)"), QRect(414, 170, 89, 25));
    connect(modesButton_, &QPushButton::clicked, this, &RoomSettingsDialog::modesRequested);
    connect(applyButton_, &QPushButton::clicked, this, commandSlot(this, [this] { apply(); }));
    connect(okButton_, &QPushButton::clicked, this, commandSlot(this, [this] { acceptSettings(); }));
}

void RoomSettingsDialog::setTabOrderAndFocus() {
    const QList<QWidget*> tabOrder{
        applyButton_,        roomWidthBox_,         roomDepthBox_,       roomHeightBox_,
        rightReflectionBox_, leftReflectionBox_,    frontReflectionBox_, backReflectionBox_,
        floorReflectionBox_, ceilingReflectionBox_, modesButton_,        reflectionCountBox_,
        startFrequencyBox_,  endFrequencyBox_,      delayModelBox_,      okButton_};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    applyButton_->setFocus();
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
    document_.apply();
    document_.commit(QStringLiteral("部屋、計算条件の変更"));
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
    texts.width = toStdString(roomWidthBox_->text());
    texts.depth = toStdString(roomDepthBox_->text());
    texts.height = toStdString(roomHeightBox_->text());
    texts.reflRight = toStdString(rightReflectionBox_->text());
    texts.reflLeft = toStdString(leftReflectionBox_->text());
    texts.reflFront = toStdString(frontReflectionBox_->text());
    texts.reflBack = toStdString(backReflectionBox_->text());
    texts.reflFloor = toStdString(floorReflectionBox_->text());
    texts.reflCeiling = toStdString(ceilingReflectionBox_->text());
    texts.reflectionCount = toStdString(reflectionCountBox_->text());
    texts.startFrequency = toStdString(startFrequencyBox_->text());
    texts.endFrequency = toStdString(endFrequencyBox_->text());
    texts.delays = static_cast<DelayModel>(delayModelBox_->currentIndex());
}

void RoomSettingsDialog::writeTexts(const SceneTexts& texts) {
    SceneTexts merged = texts;
    const SceneTexts& current = document_.texts();
    merged.sources = current.sources;
    merged.seats = current.seats;
    document_.setTexts(merged);
}

void RoomSettingsDialog::showTexts(SceneDocument::Changes what) {
    if (!(what & (SceneDocument::Room | SceneDocument::Conditions)))
        return;
    const SceneTexts& texts = document_.texts();
    showing_ = true;
    for (SceneText which : kBoxTexts) {
        // A box keeps its cursor and its own undo while its text stays the same.
        QLineEdit* edit = box(which);
        if (edit->text() != toQString(texts.*which))
            edit->setText(toQString(texts.*which));
    }
    delayModelBox_->setCurrentIndex(static_cast<int>(texts.delays));
    showing_ = false;
}

// What is typed counts for the next calculation before Apply, as the box's text always did.
void RoomSettingsDialog::takeTypedText() {
    if (showing_)
        return;
    SceneTexts texts = document_.texts();
    readTexts(texts);
    document_.setTexts(texts);
}

QLineEdit* RoomSettingsDialog::box(SceneText text) const {
    const std::pair<SceneText, QLineEdit*> boxes[]{
        {&SceneTexts::width, roomWidthBox_},
        {&SceneTexts::depth, roomDepthBox_},
        {&SceneTexts::height, roomHeightBox_},
        {&SceneTexts::reflRight, rightReflectionBox_},
        {&SceneTexts::reflLeft, leftReflectionBox_},
        {&SceneTexts::reflFront, frontReflectionBox_},
        {&SceneTexts::reflBack, backReflectionBox_},
        {&SceneTexts::reflFloor, floorReflectionBox_},
        {&SceneTexts::reflCeiling, ceilingReflectionBox_},
        {&SceneTexts::reflectionCount, reflectionCountBox_},
        {&SceneTexts::startFrequency, startFrequencyBox_},
        {&SceneTexts::endFrequency, endFrequencyBox_},
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
    const bool dimension = box == roomWidthBox_ || box == roomDepthBox_ || box == roomHeightBox_;
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
