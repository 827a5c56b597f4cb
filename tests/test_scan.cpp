// The calibration sheet read back from scans (skewed on the glass, blurred, noisy,
// JPEG-compressed, at 150 to 600 dpi, turned, mirrored, cropped): each pass's error must come
// back, or the scan be refused with words.
#include "correction/scan.h"
#include "scans.h"

#include <QPainter>
#include <QTest>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

const QSizeF a4(210, 297);

} // namespace

class TestScan : public QObject {
    Q_OBJECT
private slots:
    // Each kind of scan, of a sheet with errors well inside the limits and of sheets at the
    // limits the README states, every error combined, pass 2 erring the other way.
    void eachPassIsRecoveredFromScansOfEveryKind_data()
    {
        // offset across, down (mm), scale across, down, turn (degrees)
        QTest::addColumn<QList<double>>("first");
        QTest::addColumn<QList<double>>("second");
        QTest::newRow("inside") << QList<double>{2.1, -1.4, 1.006, 0.997, 0.8} << QList<double>{-2.7, 2.9, 0.985, 1.012, -1.3};
        QTest::newRow("at the limits") << QList<double>{3, -3, 1.015, 0.985, -1.5} << QList<double>{-3, 3, 0.985, 1.015, 1.5};
        QTest::newRow("at the limits, the other way") << QList<double>{-3, 3, 0.985, 1.015, 1.5}
                                                       << QList<double>{3, -3, 1.015, 0.985, -1.5};
    }

    void eachPassIsRecoveredFromScansOfEveryKind()
    {
        QFETCH(QList<double>, first);
        QFETCH(QList<double>, second);
        const PrinterCorrection truth[2] = {{first[0], first[1], first[2], first[3], first[4]},
                                            {second[0], second[1], second[2], second[3], second[4]}};
        struct Kind {
            const char* name;
            double dpi, skew;
            bool turned, mirrored;
        };
        for (const Kind& kind : {Kind{"600 dpi, skewed", 600, 1.2, false, false}, Kind{"150 dpi, turned", 150, -0.7, true, false},
                                 Kind{"300 dpi, mirrored", 300, 0.4, false, true}}) {
            QImage image = scanned(onTheGlass(truth, kind.dpi, kind.skew));
            if (kind.turned)
                image = image.mirrored(true, true);
            if (kind.mirrored)
                image = image.mirrored(true, false);
            const ScanReading reading = readScan(image, a4, "Test");
            QVERIFY2(reading.refusal.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(kind.name, reading.refusal)));
            for (int pass = 0; pass < 2; ++pass) {
                const PrinterCorrection& got = *reading.pass[pass];
                const PrinterCorrection& want = truth[pass];
                qInfo("%s, pass %d: offset %+.3f %+.3f (true %+.3f %+.3f), scale %.5f %.5f (true %.5f %.5f), turn %+.4f (true %+.4f)",
                      kind.name, pass + 1, got.dx, got.dy, want.dx, want.dy, got.sx, got.sy, want.sx, want.sy, got.degrees,
                      want.degrees);
                QVERIFY(std::abs(got.dx - want.dx) <= 0.1 && std::abs(got.dy - want.dy) <= 0.1);
                QVERIFY(std::abs(got.sx - want.sx) <= 0.0005 && std::abs(got.sy - want.sy) <= 0.0005);
                QVERIFY(std::abs(got.degrees - want.degrees) <= 0.02);
            }
        }
    }

    void aBlottedMarkACroppedScanAnotherPrintersSheetAndNoSheetAreRefused()
    {
        const PrinterCorrection none[2] = {{}, {}};
        const double px = 150 / 25.4;
        QImage blotted = onTheGlass(none, 150, 0.3);
        {
            QPainter painter(&blotted);
            painter.setBrush(QColor(30, 30, 30));
            painter.drawEllipse(QPointF((12 + 25) * px, (12 + 297 - 25) * px), 12 * px, 12 * px); // over C
        }
        const QString blot = readScan(scanned(blotted), a4, "Test").refusal;
        QVERIFY2(blot.startsWith("Le repère C ne se lit pas nettement sur la numérisation (les 9 autres ont été trouvés)"),
                 qPrintable(blot));
        // A sheet whose pass 2 was not printed: what was found is said, and the ruler offered.
        const QString half = readScan(scanned(onTheGlass(none, 150, 0.3, "Test", 1)), a4, "Test").refusal;
        QVERIFY2(half.startsWith("Sur cette numérisation, les repères A, B, C, D et E ont été trouvés, mais pas F, G, H, I ni J.")
                     && half.endsWith("mesurez-la à la règle."),
                 qPrintable(half));
        // A print reduced to fit the page is read, and refused for what it is.
        const PrinterCorrection reduced[2] = {{2, 2, 0.94, 0.94, 0}, {}};
        const QString fitted = readScan(scanned(onTheGlass(reduced, 150, 0.3)), a4, "Test").refusal;
        QVERIFY2(fitted.startsWith("Le passage 1 serait imprimé à 9") && fitted.contains(" % : ce n'est pas une erreur d'imprimante."),
                 qPrintable(fitted));
        const QImage cropped = onTheGlass(none, 150, 0).copy(QRect(QPoint(int(12 * px), int(12 * px)), QSize(int(210 * px), int(297 * px))));
        QVERIFY(readScan(cropped, a4, "Test").refusal.startsWith("Les bords de la feuille ne se voient pas"));
        // A sheet printed on another printer, as sharp as the first.
        const QString other = readScan(scanned(onTheGlass(none, 200, 0.2, "Bureau")), a4, "Test").refusal;
        QVERIFY2(other.startsWith("Cette feuille de réglage n'a pas été imprimée par l'imprimante « Test »"), qPrintable(other));
        QVERIFY2(readScan(scanned(onTheGlass(none, 200, 0.2, "Bureau")), a4, "Bureau").refusal.isEmpty(), "its own printer");
        QImage empty(1240, 1754, QImage::Format_Grayscale8);
        empty.fill(QColor(50, 50, 50));
        const QString nothing = readScan(scanned(empty), a4, "Test").refusal;
        QVERIFY2(nothing.startsWith("Les bords de la feuille ne se voient pas"), qPrintable(nothing));
    }
};

QTEST_MAIN(TestScan)
#include "test_scan.moc"
