// The printer's calibration as a user meets it in its dialog: by ruler, then by a scan of the
// printed sheet; what is kept, said and used by the next run.
#include "correction/store.h"
#include "platform/printerprofile.h"
#include "ui/preview/calibrationdialog.h"
#include "ui/preview/previewwindow.h"
#include "scans.h"
#include "window_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace calvorigne;
using namespace calvorigne::testing;

class TestCalibration : public QObject {
    Q_OBJECT
private slots:
    // The printer's calibration by ruler, as a user does it from the preview: the sheet, the
    // distances, a refusal, and the next run printing through what was kept.
    void aRulerCalibrationIsKeptAndUsedByTheNextRun()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "12", "1");
        w.cmd_preview_Click();
        PreviewWindow& preview = *w.preview();
        QVERIFY(preview.calibration->isVisible());
        CalibrationDialog dialog(w);
        QTest::mouseClick(dialog.printSheet, Qt::LeftButton);
        QCOMPARE(f.printer.documents.size(), std::size_t(2));
        // Discs and crosses, rules, printer mark, then the texts: labels, legend, rules' figures.
        QStringList texts;
        for (const Printed& printed : f.printer.documents[0][0])
            texts << printed.text;
        QCOMPARE(texts.count("shape"), 5 * 2 + 2);
        QCOMPARE(texts.count("cette règle doit mesurer 100 mm"), 2);
        QCOMPARE(texts.count("100"), 2);
        QVERIFY(texts.join(u' ').contains("jusqu'au centre de la croix de A, de B et de C. Tournez ensuite la feuille pour lire "
                                          "« passage 2 » à l'endroit"));
        QVERIFY(texts.join(u' ').contains("D, E, I et J servent à la lecture d'une numérisation ; les petits carrés,"));
        QVERIFY(f.printer.documents[1][0].front().correction.isIdentity());

        // Pass 1 lands 1.5 mm right and 1 mm low: A, B and C as a ruler reads them.
        const QStringList typed = {"26,5", "26", "186,5", "26", "26,5", "273"};
        for (int k = 0; k < 6; ++k)
            dialog.distances[0][k]->setText(k == 3 ? "vingt-six" : typed[k]);
        QTest::mouseClick(dialog.save[0], Qt::LeftButton);
        QCOMPARE(f.dialogs.messages.last(), QString("Passage 1 : « vingt-six » n'est pas une distance en millimètres (B, du "
                                                    "bord haut)."));
        QVERIFY(!dialog.forget[0]->isEnabled());
        dialog.distances[0][3]->setText(typed[3]);
        QTest::mouseClick(dialog.save[0], Qt::LeftButton);
        const QString kept = "passage 1 : décalage +1,5\u00a0mm vers la droite, +1,0\u00a0mm vers le bas, échelle 100,0\u00a0%";
        QCOMPARE(dialog.stored->text(), "Réglage retenu pour l'imprimante « Test » :\n" + kept + " ;\npassage 2 : aucun réglage, "
                                        "imprimé tel quel.");
        // Reopened, the dialog shows what it keeps.
        QCOMPARE(CalibrationDialog(w).stored->text(), dialog.stored->text());
        preview.refresh();
        QVERIFY(preview.printerLine->text().endsWith("Les numéros sont déplacés pour compenser l'imprimante « Test » (" + kept + ")."));

        f.printer.documents.clear();
        w.cmd_print_Click();
        QCOMPARE(f.printer.documents.size(), std::size_t(2));
        const Printed& first = f.printer.documents[0][0][0];
        QCOMPARE(first.correction.map(QPointF(first.left, first.top)), QPointF(first.left - 1.5, first.top - 1));
        QVERIFY(f.printer.documents[1][0][0].correction.isIdentity());
        QVERIFY(f.journalLines().last().join(';').contains("réglage " + kept));
    }
    // A scan of the printed sheet instead of a ruler: read, shown over the scan, kept by a
    // click; a picture that is no calibration sheet keeps nothing and says why.
    void aScanOfTheCalibrationSheetIsReadAndKept()
    {
        WindowFixture f;
        Numero& w = f.start();
        CalibrationDialog dialog(w);
        const PrinterCorrection truth[2] = {{1.6, -0.9, 1.004, 0.998, 0.3}, {-2.2, 1.7, 0.997, 1.003, -0.5}};
        const QString scan = f.dir.filePath("réglage.png");
        QVERIFY(scanned(onTheGlass(truth, 200, 0.6)).save(scan));
        dialog.readScanFile(scan);
        QVERIFY2(dialog.keepScan->isEnabled(), qPrintable(dialog.scanWords->text()));
        QVERIFY(dialog.scanView->pixmap().width() > 0);
        // The whole of it, the scan shown, on a laptop's 1366 × 768 screen.
        QVERIFY2(dialog.sizeHint().height() <= 768 - 48 && dialog.sizeHint().width() <= 1366 - 16,
                 qPrintable(QStringLiteral("%1 × %2").arg(dialog.sizeHint().width()).arg(dialog.sizeHint().height())));
        QVERIFY2(dialog.scanWords->text().startsWith("Les 10 repères ont été trouvés (écart 0,0")
                     && dialog.scanWords->text().contains("\u00a0mm au plus).\nLu sur la numérisation :\npassage 1 : décalage "
                                                          "+1,6\u00a0mm vers la droite, \u22120,9\u00a0mm vers le bas"),
                 qPrintable(dialog.scanWords->text()));
        // The folder of that scan is where the next one is looked for.
        QCOMPARE(readPrinterKey(f.settingsPath, "Test", "DossierNumerisation"), f.dir.path());
        QTest::mouseClick(dialog.keepScan, Qt::LeftButton);
        const PrinterCorrections kept = storedCorrections(f.settingsPath, "Test");
        for (int pass = 0; pass < 2; ++pass)
            QVERIFY(std::abs(kept.pass[pass]->dx - truth[pass].dx) < 0.1 && std::abs(kept.pass[pass]->degrees - truth[pass].degrees) < 0.02);

        QImage blank(1500, 2000, QImage::Format_Grayscale8);
        blank.fill(Qt::white);
        QVERIFY(blank.save(scan));
        dialog.readScanFile(scan);
        QVERIFY(!dialog.keepScan->isEnabled());
        QVERIFY(f.dialogs.messages.last().startsWith("Rien n'a été retenu de cette numérisation : les bords de la feuille"));
    }
};

QTEST_MAIN(TestCalibration)
#include "test_calibration.moc"
