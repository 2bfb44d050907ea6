#pragma once
// Helpers shared by the file tests.

#include "model/acoustics/scene.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string>

namespace kolmarin::test {

// The scene texts right after start-up, once the main window has rewritten the heights.
SceneTexts startupTexts();

QString fixturePath(const char* name); // a file under tests/files/data
QByteArray fixture(const char* name);
QByteArray readBytes(const QString& path); // empty when the file cannot be read
void writeBytes(const QString& path, const QByteArray& bytes);

// The bytes as CP932 text split at CR LF, decoded to UTF-8 for readable comparisons; the
// line after the last CR LF is dropped when empty.
QStringList cp932Lines(const QByteArray& bytes);

// UTF-8 text to CP932 bytes, for expected file contents.
QByteArray cp932(const char* utf8);

// The message of the exception `f` throws, or "" when it throws none.
template <class F> std::string errorMessageOf(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

} // namespace kolmarin::test
