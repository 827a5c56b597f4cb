#include "core/numbers.h"
#include "ui/preview/previewwindow.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QRegularExpression>
#include <QTest>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

const QString turn = "Changez le papier de sens pour imprimer la suite.";
const QString end = "Fin du tirage.";

// A document as the numbers on each of its pages.
QList<QStringList> pagesOf(const Document& d)
{
    QList<QStringList> pages;
    for (const Page& p : d) {
        QStringList texts;
        for (const Printed& t : p)
            texts << t.text;
        pages << texts;
    }
    return pages;
}

QStringList numbered(int from, int to)
{
    QStringList all;
    for (int n = from; n <= to; ++n)
        all << QStringLiteral("%1").arg(n, 4, 10, QChar('0'));
    return all;
}

} // namespace

class TestPrintRun : public QObject {
    Q_OBJECT
private slots:
    void linearRunInTwoPasses()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "12", "1");
        QTest::mouseClick(w.cmd_print, Qt::LeftButton);

        QCOMPARE(f.printer.documents.size(), std::size_t(2));
        QCOMPARE(pagesOf(f.printer.documents[0]), QList<QStringList>({{"0001", "0002", "0003"}, {"0004", "0005", "0006"}}));
        QCOMPARE(pagesOf(f.printer.documents[1]), QList<QStringList>({{"0007", "0008", "0009"}, {"0010", "0011", "0012"}}));
        QCOMPARE(f.journal, QStringList({"document 1", turn, "document 2", end}));
        for (const Document& d : f.printer.documents)
            for (const Page& p : d)
                for (int i = 0; i < 3; ++i) {
                    QCOMPARE(p[i].left, 42.f);
                    QCOMPARE(p[i].top, float(35 + 90 * i));
                }
        // A complete run prepares the next one.
        QCOMPARE(w.Lbl_Debut->text(), QString("0013"));
        QCOMPARE(w.Lbl_Der->text(), QString("0000"));
        QCOMPARE(w.Lbl_page->text(), QString("0"));
        QCOMPARE(w.Lbl_Count->text(), QString("3"));
        QVERIFY(!f.dialogs.busy);
        QCOMPARE(f.dialogs.busyChanges, 2);
        const QStringList setup = {"orientation 1", "unit 6", "font ", "size 12", "colour mode 1", "bold 0", "ink 0"};
        QCOMPARE(f.printer.setups, setup + setup + setup);
    }

    void clicksDuringARunDoNotStartAnother()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "12", "1");
        w.cmd_preview_Click(); // whose test sheet button prints too
        f.dialogs.whileMessageShown = [&] {
            for (QWidget* button : std::initializer_list<QWidget*>{w.cmd_print, w.preview()->trialSheet}) {
                const QPointF centre = button->rect().center();
                for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                    QCoreApplication::postEvent(button, new QMouseEvent(type, centre, button->mapToGlobal(centre),
                                                                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
            }
        };
        QTest::mouseClick(w.cmd_print, Qt::LeftButton);
        QApplication::processEvents();
        QCOMPARE(f.printer.documents.size(), std::size_t(2));
        QCOMPARE(w.Lbl_Debut->text(), QString("0013"));
    }

    void foliatedRunMakesBooklets()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "6", "2");
        w.Lbl_Der->setCaption("99"); // shown until the run writes its own last number
        w.cmd_print_Click();
        QCOMPARE(f.printer.documents.size(), std::size_t(2));
        QCOMPARE(pagesOf(f.printer.documents[0]), QList<QStringList>({{"0001", "0003", "0005"}, {"0002", "0004", "0006"}}));
        QCOMPARE(pagesOf(f.printer.documents[1]), QList<QStringList>({{"0007", "0009", "0011"}, {"0008", "0010", "0012"}}));
        QCOMPARE(f.journal, QStringList({"document 1", turn, "document 2", end}));
        QCOMPARE(w.Lbl_Debut->text(), QString("0013"));
    }

    void theTurnPromptAlsoComesAtOnePageMore()
    {
        // F = 2, T = 3: the counter reads 2, then 4 at the gathering ends.
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "9", "2");
        w.cmd_print_Click();
        QCOMPARE(f.journal, QStringList({"document 1", turn, "document 2"}));
        QCOMPARE(f.printer.documents[0].size(), std::size_t(4));
        QCOMPARE(f.printer.texts().size(), 18);
    }

    void shortRunsPrintEveryNumberOnce()
    {
        // A fractional half page count: no prompt, one document, the last page short.
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "4", "1");
        w.cmd_print_Click();
        QCOMPARE(f.printer.documents.size(), std::size_t(1));
        QCOMPARE(pagesOf(f.printer.documents[0]), QList<QStringList>({{"0001", "0002", "0003"}, {"0004"}}));
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(w.Lbl_Debut->text(), QString("0005"));

        // A foliated gathering cut short: every page still gets its numbers.
        WindowFixture g;
        Numero& other = g.start();
        layOutExample(other, "1", "2", "3");
        other.cmd_print_Click();
        QCOMPARE(pagesOf(g.printer.documents[0]), QList<QStringList>({{"0001", "0004"}, {"0002", "0005"}, {"0003", "0006"}}));
        QCOMPARE(other.Lbl_Debut->text(), QString("0007"));

        // Five foliated booklets of two across gatherings of three rows: 1 to 10, each once.
        WindowFixture h;
        Numero& third = h.start();
        layOutExample(third, "1", "5", "2");
        third.cmd_print_Click();
        QStringList printed = h.printer.texts();
        printed.sort();
        QCOMPARE(printed, numbered(1, 10));
    }

    void fiveDigitsAndZeroBooklets()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "9998", "3", "1");
        w.cmd_print_Click();
        QCOMPARE(f.printer.texts(), QStringList({"9998", "9999", "10000"}));
        QCOMPARE(w.Lbl_Debut->text(), QString("10001"));

        WindowFixture g;
        Numero& other = g.start();
        layOutExample(other, "1", "0", "1");
        other.cmd_print_Click();
        QVERIFY(g.printer.documents.empty());
        QVERIFY(g.dialogs.messages.isEmpty());
        QCOMPARE(other.Lbl_Debut->text(), QString("0001"));
        QCOMPARE(other.Lbl_page->text(), QString("0"));
        QCOMPARE(other.Lbl_Der->text(), QString("0000"));
        QVERIFY(!QFile::exists(g.journalPath())); // no number, no line
    }

    void aPrinterFailureStopsTheRunAndSaysWhy()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "12", "1");
        f.printer.toFiles = true;
        f.printer.failAtText = 10; // on the second page of the second pass
        const QString lastBefore = w.Lbl_Der->text(), pageBefore = w.Lbl_page->text();
        w.cmd_print_Click();
        QCOMPARE(f.dialogs.messages, QStringList({turn, "L'impression a échoué : le papier est coincé.\n"
                                                        "Le passage 1 a été enregistré dans « Calvorigne-1.pdf ».\n"
                                                        "Le passage 2 (numéros 0007 à 0012) n'a pas été imprimé."}));
        QVERIFY(f.printer.aborted);
        QVERIFY(!f.dialogs.busy);
        // Nothing claims the run was complete, or that it ever ran.
        QCOMPARE(w.Lbl_Debut->text(), QString("0001"));
        QCOMPARE(readNumber(w.Lbl_Der->text()), readNumber(lastBefore)); // shown as 0000
        QCOMPARE(w.Lbl_page->text(), pageBefore);

        // A pass the printer does not take is named with its numbers.
        WindowFixture g;
        Numero& refused = g.start();
        layOutExample(refused, "1", "12", "1");
        g.printer.refuseDocument = 2;
        refused.cmd_print_Click();
        QCOMPARE(g.dialogs.messages, QStringList({turn, "L'impression a échoué : l'imprimante « Test » n'a pas accepté "
                                                        "le document.\nLe passage 2 (numéros 0007 à 0012) n'a pas été imprimé."}));
        QCOMPARE(refused.Lbl_Debut->text(), QString("0001"));

        // Printed again, the run counts its pages from its own first, not from what the failed
        // run left, and names only its own files.
        f.printer.failAtText = -1;
        f.journal.clear();
        QStringList counted;
        f.dialogs.whileMessageShown = [&] { counted << w.Lbl_page->text(); };
        w.cmd_print_Click();
        QCOMPARE(counted, QStringList({"2", "2", "0"}));
        QCOMPARE(f.journal, QStringList({"document 2", turn, "document 3", end,
                                         "Le tirage a été enregistré dans ces fichiers PDF :\n"
                                         "Calvorigne-2.pdf\nCalvorigne-3.pdf"}));
    }

    // Every pass is followed until the print system says it is printed: the turn prompt, the
    // end and the journal's "terminé" come only then. A pass it abandons is a failure, and a
    // pass the user stops following is said and journalled as such.
    void everyPassIsFollowedToThePaper()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "12", "1");
        f.printer.copyCount = 2;
        const JobState stopped{JobState::Stopped, -1, "plus de papier"};
        f.printer.jobStates = {{JobState::Queued, -1, {}}, {JobState::Printing, 3, {}}, {JobState::Printing, 9, {}}, stopped, {},
                               {JobState::Printing, -1, {}}, {}};
        w.cmd_print_Click();
        QCOMPARE(f.journal, QStringList({"document 1", "Le passage 1 attend son tour dans la file de l'imprimante « Test ».",
                                         "Impression du passage 1… (page 3 sur 4)",
                                         "Impression du passage 1… (page 4 sur 4)", // never past the pages sent
                                         "L'imprimante « Test » est arrêtée (plus de papier) : le passage 1 attend dans sa "
                                         "file. Remettez-la en marche ; la suite vous sera demandée une fois le passage "
                                         "imprimé.",
                                         "end of wait", turn, "document 2", "Impression du passage 2…", "end of wait", end}));
        QCOMPARE(f.journalLines().last().value(9), QString("terminé"));

        // The last pass aborted once taken: nothing moves on.
        f.dialogs.messages.clear();
        f.printer.jobStates = {{}, {JobState::Failed, -1, "bourrage"}};
        w.cmd_print_Click();
        QCOMPARE(f.dialogs.messages, QStringList({turn, "L'impression a échoué : l'imprimante « Test » a abandonné le "
                                                        "passage 2 (bourrage).\nLe passage 2 (numéros 0019 à 0024) n'a "
                                                        "peut-être pas été imprimé en entier."}));
        QCOMPARE(w.Lbl_Debut->text(), QString("0013"));
        QCOMPARE(f.journalLines().last().value(9), QString("échec au passage 2 (passage 1 imprimé, passage 2 peut-être en "
                                                           "partie) : l'imprimante « Test » a abandonné le passage 2 "
                                                           "(bourrage)."));

        // Waiting given up on a stopped queue: the run ends as asked, and says so. The numbers
        // of the aborted run may be on paper: the guard asks first.
        f.dialogs.messages.clear();
        f.dialogs.choices = {1};
        f.printer.jobStates = {{}, stopped};
        f.dialogs.whileWaiting = [](const QString&) { return false; };
        w.cmd_print_Click();
        QCOMPARE(f.dialogs.messages.mid(1),
                 QStringList({turn, end + "\n\nLe passage 2 a été envoyé à l'imprimante « Test » mais "
                                          "n'est pas encore imprimé : l'imprimante est arrêtée."}));
        QVERIFY2(f.dialogs.messages[0].startsWith("Les numéros 0013 à 0024 ont peut-être déjà été imprimés le ")
                     && f.dialogs.messages[0].endsWith("(tirage échec au passage 2 (passage 1 imprimé, passage 2 "
                                                       "peut-être en partie))."),
                 qPrintable(f.dialogs.messages[0]));
        QCOMPARE(f.journalLines().last().value(9), QString("envoyé, non suivi"));
        QCOMPARE(w.Lbl_Debut->text(), QString("0025"));

        // A reprint given up on a stopped queue: no « suite » is promised, and the sheet is
        // said to be sent, not printed.
        f.dialogs.messages.clear();
        f.printer.jobStates = {stopped};
        w.reprint({{1, {1}}});
        QCOMPARE(f.dialogs.waits.last(), QString("L'imprimante « Test » est arrêtée (plus de papier) : le passage 1 attend "
                                                 "dans sa file. Remettez-la en marche."));
        QCOMPARE(f.dialogs.messages, QStringList("Feuille 2 du passage 1 envoyée à l'imprimante : 3 numéros, de 0028 à "
                                                 "0030.\n\nLe passage 1 a été envoyé à l'imprimante « Test » mais n'est "
                                                 "pas encore imprimé : l'imprimante est arrêtée."));

        // Given up on the first pass: the prompt says the stack is not out yet. The sheet just
        // sent holds numbers of this run: the guard asks first.
        f.dialogs.messages.clear();
        f.dialogs.choices = {1};
        f.printer.jobStates = {{JobState::Held, -1, {}}};
        w.cmd_print_Click();
        QVERIFY2(f.dialogs.messages.value(0).startsWith("Les numéros 0028 à 0030 ont déjà été imprimés le "),
                 qPrintable(f.dialogs.messages.value(0)));
        QVERIFY2(f.dialogs.messages.value(1).startsWith(turn + "\n\nLe passage 1 a été envoyé à l'imprimante « Test » mais "
                                                               "n'est pas encore imprimé : il est retenu dans la file.\n"
                                                               "Ne retournez le paquet"),
                 qPrintable(f.dialogs.messages.value(1)));
    }

    // A long run shows its progress; stopping it keeps the first number and says what printed.
    void aRunCanBeStopped()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "12", "1");
        f.printer.toFiles = true;
        f.dialogs.whileMessageShown = [&] { f.dialogs.stopAtPage = 1; };
        w.cmd_print_Click();
        QCOMPARE(f.dialogs.messages, QStringList({turn, "Tirage arrêté à la page 1 du passage 2.\nLe passage 1 a été "
                                                        "enregistré dans « Calvorigne-1.pdf ».\nLe passage 2 (numéros "
                                                        "0007 à 0012) n'a pas été imprimé."}));
        QVERIFY(f.printer.aborted && f.printer.documents.size() == 1);
        QCOMPARE(w.Lbl_Debut->text(), QString("0001"));
        QCOMPARE(f.journalLines().last().value(9), QString("arrêté à la page 1 du passage 2 (passage 1 enregistré)"));

        // A print system that got part of the pass all the same: said, journalled, and the
        // numbers counted by the guard before the next run.
        WindowFixture g;
        Numero& v = g.start();
        layOutExample(v, "1", "12", "1");
        g.printer.handedOverOnAbort = true;
        g.dialogs.stopAtPage = 2;
        v.cmd_print_Click();
        QCOMPARE(g.dialogs.messages, QStringList({"Tirage arrêté à la page 2 du passage 1.\nLe passage 1 (numéros 0001 à "
                                                  "0006) a peut-être été envoyé en partie à l'imprimante."}));
        QCOMPARE(g.journalLines().last().value(9), QString("arrêté à la page 2 du passage 1 (passage 1 peut-être envoyé en "
                                                           "partie)"));
        g.dialogs.messages.clear();
        v.cmd_print_Click();
        QVERIFY2(g.dialogs.messages.value(0).startsWith("Les numéros 0001 à 0012 ont peut-être déjà été imprimés le "),
                 qPrintable(g.dialogs.messages.value(0)));
    }

    // A run that would print numbers an earlier run printed asks first, and each answer does
    // what it says; a failed run, a reprint and a journal line that is not a run never ask.
    void numbersAlreadyPrintedAreNotPrintedAgainUnasked()
    {
        WindowFixture f;
        const QString stamp = QDate::currentDate().toString("dd/MM/yyyy");
        writeBytes(f.journalPath(), "Date;Type;Imprimante ou fichiers;Premier numéro;Dernier numéro;Carnets;Folios;"
                                    "Numéros par page;Pages par passage;Résultat\r\n"
                                    "06/12/2026 14:02:00;tirage;Test;0001;0012;12;1;3;2 + 2;terminé\r\n"
                                    "06/12/2026 14:05:00;tirage;Test;0013;00x4;12;1;3;2 + 2;terminé\r\n"
                                    "06/12/2026 15:00:00;tirage;Test;0013;0024;12;1;3;2 + 2;échec au passage 1 (rien "
                                    "d'imprimé) : bourrage\r\n"
                                    "06/12/2026 16:00:00;tirage;Test;0025;0036;12;1;3;2;\r\n");
        Numero& w = f.start();
        // The journal is taken into the record once, and said.
        QCOMPARE(f.dialogs.messages, QStringList("Les tirages du journal « " + QDir::toNativeSeparators(f.journalPath())
                                                 + " » ont été repris dans le registre des tirages : 2 lignes lues, 2 "
                                                   "lignes illisibles laissées de côté (06/12/2026 14:05, 06/12/2026 16:00)."));
        f.dialogs.messages.clear();
        QCOMPARE(w.Lbl_Debut->toolTip(), QString("Dernier tirage : 0001 à 0012, le 06/12/2026\n0001 a déjà été imprimé "
                                                 "le 06/12/2026"));
        layOutExample(w, "7", "12", "1");

        // Annuler, the default: nothing printed, nothing written.
        w.cmd_print_Click();
        QCOMPARE(f.dialogs.messages, QStringList("Les numéros 0007 à 0012 ont déjà été imprimés le 06/12/2026 à 14:02 "
                                                 "(tirage terminé)."));
        QCOMPARE(f.dialogs.buttonsShown, QStringList({"Commencer à 0013", "Imprimer quand même", "Annuler"}));
        QVERIFY(f.printer.documents.empty() && w.Lbl_Der->text().isEmpty());
        QVERIFY(!f.dialogs.busy);

        // Commencer à 0013: the new first number, shown, said and not printed.
        f.dialogs.choices = {0};
        w.cmd_print_Click();
        QCOMPARE(w.Lbl_Debut->text(), QString("0013"));
        QVERIFY(f.printer.documents.empty());
        QCOMPARE(f.dialogs.messages.last(), QString("Premier numéro est maintenant 0013 : vérifiez l'aperçu, puis cliquez de "
                                                    "nouveau sur l'imprimante."));
        // Numbers of a failed run, or of lines that are not a run, are free.
        f.dialogs.messages.clear();
        w.cmd_print_Click();
        QCOMPARE(f.dialogs.messages, QStringList({turn, end}));
        QCOMPARE(w.Lbl_Debut->text(), QString("0025"));

        // Imprimer quand même; and a reprint never asks.
        f.dialogs.messages.clear();
        f.dialogs.choices = {1};
        layOutExample(w, "1", "18", "1");
        w.cmd_print_Click();
        QCOMPARE(f.dialogs.messages.value(0), "Les numéros 0001 à 0018 ont déjà été imprimés par 2 tirages, le dernier le "
                                              + stamp + " à " + f.journalLines().value(5).value(0).mid(11, 5)
                                              + " (tirage terminé).");
        QCOMPARE(f.printer.texts().size(), 12 + 18);
        f.dialogs.messages.clear();
        w.reprint({{1, {0}}});
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.printer.texts().size(), 12 + 18 + 3);
    }

    // What a spreadsheet leaves of the journal when it saves it still guards the numbers it
    // holds: the guard asks before 0101–0124 after a finished 0001–0120.
    void aJournalSavedByASpreadsheetStillGuards_data()
    {
        QTest::addColumn<QString>("form");
        for (const char* form : {"windows-1252", "no seconds", "quoted", "all at once"})
            QTest::newRow(form) << QString(form);
    }
    void aJournalSavedByASpreadsheetStillGuards()
    {
        QFETCH(QString, form);
        const bool all = form == "all at once";
        QStringList header = {"Date", "Type", "Imprimante ou fichiers", "Premier numéro", "Dernier numéro", "Carnets",
                              "Folios", "Numéros par page", "Pages par passage", "Résultat"};
        QList<QStringList> runs = {{"06/12/2026 14:02:00", "tirage", "Bureau d’accueil", "0001", "0120", "120", "1", "3",
                                    "40 + 40", "terminé"},
                                   {"06/12/2026 13:00:00", "essai", "Bureau d’accueil", "0001", "0001", "1", "1", "3", "1",
                                    "terminé"}};
        if (all) {
            // A column for the sellers, added in the middle; numbers without their zeros.
            header.insert(3, "Vendeurs");
            for (QStringList& run : runs) {
                run.insert(3, "Mme Lefèvre; M. Roux");
                run[4] = QString::number(run[4].toInt());
            }
        }
        // Sorted by date, newest first, with the header left in the middle.
        const QList<QStringList> lines = all ? QList<QStringList>{runs[0], header, runs[1]}
                                             : QList<QStringList>{header, runs[1], runs[0]};
        QString text;
        for (QStringList fields : lines) {
            if (form == "no seconds" || all)
                fields[0].replace(QRegularExpression(":00$"), "");
            if (form == "quoted" || all)
                for (QString& field : fields)
                    field = '"' + field.replace("\"", "\"\"") + '"';
            text += fields.join(';') + "\r\n";
        }
        WindowFixture f;
        writeBytes(f.journalPath(), form == "windows-1252" || all ? text.toLatin1().replace("?", "\x92")
                                                                  : "\xEF\xBB\xBF" + text.toUtf8());
        Numero& w = f.start();
        QVERIFY2(f.dialogs.messages.value(0).endsWith(" : 2 lignes lues, 0 ligne illisible laissée de côté."),
                 qPrintable(f.dialogs.messages.value(0)));
        layOutExample(w, "101", "24", "1");
        w.cmd_print_Click();
        QCOMPARE(f.dialogs.messages.value(1), QString("Les numéros 0101 à 0120 ont déjà été imprimés le 06/12/2026 à 14:02 "
                                                      "(tirage terminé)."));
        QVERIFY(f.printer.documents.empty());
        // Editing the journal afterwards changes nothing the guard relies on.
        writeBytes(f.journalPath(), "Date;Type\r\nrien\r\n");
        w.cmd_print_Click();
        QCOMPARE(f.dialogs.messages.size(), 3);
        QVERIFY(f.printer.documents.empty());
    }

    // A damaged record is said, kept aside as it was, and made anew from the journal at once:
    // the guard works in the same session, for the journal's runs and for the new ones.
    void aDamagedRecordIsKeptAsideAndMadeAnewAtOnce()
    {
        WindowFixture f;
        const QString record = f.dir.filePath("Calvorigne-tirages.sqlite");
        const QByteArray damage = "SQLite format 3" + QByteArray(4096, '\x5A');
        writeBytes(record, damage);
        writeBytes(f.journalPath(), "Date;Type;Imprimante ou fichiers;Premier numéro;Dernier numéro;Carnets;Folios;"
                                    "Numéros par page;Pages par passage;Résultat\r\n"
                                    "06/12/2026 14:02:00;tirage;Test;0001;0012;12;1;3;2 + 2;terminé\r\n");
        Numero& w = f.start();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].startsWith("Le registre des tirages « " + QDir::toNativeSeparators(record)
                                                  + " » est endommagé. Il a été mis de côté sous le nom « "),
                 qPrintable(f.dialogs.messages[0]));
        QVERIFY2(f.dialogs.messages[0].endsWith(" ont été repris dans le registre des tirages : 1 ligne lue, 0 ligne "
                                                "illisible laissée de côté."),
                 qPrintable(f.dialogs.messages[0]));
        const QStringList aside = QDir(f.dir.path()).entryList({"Calvorigne-tirages endommagé *.sqlite"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(bytesOf(f.dir.filePath(aside[0])), damage);
        QVERIFY(f.dialogs.messages[0].contains("« " + aside[0] + " »"));

        layOutExample(w, "1", "12", "1");
        w.cmd_preview_Click();
        QVERIFY2(w.preview()->warnings->text().contains("Les numéros 0001 à 0012 ont déjà été imprimés le 06/12/2026"),
                 qPrintable(w.preview()->warnings->text()));
        w.preview()->close();
        layOutExample(w, "13", "12", "1");
        w.cmd_print_Click();
        layOutExample(w, "13", "12", "1");
        w.cmd_print_Click();
        QCOMPARE(f.printer.texts().size(), 12);
        QVERIFY2(f.dialogs.messages.last().startsWith("Les numéros 0013 à 0024 ont déjà été imprimés le "),
                 qPrintable(f.dialogs.messages.last()));
    }

    void theInkReachesThePrinterAndFilesAreNamed()
    {
        WindowFixture f;
        Numero& w = f.start();
        layOutExample(w, "1", "3", "1");
        QTest::mouseClick(w.Picture1[5], Qt::LeftButton);
        QTest::mouseClick(w.Chk_Bold, Qt::LeftButton);
        f.printer.files = {"/home/u/Documents/Calvorigne.pdf", "/home/u/Documents/Calvorigne-2.pdf"};
        w.cmd_print_Click();
        QVERIFY(f.printer.setups.contains("colour mode 2"));
        QVERIFY(f.printer.setups.contains("ink 16711680"));
        QVERIFY(f.printer.setups.contains("bold 1"));
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages.last().contains("/home/u/Documents/Calvorigne-2.pdf"));
    }
};

QTEST_MAIN(TestPrintRun)
#include "test_printrun.moc"
