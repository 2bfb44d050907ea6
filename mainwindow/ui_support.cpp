#include "mainwindow/ui_support.h"

#include "model/errors.h"

#include <QLocale>
#include <QMessageBox>

#include <exception>

namespace kolmarin {

namespace {
ErrorBoxHandler& errorBoxHandler() {
    static ErrorBoxHandler handler;
    return handler;
}
} // namespace

void setErrorBoxHandler(ErrorBoxHandler handler) { errorBoxHandler() = std::move(handler); }

void showErrorBox(QWidget* parent, const QString& message) {
    if (errorBoxHandler()) {
        errorBoxHandler()(parent, message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Kolmarin2"), message, QMessageBox::Ok, parent);
    box.exec();
}

bool runCommand(QWidget* parent, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const std::exception& e) {
        showErrorBox(parent, QString::fromUtf8(e.what()));
    }
    return false;
}

char decimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point.at(0).unicode() < 128 ? static_cast<char>(point.at(0).unicode()) : '.';
}

} // namespace kolmarin
