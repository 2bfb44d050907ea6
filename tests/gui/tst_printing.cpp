// The graph print and the whole-window print, on a printer whose engines record what is
// drawn where (a 600 dpi sheet of 6814 x 4760 dots in landscape), and once into real PDF
// files.
#include "main_window_fixture.h"

#include "model/layout/print_geometry.h"
#include "model/layout/scene_lines.h"
#include "printing/graph_print.h"
#include "tests/small_file_system.h"
#include "widgets/user_dialogs.h"

#include <QFile>
#include <QPaintEngine>
#include <QPrintEngine>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <climits>
#include <map>

using namespace kolmarin;

namespace {

constexpr int kDpi = 600;
constexpr int kLongSide = 6814;
constexpr int kShortSide = 4760;

class RecordingPrintEngine : public QPrintEngine {
  public:
    QPageLayout layout{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()};
    std::map<int, QVariant> values;

    void setProperty(PrintEnginePropertyKey key, const QVariant& value) override {
        if (key == PPK_Orientation)
            layout.setOrientation(static_cast<QPageLayout::Orientation>(value.toInt()));
        else if (key == PPK_QPageLayout)
            layout = value.value<QPageLayout>();
        values[key] = value;
    }
    QVariant property(PrintEnginePropertyKey key) const override {
        if (key == PPK_QPageLayout)
            return QVariant::fromValue(layout);
        if (key == PPK_Orientation)
            return static_cast<int>(layout.orientation());
        const auto found = values.find(key);
        return found == values.end() ? QVariant() : found->second;
    }
    bool newPage() override { return true; }
    bool abort() override { return true; }
    QPrinter::PrinterState printerState() const override { return QPrinter::Idle; }

    int metric(QPaintDevice::PaintDeviceMetric id) const override {
        const bool landscape = layout.orientation() == QPageLayout::Landscape;
        switch (id) {
        case QPaintDevice::PdmWidth:
            return landscape ? kLongSide : kShortSide;
        case QPaintDevice::PdmHeight:
            return landscape ? kShortSide : kLongSide;
        case QPaintDevice::PdmWidthMM:
            return (landscape ? kLongSide : kShortSide) * 254 / (10 * kDpi);
        case QPaintDevice::PdmHeightMM:
            return (landscape ? kShortSide : kLongSide) * 254 / (10 * kDpi);
        case QPaintDevice::PdmDpiX:
        case QPaintDevice::PdmDpiY:
        case QPaintDevice::PdmPhysicalDpiX:
        case QPaintDevice::PdmPhysicalDpiY:
            return kDpi;
        case QPaintDevice::PdmNumColors:
            return INT_MAX;
        case QPaintDevice::PdmDepth:
            return 32;
        case QPaintDevice::PdmDevicePixelRatio:
            return 1;
        case QPaintDevice::PdmDevicePixelRatioScaled:
            return static_cast<int>(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }
};

struct DrawnText {
    QPointF at; // baseline start, device dots
    QString text;
    double height = 0; // font height, device dots
};

class RecordingPaintEngine : public QPaintEngine {
  public:
    RecordingPaintEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    bool refuseToBegin = false;
    int begun = 0;
    int ended = 0;
    QPageLayout::Orientation orientationAtBegin = QPageLayout::Portrait;
    QString jobNameAtBegin;
    QRectF inked; // everything drawn, device dots
    QList<DrawnText> texts;
    QList<QRectF> pictureRects;
    QList<QImage> pictures;

    bool begin(QPaintDevice* device) override {
        auto* printer = static_cast<QPrinter*>(device);
        orientationAtBegin = printer->pageLayout().orientation();
        jobNameAtBegin = printer->docName();
        if (refuseToBegin)
            return false;
        ++begun;
        return true;
    }
    bool end() override {
        ++ended;
        return true;
    }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return QPaintEngine::User; }

    void drawPath(const QPainterPath& path) override { ink(path.boundingRect()); }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode) override {
        ink(QPolygonF(QList<QPointF>(points, points + count)).boundingRect());
    }
    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF&) override {
        ink(r);
        pictureRects.append(state->transform().mapRect(r));
        pictures.append(pixmap.toImage());
    }
    void drawImage(const QRectF& r, const QImage& image, const QRectF&, Qt::ImageConversionFlags) override {
        ink(r);
        pictureRects.append(state->transform().mapRect(r));
        pictures.append(image);
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        const QTransform& t = state->transform();
        const QFont font = item.font();
        const double size = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * kDpi / 72;
        texts.append({t.map(p), item.text(), size * t.m22()});
    }

    // The texts drawn on one baseline, joined from left to right, top line first.
    QList<DrawnText> lines() const {
        std::map<long, QList<DrawnText>> byBaseline;
        for (const DrawnText& item : texts)
            byBaseline[std::lround(item.at.y())].append(item);
        QList<DrawnText> out;
        for (auto& [y, items] : byBaseline) {
            std::sort(items.begin(), items.end(),
                      [](const DrawnText& a, const DrawnText& b) { return a.at.x() < b.at.x(); });
            DrawnText line = items.front();
            for (qsizetype i = 1; i < items.size(); ++i)
                line.text += items[i].text;
            out.append(line);
        }
        return out;
    }

  private:
    void ink(const QRectF& r) { inked |= state->transform().mapRect(r); }
};

class RecordingPrinter : public QPrinter {
  public:
    RecordingPrinter(RecordingPrintEngine& print, RecordingPaintEngine& paint) { setEngines(&print, &paint); }
};

// The engines outlive the printer that uses them.
struct PrinterRig {
    RecordingPrintEngine print;
    RecordingPaintEngine paint;
    RecordingPrinter printer{print, paint};
};

QPageLayout::Orientation orientation(const QPrinter& printer) {
    return printer.pageLayout().orientation();
}

bool near(const QRectF& a, const QRectF& b, double dots) {
    return std::abs(a.left() - b.left()) <= dots && std::abs(a.top() - b.top()) <= dots &&
           std::abs(a.right() - b.right()) <= dots && std::abs(a.bottom() - b.bottom()) <= dots;
}

QRectF toRectF(const PagePlace& r) {
    return QRectF(r.left, r.top, r.width(), r.height());
}

QSizeF pdfPageSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("%PDF"))
        return {};
    static const QRegularExpression mediaBox(
        QStringLiteral(R"(/MediaBox\s*\[\s*0\s+0\s+([\d.]+)\s+([\d.]+)\s*\])"));
    const QRegularExpressionMatch match = mediaBox.match(QString::fromLatin1(bytes));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()) : QSizeF();
}

} // namespace

class TestPrinting : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

    QList<QPageLayout::Orientation> dialogOrientations;

    // The print dialog agrees, after noting the orientation it was opened with.
    void agreeToPrint() {
        dialogOrientations.clear();
        setPrintDialogHandler([this](QWidget*, QPrinter& printer) {
            dialogOrientations.append(orientation(printer));
            return true;
        });
    }

  private slots:
    void initTestCase() { setUpApplication(); }
    void init() {
        start();
        agreeToPrint();
    }
    void cleanup() {
        setPrintDialogHandler({});
        stop();
    }

    void graphPrintPutsTheChartWhereTheMarginsLeaveRoom() {
        PrinterRig rig;
        printGraph(mainWindow(), chart(), document().texts(), rig.printer);
        QCOMPARE(rig.paint.begun, 1);
        QCOMPARE(rig.paint.ended, 1);
        QCOMPARE(rig.paint.orientationAtBegin, QPageLayout::Landscape);
        QCOMPARE(rig.paint.jobNameAtBegin, QStringLiteral("Chart1"));
        // The chart's white background fills its place exactly: 15 % free on either side,
        // 17 % above and below.
        QVERIFY2(near(rig.paint.inked, QRectF(1022, 809, 4770, 3142), 1.0),
                 qPrintable(QStringLiteral("drawn over %1,%2 %3x%4")
                                .arg(rig.paint.inked.left())
                                .arg(rig.paint.inked.top())
                                .arg(rig.paint.inked.width())
                                .arg(rig.paint.inked.height())));
    }

    void graphPrintWritesTheSceneUnderTheChart() {
        PrinterRig rig;
        const auto expected = graphHeaderLines(document().texts());
        QVERIFY(QString::fromStdString(expected[3]).endsWith(QStringLiteral("  床から 1.01m")));
        printGraph(mainWindow(), chart(), document().texts(), rig.printer);

        const QList<DrawnText> lines = rig.paint.lines();
        QVERIFY(lines.size() > 5);
        // The five foot lines are the last five, in order, inside the chart's place.
        const QList<DrawnText> foot = lines.mid(lines.size() - 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(foot[i].text.trimmed(), QString::fromStdString(expected[i]).trimmed());
            QVERIFY(foot[i].at.x() > 1022 && foot[i].at.y() < 3951);
            // Readable on paper: at least a tenth of an inch high.
            QVERIFY2(foot[i].height >= kDpi / 10.0, qPrintable(QString::number(foot[i].height)));
        }
        QVERIFY(lines.front().text.startsWith(QStringLiteral("Kolmarin2 部屋.dtr      ")));
        QVERIFY(lines.front().at.y() > 809 && lines.front().at.y() < foot.front().at.y());
        QStringList all;
        for (const DrawnText& line : lines)
            all.append(line.text);
        for (const char* legend : {"SP1", "SP2", "Total", "dB"})
            QVERIFY2(all.contains(QString::fromLatin1(legend)), legend);
    }

    void aSceneWithSubwoofersIsPrintedWholeUnderAChartAcrossThePage() {
        const QImage plainImage = QImage::fromData(mainWindow().chartImage(ChartImageFormat::Png));
        BassSetup setup = document().setup();
        for (int i = 0; i < 4; ++i) {
            setup.texts.sources.push_back({"0.30", " 0.40", "0.3" + std::to_string(i)});
            setup.subwoofers.push_back({-1.0 * i, 2.0, i == 3});
        }
        setup.texts.seats.push_back({"1.00", "3.20", "1.00"});
        setup.crossover = 80;
        document().setSetup(setup);
        document().apply();
        // The image grows by the scene's lines, the chart keeping its size.
        const QImage image = QImage::fromData(mainWindow().chartImage(ChartImageFormat::Png));
        QCOMPARE(image.width(), plainImage.width());
        QVERIFY(image.height() > plainImage.height());

        PrinterRig rig;
        printGraph(mainWindow(), chart(), sceneGroups(document().setup(), std::nullopt), rig.printer);
        QString all;
        for (const DrawnText& line : rig.paint.lines())
            all += line.text + QLatin1Char('\n');
        for (const char* wanted :
             {"SW1 左0.30 前0.40 床0.30 m", "SW4", "レベル -3.0 dB", "遅延 2.00 ms", "極性 逆",
              "クロスオーバー 80 Hz", "座席 2 左1.00 前3.20 床1.00 m", "聴取者", "反射回数 30"})
            QVERIFY2(all.contains(QString::fromUtf8(wanted)), qPrintable(all));
        // The chart takes the page's width but for 5 % on either side.
        QVERIFY2(rig.paint.inked.width() > 0.85 * kLongSide,
                 qPrintable(QString::number(rig.paint.inked.width())));
        QCOMPARE(chart().footText(), QString());
    }

    void graphPrintLeavesPrinterAndScreenAsTheyWere() {
        PrinterRig rig;
        rig.printer.setPageOrientation(QPageLayout::Portrait);
        rig.printer.setDocName(QStringLiteral("earlier job"));
        printGraph(mainWindow(), chart(), document().texts(), rig.printer);
        QCOMPARE(orientation(rig.printer), QPageLayout::Portrait);
        QCOMPARE(rig.printer.docName(), QStringLiteral("earlier job"));
        QCOMPARE(chart().footText(), QString());
        // Laid out for the screen again: the plot area fits the 553 x 417 widget.
        QVERIFY(chart().rect().contains(chart().axisRect()->rect()));
    }

    void cancelledGraphPrintPrintsNothing() {
        PrinterRig rig;
        setPrintDialogHandler([](QWidget*, QPrinter&) { return false; });
        printGraph(mainWindow(), chart(), document().texts(), rig.printer);
        QCOMPARE(rig.paint.begun, 0);
        QCOMPARE(orientation(rig.printer), QPageLayout::Portrait);
        QCOMPARE(chart().footText(), QString());
    }

    void failedGraphPrintIsReportedAndStillRestores() {
        PrinterRig rig;
        rig.paint.refuseToBegin = true;
        QVERIFY(!runCommand(&mainWindow(),
                            [&] { printGraph(mainWindow(), chart(), document().texts(), rig.printer); }));
        QCOMPARE(errors(), QStringList{QStringLiteral("印刷を開始できません")});
        QCOMPARE(rig.paint.orientationAtBegin, QPageLayout::Landscape);
        QCOMPARE(orientation(rig.printer), QPageLayout::Portrait);
        QCOMPARE(chart().footText(), QString());
    }

    void windowPrintShowsTheClientAreaAtItsScreenSize() {
        PrinterRig rig;
        printWholeWindow(mainWindow(), *mainWindow().centralWidget(), rig.printer);
        QCOMPARE(dialogOrientations, QList{QPageLayout::Landscape});
        QCOMPARE(rig.paint.begun, 1);
        QCOMPARE(rig.paint.ended, 1);
        QCOMPARE(rig.paint.pictureRects.size(), 1);

        // The menu bar is not part of the picture.
        const QSize client = mainWindow().centralWidget()->size();
        QCOMPARE(rig.paint.pictures.front().size(), client);
        const int screenDpi = mainWindow().logicalDpiX();
        const PagePlace expected =
            centredPicture(client.width(), client.height(), kDpi, screenDpi, kLongSide, kShortSide);
        QCOMPARE(rig.paint.pictureRects.front(), toRectF(expected));
        if (screenDpi == 96)
            QCOMPARE(expected.width(), client.width() * 25 / 4);
        // The orientation is not set back.
        QCOMPARE(orientation(rig.printer), QPageLayout::Landscape);
    }

    void windowPrintTakesThePortraitChosenInTheDialog() {
        PrinterRig rig;
        setPrintDialogHandler([this](QWidget*, QPrinter& printer) {
            dialogOrientations.append(orientation(printer));
            printer.setPageOrientation(QPageLayout::Portrait);
            return true;
        });
        printWholeWindow(mainWindow(), *mainWindow().centralWidget(), rig.printer);
        const QSize client = mainWindow().centralWidget()->size();
        const PagePlace expected = centredPicture(client.width(), client.height(), kDpi,
                                                  mainWindow().logicalDpiX(), kShortSide, kLongSide);
        QCOMPARE(rig.paint.pictureRects.front(), toRectF(expected));
        QCOMPARE(orientation(rig.printer), QPageLayout::Portrait);

        // The next window print opens its dialog in landscape again.
        agreeToPrint();
        printWholeWindow(mainWindow(), *mainWindow().centralWidget(), rig.printer);
        QCOMPARE(dialogOrientations, QList{QPageLayout::Landscape});
    }

    void cancelledWindowPrintHasAlreadyTurnedThePage() {
        PrinterRig rig;
        setPrintDialogHandler([](QWidget*, QPrinter&) { return false; });
        printWholeWindow(mainWindow(), *mainWindow().centralWidget(), rig.printer);
        QCOMPARE(rig.paint.begun, 0);
        QCOMPARE(orientation(rig.printer), QPageLayout::Landscape);
    }

    void bothPrintsMakeLandscapePdfPages() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QString target;
        setPrintDialogHandler([&target](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(target);
            return true;
        });
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(QPageSize(QPageSize::A4));

        target = folder.filePath(QStringLiteral("graph.pdf"));
        QVERIFY(runCommand(&mainWindow(),
                           [&] { printGraph(mainWindow(), chart(), document().texts(), printer); }));
        const QSizeF graphPage = pdfPageSize(target);
        QVERIFY2(graphPage.width() > graphPage.height(), qPrintable(target));

        target = folder.filePath(QStringLiteral("window.pdf"));
        QVERIFY(runCommand(&mainWindow(),
                           [&] { printWholeWindow(mainWindow(), *mainWindow().centralWidget(), printer); }));
        const QSizeF windowPage = pdfPageSize(target);
        QVERIFY2(windowPage.width() > windowPage.height(), qPrintable(target));
        QVERIFY(errors().isEmpty());
    }

    void printToAnUnwritableFileIsReported() {
        setPrintDialogHandler([](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QStringLiteral("/nonexistent-folder/graph.pdf"));
            return true;
        });
        QPrinter printer(QPrinter::HighResolution);
        QVERIFY(!runCommand(&mainWindow(),
                            [&] { printGraph(mainWindow(), chart(), document().texts(), printer); }));
        QCOMPARE(errors(),
                 QStringList{QStringLiteral("印刷を開始できません\n/nonexistent-folder/graph.pdf")});
        QCOMPARE(chart().footText(), QString());
    }

    void printCutShortByAFullDiskIsReported() {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        test::SmallFileSystem small(folder.path(), "16k");
        if (!small.mounted())
            QSKIP("no right to mount a small file system here");
        const QString target = folder.filePath(QStringLiteral("graph.pdf"));
        setPrintDialogHandler([&target](QWidget*, QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(target);
            return true;
        });
        QPrinter printer(QPrinter::HighResolution);
        QVERIFY(!runCommand(&mainWindow(),
                            [&] { printGraph(mainWindow(), chart(), document().texts(), printer); }));
        QCOMPARE(errors(), QStringList{QStringLiteral("印刷を完了できません\n") + target});
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
