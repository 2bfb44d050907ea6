#include "widgets/japanese_fonts.h"

#include <QStringList>

namespace kolmarin {

namespace {

// Families are tried in order, so the IPA face only stands in when the first is missing.
QFont faceOf(const QStringList& families, QFont::StyleHint hint, int pixelSize) {
    QFont font;
    font.setStyleHint(hint);
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

QFont japaneseWindowFont(int pixelSize) {
    return faceOf(
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")},
        QFont::SansSerif, pixelSize);
}

QFont chartFont() {
    return faceOf({QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("MS PMincho"), QStringLiteral("IPAPMincho")},
                  QFont::Serif, 12);
}

} // namespace kolmarin
