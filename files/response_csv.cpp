#include "files/response_csv.h"

#include <charconv>

namespace kolmarin {

namespace {

void appendNumber(QByteArray& out, double value) {
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    if (ec == std::errc())
        out.append(buffer, end - buffer);
}

} // namespace

QByteArray responseCsvBytes(const ResponseCurves& curves, ElementRange rows) {
    QByteArray out("frequency_hz,sp1_db,sp2_db,total_db\n");
    for (int j = rows.first; j <= rows.last; ++j) {
        appendNumber(out, j / 2.0);
        for (double level : {curves.sources.at(0)[j], curves.sources.at(1)[j], curves.total[j]}) {
            out.append(',');
            appendNumber(out, level);
        }
        out.append('\n');
    }
    return out;
}

} // namespace kolmarin
