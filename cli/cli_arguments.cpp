#include "cli/cli_arguments.h"

#include <string>

namespace kolmarin::cli {

namespace {

[[noreturn]] void refuse(const std::string& what) {
    throw UsageError(what);
}

std::string quoted(const QString& text) {
    return "'" + text.toStdString() + "'";
}

} // namespace

const char* usageText() {
    return "使い方:\n"
           "  kolmarin2-cli response ROOM.dtr [-o FILE] [--csv]\n"
           "  kolmarin2-cli response\n"
           "  kolmarin2-cli modes ROOM.dtr [-o FILE]\n"
           "  kolmarin2-cli room [-o FILE]\n"
           "  kolmarin2-cli --help\n";
}

const char* helpText() {
    return "kolmarin2-cli: 定在波周波数特性の計算と、そのファイルの書き出し\n"
           "\n"
           "  kolmarin2-cli response ROOM.dtr [-o FILE] [--csv]\n"
           "      部屋データファイル ROOM.dtr の周波数特性を計算し、計算結果ファイルを書きます。\n"
           "      反射回数と周波数範囲は計算と同じく上限・下限に直したものを書きます。\n"
           "      --csv  代わりに frequency_hz,sp1_db,sp2_db,total_db の CSV を書きます\n"
           "             (小数点はピリオド、有効数字 17 桁)。\n"
           "  kolmarin2-cli response\n"
           "      起動時の部屋の周波数特性を一覧表示します。\n"
           "  kolmarin2-cli modes ROOM.dtr [-o FILE]\n"
           "      部屋の固有モード一覧ファイルを書きます。\n"
           "  kolmarin2-cli room [-o FILE]\n"
           "      起動直後の部屋を部屋データファイルとして書きます (編集用のひな形)。\n"
           "\n"
           "  -o FILE  FILE に書きます (同名のファイルは確認なしで置き換えます)。\n"
           "           省くと標準出力に書きます。文字コードは CP932、改行は CR LF です。\n"
           "\n"
           "数値の小数点はユーザーのロケールに従って読みます。\n"
           "失敗したときはメッセージを標準エラー出力に出し、終了コード 1 で終わります。\n"
           "そのとき出力ファイルは作りも変えもしません。\n"
           "使い方の誤りは終了コード 2 です。\n";
}

Request parseArguments(const QStringList& arguments) {
    if (arguments.isEmpty())
        refuse("コマンドがありません");
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h")))
        return Request{};

    Request request;
    const QString& command = arguments.front();
    if (command == QStringLiteral("response"))
        request.command = Command::Response;
    else if (command == QStringLiteral("modes"))
        request.command = Command::Modes;
    else if (command == QStringLiteral("room"))
        request.command = Command::Room;
    else
        refuse("不明なコマンド " + quoted(command));

    QStringList files;
    bool outputGiven = false;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (optionsEnded || !a.startsWith(u'-') || a == QStringLiteral("-")) {
            files.append(a);
        } else if (a == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (a == QStringLiteral("-o")) {
            if (outputGiven)
                refuse("-o が二度あります");
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                refuse("-o の後に出力ファイル名がありません");
            request.outputPath = arguments[++i];
            outputGiven = true;
        } else if (a == QStringLiteral("--csv") && request.command == Command::Response) {
            request.csv = true;
        } else {
            refuse(command.toStdString() + " に使えないオプション " + quoted(a));
        }
    }

    // An empty argument names no file: reading it would fail without a name to report.
    if (request.command != Command::Room && files.contains(QString()))
        refuse("部屋データファイル名が空です");
    switch (request.command) {
    case Command::Response:
        if (files.size() > 1)
            refuse("部屋データファイルは一つだけです");
        if (files.isEmpty()) {
            if (outputGiven || request.csv)
                refuse("-o と --csv には部屋データファイルが要ります");
            request.command = Command::DefaultResponse;
        } else {
            request.roomPath = files.front();
        }
        break;
    case Command::Modes:
        if (files.size() != 1)
            refuse("modes には部屋データファイルを一つ指定します");
        request.roomPath = files.front();
        break;
    case Command::Room:
        if (!files.isEmpty())
            refuse("room はファイルを読みません: " + quoted(files.front()));
        break;
    default:
        break;
    }
    return request;
}

} // namespace kolmarin::cli
