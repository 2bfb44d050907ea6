// The table of placed things: a value typed there, a loudspeaker added, sized or taken
// away, is one step of the edit menu that every view follows; a refused value is none.
#include "main_window_fixture.h"

#include "dialogs/placed_things_window.h"
#include "model/acoustics/placed_things.h"
#include "model/text/number_text.h"

#include <QAction>

using namespace kolmarin;
using kolmarin::testing::control;

class TestPlacedThings : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

    PlacedThingsWindow& openTable() {
        control<QAction>(mainWindow(), "placedThingsAction")->trigger();
        return *static_cast<PlacedThingsWindow*>(control<QWidget>(mainWindow(), "placedThingsWindow"));
    }

  private slots:
    void initTestCase() { setUpApplication(); }
    void init() { start(); }
    void cleanup() { stop(); }

    // A value typed into the table of placed things is one step, which the plan, the chart
    // and the seats follow; a refused one changes nothing and is no step.
    void aTableEditIsOneStepAndARefusedOneNone() {
        BassSetup setup = document().setup();
        setup.texts.sources.push_back({"0.30", "0.30", "0.30"});
        setup.subwoofers = {{0.0, 0.0, false}};
        setup.texts.seats.push_back({"0.86", "2.90", "1.00"});
        document().applySetup(setup, QStringLiteral("準備"));
        PlacedThingsWindow& table = openTable();
        using Column = PlacedThingsWindow::Column;
        const std::vector<PlacedThing> things = placedThings(setup); // SP1, SP2, SW1, seats 1 and 2
        QCOMPARE(things.size(), std::size_t{5});
        const struct {
            PlacedThing thing;
            Column column;
            const char* text;
            const char* step;
        } edits[]{{things[0], Column::X, "1.0", "スピーカー1 の移動"},
                  {things[4], Column::Y, "3.5", "座席 2 の移動"},
                  {things[2], Column::Level, "-6", "SW1 の設定"},
                  {things[2], Column::Polarity, "-", "SW1 の設定"}};
        for (const auto& edit : edits) {
            const Shown before = shown();
            table.edit(edit.thing, edit.column, QString::fromUtf8(edit.text));
            checkUndoAndRedo(before, QString::fromUtf8(edit.step));
        }
        QCOMPARE(document().setup().texts.sources[0].x, formatPosition(1.0));
        QCOMPARE(document().setup().subwoofers[0], (SubwooferSignal{-6.0, 0.0, true}));
        QCOMPARE(table.cellText(things[4], Column::Spread),
                 QLocale().toString(mainWindow().seatFigures()->spread[1], 'f', 2));

        const Shown before = shown();
        for (const QString& text : {QStringLiteral("9.99"), QStringLiteral("abc")})
            QVERIFY_THROWS_EXCEPTION(UserError, table.edit(things[0], Column::Y, text));
        QVERIFY(shown() == before);
        QCOMPARE(table.cellText(things[0], Column::Y), QString::fromStdString(before.texts.sources[0].y));
        QCOMPARE(control<QAction>(mainWindow(), "undoAction")->text(),
                 QStringLiteral("元に戻す: SW1 の設定"));
    }

    // A centre added from the table stands on the plan, and adding it, making it large and
    // taking it away again are one step each; the fronts stay.
    void aCentreComesAndGoesFromTheTableAsStepsOfItsOwn() {
        BassSetup setup = document().setup();
        setup.crossover = 80;
        document().applySetup(setup, QStringLiteral("準備"));
        PlacedThingsWindow& table = openTable();
        Shown before = shown();
        table.addLoudspeaker(LoudspeakerRole::Centre);
        QVERIFY(control<MarkerShape>(mainWindow(), "cMarker")->isVisible());
        checkUndoAndRedo(before, QStringLiteral("センター の追加"));
        const PlacedThing centre = placedThings(document().setup()).at(2);
        QCOMPARE(centre.label, std::string("C"));

        before = shown();
        table.edit(centre, PlacedThingsWindow::Column::Size, QStringLiteral("ラージ"));
        QVERIFY(mainWindow().responseCurves().total != before.curves.total);
        checkUndoAndRedo(before, QStringLiteral("C の設定"));

        before = shown();
        table.removeLoudspeaker(centre);
        checkUndoAndRedo(before, QStringLiteral("センター を外す"));
        QVERIFY_THROWS_EXCEPTION(UserError, table.removeLoudspeaker(placedThings(document().setup()).at(0)));
    }
};

QTEST_MAIN(TestPlacedThings)
#include "tst_placed_things.moc"
