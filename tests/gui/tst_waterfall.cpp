// The waterfall window follows the document's calculations: its slices are those of the
// scene the chart shows, computed from the very impulse responses the chart came from.
#include "dialogs/mode_list_window.h"
#include "dialogs/waterfall_window.h"
#include "main_window_fixture.h"
#include "model/acoustics/mode_decay.h"

#include <QAction>
#include <QComboBox>
#include <QSignalSpy>

#include <algorithm>

using namespace kolmarin;
using kolmarin::testing::control;

class TestWaterfall : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

    WaterfallWindow& waterfall() { return *control<WaterfallWindow>(mainWindow(), "waterfallWindow"); }

    Waterfall expectedFor(const SceneTexts& texts) {
        const Scene scene = readCalculationScene(texts, '.', nullptr);
        return computeWaterfall(impulseResponseAt(scene, ImpulseCurve::Total), WaterfallSettings{},
                                scene.delays);
    }

  private slots:
    void initTestCase() { setUpApplication(); }
    void init() { start(); }
    void cleanup() { stop(); }

    void theSlicesFollowEveryCalculation() {
        control<QAction>(mainWindow(), "waterfallAction")->trigger();
        QVERIFY(waterfall().isVisible());
        QCOMPARE(waterfall().picture().waterfall.levels, expectedFor(document().texts()).levels);

        SceneTexts texts;
        roomSettings().readTexts(texts);
        texts.reflBack = "0.3";
        roomSettings().writeTexts(texts);
        // One calculation, announced once by the document, whose result the window shows.
        QSignalSpy announced(&document(), &SceneDocument::calculated);
        QTest::mouseRelease(control<MarkerShape>(mainWindow(), "sp1Marker"), Qt::LeftButton);
        QCOMPARE(announced.count(), 1);
        QCOMPARE(waterfall().picture().waterfall.levels, expectedFor(document().texts()).levels);
        QVERIFY(waterfall().picture().title.startsWith(mainWindow().windowTitle()));
        document().setCaption(QStringLiteral("Kolmarin2 別名.dtr")); // saved under a new name
        QVERIFY(waterfall().picture().title.startsWith(QStringLiteral("Kolmarin2 別名.dtr")));
        // The spectrogram is drawn from its own centred windows.
        control<QComboBox>(waterfall(), "waterfallStyleBox")->setCurrentIndex(1);
        const Scene scene = readCalculationScene(document().texts(), '.', nullptr);
        QCOMPARE(waterfall().picture().waterfall.levels,
                 computeSpectrogram(impulseResponseAt(scene, ImpulseCurve::Total), WaterfallSettings{},
                                    scene.delays)
                     .levels);
        QVERIFY(errors().isEmpty());
    }

    // Asked for, the mode list gains the decay times of the scene the window holds; the
    // list and its file are as before until then.
    void theModeListShowsDecayTimesOnlyWhenAsked() {
        control<QAction>(mainWindow(), "modesAction")->trigger();
        ModeListWindow& modes = windows->modeList;
        QVERIFY(modes.modeTable().decay.empty());
        control<QAction>(modes, "decayTimesAction")->trigger();
        const ModeTable table = modes.modeTable();
        const Scene scene = readCalculationScene(document().texts(), '.', nullptr);
        QCOMPARE(table.decay, modeDecayColumn(table, scene, '.'));
        QCOMPARE(table.decay.size(), table.rows.size());
        QVERIFY(std::any_of(table.decay.begin() + 1, table.decay.end(),
                            [](const std::string& t) { return t != "-"; }));
        QVERIFY(errors().isEmpty());
    }
};

QTEST_MAIN(TestWaterfall)
#include "tst_waterfall.moc"
