// kolmarin2-cli: the room data, calculation result and mode list files without the windows,
// for scripts and batch work.
#include "cli/chart_program.h"
#include "cli/cli_arguments.h"
#include "cli/cli_commands.h"
#include "cli/cli_decay.h"
#include "cli/cli_placement.h"
#include "cli/cli_seats.h"
#include "cli/cli_subs.h"
#include "cli/long_run_notice.h"
#include "cli/map_image.h"
#include "files/bass_settings_text.h"
#include "files/cp932_text.h"
#include "files/curve_text.h"
#include "files/file_errors.h"
#include "files/locale_text.h"
#include "files/quiet_qt_messages.h"
#include "files/room_file.h"
#include "files/save_file.h"
#include "files/setup_file.h"
#include "model/acoustics/amplifying_surfaces.h"
#include "model/acoustics/represented_path.h"
#include "model/errors.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

namespace {

using namespace kolmarin;

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

// A message on stderr after the name of what it concerns, when there is one.
void printError(const QString& subject, const QByteArray& message);

// The room file's texts, refused as the window refuses them: a text its parser does not
// take or a room without extent.
SceneTexts readCheckedRoomFile(const QString& path, char decimalSeparator) {
    SceneTexts texts = readRoomFile(path, decimalSeparator);
    checkRoomFileTexts(texts, decimalSeparator);
    for (const std::string& warning : amplifyingSurfaces(texts, decimalSeparator))
        printError(path, "警告: " + QByteArray::fromStdString(warning) + '\n');
    return texts;
}

// The setup under the delay model of --delays if given, else its own (a room file's is the
// default).
BassSetup underRequestedDelays(BassSetup setup, const cli::Request& request) {
    if (request.delays)
        setup.texts.delays = *request.delays;
    return setup;
}

// What a command reads, as the window opens it: a room file, or a setup file with its
// subwoofers, seats and crossover.
BassSetup readInput(const cli::Request& request, char separator) {
    return underRequestedDelays(
        startsAsSetupFile(request.roomPath)
            ? cli::readSetupInput(request.roomPath, {}, separator)
            : BassSetup{readCheckedRoomFile(request.roomPath, separator), {}, 0, frontLoudspeakers(), {}},
        request);
}

// The setup the request names, with the seats, subwoofers and crossover of its options.
BassSetup readSetup(const cli::Request& request, char separator) {
    return underRequestedDelays(cli::readSetupInput(request.roomPath, request.seatOptions, separator),
                                request);
}

// The scene of a file whose markers all stand in the room: a map or a search of a scene
// the window would not hold answers nothing the user asked.
Scene sceneWithMarkersInside(const BassSetup& setup, char separator) {
    const Scene scene = setupScene(setup, separator);
    if (const std::string outside = cli::markerOutsideRoom(scene); !outside.empty())
        throw UserError(outside);
    return scene;
}

// The map of the file's scene: CSV, or the PNG image.
QByteArray mapOutput(const cli::Request& request, char separator) {
    const Scene scene = sceneWithMarkersInside(readInput(request, separator), separator);
    const MapGrid grid = mapGrid(scene.width, scene.depth, request.step);
    if (grid.points() == 0)
        throw UserError("部屋が格子の間隔より小さく、地図の点がありません");
    try {
        checkMapGrid(scene.width, scene.depth, request.step);
    } catch (const UserError& e) {
        const bool allowed = fittingMapStep(scene.width, scene.depth, request.step) <= cli::kLargestMapStep;
        throw UserError(e.what() +
                        std::string(allowed ? "。--step で指定してください"
                                            : "。--step は 1 m までのため、この部屋の地図は作れません"));
    }
    cli::LongRunNotice notice(
        [](const QByteArray& text) { printError(QStringLiteral("kolmarin2-cli"), text); });
    MapCallbacks callbacks;
    const auto start = std::chrono::steady_clock::now();
    callbacks.progress = [&](MapProgress p) {
        const double fraction = static_cast<double>(p.done) / static_cast<double>(std::max(1LL, p.total));
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (fraction > 0)
            notice.update(fraction, elapsed * (1 - fraction) / fraction);
    };
    const ResponseMap map =
        computeResponseMap(scene, request.vary, request.band, request.step, callbacks, {}, request.figure);
    notice.finish();
    if (roomBeyondRepresentedPath(scene))
        printError(QStringLiteral("kolmarin2-cli"), QByteArray("部屋が大きく、") + kBeyondRepresentedPath +
                                                        "。そうなる点は計算できないため不明です\n");
    if (request.csv)
        return cli::mapCsv(map);
    return cli::mapPng(
        map, {QFileInfo(request.roomPath).fileName(), scene, request.vary, request.figure, request.band});
}

// The placements of the file's scene for standard output, and, with -o, the file of the
// best one in `bestRoom`: a room file, or a setup file for a setup read.
QByteArray placeOutput(const cli::Request& request, char separator, QByteArray& bestRoom) {
    const BassSetup setup = readInput(request, separator);
    SearchOptions options;
    options.layout = request.layout;
    options.objective = request.objective;
    options.band = request.band;
    options.constraints = request.constraints;
    options.top = request.top;
    cli::LongRunNotice notice(
        [](const QByteArray& text) { printError(QStringLiteral("kolmarin2-cli"), text); });
    const Scene scene = sceneWithMarkersInside(setup, separator);
    const SearchResult result =
        searchPlacements(scene, options, [&](SearchProgress p) { notice.update(p.fraction, p.secondsLeft); });
    notice.finish();
    if (const std::string note = coarsenedGridNote(result); !note.empty())
        printError(QStringLiteral("kolmarin2-cli"), QByteArray::fromStdString(note) + '\n');
    const bool tooLarge = roomBeyondRepresentedPath(scene);
    if (result.best.empty())
        throw UserError(tooLarge
                            ? std::string("どの配置でも、") + kBeyondRepresentedPath
                            : "壁からの距離、前の壁からの距離、聴取距離、見込み角、スピーカーの間隔の条件を"
                              "すべて満たす配置がありません");
    if (tooLarge)
        printError(QStringLiteral("kolmarin2-cli"), QByteArray("部屋が大きく、") + kBeyondRepresentedPath +
                                                        "。そうなる配置は計算できないため除きました\n");
    if (!request.outputPath.isEmpty()) {
        BassSetup best = setup;
        best.texts =
            cli::textsWithPlacement(setup.texts, scene, result.best.front(), request.layout, separator);
        bestRoom = startsAsSetupFile(request.roomPath) ? setupFileBytes(best, separator)
                                                       : roomFileBytes(best.texts, separator);
    }
    return request.csv ? cli::placementCsv(result) : cli::placementTable(result);
}

// The third-octave decay times of the file's scene at the seat asked for (the listener by
// default), or its waterfall as CSV.
QByteArray decayOutput(const cli::Request& request, char separator) {
    const Scene scene = setupScene(readInput(request, separator), separator);
    const int seat = std::max(1, request.seatOptions.seat);
    cli::requireSeat(seat, scene.seats.size());
    const std::vector<double> impulse = totalImpulseAt(scene, seat - 1);
    if (!request.csv)
        return cli::thirdOctaveDecayTable(impulse);
    WaterfallSettings settings;
    settings.band = request.waterfallBand;
    return cli::waterfallCsv(computeWaterfall(impulse, settings, scene.delays));
}

// The subwoofer configurations for standard output; with -o, the setup file of the best one
// in `bestSetup`, and with --export its settings for a processor in `bestSettings`.
QByteArray subsOutput(const cli::Request& request, char separator, QByteArray& bestSetup,
                      QByteArray& bestSettings) {
    const BassSetup setup = readSetup(request, separator);
    cli::SubsRequest subs;
    subs.options.count = request.subs.count;
    subs.options.top = request.top;
    subs.options.goal = request.subs.goal;
    subs.options.mostDelayMs = request.subs.mostDelayMs;
    subs.options.commonLevel = request.subs.commonLevel;
    subs.options.commonPolarity = request.subs.commonPolarity;
    if (!request.subs.targetPath.isEmpty())
        subs.options.goal.target = readTargetCurve(request.subs.targetPath);
    subs.candidatesPath = request.subs.candidatesPath;
    subs.band = request.band;
    subs.csv = request.csv;
    subs.subwoofersOnly = request.seatOptions.subwoofersOnly;
    cli::LongRunNotice notice(
        [](const QByteArray& text) { printError(QStringLiteral("kolmarin2-cli"), text); });
    BassSetup best;
    const QByteArray table = cli::subsOutput(
        setup, subs, separator, best, [&](double fraction, double left) { notice.update(fraction, left); },
        [](const QByteArray& text) { printError(QStringLiteral("kolmarin2-cli"), text); });
    notice.finish();
    if (!request.outputPath.isEmpty())
        bestSetup = setupFileBytes(best, separator);
    if (!request.subs.exportPath.isEmpty())
        bestSettings = request.subs.exportPath.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)
                           ? bassSettingsCsv(best.subwoofers, best.subwooferEq)
                           : bassSettingsText(best.subwoofers, best.subwooferEq);
    return table;
}

// Whether a response request is about a setup: a seat, a subwoofer or a crossover given,
// or a setup file read.
bool isSetupResponse(const cli::Request& request) {
    const cli::SeatOptions& o = request.seatOptions;
    if (o.any() || o.seat != 0 || o.subwoofersOnly)
        return true;
    return startsAsSetupFile(request.roomPath);
}

QByteArray produce(const cli::Request& request) {
    const char separator = decimalSeparatorOf(QLocale::system());
    if (request.command == cli::Command::Response && !request.roomPath.isEmpty() && isSetupResponse(request))
        return cli::seatResponseOutput(readSetup(request, separator), std::max(1, request.seatOptions.seat),
                                       request.text  ? cli::SeatResponseForm::CurveText
                                       : request.csv ? cli::SeatResponseForm::Csv
                                                     : cli::SeatResponseForm::ResultFile,
                                       request.seatOptions.subwoofersOnly, separator);
    switch (request.command) {
    case cli::Command::Seats:
        return cli::seatsOutput(readSetup(request, separator), request.band, request.csv,
                                request.seatOptions.subwoofersOnly, separator);
    case cli::Command::Setup:
        return setupFileBytes(readSetup(request, separator), separator);
    case cli::Command::Map:
        return mapOutput(request, separator);
    case cli::Command::Place:
    case cli::Command::Subs:
    case cli::Command::Report:
        break;
    case cli::Command::DefaultResponse:
        return cli::defaultResponseListing(request.delays.value_or(DelayModel::Sample));
    case cli::Command::Response:
        return cli::responseOutput(readInput(request, separator).texts, separator,
                                   request.text  ? cli::ResponseForm::CurveText
                                   : request.csv ? cli::ResponseForm::Csv
                                                 : cli::ResponseForm::ResultFile);
    case cli::Command::Modes:
        return cli::modesOutput(readInput(request, separator), separator, request.decayTimes);
    case cli::Command::Decay:
        return decayOutput(request, separator);
    case cli::Command::Room:
        return roomFileBytes(startupSceneTexts());
    case cli::Command::Help:
        break;
    }
    return cli::helpText();
}

// The room, result and mode files keep their CP932 with CR LF; every other output (CSV,
// curve text, tables, the setup file), the messages and the help are UTF-8 with LF.
bool isCp932Output(const cli::Request& request) {
    return request.command == cli::Command::Modes || request.command == cli::Command::Room ||
           (request.command == cli::Command::Response && !request.csv && !request.text);
}

// What a person reads on a terminal is written in the terminal's encoding, the codeset of
// the locale's character type; a file or a pipe gets the bytes unchanged.
QByteArray forStream(std::FILE* stream, const QByteArray& bytes, bool cp932) {
    if (!isatty(fileno(stream)))
        return bytes;
    const std::optional<QString> text = cp932 ? decodeCp932(bytes) : QString::fromUtf8(bytes);
    if (!text)
        return bytes;
    QByteArray codeset = "UTF-8";
    if (const locale_t locale = newlocale(LC_CTYPE_MASK, "", locale_t{})) {
        codeset = nl_langinfo_l(CODESET, locale);
        freelocale(locale);
    }
    QStringEncoder encoder(codeset.constData());
    return encoder.isValid() ? QByteArray(encoder.encode(*text)) : text->toUtf8();
}

// A message on stderr after the name of what it concerns, when there is one.
void printError(const QString& subject, const QByteArray& message) {
    const QByteArray text = (subject.isEmpty() ? QByteArray() : subject.toUtf8() + ": ") + message;
    const QByteArray bytes = forStream(stderr, text, false);
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

void writeToStandardOutput(const QByteArray& text, bool cp932) {
    const QByteArray bytes = forStream(stdout, text, cp932);
    const std::size_t size = static_cast<std::size_t>(bytes.size());
    if (std::fwrite(bytes.constData(), 1, size, stdout) != size || std::fflush(stdout) != 0)
        throw UserError(saveFailureMessage(errno, QString()));
}

// The output the request would write over a file it reads, with what that file is.
std::pair<QString, QByteArray> outputOntoInput(const cli::Request& request) {
    const std::pair<QString, const char*> inputs[]{
        {request.roomPath, "読み込む部屋データファイルと同じファイルには書き出しません\n"},
        {request.subs.candidatesPath, "読み込む候補の位置のファイルと同じファイルには書き出しません\n"}};
    for (const QString& output : {request.outputPath, request.pngPath})
        for (const auto& [input, message] : inputs)
            if (isSameFile(output, input))
                return {output, message};
    return {};
}

// The request on the command line; nothing, once the usage is printed, when it is wrong.
std::optional<cli::Request> requestOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));
    try {
        return cli::parseArguments(arguments);
    } catch (const cli::UsageError& e) {
        printError(QStringLiteral("kolmarin2-cli"), QByteArray(e.what()) + '\n' + cli::usageText());
        return std::nullopt;
    }
}

// The chart, the waterfall and the report are drawn by the program that draws them in
// its windows.
bool drawnByProgram(const cli::Request& request) {
    return request.command == cli::Command::Report || !request.pngPath.isEmpty();
}

int drawWithProgram(const cli::Request& request, int& qtArgumentCount, char** qtArguments) {
    const QCoreApplication application(qtArgumentCount, qtArguments);
    if (request.command == cli::Command::Report)
        return cli::writeReportPdfWithProgram(request.roomPath, request.outputPath);
    const QString delays = QString::fromLatin1(delayModelWord(request.delays.value_or(DelayModel::Sample)));
    if (request.command == cli::Command::Decay)
        return cli::writeWaterfallPngWithProgram(
            request.roomPath, request.pngPath,
            QStringLiteral("%1-%2").arg(request.waterfallBand.low).arg(request.waterfallBand.high), delays);
    return cli::writeChartPngWithProgram(request.roomPath, request.pngPath, delays);
}

// Runs the command and writes its output. Each failure names the file it concerns: the
// room file while it is read and computed, then the output.
int runCommand(const cli::Request& request) {
    QString file = request.roomPath;
    try {
        if (request.command == cli::Command::Place || request.command == cli::Command::Subs) {
            QByteArray bestRoom;
            QByteArray bestSettings;
            const char separator = decimalSeparatorOf(QLocale::system());
            const QByteArray table = request.command == cli::Command::Place
                                         ? placeOutput(request, separator, bestRoom)
                                         : subsOutput(request, separator, bestRoom, bestSettings);
            // The list first: a run whose list cannot be written fails before any file is.
            file = QStringLiteral("標準出力");
            writeToStandardOutput(table, false);
            if (!request.outputPath.isEmpty()) {
                file = request.outputPath;
                saveFileAtomically(request.outputPath, bestRoom);
            }
            if (!request.subs.exportPath.isEmpty()) {
                file = request.subs.exportPath;
                saveFileAtomically(request.subs.exportPath, bestSettings);
            }
            return 0;
        }
        const QByteArray bytes = produce(request);
        if (request.outputPath.isEmpty()) {
            file = QStringLiteral("標準出力");
            writeToStandardOutput(bytes, isCp932Output(request));
        } else {
            file = request.outputPath;
            saveFileAtomically(request.outputPath, bytes);
        }
        return 0;
    } catch (const std::exception& e) {
        printError(file, QByteArray(e.what()) + '\n');
        // What overflowed, and the like: one more line under the message.
        if (const auto* error = dynamic_cast<const UserError*>(&e); error && !error->detail().empty())
            printError(QString(), QByteArray::fromStdString(error->detail()) + '\n');
        return kFailed;
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<cli::Request> request = requestOf(argc, argv);
    if (!request)
        return kUsageError;

    // A reader that leaves a pipe early is a failed write with its message, not the end of
    // the program without one.
    std::signal(SIGPIPE, SIG_IGN);
    if (const auto [output, message] = outputOntoInput(*request); !output.isEmpty()) {
        printError(output, message);
        return kFailed;
    }

    // Qt reads its own options (-platform, -style) out of the arguments it is given, and a
    // bad one ends the program; the user's arguments are the tool's alone.
    int qtArgumentCount = 1;
    char* qtArguments[] = {argv[0], nullptr};
    if (drawnByProgram(*request))
        return drawWithProgram(*request, qtArgumentCount, qtArguments);

    // The map's image needs fonts for its scale, so a GUI application without a screen.
    std::unique_ptr<QGuiApplication> painting;
    if (request->command == cli::Command::Map && !request->csv) {
        keepOnlyFatalQtMessages("kolmarin2-cli");
        qputenv("QT_QPA_PLATFORM", "offscreen");
        painting = std::make_unique<QGuiApplication>(qtArgumentCount, qtArguments);
    }
    return runCommand(*request);
}
