// The plan the run prints and the preview draws, in numbers and in words, and the preview
// window as the user sees it.
#include "records/journal.h"
#include "print/plan.h"
#include "print/booklets.h"
#include "ui/preview/bookletlist.h"
#include "ui/preview/previewwindow.h"
#include "ui/preview/ticketpanel.h"
#include "window_fixture.h"

#include <QComboBox>
#include <QImage>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QtEndian>
#include <map>
#include <QLabel>
#include <QTest>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

// Whether the printer was given exactly the plan's texts, places, sizes and turns.
bool printedAsPlanned(const PrintPlan& plan, const RecordingPrinter& printer)
{
    std::vector<Document> planned;
    for (const PlannedDocument& document : plan.documents) {
        Document d;
        for (const PlannedPage& page : document.pages) {
            Page p;
            for (const PlacedNumber& number : page.numbers)
                p.push_back({plan.text(number), number.left, number.top, plan.sizeOf(number), plan.rotationOf(number), QTransform()});
            if (!p.empty())
                d.push_back(p);
        }
        if (!d.empty())
            planned.push_back(d);
    }
    const auto same = [](const Printed& a, const Printed& b) {
        return a.text == b.text && a.left == b.left && a.top == b.top && a.size == b.size && a.rotation == b.rotation;
    };
    return std::equal(planned.begin(), planned.end(), printer.documents.begin(), printer.documents.end(),
                      [&](const Document& a, const Document& b) {
                          return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](const Page& x, const Page& y) {
                              return std::equal(x.begin(), x.end(), y.begin(), y.end(), same);
                          });
                      });
}

} // namespace

class TestPreview : public QObject {
    Q_OBJECT
private slots:
    // What the plan holds is what the printer is given, number for number and position for
    // position; and the plan in words counts the same run.
    void thePlanIsWhatThePrinterGetsAndSaysIt()
    {
        const struct {
            const char *booklets, *folios;
            QString summary;
        } runs[] = {
            {"12", "1", "Numéros 0001 à 0012 · 12 carnets de 1 billet · 3 numéros par page · Passage 1 : 2 feuilles, "
                        "puis retournez le paquet · Passage 2 : sur les mêmes 2 feuilles · Chargez 2 feuilles."},
            {"6", "2", "Numéros 0001 à 0012 · 6 carnets de 2 billets · 3 numéros par page · Passage 1 : 2 feuilles, "
                       "puis retournez le paquet · Passage 2 : sur les mêmes 2 feuilles · Chargez 2 feuilles."},
            {"2", "3", "Numéros 0001 à 0006 · 2 carnets de 3 billets · 3 numéros par page · Passage 1 : 3 feuilles · "
                       "Un seul passage : pas de retournement · Chargez 3 feuilles."},
            {"6", "1", "Numéros 0001 à 0006 · 6 carnets de 1 billet · 3 numéros par page · Passage 1 : 1 feuille, "
                       "puis retournez le paquet · Passage 2 : sur la même feuille · Chargez 1 feuille."},
        };
        for (const auto& run : runs) {
            WindowFixture f;
            Numero& w = f.start();
            layOutExample(w, "1", run.booklets, run.folios);
            const PrintPlan plan = planRun(w, f.printer);
            QCOMPARE(planSummary(plan), run.summary);
            w.cmd_print_Click();
            QVERIFY(printedAsPlanned(plan, f.printer));
        }
    }

    // Two columns and a stub turned sideways, on worked example 2: the printer gets the plan,
    // each place stacked over its gathering and cut is one booklet of consecutive numbers,
    // and the stub beside it carries the same number. A short last gathering of three columns
    // prints every number once.
    void aTicketModelIsPlannedAndPrintedAsOne()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "6", "2");
        TicketModel model = twoColumnsWithAStub(80, -12, 10);
        model.stubs[0].size = 8;
        model.prefix = "N° ";
        w.setTicketModel(model);
        const PrintPlan plan = planRun(w, f.printer);
        QCOMPARE(planSummary(plan), QString("Numéros 0001 à 0012 · 6 carnets de 2 billets · 2 colonnes de 3 billets · "
                                            "numéro imprimé 2 fois (billet et souche) · 6 carnets par cahier · Passage 1 : "
                                            "2 feuilles · Un seul passage : pas de retournement · Chargez 2 feuilles."));
        w.cmd_print_Click();
        QVERIFY(printedAsPlanned(plan, f.printer));
        QCOMPARE(f.printer.documents.size(), std::size_t(1));
        std::map<std::pair<float, float>, QStringList> places; // booklets, by the place of their number
        for (const Page& page : f.printer.documents[0]) {
            QCOMPARE(page.size(), std::size_t(12));
            for (std::size_t k = 0; k < page.size(); k += 2) {
                const Printed &number = page[k], &stub = page[k + 1];
                QCOMPARE(stub.text, number.text);
                QVERIFY(stub.left == number.left - 12 && stub.top == number.top + 10 && stub.rotation == 90 && stub.size == 8);
                places[{number.left, number.top}] << number.text;
            }
        }
        QStringList booklets;
        for (const auto& [place, numbers] : places)
            booklets << numbers.join(u'+');
        QCOMPARE(booklets, QStringList({"N° 0001+N° 0002", "N° 0003+N° 0004", "N° 0005+N° 0006", "N° 0007+N° 0008",
                                        "N° 0009+N° 0010", "N° 0011+N° 0012"}));
        QCOMPARE(f.journalLines().last().value(10), QString("Colonnes=2 Pas=80 Souches=1 Souche1X=-12 Souche1Y=10 "
                                                             "Souche1Taille=8 Souche1Rotation=90 Texte=\"N° \" Chiffres=4"));
        // Each document ends on a turned stub; the next starts upright all the same: a test
        // sheet after the run, a run after it, a reprint after that.
        w.reprint({{1, {0}}}, true);
        f.dialogs.choices = {1}; // printed again on purpose
        w.cmd_print_Click();
        w.reprint({{1, {1}}});
        QCOMPARE(f.printer.documents.size(), std::size_t(4));
        for (const Document& document : f.printer.documents)
            QCOMPARE(document.front().front().rotation, 0);

        WindowFixture g;
        Numero& other = g.start();
        layOutExample(other, "1", "10", "2");
        model = TicketModel();
        model.columns = 3;
        model.pitch = 50;
        other.setTicketModel(model);
        other.cmd_print_Click();
        QStringList printed = g.printer.texts();
        printed.sort();
        QCOMPARE(printed.size(), 20);
        for (int n = 1; n <= 20; ++n)
            QCOMPARE(printed[n - 1], QStringLiteral("%1").arg(n, 4, 10, QChar('0')));
    }

    // The list of booklets is read off the run's plan: worked example 2 gives its rows as the
    // booklets; on a sheet of two columns, each line names the numbers that the printer put at
    // its place on its sheets. Saved, it reads back as CSV; a file that cannot be written is said.
    void theBookletListIsTheRunsOwn()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "6", "2");
        w.cmd_preview_Click();
        BookletListWindow* window = w.preview()->showBooklets();
        QCOMPARE(window->table->model()->rowCount(), 6);
        QStringList shown;
        for (int row = 0; row < 6; ++row)
            for (int column = 0; column < 6; ++column)
                shown << window->table->model()->index(row, column).data().toString();
        QCOMPARE(shown.join(u' '), QString("1 0001 0002 1 1 à 2 1 2 0003 0004 1 1 à 2 2 3 0005 0006 1 1 à 2 3 "
                                           "4 0007 0008 2 1 à 2 1 5 0009 0010 2 1 à 2 2 6 0011 0012 2 1 à 2 3"));

        w.setTicketModel(twoColumnsWithAStub(80, -12, 10));
        w.Lbl_NbCarnet->setCaption("20");
        const PrintPlan plan = planRun(w, f.printer);
        const BookletList list = bookletList(plan);
        w.cmd_print_Click();
        QCOMPARE(list.lines.size(), std::size_t(20));
        QCOMPARE(list.headers().mid(4, 3), QStringList({"Feuilles", "Rang", "Colonne"}));
        for (const BookletLine& line : list.lines) {
            QStringList atItsPlace;
            const Document& pass = f.printer.documents.at(std::size_t(line.pass - 1));
            for (int sheet = line.firstSheet; sheet <= line.lastSheet; ++sheet)
                for (const Printed& printed : pass.at(std::size_t(sheet - 1)))
                    if (printed.rotation == 0 && printed.left == float(42 + 80 * (line.column - 1))
                        && printed.top == float(35 + 90 * (line.row - 1)))
                        atItsPlace << printed.text;
            QStringList wanted;
            for (double n = line.first; n <= line.last; ++n)
                wanted << QStringLiteral("%1").arg(int(n), 4, 10, QChar('0'));
            QCOMPARE(atItsPlace, wanted);
        }

        const QString csv = f.dir.filePath("carnets.csv");
        BookletListWindow saved(list, f.dialogs);
        QVERIFY(saved.saveCsv(csv));
        const QByteArray bytes = bytesOf(csv);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        const QStringList rows = QString::fromUtf8(bytes.mid(3)).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 21);
        QCOMPARE(csvFields(rows[0]), list.headers());
        QCOMPARE(csvFields(rows[20]), list.cells(list.lines.back()));
        QVERIFY(!saved.saveCsv(f.dir.filePath("nowhere/carnets.csv")));
        QVERIFY(f.dialogs.messages.last().startsWith("La liste n'a pas pu être enregistrée dans « "
                                                     + QDir::toNativeSeparators(f.dir.filePath("nowhere/carnets.csv")) + " » : "));
    }

    // A model that cannot print is refused before anything is written, naming what to change.
    void aModelOffTheSheetIsRefused()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "12", "1");
        const struct { TicketModel model; QString message; } cases[] = {
            {{1, 0, {{200, 0, {}, 0}}, {}, 4}, "La souche 1 du numéro 0001 sortirait de la feuille : changez son décalage, "
                                                "sa taille ou sa rotation."},
            {{1, 0, {{0, 0, {}, 0}, {0, -30, {}, 270}}, {}, 4}, "La souche 2 du numéro 0001 sortirait de la feuille : "
                                                                 "changez son décalage, sa taille ou sa rotation."},
            {{3, 90, {}, {}, 4}, "Le numéro 0007 de la colonne 3 sortirait de la feuille : réduisez le pas ou le nombre "
                                 "des colonnes."},
            {{1, 0, {{0, 20, 0.0, 0}}, {}, 4}, "La taille de la souche 1 doit être supérieure à 0."},
        };
        for (const auto& c : cases) {
            f.dialogs.messages.clear();
            w.setTicketModel(c.model);
            w.cmd_print_Click();
            QCOMPARE(f.dialogs.messages, QStringList(c.message));
            QVERIFY(f.printer.documents.empty());
        }
    }

    // A large Y pushes the last rows below the paper: the preview shows the run's refusal and
    // how many numbers would be lost.
    void numbersOffTheSheetAreCounted()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "12", "1");
        w.Lbl_Y->setCaption("120"); // rows at 125, 215 and 305 mm: the third of each page is off
        const PrintPlan plan = planRun(w, f.printer);
        QCOMPARE(planSummary(plan), QString("Le numéro 0003 tomberait sous le bas de la feuille : réduisez Y, H ou l'écart."));
        QCOMPARE(planWarnings(plan, f.printer), QStringList({"4 numéros tomberaient hors de la feuille, en tout ou en partie."}));
    }

    // The preview follows the window; its picture of a sheet comes back after a restart, and
    // one that cannot be read is said and left out.
    void thePreviewFollowsTheWindowAndKeepsItsPicture()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "12", "1");
        QTest::mouseClick(w.cmd_preview, Qt::LeftButton);
        PreviewWindow* preview = w.preview();
        QVERIFY(preview && preview->isVisible());
        QCOMPARE(preview->windowTitle(), QString("Calvorigne – aperçu"));
        QCOMPARE(preview->view->pageCount(), 4);
        QCOMPARE(preview->view->caption(3), QString("Passage 2 – feuille 2 sur 2"));

        w.Lbl_NbCarnet->setCaption("120");
        QTRY_COMPARE_WITH_TIMEOUT(preview->view->pageCount(), 40, 200);
        QVERIFY(preview->summary->text().startsWith("Numéros 0001 à 0120 · 120 carnets"));

        const QString picture = f.dir.filePath("feuille é ł.png");
        QImage sheet(210, 297, QImage::Format_RGB32);
        sheet.fill(Qt::yellow);
        QVERIFY(sheet.save(picture));
        preview->setBackground(picture);
        // The Billet panel: a stub and a second column, drawn at once and kept with the settings.
        QTest::mouseClick(preview->ticket->addStub, Qt::LeftButton);
        // It starts beside its number; moved over it, it would print on top of it.
        QTRY_VERIFY_WITH_TIMEOUT(preview->ticket->stubs[0].dx->value() != 0, 200);
        preview->ticket->stubs[0].dx->setValue(0);
        QTRY_VERIFY_WITH_TIMEOUT(preview->summary->text().startsWith("La souche 1 du numéro 0001 recouvrirait le numéro "
                                                                     "0001 : changez son décalage"), 200);
        // The pages stay in view, the clashing copies outlined in red, until they are apart.
        const auto outlined = [&] {
            const QImage shown = preview->view->viewport()->grab().toImage();
            int red = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x)
                    red += shown.pixel(x, y) == qRgb(255, 0, 0);
            return red;
        };
        QVERIFY(preview->view->pageCount() > 0 && outlined() > 40);
        QVERIFY(!preview->trialSheet->isEnabled());
        preview->ticket->stubs[0].dy->setValue(8);
        QTRY_COMPARE_WITH_TIMEOUT(outlined(), 0, 200);
        // Two columns with no pitch yet: one that fits the sheet is proposed.
        preview->ticket->columns->setValue(2);
        QTRY_COMPARE_WITH_TIMEOUT(preview->ticket->pitch->value(), 105.0, 200);
        QCOMPARE(preview->ticket->pitch->text(), QString("105,0 mm")); // in French, whatever the system's language
        preview->ticket->pitch->setValue(60);
        QTRY_VERIFY_WITH_TIMEOUT(preview->summary->text().contains("2 colonnes de 3 billets · numéro imprimé 2 fois (billet et "
                                                                   "souche)"), 200);
        QCOMPARE(preview->view->pageCount(), 20);
        // With every stub shown and turned, each box shows its whole text at the default size.
        QTest::mouseClick(preview->ticket->addStub, Qt::LeftButton);
        QTest::mouseClick(preview->ticket->addStub, Qt::LeftButton);
        for (const auto& stub : preview->ticket->stubs)
            stub.rotation->setCurrentIndex(3);
        QTest::qWait(50);
        for (const QWidget* part : preview->ticket->findChildren<QWidget*>())
            if (part->isVisible() && !part->inherits("QLineEdit"))
                QVERIFY2(part->width() >= part->sizeHint().width(), part->metaObject()->className());
        QTest::mouseClick(preview->ticket->stubs[2].remove, Qt::LeftButton);
        QTest::mouseClick(preview->ticket->stubs[1].remove, Qt::LeftButton);
        preview->ticket->stubs[0].rotation->setCurrentIndex(0);
        f.dialogs.answers = {true};
        w.cmd_end_Click();

        WindowFixture again;
        again.settingsPath = f.settingsPath;
        Numero& restarted = again.start();
        QCOMPARE(restarted.backgroundPicture(), picture);
        QCOMPARE(restarted.ticketModel().columns, 2);
        QCOMPARE(restarted.ticketModel().stubs.size(), std::size_t(1));
        writeBytes(picture, "not a picture");
        restarted.cmd_preview_Click();
        QCOMPARE(again.dialogs.messages, QStringList({"L'image « " + QDir::toNativeSeparators(picture)
                                                      + " » n'a pas pu être lue : l'aperçu continue sans fond de page."}));
        QCOMPARE(restarted.backgroundPicture(), picture);
    }

    // What the preview is given that it cannot use is said in words: an ordinary 600 dpi scan
    // loads, a larger one than 1,200 dpi, a pipe, crowded rows and a sheet past the pass do not.
    void thePreviewSaysWhatItCannotUse()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "3", "1");
        w.Lbl_E->setCaption("2"); // closer than the 12-point digits are high
        w.cmd_preview_Click();
        PreviewWindow* preview = w.preview();
        QTRY_VERIFY(preview->summary->text().startsWith("Le numéro 0002 recouvrirait 0001 : portez « E » à "));
        w.Lbl_E->setCaption("90");
        QTRY_VERIFY(!preview->summary->text().contains("recouvrirait"));

        const QString scan = f.dir.filePath("scan.jpg");
        QImage a4(4960, 7016, QImage::Format_RGB32);
        a4.fill(Qt::white);
        QVERIFY(a4.save(scan, "JPG", 10));
        a4 = QImage();
        preview->setBackground(scan);
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(w.backgroundPicture(), scan);

        // A header is all a reader needs to know the size.
        QByteArray bmp(54, '\0');
        bmp[0] = 'B', bmp[1] = 'M';
        qToLittleEndian<quint32>(54, bmp.data() + 10);
        qToLittleEndian<quint32>(40, bmp.data() + 14);
        qToLittleEndian<qint32>(15000, bmp.data() + 18);
        qToLittleEndian<qint32>(11000, bmp.data() + 22);
        qToLittleEndian<quint16>(1, bmp.data() + 26);
        qToLittleEndian<quint16>(24, bmp.data() + 28);
        const QString huge = f.dir.filePath("huge.bmp");
        writeBytes(huge, bmp);
        preview->setBackground(huge);
        QCOMPARE(f.dialogs.messages.value(0), "L'image « " + QDir::toNativeSeparators(huge) + " » est trop grande (15000 × "
                                                  "11000 points) : numérisez la feuille à 1 200 points par pouce au plus : "
                                                  "l'aperçu continue sans fond de page.");
#ifndef _WIN32
        const QString pipe = f.dir.filePath("pipe.png");
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        preview->setBackground(pipe);
        QCOMPARE(f.dialogs.messages.value(1), "Le chemin « " + pipe + " » n'est pas un fichier d'image : l'aperçu "
                                                  "continue sans fond de page.");
#endif
        QCOMPARE(w.backgroundPicture(), scan);

    }

    // Spoiled sheets are printed again as they stand in the run, pass by pass with the turn
    // between, leaving the window's labels alone; the journal holds every kind of run.
    void spoiledSheetsAreReprintedAndEveryRunIsJournalled()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "6", "2");
        w.cmd_print_Click();
        const std::vector<Document> run = f.printer.documents;
        const QStringList labels = {w.Lbl_Debut->text(), w.Lbl_Der->text(), w.Lbl_Count->text(), w.Lbl_page->text()};
        w.Lbl_Debut->setCaption("1");
        f.journal.clear();
        f.printer.documents.clear();
        w.reprint({{1, {1}}, {2, {0, 1}}});
        QCOMPARE(f.printer.documents.size(), std::size_t(2));
        auto same = [](const Page& a, const Page& b) {
            return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const Printed& x, const Printed& y) {
                       return x.text == y.text && x.left == y.left && x.top == y.top;
                   });
        };
        QVERIFY(same(f.printer.documents[0][0], run[0][1]));
        QVERIFY(same(f.printer.documents[1][0], run[1][0]) && same(f.printer.documents[1][1], run[1][1]));
        QCOMPARE(f.journal, QStringList({"document 1", "Changez le papier de sens pour imprimer la suite.", "document 2",
                                         "Feuille 2 du passage 1 réimprimée : 3 numéros, de 0002 à 0006.\n"
                                         "Feuilles 1 à 2 du passage 2 réimprimées : 6 numéros, de 0007 à 0012."}));
        QCOMPARE(QStringList({w.Lbl_Debut->text(), w.Lbl_Der->text(), w.Lbl_Count->text(), w.Lbl_page->text()}),
                 QStringList({"0001", labels[1], labels[2], labels[3]}));

        // Last page first, as the printer dialog may ask: the run reverses each document.
        f.printer.documents.clear();
        f.printer.reversed = true;
        w.reprint({{1, {0, 1}}});
        QVERIFY(same(f.printer.documents[0][0], run[0][1]) && same(f.printer.documents[0][1], run[0][0]));
        f.printer.reversed = false;

        // A refused reprint names the pass as the run numbers it.
        f.dialogs.messages.clear();
        f.printer.refuseDocument = int(f.printer.documents.size()) + 1;
        w.reprint({{2, {0}}});
        QVERIFY2(f.dialogs.messages.value(0).endsWith("Le passage 2 (numéros 0007 à 0011) n'a pas été imprimé."),
                 qPrintable(f.dialogs.messages.value(0)));
        f.printer.refuseDocument = -1;

        f.printer.failAtText = f.printer.printedCount + 4; // on the second page of the first pass
        f.dialogs.choices = {1}; // printed again on purpose
        w.cmd_print_Click();
        const QList<QStringList> lines = f.journalLines();
        QCOMPARE(lines.size(), 6);
        QVERIFY(bytesOf(f.journalPath()).startsWith("\xEF\xBB\xBF" "Date;Type;")); // for Excel
        QCOMPARE(lines[0].value(1), QString("Type"));
        QCOMPARE(lines[1].mid(1), QStringList({"tirage", "Test", "0001", "0012", "6", "2", "3", "2 + 2", "terminé"}));
        // Each stretch of numbers printed again: 0002, 0004 and 0006 to 0012.
        QCOMPARE(lines[2].mid(1), QStringList({"réimpression", "Test", "0002, 0004, 0006", "0002, 0004, 0012", "6", "2",
                                               "3", "1 + 2", "terminé"}));
        QCOMPARE(lines[4].value(9), QString("échec au passage 2 (rien d'imprimé) : l'imprimante « Test » n'a pas accepté "
                                            "le document."));
        QCOMPARE(lines[5].mid(1), QStringList({"tirage", "Test", "0001", "0012", "6", "2", "3", "2 + 2",
                                               "échec à la page 2 du passage 1 (rien d'imprimé) : le papier est coincé."}));
        const QString today = QDate::currentDate().toString("dd/MM/yyyy");
        QCOMPARE(w.Lbl_Debut->toolTip(), "Dernier tirage : 0001 à 0012, le " + today + "\n0001 a déjà été imprimé le " + today);
    }

    // A journal of years, written elsewhere, without the mark and with its last line unended:
    // the last complete run is found from the end, and the next line goes on a line of its own.
    void anExistingJournalIsAppendedToAsItIs()
    {
        WindowFixture f;
        QByteArray old = "Date;Type;Imprimante ou fichiers;Premier numéro;Dernier numéro;Carnets;Folios;"
                         "Numéros par page;Pages par passage;Résultat\r\n"
                         "06/12/2025 14:02:00;tirage;Test;0001;0120;120;1;3;20 + 20;terminé\r\n";
        for (int k = 0; k < 3000; ++k)
            old += "06/12/2025 15:00:00;tirage;Test;0121;0240;120;1;3;20 + 20;échec au passage 1 (rien d'imprimé) : "
                   "l'imprimante « Test » n'a pas accepté le document.\r\n";
        old.chop(2);
        writeBytes(f.journalPath(), old);
        Numero& w = f.start();
        QCOMPARE(w.Lbl_Debut->toolTip(), QString("Dernier tirage : 0001 à 0120, le 06/12/2025\n0001 a déjà été imprimé le "
                                                 "06/12/2025"));
        layOutExample(w, "121", "12", "1");
        w.cmd_print_Click();
        QVERIFY(bytesOf(f.journalPath()).startsWith(old + "\r\n"));
        const QList<QStringList> lines = f.journalLines();
        QCOMPARE(lines.size(), 3003);
        QVERIFY(lines[3001].value(9).startsWith("échec au passage 1"));
        QCOMPARE(lines[3002].mid(1, 4), QStringList({"tirage", "Test", "0121", "0132"}));
        QCOMPARE(w.Lbl_Debut->toolTip(), "Dernier tirage : 0121 à 0132, le " + QDate::currentDate().toString("dd/MM/yyyy"));
    }
};

QTEST_MAIN(TestPreview)
#include "test_preview.moc"
