#include "widgets/ui_support.h"

#include "files/locale_text.h"
#include "model/errors.h"

#include <QMessageBox>

#include <exception>

namespace kolmarin {

namespace {
ErrorBoxHandler& errorBoxHandler() {
    static ErrorBoxHandler handler;
    return handler;
}
} // namespace

void setErrorBoxHandler(ErrorBoxHandler handler) {
    errorBoxHandler() = std::move(handler);
}

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
    return decimalSeparatorOf(QLocale());
}

} // namespace kolmarin
