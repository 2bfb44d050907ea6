#include "cli/cli_arguments.h"

#include "cli/subs_arguments.h"

#include <QRegularExpression>

#include <optional>
#include <string>
#include <tuple>

namespace kolmarin::cli {

namespace {

// Metres no constraint needs to exceed.
constexpr double kLargestLength = 100000.0;

[[noreturn]] void refuse(const std::string& what) {
    throw UsageError(what);
}

std::string quoted(const QString& text) {
    return "'" + text.toStdString() + "'";
}

bool isPlacementOption(const QString& option, Command command) {
    static const QStringList map{"--vary", "--figure", "--band", "--step"};
    static const QStringList place{"--layout",   "--objective", "--band",    "--clearance", "--front",
                                   "--distance", "--angle",     "--spacing", "--top"};
    return (command == Command::Map && map.contains(option)) ||
           (command == Command::Place && place.contains(option));
}

// A length or an angle: a plain decimal with a point, 0 or more.
std::optional<double> parseAmount(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^[0-9]+(\\.[0-9]*)?$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    return text.toDouble();
}

double readAmount(const QString& option, const QString& text, double largest) {
    const auto value = parseAmount(text);
    if (!value || *value > largest)
        refuse(option.toStdString() + " は 0 から " + QString::number(largest).toStdString() +
               " までの数で指定します: " + quoted(text));
    return *value;
}

// "MIN-MAX", MIN <= MAX.
std::pair<double, double> readRange(const QString& option, const QString& text, double largest) {
    const qsizetype dash = text.indexOf(u'-');
    const auto low = parseAmount(text.left(dash)), high = parseAmount(text.mid(dash + 1));
    if (dash < 0 || !low || !high || *low > *high || *high > largest)
        refuse(option.toStdString() + " は MIN-MAX (0 以上 " + QString::number(largest).toStdString() +
               " 以下、MIN <= MAX) で指定します: " + quoted(text));
    return {*low, *high};
}

// "LO-HI" in whole hertz within 10..500, LO < HI.
Band parseBand(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,3})-([0-9]{1,3})$"));
    const QRegularExpressionMatch m = form.match(text);
    const Band band = m.hasMatch() ? Band{m.captured(1).toInt(), m.captured(2).toInt()} : Band{0, 0};
    if (!isValidBand(band))
        refuse("--band は 10 から 500 までの整数の周波数を LO-HI (LO < HI) で指定します: " + quoted(text));
    return band;
}

void readPlacementOption(const QString& option, const QString& value, Request& request) {
    if (option == QStringLiteral("--band")) {
        request.band = parseBand(value);
    } else if (option == QStringLiteral("--step")) {
        bool ok = false;
        const double step = value.toDouble(&ok);
        if (!ok || !(step >= kSmallestMapStep && step <= kLargestMapStep))
            refuse("--step は 0.01 から 1 までの m で指定します: " + quoted(value));
        request.step = step;
    } else if (option == QStringLiteral("--top")) {
        bool ok = false;
        const int top = value.toInt(&ok);
        if (!ok || top < 1 || top > kMostPlacements)
            refuse("--top は 1 から 100 までの整数です: " + quoted(value));
        request.top = top;
    } else if (option == QStringLiteral("--clearance")) {
        request.constraints.wallClearance = readAmount(option, value, kLargestLength);
    } else if (option == QStringLiteral("--spacing")) {
        request.constraints.leastSpacing = readAmount(option, value, kLargestLength);
    } else if (option == QStringLiteral("--front")) {
        std::tie(request.constraints.frontNearest, request.constraints.frontFarthest) =
            readRange(option, value, kLargestLength);
    } else if (option == QStringLiteral("--distance")) {
        std::tie(request.constraints.distanceNearest, request.constraints.distanceFarthest) =
            readRange(option, value, kLargestLength);
    } else if (option == QStringLiteral("--angle")) {
        std::tie(request.constraints.narrowestAngle, request.constraints.widestAngle) =
            readRange(option, value, 180.0);
    } else if (option == QStringLiteral("--figure") || option == QStringLiteral("--objective")) {
        const bool area = value == QStringLiteral("area");
        if (!area && value != QStringLiteral("point"))
            refuse(option.toStdString() + " は point か area です: " + quoted(value));
        if (option == QStringLiteral("--figure"))
            request.figure = area ? MapFigure::Area : MapFigure::Point;
        else
            request.objective = area ? Objective::Area : Objective::Point;
    } else if (option == QStringLiteral("--vary")) {
        if (value == QStringLiteral("listener"))
            request.vary = MapMarker::Listener;
        else if (value == QStringLiteral("speakers"))
            request.vary = MapMarker::Speakers;
        else
            refuse("--vary は listener か speakers です: " + quoted(value));
    } else {
        // "listener" is what the seats layout was called when it moved the listener alone.
        if (value == QStringLiteral("stereo"))
            request.layout = Layout::Stereo;
        else if (value == QStringLiteral("seats") || value == QStringLiteral("listener"))
            request.layout = Layout::Seats;
        else if (value == QStringLiteral("speakers"))
            request.layout = Layout::Speakers;
        else
            refuse("--layout は stereo、seats、speakers のどれかです: " + quoted(value));
    }
}

bool takesSetup(Command command) {
    return command == Command::Seats || command == Command::Subs || command == Command::Setup ||
           command == Command::Response;
}

// The options of a setup's commands; false when `a` is none of them for this command.
bool readSeatOption(const QStringList& arguments, qsizetype& i, Request& request) {
    const QString& a = arguments[i];
    const Command c = request.command;
    if (c == Command::Subs && readSubsOption(arguments, i, request.subs))
        return true;
    static const QStringList withValue{"--seat", "--sub", "--speaker", "--crossover", "--top", "--band"};
    const bool known =
        (takesSetup(c) && (a == u"--seat" || a == u"--sub" || a == u"--speaker" || a == u"--crossover")) ||
        (c == Command::Decay && a == u"--seat") ||
        (a == u"--subs-only" && c != Command::Setup && takesSetup(c)) ||
        (c == Command::Subs && a == u"--top") ||
        ((c == Command::Seats || c == Command::Subs) && a == u"--band");
    if (!known)
        return false;
    SeatOptions& options = request.seatOptions;
    if (a == u"--subs-only") {
        options.subwoofersOnly = true;
        return true;
    }
    if (withValue.contains(a) && i + 1 >= arguments.size())
        refuse(a.toStdString() + " の後に値がありません");
    const QString& value = arguments[++i];
    if (a == u"--seat" && (c == Command::Decay || (c == Command::Response && !value.contains(u',')))) {
        if (options.seat != 0)
            refuse("座席の番号の --seat が二度あります");
        bool ok = false;
        options.seat = value.toInt(&ok);
        if (!ok || options.seat < 1 || options.seat > 1 + kMostExtraSeats)
            refuse(std::string("--seat は座席の番号 (1 から 17) ") +
                   (c == Command::Decay ? "" : "か X,Y,Z ") + "で指定します: " + quoted(value));
    } else if (a == u"--seat") {
        options.seats.push_back(parseSeatArgument(value));
    } else if (a == u"--sub") {
        parseSubArgument(value, options);
    } else if (a == u"--speaker") {
        parseSpeakerArgument(value, options);
    } else if (a == u"--crossover") {
        options.crossover = parseCrossoverArgument(value);
    } else {
        readPlacementOption(a, value, request);
    }
    return true;
}

} // namespace

const char* usageText() {
    return "使い方:\n"
           "  kolmarin2-cli response ROOM.dtr [-o FILE] [--csv | --text]\n"
           "  kolmarin2-cli response ROOM.dtr --png FILE\n"
           "  kolmarin2-cli response\n"
           "  kolmarin2-cli modes ROOM.dtr [--decay] [-o FILE]\n"
           "  kolmarin2-cli room [-o FILE]\n"
           "  kolmarin2-cli map ROOM.dtr [--vary listener|speakers] [--figure point|area] [--band LO-HI]\n"
           "                [--step M] [--csv] [-o FILE]\n"
           "  kolmarin2-cli decay ROOM.dtr [--seat N] [--band LO-HI] [--csv | --png FILE] [-o FILE]\n"
           "  kolmarin2-cli place ROOM.dtr [--layout stereo|seats|speakers] [--centre-line]\n"
           "                [--objective point|area] [--band LO-HI] [--clearance M] [--front MIN-MAX]\n"
           "                [--distance MIN-MAX] [--angle MIN-MAX] [--spacing M] [--top K] [--csv]\n"
           "                [-o BEST.dtr]\n"
           "  kolmarin2-cli seats SETUP [--band LO-HI] [--csv] [--subs-only]\n"
           "  kolmarin2-cli subs SETUP --count K [--candidates FILE] [--band LO-HI] [--top T] [--csv]\n"
           "                [--objective combined|variation] [--weights V,T] [--target "
           "flat|house[:DB@HZ]|FILE]\n"
           "                [--target-level DB] [--eq N] [--boost-max DB] [--max-delay MS]\n"
           "                [--common-level] [--common-polarity]\n"
           "                [--seat1-weight W] [--least-mean DB] [--subs-only] [--export FILE] [-o BEST]\n"
           "  kolmarin2-cli response SETUP --seat N [--csv | --text] [--subs-only] [-o FILE]\n"
           "  kolmarin2-cli setup ROOM.dtr [--seat X,Y,Z]... [--sub X,Y,Z[,LEVEL_DB,DELAY_MS,+|-]]...\n"
           "                [--speaker ROLE:X,Y,Z[:large|small]]... [--crossover FC] [-o FILE]\n"
           "  kolmarin2-cli report SETUP -o FILE.pdf\n"
           "  SETUP はセットアップファイル、または部屋データファイルと --seat X,Y,Z、--sub ...、\n"
           "  --speaker ...、--crossover FC\n"
           "  modes、decay、map、place の ROOM.dtr はセットアップファイルでもかまいません\n"
           "  response、modes、decay、map、place、seats、subs、setup は --delays sample|continuous "
           "も取ります\n"
           "  kolmarin2-cli --help\n";
}

const char* helpText() {
    return "kolmarin2-cli: 定在波周波数特性の計算と、そのファイルの書き出し\n"
           "\n"
           "  kolmarin2-cli response ROOM.dtr [-o FILE] [--csv | --text]\n"
           "      部屋データファイル ROOM.dtr の周波数特性を計算し、計算結果ファイルを書きます。\n"
           "      反射回数と周波数範囲は計算と同じく上限・下限に直したものを書きます。\n"
           "      --csv  代わりに frequency_hz,sp1_db,sp2_db,total_db の CSV を書きます\n"
           "             (小数点はピリオド、有効数字 17 桁)。\n"
           "      --text 代わりに聴取位置の Total を測定ソフトの形 (* の注釈行、「周波数 レベル」の行、\n"
           "             改行 LF) で書きます。\n"
           "  kolmarin2-cli response ROOM.dtr --png FILE\n"
           "      周波数特性のグラフを、画面の 2 倍の解像度の PNG 画像で FILE に書きます。\n"
           "      同じフォルダーの kolmarin2 が画面なしで描きます。\n"
           "  kolmarin2-cli response\n"
           "      起動時の部屋の周波数特性を一覧表示します。\n"
           "  kolmarin2-cli modes ROOM.dtr [--decay] [-o FILE]\n"
           "      部屋の固有モード一覧ファイルを書きます。\n"
           "      --decay  各モードの周波数を中心とする 1/3 オクターブの、リスニング位置での\n"
           "             残響時間 T60 (秒、不明は -) を六つ目の欄に加えます。\n"
           "  kolmarin2-cli decay ROOM.dtr [--seat N] [--band LO-HI] [--csv | --png FILE] [-o FILE]\n"
           "      リスニング位置 (--seat N なら座席 N) での Total の 1/3 オクターブごと (20-200 Hz) の\n"
           "      残響時間 T60 を一覧表示します (不明は、減衰がその帯域のフィルタで見分けられないほど\n"
           "      短いとき)。\n"
           "      --csv  代わりに滝グラフのスライス (0-300 ms、30 枚、窓 300 ms) を\n"
           "             time_ms,frequency_hz,level_db の CSV で書きます (帯域は --band、既定 15-200)。\n"
           "      --png FILE  その滝グラフを PNG 画像で FILE に書きます (kolmarin2 が描きます)。\n"
           "  kolmarin2-cli report SETUP -o FILE.pdf\n"
           "      計算結果のレポート (部屋、音源と設定、座席とその値、グラフ、固有モードの初めの行) を\n"
           "      1、2 ページの PDF で FILE に書きます。同じフォルダーの kolmarin2 が画面なしで描きます。\n"
           "  kolmarin2-cli room [-o FILE]\n"
           "      起動直後の部屋を部屋データファイルとして書きます (編集用のひな形)。\n"
           "  kolmarin2-cli map ROOM.dtr [--vary listener|speakers] [--figure point|area] [--band LO-HI]\n"
           "                [--step M] [--csv] [-o FILE]\n"
           "      聴取位置 (listener、既定) またはスピーカー対 (speakers: SP1 をその点に、SP2 を中心線の\n"
           "      反対側に) を平面上で動かしたときの、帯域 LO-HI Hz (既定 20-200) での Total の\n"
           "      レベルのばらつき (標準偏差 dB、小さいほど平ら) の地図を PNG 画像で書きます\n"
           "      (-o が要ります)。画像には題、帯域、前の壁の側、スピーカーと聴取位置の印を描きます。\n"
           "      --figure area  その点のばらつきの代わりに聴取範囲のばらつき (聴取位置と、それを\n"
           "             ±0.10 m 動かした 8 点の、9 点のばらつきの平均) を示します。\n"
           "      --step  格子の間隔 m (既定 0.05、0.01 から 1)\n"
           "      --csv   代わりに x_m,y_m,spread_db の CSV を書きます (y ごとに x の順、不明は nan)。\n"
           "  kolmarin2-cli place ROOM.dtr [--layout stereo|seats|speakers] [--centre-line]\n"
           "                [--objective point|area] [--band LO-HI] [--clearance M] [--front MIN-MAX]\n"
           "                [--distance MIN-MAX] [--angle MIN-MAX] [--spacing M] [--top K] [--csv]\n"
           "                [-o BEST.dtr]\n"
           "      ばらつきの小さい配置を探し、よい順に K 個 (既定 10) を一覧表示します。\n"
           "      stereo (既定) はスピーカー対と座席を左右対称に、seats (listener も同じ) は座席だけを、\n"
           "      speakers はスピーカー対だけを動かします。座席は聴取位置からのずれを保ってまとめて\n"
           "      動き、どの座席も壁からの距離を守ります。\n"
           "      --centre-line  座席を動かす配置では座席の中央 (x の平均、一つなら聴取位置) を部屋の\n"
           "             中心線に、スピーカー対を動かす配置では対を中心線に対称に置きます。\n"
           "      --objective  座席が一つのとき、順位を聴取範囲のばらつき (area、既定) か、聴取位置\n"
           "             だけのばらつき (point) で決めます。座席が複数なら、順位は全座席の評価 =\n"
           "             座席間のばらつき + 座席の平均カーブと平坦な目標との差 (帯域での標準偏差) です。\n"
           "      --clearance M  動かすものと壁との距離の下限 (既定 0.30 m)\n"
           "      --front MIN-MAX  スピーカーと前の壁との距離 (既定 0.30 m から奥行きの半分)\n"
           "      --distance MIN-MAX  スピーカーの線から聴取位置までの距離 (既定 0.5 m から奥行き)\n"
           "      --angle MIN-MAX  スピーカーを動かす配置 (stereo、speakers) の見込み角 (既定 50-70 度)\n"
           "      --spacing M  スピーカーの間隔の下限 (既定 1.0 m)\n"
           "      --csv  一覧を rank,sp1_x,sp1_y,sp2_x,sp2_y,listener_x,listener_y,spread_db,robust_db,\n"
           "             area_db,angle_deg,distance_m の CSV で書きます (robust_db は最悪 ±0.10 m:\n"
           "             聴取範囲の 9 点で最も大きいばらつき、area_db は聴取範囲のばらつき)。座席が複数\n"
           "             なら rank,sp1_x,sp1_y,sp2_x,sp2_y,listener_x,listener_y,seats_db,variation_db,\n"
           "             target_db,spread_db,angle_deg,distance_m (seats_db は全座席の評価、variation_db\n"
           "             は座席間のばらつき、target_db は目標との差、spread_db は座席 1 のばらつき)。\n"
           "      -o BEST.dtr  一番よい配置の部屋データファイルを書きます。\n"
           "  どちらも、見積もりの時間が 1 分を超えるときは標準エラー出力にそう書き、進み具合を示します。\n"
           "  modes、decay、map、place はセットアップファイルも読み、そのサブウーファー (レベル、遅れ、\n"
           "  極性) とクロスオーバーを含めて、ウィンドウと同じに計算します。place -o はそのとき一番よい\n"
           "  配置のセットアップファイルを書きます。地図の印はウィンドウと同じ色です (SP1 黒、SP2 赤、\n"
           "  聴取位置と座席 水色、サブウーファー 紫)。\n"
           "  kolmarin2-cli seats SETUP [--band LO-HI] [--csv] [--subs-only]\n"
           "      座席ごとの Total の、帯域 LO-HI Hz (既定 20-120) でのばらつき (標準偏差 dB) "
           "と平均レベル、\n"
           "      そして座席間のばらつき: 0.5 Hz ごとに座席どうしのレベルの標準偏差をとり、帯域で平均した\n"
           "      もの (小さいほど、どの席でも同じ低音が聞こえます) と、座席と帯域での平均レベル。\n"
           "      --csv  seat,x_m,y_m,z_m,spread_db,mean_db の行 (座席 1 は聴取位置) と、\n"
           "             最後に all,,,,座席間のばらつき,平均レベル の行を書きます。\n"
           "      --subs-only  サブウーファーだけを鳴らしたときの数字にします。\n"
           "  kolmarin2-cli subs SETUP --count K [--candidates FILE] [--band LO-HI] [--top T] [--csv]\n"
           "                [--objective combined|variation] [--weights V,T] [--target "
           "flat|house[:DB@HZ]|FILE]\n"
           "                [--target-level DB] [--eq N] [--boost-max DB] [--max-delay MS]\n"
           "                [--common-level] [--common-polarity]\n"
           "                [--seat1-weight W] [--least-mean DB] [--subs-only] [--export FILE] [-o BEST]\n"
           "      サブウーファー K 台 (1 から 4) の位置、レベル (0 から -12 dB)、遅れ (0 から MS ms、既定 "
           "10)、\n"
           "      極性と、共通の EQ (ピーキング N 個、既定 0) を、全座席での評価が小さくなるように選び、\n"
           "      よい順に T 個 (既定 10、順位 1 は T によらない) 示します。\n"
           "      評価 (combined、既定) = 座席間のばらつき × V + 座席の平均の曲線と目標カーブの差 (EQ "
           "の後の\n"
           "      標準偏差) × T (--weights V,T、既定 1,1)。平均レベルは目標レベル "
           "(スピーカーのクロスオーバー\n"
           "      より上 1 オクターブでの平均、または --target-level DB) の ±3 dB に保ちます。variation は\n"
           "      座席間のばらつきだけです。--target は flat、house (60 Hz から 20 Hz へ +6 "
           "dB)、house:DB@HZ、\n"
           "      または「周波数 レベル」の行のファイル。--boost-max DB は EQ 全体の持ち上げの上限 (既定 "
           "3)。\n"
           "      --common-level、--common-polarity は全台を同じレベル、同じ極性にします。\n"
           "      テキストの表は行の下に EQ のフィルターと、各選択を 0 dB、0 ms、+ "
           "に戻したときの評価の変化を\n"
           "      書きます。\n"
           "      SETUP のサブウーファーは選んだものに置き換わり、スピーカー、クロスオーバー、座席は\n"
           "      そのままです。候補は既定で壁から 0.30 m、床から 0.30 m の、四隅、壁の中央と壁沿い\n"
           "      0.25 m ごとの点。--candidates FILE は「x y z」(m) の行の候補を使います。\n"
           "      --csv  rank,variation_db,seat1_spread_db,mean_db と swN_x,swN_y,swN_z,swN_level_db,\n"
           "             swN_delay_ms,swN_polarity (N = 1..K、極性は + か -)、score,target_deviation_db,\n"
           "             "
           "level_offset_db,score_without_eq、swN_level_worth,swN_delay_worth,swN_polarity_worth、\n"
           "             eqN_fc_hz,eqN_gain_db,eqN_q (N = 1..--eq) の CSV を書きます。\n"
           "      --seat1-weight W  座席 1 のばらつきの W 倍を座席間のばらつきに加えたものを小さくします。\n"
           "      --least-mean DB  平均レベルが DB を下回る組み合わせを、ほかのどれよりも後に回します。\n"
           "      --export FILE  一番よい組み合わせの、プロセッサーに入れる設定を書きます: "
           "各サブウーファーの\n"
           "             レベル (dB)、遅れ (ms と、音が 344 m/s でその間に進む距離 m)、極性と、共通の EQ の\n"
           "             フィルター (「Filter 1: ON PK Fc 42.0 Hz Gain -6.5 dB Q 4.30」の形)。FILE が .csv "
           "で\n"
           "             終われば kind,number,level_db,delay_ms,distance_m,polarity,fc_hz,gain_db,q の CSV\n"
           "             (kind は subwoofer か filter) で書きます。\n"
           "      -o BEST  一番よい組み合わせのセットアップファイルを書きます。\n"
           "  kolmarin2-cli response SETUP --seat N [--csv | --text] [--subs-only] [-o FILE]\n"
           "      座席 N での SP1、SP2、Total (ほかのスピーカーとサブウーファーを含む) を response "
           "と同じ形で\n"
           "      書きます。\n"
           "  kolmarin2-cli setup ROOM.dtr [--seat X,Y,Z]... [--sub X,Y,Z[,LEVEL_DB,DELAY_MS,+|-]]...\n"
           "                [--speaker ROLE:X,Y,Z[:large|small]]... [--crossover FC] [-o FILE]\n"
           "      部屋データファイルに座席 (聴取位置の後に) とサブウーファー (SW1 から順に、既定は\n"
           "      0 dB、0 ms、+) とクロスオーバー周波数 FC (40 から 160 Hz) を加えたセットアップ\n"
           "      ファイル (UTF-8) を書きます。SETUP を取るコマンドはどれも、セットアップファイルの\n"
           "      代わりに部屋データファイルとこれらのオプションを取ります。\n"
           "      --speaker ROLE:X,Y,Z  センター (c)、サラウンド L/R (sl、sr)、サラウンドバック L/R\n"
           "             (sbl、sbr) をその位置に置きます (ファイルにあれば動かします)。:large を付けると\n"
           "             ラージ (全帯域)、既定はスモール (クロスオーバーより下はサブウーファーが鳴らす)。\n"
           "      --speaker ROLE:large|small  ファイルにあるスピーカー (sp1、sp2 も) の大きさを決めます。\n"
           "\n"
           "  --delays sample|continuous  計算する各コマンドで、像の遅れの扱いを選びます。\n"
           "           sample (既定、セットアップファイルが continuous を持つときはそれ) は遅れを\n"
           "           4096 Hz のサンプルに丸め、各周波数 f に f + 0.5 Hz のレベルを示します。\n"
           "           continuous は像ごとの本当の経路長で計算し、f そのもののレベルを示します。\n"
           "           setup では、その選択をセットアップファイルに書きます。\n"
           "\n"
           "  -o FILE  FILE に書きます (同名のファイルは確認なしで置き換えます)。\n"
           "           省くと標準出力に書きます。\n"
           "  文字コード: 部屋データファイル (room)、計算結果ファイル (response) と固有モード一覧\n"
           "  ファイル (modes) は CP932、改行 CR LF です。ほかの出力 (CSV、--text、一覧表、\n"
           "  セットアップファイル) はすべて UTF-8、改行 LF です。端末にはその文字コードで表示します。\n"
           "\n"
           "数値の小数点はユーザーのロケールに従って読みます。\n"
           "失敗したときはメッセージを標準エラー出力に出し、終了コード 1 で終わります。\n"
           "そのとき出力ファイルは作りも変えもしません。\n"
           "使い方の誤りは終了コード 2 です。\n";
}

namespace {

// The command a word names; any other word is a usage error.
Command commandOfWord(const QString& word) {
    const std::pair<const char16_t*, Command> commands[]{
        {u"response", Command::Response}, {u"modes", Command::Modes}, {u"decay", Command::Decay},
        {u"room", Command::Room},         {u"map", Command::Map},     {u"place", Command::Place},
        {u"seats", Command::Seats},       {u"subs", Command::Subs},   {u"setup", Command::Setup},
        {u"report", Command::Report},
    };
    for (const auto& [name, command] : commands)
        if (word == QStringView(name))
            return command;
    refuse("不明なコマンド " + quoted(word));
}

// What the arguments after the command gave besides the request's own fields.
struct GivenArguments {
    QStringList files;
    bool output = false; // -o
    QStringList values;  // the options that took a value, in order
};

// Reads the options and files after the command into `request`; an option the command does
// not take, a missing value or a value given twice is a usage error.
GivenArguments readOptions(const QStringList& arguments, Request& request) {
    GivenArguments given;
    bool optionsEnded = false;
    // An option with a value counts once: a second one would silently win over the first.
    // Seats, subwoofers and main loudspeakers are added one option each.
    const auto takeValueOnce = [&](const QString& option) {
        if (option != u"--seat" && option != u"--sub" && option != u"--speaker" &&
            given.values.contains(option))
            refuse(option.toStdString() + " が二度あります");
        given.values.append(option);
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const qsizetype optionAt = i;
        if (optionsEnded || !a.startsWith(u'-') || a == QStringLiteral("-")) {
            given.files.append(a);
        } else if (a == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (a == QStringLiteral("-o")) {
            if (given.output)
                refuse("-o が二度あります");
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                refuse("-o の後に出力ファイル名がありません");
            request.outputPath = arguments[++i];
            given.output = true;
        } else if (readSeatOption(arguments, i, request)) {
            // Read with its value, if it has one.
        } else if (a == QStringLiteral("--decay") && request.command == Command::Modes) {
            request.decayTimes = true;
        } else if (a == QStringLiteral("--band") && request.command == Command::Decay) {
            if (i + 1 >= arguments.size())
                refuse("--band の後に値がありません");
            request.waterfallBand = parseBand(arguments[++i]);
        } else if (a == QStringLiteral("--png") &&
                   (request.command == Command::Response || request.command == Command::Decay)) {
            if (!request.pngPath.isEmpty())
                refuse("--png が二度あります");
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                refuse("--png の後に画像のファイル名がありません");
            request.pngPath = arguments[++i];
        } else if (a == QStringLiteral("--delays") && request.command != Command::Room) {
            if (i + 1 >= arguments.size())
                refuse("--delays の後に値がありません");
            request.delays = delayModelOfWord(arguments[++i].toStdString());
            if (!request.delays)
                refuse("--delays は sample か continuous です: " + quoted(arguments[i]));
        } else if (a == QStringLiteral("--centre-line") && request.command == Command::Place) {
            request.constraints.centreLine = true;
        } else if (a == QStringLiteral("--text") && request.command == Command::Response) {
            request.text = true;
        } else if (a == QStringLiteral("--csv") && request.command != Command::Modes &&
                   request.command != Command::Room && request.command != Command::Setup &&
                   request.command != Command::Report) {
            request.csv = true;
        } else if (isPlacementOption(a, request.command)) {
            if (i + 1 >= arguments.size())
                refuse(a.toStdString() + " の後に値がありません");
            readPlacementOption(a, arguments[++i], request);
        } else {
            refuse(arguments.front().toStdString() + " に使えないオプション " + quoted(a));
        }
        if (i > optionAt)
            takeValueOnce(a);
    }

    return given;
}

// Refuses what the command cannot do with the files and options given, and takes its file.
void checkCombination(const QStringList& arguments, const GivenArguments& given, Request& request) {
    // An empty argument names no file: reading it would fail without a name to report.
    if (request.command != Command::Room && given.files.contains(QString()))
        refuse("部屋データファイル名が空です");
    switch (request.command) {
    case Command::Response:
        if (given.files.size() > 1)
            refuse("部屋データファイルは一つだけです");
        if (!request.pngPath.isEmpty() && (given.output || request.csv))
            refuse("--png は -o、--csv と一緒には使えません");
        if (request.text && (request.csv || !request.pngPath.isEmpty()))
            refuse("--text は --csv、--png と一緒には使えません");
        if (!request.pngPath.isEmpty() && (request.seatOptions.any() || request.seatOptions.seat != 0 ||
                                           request.seatOptions.subwoofersOnly))
            refuse("--png は部屋データファイルだけのグラフを描きます");
        if (given.files.isEmpty()) {
            if (given.output || request.csv || request.text || !request.pngPath.isEmpty() ||
                request.seatOptions.any() || request.seatOptions.seat != 0 ||
                request.seatOptions.subwoofersOnly)
                refuse("-o、--csv、--png には部屋データファイルが要ります");
            request.command = Command::DefaultResponse;
        } else {
            request.roomPath = given.files.front();
        }
        break;
    case Command::Modes:
        if (given.files.size() != 1)
            refuse("modes には部屋データファイルを一つ指定します");
        request.roomPath = given.files.front();
        break;
    case Command::Decay:
        if (given.files.size() != 1)
            refuse("decay には部屋データファイルを一つ指定します");
        if (!request.pngPath.isEmpty() && (given.output || request.csv))
            refuse("--png は -o、--csv と一緒には使えません");
        if (given.values.contains(QStringLiteral("--band")) && !request.csv && request.pngPath.isEmpty())
            refuse("decay の --band は滝グラフ (--csv か --png) の帯域で、残響時間の表には使いません");
        if (!request.pngPath.isEmpty() && request.seatOptions.seat > 1)
            refuse("--png は聴取位置 (座席 1) の滝グラフを描きます");
        request.roomPath = given.files.front();
        break;
    case Command::Map:
    case Command::Place:
        if (given.files.size() != 1)
            refuse(arguments.front().toStdString() + " には部屋データファイルを一つ指定します");
        request.roomPath = given.files.front();
        if (request.command == Command::Map && !request.csv && !given.output)
            refuse("地図の画像には -o で出力ファイルを指定します (--csv なら標準出力に書けます)");
        if (request.layout == Layout::Seats && (given.values.contains(QStringLiteral("--front")) ||
                                                given.values.contains(QStringLiteral("--spacing"))))
            refuse("--front と --spacing はスピーカーを動かす配置 (stereo、speakers) にだけ使います");
        if (request.layout == Layout::Seats && given.values.contains(QStringLiteral("--angle")))
            refuse("--angle はスピーカーを動かす配置 (stereo、speakers) にだけ使います");
        break;
    case Command::Seats:
    case Command::Subs:
    case Command::Setup:
        if (given.files.size() != 1)
            refuse(arguments.front().toStdString() + " にはファイルを一つ指定します");
        request.roomPath = given.files.front();
        if (request.command == Command::Subs && request.subs.count == 0)
            refuse("subs には --count K (1 から 4) が要ります");
        break;
    case Command::Report:
        if (given.files.size() != 1)
            refuse("report には部屋データファイルかセットアップファイルを一つ指定します");
        if (!given.output)
            refuse("report には -o で PDF ファイルを指定します");
        request.roomPath = given.files.front();
        break;
    case Command::Room:
        if (!given.files.isEmpty())
            refuse("room はファイルを読みません: " + quoted(given.files.front()));
        break;
    default:
        break;
    }
}

} // namespace

Request parseArguments(const QStringList& arguments) {
    if (arguments.isEmpty())
        refuse("コマンドがありません");
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h")))
        return Request{};

    Request request;
    request.command = commandOfWord(arguments.front());
    if (request.command == Command::Seats || request.command == Command::Subs)
        request.band = {20, 120};
    const GivenArguments given = readOptions(arguments, request);
    checkCombination(arguments, given, request);
    return request;
}

} // namespace kolmarin::cli
