#include "files/text_lines.h"

namespace kolmarin {

TextLines::TextLines(qsizetype longestLine, LineCall line, std::function<void(int)> tooLong)
    : longestLine_(longestLine), line_(std::move(line)), tooLong_(std::move(tooLong)) {}

void TextLines::endLine() {
    line_(partial_, number_);
    partial_.clear();
    ++number_;
}

void TextLines::add(QByteArrayView piece) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < piece.size(); ++i) {
        const char c = piece[i];
        if (c != '\r' && c != '\n')
            continue;
        // The LF of a CR LF split between two pieces ends no second line.
        const bool secondHalf = c == '\n' && i == 0 && afterCarriageReturn_;
        afterCarriageReturn_ = c == '\r';
        if (secondHalf) {
            start = 1;
            continue;
        }
        partial_.append(piece.sliced(start, i - start));
        start = i + 1;
        if (partial_.size() > longestLine_)
            tooLong_(number_);
        endLine();
        if (c == '\r' && i + 1 < piece.size() && piece[i + 1] == '\n') {
            ++i;
            start = i + 1;
            afterCarriageReturn_ = false;
        }
    }
    if (start < piece.size())
        afterCarriageReturn_ = false;
    partial_.append(piece.sliced(start));
    if (partial_.size() > longestLine_)
        tooLong_(number_);
}

void TextLines::finish() {
    if (!partial_.isEmpty())
        endLine();
}

} // namespace kolmarin
