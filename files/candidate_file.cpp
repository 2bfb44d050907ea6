#include "files/candidate_file.h"

#include "model/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace kolmarin {

namespace {

constexpr int kMostCandidates = 1000;

} // namespace

std::vector<Point3> readCandidateFile(const QString& path) {
    const std::string name = path.toStdString();
    if (!QFileInfo(path).isFile())
        throw UserError(name + ": 候補の位置のファイルが見つかりません");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(name + ": 候補の位置のファイルを読めません");
    const QByteArray bytes = file.read(1 << 20);
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    std::vector<Point3> out;
    int number = 0;
    for (const QByteArray& raw : bytes.split('\n')) {
        ++number;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty())
            continue;
        const QStringList parts = line.split(blanks);
        double v[3] = {0, 0, 0};
        bool ok = parts.size() == 3;
        for (int i = 0; ok && i < 3; ++i)
            v[i] = parts[i].toDouble(&ok);
        if (!ok)
            throw UserError(name + ": " + std::to_string(number) + " 行目が「x y z」(m) ではありません");
        if (static_cast<int>(out.size()) == kMostCandidates)
            throw UserError(name + ": 候補の位置は 1000 個までです");
        out.push_back({v[0], v[1], v[2]});
    }
    if (out.empty())
        throw UserError(name + ": 候補の位置がありません");
    return out;
}

} // namespace kolmarin
