#pragma once
// The number of pages in a PDF file Qt's PDF writer made: each page object is a dictionary
// of type /Page (the page tree is /Pages).

#include <QByteArray>
#include <QRegularExpression>
#include <QString>

namespace kolmarin::testing {

inline int pdfPageCount(const QByteArray& pdf) {
    return static_cast<int>(
        QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"))));
}

} // namespace kolmarin::testing
