// The placement search window: it searches behind the window and lists the best
// placements, a cancel keeps what was found, a chosen placement shows as the dashed
// candidate curve, and only 適用 moves the markers there.
#include "dialogs/placement_search_window.h"
#include "main_window_fixture.h"
#include "model/text/number_text.h"
#include "widgets/run_row.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <utility>

using namespace kolmarin;
using kolmarin::testing::control;

class TestPlacementSearch : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

  private:
    static constexpr int kSearchTimeout = 120000; // a loaded machine searches slowly

    PlacementSearchWindow* searchWindow() {
        control<QAction>(mainWindow(), "placementSearchAction")->trigger();
        return control<PlacementSearchWindow>(mainWindow(), "placementSearchWindow");
    }
    static QTableWidget* table(PlacementSearchWindow* w) { return control<QTableWidget>(*w, "resultTable"); }
    static void click(PlacementSearchWindow* w, const char* button) {
        QTest::mouseClick(control<QPushButton>(*w, button), Qt::LeftButton);
    }
    static void clickRow(PlacementSearchWindow* w, int row) {
        QTableWidget* t = table(w);
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(t->item(row, 1)).center());
    }
    // Few reflections keep a whole search within seconds.
    void useFewReflections() {
        SceneTexts texts;
        roomSettings().readTexts(texts);
        texts.reflectionCount = "2";
        roomSettings().writeTexts(texts);
    }
    PlacementSearchWindow* searched() {
        useFewReflections();
        PlacementSearchWindow* w = searchWindow();
        click(w, "startButton");
        (void)QTest::qWaitFor([w] { return !w->searching(); }, kSearchTimeout);
        return w;
    }
    static QString status(PlacementSearchWindow* w, const char* label) {
        return control<QLabel>(*w, label)->text();
    }
    QString readOut(const char* name) { return control<QLabel>(mainWindow(), name)->text(); }
    static QString metres(double value) { return QString::fromStdString(formatPosition(value)); }

  private slots:
    void initTestCase() { setUpApplication(); }
    void init() { start(); }
    void cleanup() { stop(); }

    void theSearchFillsTheTableWithTheBestPlacementsFirst() {
        PlacementSearchWindow* w = searched();
        QVERIFY(!w->searching());
        const std::vector<Placement>& best = w->results();
        QTableWidget* t = table(w);
        QVERIFY(!best.empty() && best.size() <= 10);
        QCOMPARE(t->rowCount(), static_cast<int>(best.size()));
        for (int row = 0; row < t->rowCount(); ++row) {
            const Placement& p = best[static_cast<std::size_t>(row)];
            QCOMPARE(t->item(row, 0)->text(), QString::number(row + 1));
            QCOMPARE(t->item(row, 1)->text(), metres(p.sp1.x));
            QCOMPARE(t->item(row, 6)->text(), metres(p.listener.y));
            QCOMPARE(t->item(row, 7)->text(), QString::number(p.spread, 'f', 2));
            if (row > 0)
                QVERIFY(best[static_cast<std::size_t>(row) - 1].area <= p.area); // ranked by the area spread
        }
        QVERIFY(control<QLabel>(*w, "currentSpreadLabel")
                    ->text()
                    .startsWith(QStringLiteral("現在の配置のばらつき ")));
        QCOMPARE(control<QProgressBar>(*w, "progressBar")->value(), 100);
        QVERIFY(errors().isEmpty());
    }

    // A run's first moments say nothing of its length: the row waits for a twentieth of
    // the work before it shows the time left.
    void theTimeLeftWaitsUntilItsEstimateHasSettled() {
        RunRow row(QStringLiteral("開始"));
        std::atomic<int> step{0};
        row.start([&step](std::stop_token stop, const RunRow::Progress& progress, const RunRow::Deliver&) {
            // Each stage reports as work does, again and again, until the test moves on.
            for (const auto& [fraction, secondsLeft] : {std::pair{0.01, 500.0}, std::pair{0.2, 40.0}}) {
                for (const int at = step; step == at && !stop.stop_requested();) {
                    progress(fraction, secondsLeft);
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
            }
        });
        const QLabel* timeLeft = control<QLabel>(row, "timeLeftLabel");
        QTRY_COMPARE(timeLeft->text(), QStringLiteral("残りを見積もっています"));
        step = 1;
        QTRY_COMPARE(timeLeft->text(), QStringLiteral("残り約 40 秒"));
        step = 2;
        row.end();
    }

    void aCancelKeepsWhatWasFoundAndTheWindowSearchesAgain() {
        PlacementSearchWindow* w = searchWindow(); // the full scene: a long search
        click(w, "startButton");
        QVERIFY(w->searching());
        QTRY_VERIFY_WITH_TIMEOUT(control<QProgressBar>(*w, "progressBar")->value() > 0, kSearchTimeout);
        // The time left is shown once the estimate has settled, a twentieth of the way in.
        QTRY_VERIFY_WITH_TIMEOUT(control<QLabel>(*w, "timeLeftLabel")
                                     ->text()
                                     .contains(QRegularExpression(QStringLiteral("^残り約 \\d+ 秒$"))),
                                 kSearchTimeout);
        click(w, "cancelButton");
        QTRY_VERIFY_WITH_TIMEOUT(!w->searching(), 30000);
        QVERIFY(control<QProgressBar>(*w, "progressBar")->value() < 100);
        QVERIFY(!w->results().empty());
        QCOMPARE(table(w)->rowCount(), static_cast<int>(w->results().size()));
        QVERIFY(control<QPushButton>(*w, "startButton")->isEnabled());
        QVERIFY(errors().isEmpty());
    }

    void aChosenPlacementIsDrawnAndOnlyApplyMovesTheMarkers() {
        PlacementSearchWindow* w = searched();
        QVERIFY(!w->searching());
        ResponseChart& c = chart();
        const QString listenerX = readOut("listenerXReadOut");
        clickRow(w, 1);
        QVERIFY(!values(kCandidateCurve).isEmpty());
        QVERIFY(!c.legendName(kCandidateCurve).isEmpty());
        QCOMPARE(c.pen(kCandidateCurve).style(), Qt::DashLine);
        QCOMPARE(c.legendName(kCandidateCurve), QStringLiteral("候補"));
        QCOMPARE(readOut("listenerXReadOut"), listenerX);

        const Placement chosen = w->results()[1];
        armCalculationProbe();
        click(w, "applyButton");
        QVERIFY(calculationRan());
        QCOMPARE(readOut("sp1XReadOut"), metres(chosen.sp1.x));
        QCOMPARE(readOut("sp2YReadOut"), metres(chosen.sp2.y));
        QCOMPARE(readOut("listenerXReadOut"), metres(chosen.listener.x));
        QCOMPARE(readOut("listenerYReadOut"), metres(chosen.listener.y));
        QCOMPARE(values(kTotalCurve), values(kCandidateCurve));
        QTRY_COMPARE(status(w, "currentSpreadLabel"),
                     QStringLiteral("現在の配置のばらつき %1 dB、聴取範囲 %2 dB (20–200 Hz)")
                         .arg(chosen.spread, 0, 'f', 2)
                         .arg(chosen.area, 0, 'f', 2));

        w->close();
        QVERIFY(values(kCandidateCurve).isEmpty());
        QVERIFY(!!c.legendName(kCandidateCurve).isEmpty());
        QVERIFY(errors().isEmpty());
    }

    void anAppliedRowIsOneStepToUndo() {
        useFewReflections();
        QTest::mouseClick(control<QPushButton>(roomSettings(), "applyButton"), Qt::LeftButton);
        const Shown before = shown();
        PlacementSearchWindow* w = searched();
        clickRow(w, 0);
        click(w, "applyButton");
        checkUndoAndRedo(before, QStringLiteral("配置の適用"));
    }

    // Every property of the scene a row depends on, each changed alone: the room, its
    // coefficients and reflection count, the heights, the markers the layout leaves where
    // they are, each subwoofer's position and signal, their number and the crossover.
    void rowsOfAnotherSceneAreGreyedAndRefused() {
        // Plain subwoofers and no crossover keep each search within seconds: a level, a
        // delay or a crossover makes the search several times slower.
        BassSetup searchedSetup;
        searchedSetup.texts = startupSceneTexts();
        searchedSetup.texts.reflectionCount = "2";
        searchedSetup.texts.sources.push_back({" 0.30", " 4.20", " 0.30"});
        searchedSetup.texts.sources.push_back({" 2.40", " 4.20", " 0.30"});
        searchedSetup.subwoofers.resize(2);
        const char *const room = "部屋の寸法か反射率が変わりました", *const height = "高さが変わりました",
                          *const subwoofers = "サブウーファーかクロスオーバーが変わりました";
        const struct {
            const char* why;
            Layout layout;
            std::function<void(BassSetup&)> change;
        } changes[]{
            {room, Layout::Stereo, [](BassSetup& s) { s.texts.width = "2.60"; }},
            {room, Layout::Stereo, [](BassSetup& s) { s.texts.reflFloor = "0.7"; }},
            {"反射回数が変わりました", Layout::Stereo, [](BassSetup& s) { s.texts.reflectionCount = "3"; }},
            {height, Layout::Stereo, [](BassSetup& s) { s.texts.seats[0].z = " 1.20"; }},
            {height, Layout::Stereo, [](BassSetup& s) { s.texts.sources[1].z = " 0.60"; }},
            {"スピーカーの位置が変わりました", Layout::Seats,
             [](BassSetup& s) { s.texts.sources[0].y = " 0.80"; }},
            {"聴取者の位置が変わりました", Layout::Speakers,
             [](BassSetup& s) { s.texts.seats[0].x = " 1.20"; }},
            {subwoofers, Layout::Stereo, [](BassSetup& s) { s.texts.sources[3].x = " 2.30"; }},
            {subwoofers, Layout::Stereo, [](BassSetup& s) { s.texts.sources[3].y = " 4.10"; }},
            {subwoofers, Layout::Stereo, [](BassSetup& s) { s.texts.sources[3].z = " 0.40"; }},
            {subwoofers, Layout::Stereo, [](BassSetup& s) { s.subwoofers[1].levelDb = -1; }},
            {subwoofers, Layout::Stereo, [](BassSetup& s) { s.subwoofers[1].delayMs = 1; }},
            {subwoofers, Layout::Stereo, [](BassSetup& s) { s.subwoofers[1].reversed = true; }},
            {subwoofers, Layout::Stereo,
             [](BassSetup& s) {
                 s.subwoofers.pop_back();
                 s.texts.sources.pop_back();
             }},
            {subwoofers, Layout::Stereo, [](BassSetup& s) { s.crossover = 80; }},
            {"遅延の扱いが変わりました", Layout::Stereo,
             [](BassSetup& s) { s.texts.delays = DelayModel::Continuous; }},
            {"座席が変わりました", Layout::Seats,
             [](BassSetup& s) {
                 s.texts.seats.push_back({" 1.00", " 3.20", " 1.01"});
             }},
        };
        for (const auto& c : changes) {
            start();
            document().setSetup(searchedSetup);
            document().apply();
            PlacementSearchWindow* w = searchWindow();
            control<QComboBox>(*w, "layoutBox")->setCurrentIndex(static_cast<int>(c.layout));
            control<QSpinBox>(*w, "bandHighBox")->setValue(80);
            control<QDoubleSpinBox>(*w, "wallClearanceBox")->setValue(0.60);
            click(w, "startButton");
            QVERIFY(QTest::qWaitFor([w] { return !w->searching(); }, kSearchTimeout));
            QVERIFY(!w->results().empty() && w->staleReason().isEmpty());
            BassSetup setup = searchedSetup;
            c.change(setup);
            document().setSetup(setup);
            document().apply();
            QCOMPARE(w->staleReason(), QString::fromUtf8(c.why));
            QVERIFY(status(w, "searchStatusLabel").contains(w->staleReason()));
            QCOMPARE(table(w)->item(0, 7)->foreground().color(),
                     w->palette().color(QPalette::Disabled, QPalette::Text));
            const QString listenerX = readOut("listenerXReadOut");
            clickRow(w, 0);
            click(w, "applyButton");
            QCOMPARE(errors().size(), 1);
            QVERIFY(errors()[0].contains(w->staleReason()));
            QCOMPARE(readOut("listenerXReadOut"), listenerX);
            stop();
        }
        start(); // for cleanup
    }

    void reopenedItTellsTheTruthAndAnEmptyResultIsSaid() {
        PlacementSearchWindow* w = searchWindow(); // the full scene: a long search
        click(w, "startButton");
        QTRY_VERIFY_WITH_TIMEOUT(control<QProgressBar>(*w, "progressBar")->value() > 0, kSearchTimeout);
        w->close();
        w = searchWindow();
        QVERIFY(!w->searching());
        QCOMPARE(control<QProgressBar>(*w, "progressBar")->value(), 0);
        QVERIFY(status(w, "timeLeftLabel").isEmpty());
        QVERIFY(status(w, "searchStatusLabel").contains(QStringLiteral("中止")));

        useFewReflections();
        control<QDoubleSpinBox>(*w, "wallClearanceBox")->setValue(1.90);
        click(w, "startButton");
        QTRY_VERIFY_WITH_TIMEOUT(!w->searching(), kSearchTimeout);
        QCOMPARE(table(w)->rowCount(), 0);
        QVERIFY(status(w, "searchStatusLabel").contains(QStringLiteral("見つかりませんでした")));
    }

    void theObjectiveAndTheNewConstraintsReachTheSearch() {
        useFewReflections();
        PlacementSearchWindow* w = searchWindow();
        control<QComboBox>(*w, "objectiveBox")->setCurrentIndex(1); // 1 点
        control<QDoubleSpinBox>(*w, "frontFarthestBox")->setValue(0.80);
        control<QDoubleSpinBox>(*w, "leastSpacingBox")->setValue(1.50);
        click(w, "startButton");
        QVERIFY(QTest::qWaitFor([w] { return !w->searching(); }, kSearchTimeout));
        const std::vector<Placement>& best = w->results();
        QVERIFY(!best.empty());
        for (std::size_t i = 0; i < best.size(); ++i) {
            QVERIFY(best[i].sp1.y <= 0.80 && best[i].sp2.x - best[i].sp1.x >= 1.50 - 1e-9);
            QVERIFY(i == 0 || best[i - 1].spread <= best[i].spread);
        }
    }

    // With a second seat the rows are ranked over both seats, and 適用 moves them together.
    void theSeatsAreRankedTogetherAndMoveTogether() {
        BassSetup setup;
        setup.texts = startupSceneTexts();
        setup.texts.reflectionCount = "2";
        setup.texts.seats.push_back({" 0.96", " 3.20", " 1.01"}); // 0.40 m left, 0.30 m behind
        document().setSetup(setup);
        document().apply();
        PlacementSearchWindow* w = searchWindow();
        control<QComboBox>(*w, "layoutBox")->setCurrentIndex(static_cast<int>(Layout::Seats));
        control<QCheckBox>(*w, "centreLineBox")->setChecked(true);
        click(w, "startButton");
        QVERIFY(QTest::qWaitFor([w] { return !w->searching(); }, kSearchTimeout));
        QVERIFY(!w->results().empty());
        QVERIFY(status(w, "rankingLabel").contains(QStringLiteral("全座席の評価")));
        const Placement chosen = w->results()[0];
        QCOMPARE(table(w)->item(0, 12)->text(), QString::number(chosen.seatScore, 'f', 2));
        clickRow(w, 0);
        click(w, "applyButton");
        QVERIFY(errors().isEmpty());
        const std::vector<PositionTexts> seats = document().setup().texts.seats;
        QCOMPARE(seats.size(), std::size_t{2});
        QCOMPARE(QString::fromStdString(seats[0].x), metres(chosen.listener.x));
        QCOMPARE(QString::fromStdString(seats[1].x), metres(chosen.listener.x - 0.40));
        QCOMPARE(QString::fromStdString(seats[1].y), metres(chosen.listener.y + 0.30));
        // The pair's middle on the centre line, within the centimetre.
        QVERIFY(std::fabs(chosen.listener.x - 0.20 - 1.35) <= kCentreLineTolerance + 1e-9);
    }

    void everyColumnSaysWhatItHolds() {
        PlacementSearchWindow* w = searchWindow();
        const QString known = QStringLiteral(" dB (20–200 Hz)"); // the area too, before any search
        QTRY_VERIFY(status(w, "currentSpreadLabel").endsWith(known));
        QTableWidget* t = table(w);
        QCOMPARE(t->horizontalHeaderItem(9)->text(), QStringLiteral("最悪 ±0.10 m dB"));
        for (int column = 0; column < t->columnCount(); ++column)
            QVERIFY(!t->horizontalHeaderItem(column)->toolTip().isEmpty());
    }

    void withoutACandidateTheChartIsAsBefore() {
        PlacementSearchWindow* w = searched();
        QVERIFY(!w->searching());
        const QImage before = chart().grab().toImage();
        clickRow(w, 0);
        QVERIFY(chart().grab().toImage() != before);
        w->close();
        QCOMPARE(chart().grab().toImage(), before);
    }
};

QTEST_MAIN(TestPlacementSearch)
#include "tst_placement_search.moc"
