#include "mainwindow/app_windows.h"

#include "mainwindow/response_chart.h"

namespace kolmarin {

AppWindows::AppWindows() : roomForm(&form1), graphsetForm(*form1.Chart1, &form1) {
    form1.setDialogs(&roomForm, &graphsetForm);
    roomForm.applyScene = [this] { form1.ApplyScene(); };
}

} // namespace kolmarin
