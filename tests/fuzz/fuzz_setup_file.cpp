// The setup file reader on setup files generated from the input and then damaged: a line
// dropped, repeated, cut or changed, bytes replaced. Every file is either read whole or
// refused with the setup file's own message; a file read survives writing and reading
// again unchanged, and an undamaged file reads back as the setup it was written from.
#include "fuzz_support.h"

#include "files/setup_file.h"
#include "model/errors.h"

#include <QByteArray>
#include <QList>

#include <optional>
#include <string>
#include <string_view>

using namespace kolmarin;
using fuzz::require;

namespace {

std::string position(fuzz::ByteReader& in, double extent) {
    char text[32];
    std::snprintf(text, sizeof text, "%5.2f", in.unit() * extent);
    return text;
}

BassSetup generated(fuzz::ByteReader& in) {
    BassSetup s;
    s.texts = startupSceneTexts();
    const int subwoofers = in.byte() % 5;
    for (int i = 0; i < subwoofers; ++i) {
        s.texts.sources.push_back({position(in, 2.7), position(in, 4.5), position(in, 2.4)});
        s.subwoofers.push_back({-20.0 + 30.0 * in.unit(), 30.0 * in.unit(), (in.byte() & 1) != 0});
    }
    const int seats = in.byte() % 5;
    for (int i = 0; i < seats; ++i)
        s.texts.seats.push_back({position(in, 2.7), position(in, 4.5), position(in, 2.4)});
    if (in.byte() & 1)
        s.crossover = 40 + in.byte() % 121;
    return s;
}

QByteArray damaged(QByteArray bytes, fuzz::ByteReader& in) {
    QList<QByteArray> lines = bytes.split('\n');
    const int damages = in.byte() % 4;
    for (int d = 0; d < damages && !lines.isEmpty(); ++d) {
        const qsizetype line = in.byte() % lines.size();
        switch (in.byte() % 5) {
        case 0:
            lines.removeAt(line);
            break;
        case 1:
            lines.insert(line, lines[line]);
            break;
        case 2:
            lines[line].truncate(in.byte() % (lines[line].size() + 1));
            break;
        case 3:
            if (!lines[line].isEmpty())
                lines[line][in.byte() % lines[line].size()] = static_cast<char>(in.byte());
            break;
        default:
            lines[line].append(static_cast<char>(in.byte()));
        }
    }
    return lines.join('\n');
}

std::optional<BassSetup> parsed(const QByteArray& bytes) {
    try {
        return parseSetupFile(bytes);
    } catch (const UserError& e) {
        require(std::string_view(e.what()).starts_with("セットアップファイルとして読み込めません。"),
                "a damaged setup file is refused with the setup file's message");
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ByteReader in(data, size);
    const BassSetup original = generated(in);
    const QByteArray written = setupFileBytes(original);
    const bool intact = (in.byte() & 3) == 0;
    const QByteArray bytes = intact ? written : damaged(written, in);
    const std::optional<BassSetup> setup = parsed(bytes);
    if (bytes == written)
        require(setup && *setup == original, "an undamaged setup file reads back as it was written");
    if (!setup)
        return 0;
    const QByteArray again = setupFileBytes(*setup);
    const std::optional<BassSetup> back = parsed(again);
    require(back && *back == *setup, "a setup read survives writing and reading");
    require(setupFileBytes(*back) == again, "writing it once more gives the same bytes");
    return 0;
}
