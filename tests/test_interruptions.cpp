// What happens to the record of runs when the program dies in the middle of a run, or when the
// record is held by another program or cannot be written: no number may then print twice.
#include "fakes.h"
#include "files.h"
#include "print/printrun.h"
#include "records/runrecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <cstdio>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

const QString turn = "Changez le papier de sens pour imprimer la suite.";

// Answers every message at once, except at the moment named (in ASCII, which a Windows command
// line keeps), where it says so and waits to be killed: the turn prompt, the end box, the second
// page of pass 2, or a reprint's turn.
class DyingDialogs : public ScriptedDialogs {
public:
    explicit DyingDialogs(const QString& moment) : m_moment(moment) {}
    void message(const QString& text) override
    {
        ScriptedDialogs::message(text);
        if ((m_moment == "tour" || m_moment == "reimpression") && text.startsWith(turn))
            die();
        if (m_moment == "fin" && text == "Fin du tirage.")
            die();
    }
    bool progress(const QString& text, int done, int total) override
    {
        if (m_moment == "passage2" && text.startsWith("Passage 2") && done == 2)
            die();
        return ScriptedDialogs::progress(text, done, total);
    }

private:
    [[noreturn]] static void die()
    {
        std::printf("prêt\n");
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    }
    QString m_moment;
};

// The child: prints 24 booklets of one folio (four sheets a pass) until it is killed.
int printUntilKilled(const QString& settingsPath, const QString& moment)
{
    FakeLayout layout = exampleLayout(24, 1);
    RecordingPrinter printer;
    DyingDialogs dialogs(moment);
    RunRecord record(settingsPath);
    const Journal journal(settingsPath);
    PrintRun run(layout, printer, dialogs, &journal, &record);
    if (moment == "reimpression")
        run.reprint({{1, {0, 1}}, {2, {0}}});
    else
        run.run();
    return 3; // never killed
}

JournalEntry aRun(const QString& first, const QString& last)
{
    JournalEntry e;
    e.when = QDateTime::currentDateTime();
    e.kind = "tirage";
    e.output = "Test";
    e.first = first;
    e.last = last;
    e.passPages = {2, 2};
    e.outcome = "terminé";
    return e;
}

} // namespace

class TestInterruptions : public QObject {
    Q_OBJECT
private slots:
    // A program killed at any moment of a run leaves in the record what reached the printer:
    // the next start closes the run, says so once, writes it into the journal, and the guard
    // asks before its numbers print again.
    void aKilledRunIsClosedAtTheNextStart_data()
    {
        QTest::addColumn<QString>("moment");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("numbers");
        QTest::newRow("at the turn") << "tour" << "interrompu (passage 1 imprimé, passage 2 peut-être pas)" << "0001 à 0024";
        QTest::newRow("in pass 2") << "passage2" << "interrompu (passage 1 imprimé, passage 2 peut-être pas)" << "0001 à 0024";
        QTest::newRow("end box open") << "fin" << "terminé" << "0001 à 0024";
        QTest::newRow("in a reprint") << "reimpression" << "interrompu (passage 1 imprimé, passage 2 peut-être pas)"
                                      << "0001 à 0015";
    }
    void aKilledRunIsClosedAtTheNextStart()
    {
        QFETCH(QString, moment);
        QFETCH(QString, outcome);
        QFETCH(QString, numbers);
        QTemporaryDir dir;
        const QString settings = dir.filePath("Calvorigne.ini");
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--print", settings, moment});
        QVERIFY(child.waitForReadyRead(20000));
        QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("prêt"));
        child.kill();
        QVERIFY(child.waitForFinished(20000));

        RunRecord record(settings);
        QVERIFY(record.usable());
        const bool cut = outcome != "terminé";
        if (cut)
            QVERIFY2(record.notice().startsWith("Calvorigne s'est arrêté pendant un ")
                         && record.notice().contains("est noté « " + outcome + " »"),
                     qPrintable(record.notice()));
        else
            QCOMPARE(record.notice(), QString());
        QString trouble;
        const std::optional<Overlap> overlap = record.guard(1, 30, &trouble);
        QVERIFY(overlap && trouble.isEmpty());
        QVERIFY2(overlap->sentence().startsWith(QString("Les numéros %1 ont %2été imprimés").arg(numbers, cut ? "peut-être déjà " : "déjà ")),
                 qPrintable(overlap->sentence()));
        const QList<QStringList> lines = csvLines(dir.filePath("Calvorigne-journal.csv"));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[1].value(9), outcome);
        QCOMPARE(lines[1].value(1), QString(moment == "reimpression" ? "réimpression" : "tirage"));

        // Said once: the next start finds nothing left printing.
        RunRecord again(settings);
        QCOMPARE(again.notice(), QString());
        QCOMPARE(csvLines(dir.filePath("Calvorigne-journal.csv")).size(), 2);
    }

    // Another program holding the record: the print button waits a moment, then asks before
    // printing unguarded. A run printed meanwhile is kept and counted, and written into the
    // record once it is free.
    void aRecordHeldElsewhereNeverGuardsSilently()
    {
        QTemporaryDir dir;
        const QString settings = dir.filePath("Calvorigne.ini");
        RunRecord record(settings);
        record.setPatience(200);
        QVERIFY(record.write(aRun("0001", "0012")));
        {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other");
            other.setDatabaseName(dir.filePath("Calvorigne-tirages.sqlite"));
            QVERIFY(other.open());
            QSqlQuery hold(other);
            QVERIFY(hold.exec("BEGIN EXCLUSIVE"));

            FakeLayout layout = exampleLayout(12, 1);
            RecordingPrinter printer;
            ScriptedDialogs dialogs;
            const Journal journal(settings);
            {
                PrintRun run(layout, printer, dialogs, &journal, &record);
                run.run(); // Annuler, the default
                QVERIFY(printer.documents.empty());
                QCOMPARE(dialogs.buttonsShown, QStringList({"Imprimer sans vérifier", "Annuler"}));
                QVERIFY2(dialogs.messages.value(0).startsWith("Les numéros déjà imprimés ne peuvent pas être vérifiés : le "
                                                              "registre des tirages est occupé par un autre programme"),
                         qPrintable(dialogs.messages.value(0)));
                QVERIFY(dialogs.messages.value(0).contains("Fermez le programme qui le tient ouvert"));
            }
            layout.captions[TicketLayout::Field::First] = "13";
            dialogs.choices = {0};
            PrintRun run(layout, printer, dialogs, &journal, &record);
            run.run();
            QCOMPARE(printer.texts().size(), 12);
            QVERIFY2(run.recordFailure().contains("Calvorigne garde ce tirage"), qPrintable(run.recordFailure()));
            // Still held: the run just printed is known all the same.
            QString trouble;
            const std::optional<Overlap> kept = record.guard(20, 20, &trouble);
            QVERIFY(kept && !trouble.isEmpty());
            QVERIFY2(kept->sentence().startsWith("Le numéro 0020 a déjà été imprimé le "
                                                 + QDate::currentDate().toString("dd/MM/yyyy")),
                     qPrintable(kept->sentence()));
            QVERIFY(hold.exec("ROLLBACK"));
        }
        QSqlDatabase::removeDatabase("other");
        // Free again: the kept run goes into the record, and its side file away.
        QString trouble;
        const std::optional<Overlap> both = record.guard(1, 24, &trouble);
        QVERIFY(both && trouble.isEmpty());
        QCOMPARE(both->runs, 2);
        QVERIFY(!QFile::exists(dir.filePath("Calvorigne-tirages-en-attente.json")));
        RunRecord later(settings);
        QCOMPARE(later.highest(), 24.0);
    }

    // A record that cannot be opened (a folder in its place): the print button asks every
    // time; the runs printed are kept beside the journal, still counted after a restart, and
    // written into the record once it can be made.
    void aRecordThatCannotBeOpenedKeepsTheRunsPrinted()
    {
        QTemporaryDir dir;
        const QString settings = dir.filePath("Calvorigne.ini");
        const QString path = dir.filePath("Calvorigne-tirages.sqlite");
        QVERIFY(QDir().mkdir(path));
        FakeLayout layout = exampleLayout(12, 1);
        RecordingPrinter printer;
        ScriptedDialogs dialogs;
        const Journal journal(settings);
        {
            RunRecord record(settings);
            QVERIFY(!record.usable());
            QVERIFY2(record.notice().contains("Calvorigne demandera avant chaque tirage"), qPrintable(record.notice()));
            for (int k = 0; k < 2; ++k) {
                dialogs.choices = {0};
                dialogs.messages.clear();
                PrintRun(layout, printer, dialogs, &journal, &record).run();
                layout.captions[TicketLayout::Field::First] = "1";
                QVERIFY2(dialogs.messages.value(0).startsWith(k == 0 ? "Les numéros déjà imprimés ne peuvent pas être vérifiés"
                                                                     : "Les numéros 0001 à 0012 ont déjà été imprimés"),
                         qPrintable(dialogs.messages.value(0)));
                QCOMPARE(dialogs.messages.value(0).contains("Fermez le programme"), false);
            }
        }
        QCOMPARE(printer.texts().size(), 12);
        {
            RunRecord record(settings);
            QString trouble;
            QVERIFY(record.guard(5, 5, &trouble) && !trouble.isEmpty());
        }
        QVERIFY(QDir().rmdir(path));
        RunRecord record(settings);
        QVERIFY(record.usable());
        QVERIFY(!QFile::exists(dir.filePath("Calvorigne-tirages-en-attente.json")));
        const std::optional<Overlap> found = record.overlap(1, 12);
        QVERIFY(found);
        // The journal's line and the kept run are one run.
        QCOMPARE(found->runs, 1);
    }

    // A record written by the previous version, without the stretches table, is brought up to
    // date and still guards its runs.
    void anOlderRecordIsBroughtUpToDate()
    {
        QTemporaryDir dir;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "old");
            db.setDatabaseName(dir.filePath("Calvorigne-tirages.sqlite"));
            QVERIFY(db.open());
            QSqlQuery query(db);
            QVERIFY(query.exec("CREATE TABLE runs (id INTEGER PRIMARY KEY, at INTEGER NOT NULL, kind TEXT NOT NULL, output "
                               "TEXT, first INTEGER NOT NULL, last INTEGER NOT NULL, booklets TEXT, folios TEXT, "
                               "rows_per_page TEXT, pages TEXT, outcome TEXT NOT NULL, model TEXT, on_paper INTEGER NOT NULL)"));
            QVERIFY(query.exec("INSERT INTO runs VALUES (1, 20261206140200, 'tirage', 'Test', 1, 120, '120', '1', '3', "
                               "'20 + 20', 'terminé', '', 1)"));
            QVERIFY(query.exec("INSERT INTO runs VALUES (2, 20261206150200, 'tirage', 'Test', 121, 240, '120', '1', '3', "
                               "'20 + 20', 'échec au passage 1 (rien d''imprimé) : bourrage', '', 0)"));
        }
        QSqlDatabase::removeDatabase("old");
        RunRecord record(dir.filePath("Calvorigne.ini"));
        QVERIFY2(record.usable(), qPrintable(record.notice()));
        QCOMPARE(record.highest(), 120.0);
        QCOMPARE(record.overlap(100, 200)->sentence(),
                 QString("Les numéros 0100 à 0120 ont déjà été imprimés le 06/12/2026 à 14:02 (tirage terminé)."));
        QVERIFY(record.write(aRun("0121", "0130")));
        QCOMPARE(record.highest(), 130.0);
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--print")
        return printUntilKilled(QString::fromLocal8Bit(argv[2]), QString::fromUtf8(argv[3]));
    TestInterruptions test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_interruptions.moc"
