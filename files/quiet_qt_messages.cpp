#include "files/quiet_qt_messages.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace kolmarin {

namespace {

const char* programName = "";

} // namespace

void keepOnlyFatalQtMessages(const char* program) {
    programName = program;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtFatalMsg)
            return;
        const QByteArray text = message.toUtf8();
        std::fprintf(stderr, "%s: %s\n", programName, text.constData());
        std::fflush(stderr);
    });
}

} // namespace kolmarin
