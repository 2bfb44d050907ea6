#include "dialogs/window_font.h"

#include <QStringList>

namespace kolmarin {

QFont japaneseWindowFont(int pixelSize) {
    QFont font;
    // Families are tried in order, so the IPA face only stands in when the first is missing.
    font.setFamilies(
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")});
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace kolmarin
