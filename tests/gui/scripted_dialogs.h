#pragma once
// Test stand-ins for the file dialogs and the replace question: each file dialog records
// what it was asked and takes the next scripted answer ("" for Cancel) with the next
// scripted filter (the first when none is left); each question is recorded as
// "caption|text" and answered with `replace`.

#include "widgets/user_dialogs.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <QTest>

namespace kolmarin::testing {

struct AskedFile {
    QWidget* parent = nullptr;
    FileDialogKind kind = FileDialogKind::Open;
    FileDialogRequest request;
};

class ScriptedDialogs {
  public:
    QList<AskedFile> asked;
    QStringList answers;
    QList<int> filters;
    QStringList questions;
    bool replace = true;

    // Forgets the last test's script and puts the stand-ins in place of the dialogs.
    void scriptDialogs() {
        asked.clear();
        answers.clear();
        filters.clear();
        questions.clear();
        replace = true;
        setFileDialogHandler([this](QWidget* parent, FileDialogKind kind, const FileDialogRequest& request) {
            asked.append({parent, kind, request});
            const QString path = answers.isEmpty() ? QString() : answers.takeFirst();
            return FileChoice(path, filters.isEmpty() ? 0 : filters.takeFirst());
        });
        setQuestionHandler([this](QWidget*, const QString& caption, const QString& text) {
            questions.append(caption + QLatin1Char('|') + text);
            return replace;
        });
    }
    static void restoreDialogs() {
        setFileDialogHandler({});
        setQuestionHandler({});
    }
};

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace kolmarin::testing
