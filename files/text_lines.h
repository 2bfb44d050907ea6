#pragma once
// Text cut into lines the way the editors and programs that write our inputs end them: LF
// (Unix), CR LF (Windows) or a lone CR (old Mac programs and some measuring instruments).
// The text may come in pieces of any size, so a file is read without holding it whole.

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace kolmarin {

class TextLines {
  public:
    // `line` gets each line without its end, with its number from 1. A line longer than
    // `longestLine` bytes goes to `tooLong` with its number instead, once, and nothing of
    // it is kept; `tooLong` is expected to throw.
    using LineCall = std::function<void(QByteArrayView line, int number)>;
    TextLines(qsizetype longestLine, LineCall line, std::function<void(int number)> tooLong);

    void add(QByteArrayView piece);
    // The last line when the text does not end with a line end.
    void finish();

  private:
    void endLine();

    qsizetype longestLine_;
    LineCall line_;
    std::function<void(int)> tooLong_;
    QByteArray partial_;
    int number_ = 1;
    bool afterCarriageReturn_ = false;
};

} // namespace kolmarin
