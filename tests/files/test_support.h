#pragma once
// Helpers shared by the file tests.

#include "model/acoustics/scene.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>

namespace kolmarin::test {

QString fixturePath(const char* name); // a file under tests/files/data
QByteArray fixture(const char* name);
QByteArray readBytes(const QString& path); // empty when the file cannot be read
void writeBytes(const QString& path, const QByteArray& bytes);

// The bytes as CP932 text split at CR LF, decoded to UTF-8 for readable comparisons; the
// line after the last CR LF is dropped when empty.
QStringList cp932Lines(const QByteArray& bytes);

// UTF-8 text to CP932 bytes, for expected file contents.
QByteArray cp932(const char* utf8);

} // namespace kolmarin::test
