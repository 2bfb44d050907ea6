#pragma once
// Shared by the test programs of the file commands: the program's windows freshly started
// for each test with the file dialogs and the replace question scripted, and a temporary
// folder of the test's own for the files it saves and opens.

#include "main_window_fixture.h"
#include "scripted_dialogs.h"

#include <QTemporaryDir>

#include <memory>

namespace kolmarin::testing {

class FileCommandFixture : public MainWindowFixture, public ScriptedDialogs {
  public:
    std::unique_ptr<QTemporaryDir> dir;

    QString path(const char* name) const { return dir->filePath(QString::fromUtf8(name)); }

    // For a test program's init() and cleanup().
    void startWithScriptedDialogs() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        scriptDialogs();
        start();
    }
    void stopAndRestoreDialogs() {
        stop();
        restoreDialogs();
    }
};

} // namespace kolmarin::testing
