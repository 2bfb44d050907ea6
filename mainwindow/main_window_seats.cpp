// Seats besides the listener, set out from the window: one at a time, a row or a grid
// around the listener, or all taken away, each an undo step. They are the document's
// setup's seats, as a setup file's are, so the setup file saves them.
#include "mainwindow/main_window.h"
#include "mainwindow/plan_panel.h"

#include "dialogs/room_settings_dialog.h"
#include "dialogs/seat_rows_dialog.h"
#include "model/text/number_text.h"
#include "widgets/ui_support.h"

#include <QAction>
#include <QMenu>

#include <optional>
#include <string>
#include <vector>

namespace kolmarin {

namespace {

// The choice the arrange dialog starts from: the last one made.
SeatRowsChoice lastSeatRows;

} // namespace

void MainWindow::createSeatCommands() {
    QMenu* seats = calculationMenu_->addMenu(QStringLiteral("座席"));
    seats->setObjectName(QStringLiteral("seatsMenu"));
    QAction* add = seats->addAction(QStringLiteral("座席を追加"));
    QAction* arrange = seats->addAction(QStringLiteral("座席を並べる..."));
    QAction* clear = seats->addAction(QStringLiteral("座席をすべて消す"));
    add->setObjectName(QStringLiteral("addSeatAction"));
    arrange->setObjectName(QStringLiteral("arrangeSeatsAction"));
    clear->setObjectName(QStringLiteral("clearSeatsAction"));
    connect(add, &QAction::triggered, this, commandSlot(this, [this] { addSeat(); }));
    connect(arrange, &QAction::triggered, this, commandSlot(this, [this] { arrangeSeats(); }));
    connect(clear, &QAction::triggered, this,
            commandSlot(this, [this] { setExtraSeats({}, QStringLiteral("座席の消去")); }));
}

std::vector<Point3> MainWindow::extraSeats() const {
    const char separator = decimalSeparator();
    std::vector<Point3> seats;
    const BassSetup setup = document_.setup();
    for (std::size_t i = 1; i < setup.texts.seats.size(); ++i) {
        const PositionTexts& p = setup.texts.seats[i];
        seats.push_back(
            {parseDecimal(p.x, separator), parseDecimal(p.y, separator), parseDecimal(p.z, separator)});
    }
    return seats;
}

void MainWindow::addSeat() {
    std::vector<Point3> seats = extraSeats();
    if (static_cast<int>(seats.size()) >= kMostExtraSeats)
        throw UserError("座席は聴取者のほかに " + std::to_string(kMostExtraSeats) + " 席までです");
    seats.push_back(nextSeat(planPanel_->position(PlacedObject::Listener), seats, roomSize(Coordinate::X),
                             roomSize(Coordinate::Y)));
    setExtraSeats(seats, QStringLiteral("座席の追加"));
}

void MainWindow::arrangeSeats() {
    const std::optional<SeatRowsChoice> choice = askSeatRows(this, lastSeatRows);
    if (!choice)
        return;
    lastSeatRows = *choice;
    setExtraSeats(kolmarin::arrangeSeats(choice->pattern, planPanel_->position(PlacedObject::Listener),
                                         choice->count, choice->spacing, roomSize(Coordinate::X),
                                         roomSize(Coordinate::Y)),
                  QStringLiteral("座席を並べる"));
}

void MainWindow::setExtraSeats(const std::vector<Point3>& seats, const QString& step) {
    const char separator = decimalSeparator();
    BassSetup setup = document_.setup();
    setup.texts.seats.resize(1);
    for (const Point3& p : seats)
        setup.texts.seats.push_back(
            {formatPosition(p.x, separator), formatPosition(p.y, separator), setup.texts.seats.front().z});
    document_.setSetup(setup);
    recalculateResponse();
    document_.commit(step);
}

} // namespace kolmarin
