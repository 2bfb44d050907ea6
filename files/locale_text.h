#pragma once
// The decimal separator the scene texts are read and written with: the locale's own, when
// it is one ASCII character, else a point.

#include <QLocale>

namespace kolmarin {

inline char decimalSeparatorOf(const QLocale& locale) {
    const QString point = locale.decimalPoint();
    return point.size() == 1 && point.at(0).unicode() < 128 ? static_cast<char>(point.at(0).unicode()) : '.';
}

} // namespace kolmarin
