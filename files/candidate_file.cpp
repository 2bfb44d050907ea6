#include "files/candidate_file.h"

#include "files/file_errors.h"
#include "files/text_lines.h"
#include "model/errors.h"

#include <QFile>
#include <QRegularExpression>

namespace kolmarin {

namespace {

constexpr int kMostCandidates = 1000;
// A thousand lines of three coordinates fit many times over.
constexpr qint64 kMaxCandidateFileBytes = 1 << 20;

} // namespace

std::vector<Point3> readCandidateFile(const QString& path) {
    const std::string name = path.toStdString();
    QFile file;
    try {
        openRegularFile(file, path);
    } catch (const UserError& e) {
        throw UserError(name + ": 候補の位置のファイルを読めません: " + e.what());
    }
    if (file.size() > kMaxCandidateFileBytes)
        throw UserError(name + ": 候補の位置のファイルが 1 MiB を超えています");
    const QByteArray bytes = file.read(kMaxCandidateFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throwReadFailure(file, path);
    if (bytes.size() > kMaxCandidateFileBytes)
        throw UserError(name + ": 候補の位置のファイルが 1 MiB を超えています");
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    std::vector<Point3> out;
    const auto badLine = [&](int number) {
        throw UserError(name + ": " + std::to_string(number) + " 行目が「x y z」(m) ではありません");
    };
    TextLines lines(
        256,
        [&](QByteArrayView raw, int number) {
            const QString line = QString::fromUtf8(raw).trimmed();
            if (line.isEmpty())
                return;
            const QStringList parts = line.split(blanks);
            double v[3] = {0, 0, 0};
            bool ok = parts.size() == 3;
            for (int i = 0; ok && i < 3; ++i)
                v[i] = parts[i].toDouble(&ok);
            if (!ok)
                badLine(number);
            if (static_cast<int>(out.size()) == kMostCandidates)
                throw UserError(name + ": 候補の位置は 1000 個までです");
            out.push_back({v[0], v[1], v[2]});
        },
        badLine);
    lines.add(bytes);
    lines.finish();
    if (out.empty())
        throw UserError(name + ": 候補の位置がありません");
    return out;
}

} // namespace kolmarin
