#include "test_support.h"

#include "files/cp932_text.h"

#include <QFile>

#include <stdexcept>

namespace kolmarin::test {

QString fixturePath(const char* name) {
    return QStringLiteral(KOLMARIN_FILES_TEST_DATA "/") + QString::fromUtf8(name);
}

QByteArray fixture(const char* name) {
    QFile file(fixturePath(name));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("missing fixture " + std::string(name));
    return file.readAll();
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QStringList cp932Lines(const QByteArray& bytes) {
    QStringList lines;
    for (const QByteArray& line : bytes.split('\n')) {
        QByteArray text = line;
        if (text.endsWith('\r'))
            text.chop(1);
        lines.append(decodeCp932(text).value_or(QStringLiteral("<not CP932>")));
    }
    if (!lines.isEmpty() && lines.back().isEmpty() && bytes.endsWith("\r\n"))
        lines.removeLast();
    return lines;
}

QByteArray cp932(const char* utf8) {
    return encodeLineText(utf8);
}

} // namespace kolmarin::test
