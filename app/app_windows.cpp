#include "app/app_windows.h"

#include "dialogs/eigenmode_command.h"
#include "widgets/response_chart.h"
#include "widgets/ui_support.h"

#include <QPushButton>

namespace kolmarin {

AppWindows::AppWindows()
    : roomForm(&form1), modeForm(roomForm, &form1), graphsetForm(*form1.Chart1, &form1), aboutBox(&form1) {
    form1.setDialogs(&roomForm, &modeForm, &graphsetForm, &aboutBox);
    roomForm.applyScene = [this] { form1.ApplyScene(); };
    roomForm.sceneTexts = [this] { return form1.sceneTexts(); };
    roomForm.writePositionTexts = [this](const SceneTexts& texts) { form1.writePositionTexts(texts); };
    roomForm.setMainCaption = [this](const QString& caption) { form1.setWindowTitle(caption); };
    modeForm.printer = [this]() -> QPrinter& { return form1.printer(); };
    roomForm.Button1->setEnabled(true);
    QObject::connect(roomForm.Button1, &QPushButton::clicked, &roomForm, [this] {
        runCommand(&roomForm, [this] { computeAndShowEigenmodes(roomForm, modeForm); });
    });
}

} // namespace kolmarin
