#include "app/app_windows.h"
#include "widgets/qt_translations.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    kolmarin::installJapaneseQtTranslations();
    kolmarin::AppWindows windows;
    // The first showing lays out the default room and draws the first curves.
    windows.mainWindow.show();
    return app.exec();
}
