#include "mainwindow/chart_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace kolmarin {

QFont chartFont() {
    QFont font;
    font.setStyleHint(QFont::Serif);
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("MS PMincho"), QStringLiteral("IPAPMincho")}) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPixelSize(12);
    return font;
}

} // namespace kolmarin
