#include "widgets/ui_support.h"

#include "files/locale_text.h"
#include "model/errors.h"
#include "model/text/number_text.h"

#include <QDir>
#include <QMessageBox>

#include <exception>
#include <utility>

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

void showErrorBox(QWidget* parent, const QString& message, const QString& detail) {
    if (errorBoxHandler()) {
        errorBoxHandler()(parent, message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Kolmarin2"), message, QMessageBox::Ok, parent);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.exec();
}

namespace {

// Brings the box's window forward and selects the box's whole text.
void showBox(QLineEdit* box) {
    if (!box)
        return;
    QWidget* window = box->window();
    window->show();
    window->raise();
    window->activateWindow();
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
}

template <class Parse> auto readBox(QLineEdit* box, Parse parse) {
    try {
        return parse(box->text().toStdString());
    } catch (const UserError& e) {
        throw BoxTextError(e.what(), box);
    }
}

} // namespace

double readDecimalBox(QLineEdit* box) {
    return readBox(box, [](const std::string& text) { return parseDecimal(text, decimalSeparator()); });
}

std::int32_t readWholeBox(QLineEdit* box) {
    return readBox(box, [](const std::string& text) { return parseWhole(text); });
}

namespace {

SceneTextBoxes& sceneTextBoxes() {
    static SceneTextBoxes boxes;
    return boxes;
}

} // namespace

void setSceneTextBoxes(SceneTextBoxes boxes) {
    sceneTextBoxes() = std::move(boxes);
}

bool runCommand(QWidget* parent, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const BoxTextError& e) {
        showErrorBox(parent, QString::fromUtf8(e.what()));
        showBox(e.box());
    } catch (const SceneTextError& e) {
        showErrorBox(parent, QString::fromUtf8(e.what()));
        if (sceneTextBoxes())
            showBox(sceneTextBoxes()(e.text));
    } catch (const UserError& e) {
        showErrorBox(parent, QString::fromUtf8(e.what()), QString::fromStdString(e.detail()));
    } catch (const std::exception& e) {
        showErrorBox(parent, QString::fromUtf8(e.what()));
    }
    return false;
}

QString fileMessage(const QString& path, const QString& message) {
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + message;
}

char decimalSeparator() {
    return decimalSeparatorOf(QLocale());
}

} // namespace kolmarin
