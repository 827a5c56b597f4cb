// The calibration through a real print scheduler: each pass printed through its correction,
// the calibration sheet as the queue writes it and read back from a scan of it, and a learned
// paper path in the jobs. Run by cups_print.sh; the Linux build only.
#include "print_scheduler.h"

using namespace calvorigne;
using namespace calvorigne::testing;

class TestCupsCalibration : public QObject {
    Q_OBJECT
private slots:
    // A printer's measured error, stored for it: each pass's numbers, in two columns with
    // stubs turned every way, are asked where that pass's error brings them back to their
    // places, within 0.05 mm.
    void eachPassPrintsThroughItsCorrection()
    {
        if (!ownScheduler())
            QSKIP("no private print scheduler of this system's own");
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        const PrinterCorrection passes[] = {{1.2, -0.7, 1.004, 1.004, 0}, {-0.9, 1.1, 0.996, 0.997, 0}};
        for (int pass = 0; pass < 2; ++pass)
            QVERIFY(storeCorrection(w.settingsPath(), printer.name(), pass + 1, passes[pass]));
        const TicketModel model = turnedStubs(9);
        w.setTicketModel(model);
        w.Lbl_NbCarnet->setCaption("24");
        w.cmd_print_Click();
        const QStringList produced = awaitPdfs(since, 2);
        QCOMPARE(produced.size(), 2);
        Misplacement worst;
        int number = 1;
        for (int pass = 0; pass < 2; ++pass) {
            const auto pages = wordsOf(produced[pass], 0);
            QCOMPARE(pages.size(), 2);
            for (const auto& page : pages) {
                QCOMPARE(page.size(), 6 * 4);
                measureCopies(page, model, 12, number, passes[pass].asking(), worst);
                number += 6;
            }
            QFile::remove(produced[pass]);
        }
        for (const auto& [copy, off] : worst) {
            qInfo("turned %d at %.0f pt: %.3f mm from where its pass's correction asks it", copy.first, copy.second, off.first);
            QVERIFY(off.first <= 0.05);
        }
    }

    // The calibration sheet's rules, as the queue writes them: 100 mm across and 100 mm down,
    // within 0.1 mm, measured between their end ticks on the spooled page drawn at 600 dpi; and
    // its two pages, printed with known errors and scanned, give those errors back.
    void theCalibrationSheetsRulesAreTrueInTheSpooledFile()
    {
        if (!ownScheduler())
            QSKIP("no private print scheduler of this system's own");
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        w.calibrationSheet();
        const QStringList produced = awaitPdfs(since, 2);
        QCOMPARE(produced.size(), 2);
        QTemporaryDir folder;
        QProcess draw;
        draw.start("pdftoppm", {"-r", "600", "-gray", "-singlefile", produced[0], folder.filePath("pass1")});
        QVERIFY(draw.waitForFinished() && draw.exitCode() == 0);
        QImageReader::setAllocationLimit(512);
        const QImage page(folder.filePath("pass1.pgm"));
        QVERIFY(!page.isNull());
        const double dots = 600 / 25.4;
        // Only the 4 mm ticks, every 10 mm, reach 3.5 mm from their rule: eleven of them.
        const auto ticks = [&](bool across) {
            std::vector<double> centres;
            const int line = int(std::lround((12 + 3.5) * dots)); // the rules stand 12 mm from the edges
            const int length = across ? page.width() : page.height();
            double sum = 0, weight = 0;
            for (int i = 0; i < length; ++i) {
                const int grey = across ? qGray(page.pixel(i, line)) : qGray(page.pixel(line, i));
                const double dark = std::max(0, 200 - grey);
                if (dark > 0) {
                    sum += dark * i;
                    weight += dark;
                } else if (weight > 0) {
                    centres.push_back(sum / weight);
                    sum = weight = 0;
                }
            }
            return centres;
        };
        for (const bool across : {true, false}) {
            const std::vector<double> found = ticks(across);
            QCOMPARE(found.size(), std::size_t(11));
            const double mm = (found.back() - found.front()) / dots;
            qInfo("rule %s: %.3f mm", across ? "across" : "down", mm);
            QVERIFY(std::abs(mm - 100) <= 0.1);
        }

        // The same two pages, as a printer with known errors puts them on one sheet of A4 and a
        // flatbed gives it back: each pass's error is read back from the scan.
        const PrinterCorrection truth[2] = {{1.7, -2.3, 1.004, 0.992, -0.9}, {-2.2, 1.6, 0.981, 1.009, 1.2}};
        const double px = 300 / 25.4, margin = 12;
        QImage sheet(QSize(int((210 + 2 * margin) * px), int((297 + 2 * margin) * px)), QImage::Format_RGB32);
        sheet.fill(QColor(45, 45, 45));
        QPainter painter(&sheet);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        const QTransform glass = QTransform::fromTranslate(-105, -148.5) * QTransform().rotate(0.6)
                                 * QTransform::fromTranslate(105 + margin, 148.5 + margin) * QTransform::fromScale(px, px);
        painter.setTransform(glass);
        painter.fillRect(QRectF(0, 0, 210, 297), QColor(246, 246, 246));
        painter.setCompositionMode(QPainter::CompositionMode_Darken); // ink on ink, never paper over it
        for (int pass = 0; pass < 2; ++pass) {
            draw.start("pdftoppm", {"-r", "300", "-gray", "-singlefile", produced[pass], folder.filePath("page")});
            QVERIFY(draw.waitForFinished() && draw.exitCode() == 0);
            const QImage page(folder.filePath("page.pgm"));
            // Pass 2 goes through the printer with the sheet turned end for end.
            const QTransform turned = pass == 0 ? QTransform() : QTransform(-1, 0, 0, -1, 210, 297);
            painter.setTransform(truth[pass].landing() * turned * glass);
            painter.drawImage(QRectF(QPointF(), QSizeF(page.size()) / px), page);
        }
        painter.end();
        const ScanReading reading = readScan(testing::scanned(sheet.convertToFormat(QImage::Format_Grayscale8)), QSizeF(210, 297),
                                             printer.name());
        QVERIFY2(reading.refusal.isEmpty(), qPrintable(reading.refusal));
        for (int pass = 0; pass < 2; ++pass) {
            const PrinterCorrection &got = *reading.pass[pass], &want = truth[pass];
            qInfo("pass %d: offset %+.3f %+.3f (true %+.3f %+.3f), scale %.5f %.5f (true %.5f %.5f), turn %+.4f (true %+.4f)",
                  pass + 1, got.dx, got.dy, want.dx, want.dy, got.sx, got.sy, want.sx, want.sy, got.degrees, want.degrees);
            QVERIFY(std::abs(got.dx - want.dx) <= 0.1 && std::abs(got.dy - want.dy) <= 0.1);
            QVERIFY(std::abs(got.sx - want.sx) <= 0.0005 && std::abs(got.sy - want.sy) <= 0.0005);
            QVERIFY(std::abs(got.degrees - want.degrees) <= 0.02);
        }
        for (const QString& name : produced)
            QFile::remove(name);
    }

    void aLearnedPathPrintsPass2AsOneJobLastPageFirst()
    {
        if (!ownScheduler())
            QSKIP("no private print scheduler of this system's own");
        const QDateTime since = QDateTime::currentDateTime().addSecs(-1);
        ExampleOne run;
        auto [printer, dialogs, w] = run.parts();
        const PaperPath path{Motion::HalfTurn, true, Face::Up};
        QVERIFY(storePath(w.settingsPath(), printer.name(), path));
        const qsizetype jobsBefore = jobsEver(printer.name()).size();
        dialogs.choices.push_back(0); // « Imprimer », once told how to load the sheets
        w.cmd_print_Click();
        QVERIFY2(dialogs.messages.value(0).startsWith("Chargez ") && dialogs.messages.value(0).contains("face à imprimer vers le haut"),
                 qPrintable(dialogs.messages.value(0)));
        QCOMPARE(dialogs.messages.mid(1), QStringList({"Changez le papier de sens pour imprimer la suite.\nPour l'imprimante « "
                                                           + printer.name() + " » : " + movementWords(path.movement),
                                                       "Fin du tirage."}));
        const QStringList produced = awaitPdfs(since, 2);
        QCOMPARE(produced.size(), 2);
        QCOMPARE(jobsEver(printer.name()).size(), jobsBefore + 2);
        int number = 1;
        for (const QString& name : produced) {
            const auto pages = wordsOf(name, fontAscent());
            QCOMPARE(pages.size(), 2);
            // Pass 1 as planned; pass 2 from its last page.
            checkPage(pages[number == 1 ? 0 : 1], number);
            checkPage(pages[number == 1 ? 1 : 0], number + 3);
            number += 6;
            QFile::remove(name);
        }
    }
};

QTEST_MAIN(TestCupsCalibration)
#include "test_cups_calibration.moc"
