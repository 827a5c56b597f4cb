// The record of runs under what real use does to it: programs killed while writing, two
// programs writing at once, and a journal of years taken in.
#include "core/numbers.h"
#include "files.h"
#include "records/runrecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>
#include <cstdio>
#include <map>
#include <set>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

// Run k of a writer: its numbers, and fields that all say k, so that a run cut in half shows.
JournalEntry entry(int writer, int k)
{
    JournalEntry e;
    e.when = QDateTime::currentDateTime();
    e.kind = QStringLiteral("tirage");
    e.output = QStringLiteral("écrivain %1").arg(writer);
    e.first = QString::number(writer * 1000000 + k * 10 + 1);
    e.last = QString::number(writer * 1000000 + k * 10 + 10);
    e.booklets = e.folios = e.rows = e.model = QString::number(k);
    e.passPages = {k, k};
    e.outcome = QStringLiteral("terminé");
    return e;
}

// The writer process: adds runs until it is killed, saying each one once it is written.
int writeUntilKilled(const QString& settingsPath, int writer)
{
    RunRecord record(settingsPath);
    if (!record.usable())
        std::fprintf(stderr, "%s\n", qPrintable(record.notice()));
    for (int k = 0; record.usable(); ++k) {
        QString failure;
        if (!record.write(entry(writer, k), &failure)) {
            std::fprintf(stderr, "%s\n", qPrintable(failure));
            return 1;
        }
        std::printf("%d\n", k);
        std::fflush(stdout);
        // A program writes a run now and then, not without a pause.
        QThread::msleep(2);
    }
    return 2;
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT
private slots:
    // Two programs write into one record and are killed mid-write, fifty times: every run
    // either stands whole or is absent, and every run a program finished writing is there.
    void killedWritersLeaveEveryRunWholeOrAbsent()
    {
        QTemporaryDir dir;
        const QString settings = dir.filePath("Calvorigne.ini");
        std::map<int, int> said; // by writer: how many runs it said it wrote
        for (int kill = 0; kill < 50; ++kill) {
            QProcess writers[2];
            for (int w = 0; w < 2; ++w) {
                writers[w].setProgram(QCoreApplication::applicationFilePath());
                writers[w].setArguments({"--write", settings, QString::number(kill * 2 + w + 1)});
                writers[w].start();
            }
            for (QProcess& writer : writers)
                QVERIFY2(writer.waitForReadyRead(20000), writer.readAllStandardError().constData());
            QTest::qWait(QRandomGenerator::global()->bounded(1, 40));
            for (int w = 0; w < 2; ++w) {
                writers[w].kill();
                QVERIFY(writers[w].waitForFinished(20000));
                QVERIFY2(writers[w].readAllStandardError().isEmpty(), "a writer could not write");
                said[kill * 2 + w + 1] = writers[w].readAllStandardOutput().trimmed().split('\n').last().toInt() + 1;
            }
        }
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
        db.setDatabaseName(dir.filePath("Calvorigne-tirages.sqlite"));
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec("PRAGMA integrity_check") && query.next());
        QCOMPARE(query.value(0).toString(), QString("ok"));
        QVERIFY(query.exec("SELECT output, first, last, booklets, folios, rows_per_page, pages, model, outcome FROM runs"));
        std::map<int, std::set<int>> found;
        while (query.next()) {
            const int writer = query.value(0).toString().section(' ', 1).toInt();
            const qint64 first = query.value(1).toLongLong();
            const int k = int(first - writer * 1000000 - 1) / 10;
            found[writer].insert(k);
            QCOMPARE(query.value(2).toLongLong(), first + 9);
            for (int field : {3, 4, 5, 7})
                QCOMPARE(query.value(field).toInt(), k);
            QCOMPARE(query.value(6).toString(), QString("%1 + %1").arg(k));
            QCOMPARE(query.value(8).toString(), QString("terminé"));
        }
        query.finish();
        db.close();
        // Each writer's runs from the first, none missing; at most one written and not yet said.
        for (const auto& [writer, count] : said) {
            const std::set<int>& runs = found[writer];
            QVERIFY2(int(runs.size()) == count || int(runs.size()) == count + 1,
                     qPrintable(QString("writer %1: %2 said, %3 found").arg(writer).arg(count).arg(runs.size())));
            QVERIFY(runs.empty() || (*runs.begin() == 0 && *runs.rbegin() == int(runs.size()) - 1));
        }
    }

    // A journal that cannot be read at the first start leaves no record behind, so the next
    // start takes it in.
    void aJournalThatCannotBeReadIsTakenInAtTheNextStart()
    {
        QTemporaryDir dir;
        const QString journal = dir.filePath("Calvorigne-journal.csv");
        QVERIFY(QDir().mkdir(journal));
        {
            RunRecord record(dir.filePath("Calvorigne.ini"));
            QVERIFY(!record.usable() && !record.overlap(1, 1));
            QVERIFY2(record.notice().contains("n'a pas pu être créé : le journal des tirages « "
                                              + QDir::toNativeSeparators(journal) + " » n'a pas pu être lu"),
                     qPrintable(record.notice()));
        }
        QVERIFY(QDir().rmdir(journal));
        writeBytes(journal, "Date;Type;Imprimante ou fichiers;Premier numéro;Dernier numéro;Carnets;Folios;Numéros par "
                            "page;Pages par passage;Résultat\r\n06/12/2026 14:02:00;tirage;Test;0001;0120;120;1;3;"
                            "20 + 20;terminé\r\n");
        RunRecord record(dir.filePath("Calvorigne.ini"));
        QVERIFY(record.usable() && record.highest() == 120);
    }

    // A journal as years of use leave it, taken in line by line: older lines a spreadsheet saved
    // in Windows-1252 and the program's later ones in UTF-8, its header again after a mark and an
    // older program's header, the lines of sheets that carry no number, a range typed backwards,
    // a reprint's stretches, and a line of binary garbage, which alone is unreadable and named.
    void aJournalOfMixedLinesIsReadLineByLine()
    {
        QTemporaryDir dir;
        const QByteArray header = "Date;Type;Imprimante ou fichiers;Premier numéro;Dernier numéro;Carnets;Folios;"
                                  "Numéros par page;Pages par passage;Résultat";
        writeBytes(dir.filePath("Calvorigne-journal.csv"),
                   "\xEF\xBB\xBF" + header + ";Billet\r\n"
                   "06/12/2025 10:00:00;tirage;Bureau d\x92" "accueil;0001;0120;120;1;3;20 + 20;termin\xE9\r\n"
                   "06/12/2026 14:02:00;tirage;Test;0121;0240;120;1;3;20 + 20;terminé\r\n"
                   "\xEF\xBB\xBF" + header + ";Billet\r\n" + header + "\r\n"
                   "07/12/2026 09:00:00;essai de retournement;Test;;;;;;3 + 3;terminé\r\n"
                   "07/12/2026 09:10:00;feuille de réglage;Test;;;;;;1 + 1;terminé\r\n"
                   "07/12/2026 10:00:00;tirage;Test;0300;0241;60;1;3;10 + 10;terminé\r\n"
                   + QByteArray("\x00\xFF\xFE\x01\x02;;\x80\r\n", 10) +
                   "07/12/2026 11:00:00;réimpression;Test;0401, 0410;0403, 0412;6;2;3;1 + 2;terminé\r\n"
                   "07/12/2026 12:00:00;tirage;Test;0501;05x0;1;1;3;1;terminé\r\n");
        RunRecord record(dir.filePath("Calvorigne.ini"));
        QVERIFY2(record.notice().endsWith(" : 6 lignes lues, 2 lignes illisibles laissées de côté (ligne 9, 07/12/2026 12:00)."),
                 qPrintable(record.notice()));
        QCOMPARE(record.overlap(1, 1)->latest.when, QDateTime(QDate(2025, 12, 6), QTime(10, 0)));
        QCOMPARE(record.overlap(200, 200)->latest.outcome, QString("terminé"));
        // Backwards, the stretch still guards its numbers; a reprint guards only its own.
        QCOMPARE(record.overlap(241, 241)->latest.first, 241.0);
        QVERIFY(record.overlap(402, 402) && record.overlap(411, 411));
        QVERIFY(!record.overlap(405, 409));
        QCOMPARE(record.highest(), 412.0);
    }

    // A journal of 100,000 lines is taken in under 2 s, and the guard reads the record under
    // 50 ms, for a run beside the last and for one that shares numbers with every run. Wine,
    // which runs the Windows build in translation, is given twice the time.
    void aJournalOfYearsIsTakenInQuickly()
    {
        const int slower = qEnvironmentVariableIsSet("WINEPREFIX") ? 2 : 1;
        QTemporaryDir dir;
        QByteArray journal = "\xEF\xBB\xBF" "Date;Type;Imprimante ou fichiers;Premier numéro;Dernier numéro;Carnets;Folios;"
                             "Numéros par page;Pages par passage;Résultat\r\n";
        const QDateTime start(QDate(2015, 1, 1), QTime(9, 0));
        for (int k = 0; k < 100000; ++k)
            journal += start.addSecs(k * 3600).toString("dd/MM/yyyy HH:mm:ss").toUtf8() + ";" + QByteArray(k % 3 ? "tirage" : "réimpression") + ";\"Imprimante; bureau\";"
                       + padNumber(k * 120.0 + 1, "0000").toUtf8() + ";" + padNumber(k * 120.0 + 120, "0000").toUtf8()
                       + ";120;1;3;20 + 20;" + (k % 5 ? "terminé" : "échec au passage 1 (rien d'imprimé) : bourrage") + "\r\n";
        writeBytes(dir.filePath("Calvorigne-journal.csv"), journal);
        QElapsedTimer clock;
        clock.start();
        RunRecord record(dir.filePath("Calvorigne.ini"));
        const qint64 taken = clock.elapsed();
        QVERIFY2(record.notice().endsWith(" : 100000 lignes lues, 0 ligne illisible laissée de côté."),
                 qPrintable(record.notice()));
        QVERIFY2(taken < 2000 * slower, qPrintable(QString("%1 ms").arg(taken)));
        // The last run on paper: 99999, a reprint, counts as the numbers it printed.
        const double highest = 99999 * 120.0 + 120;
        for (const auto& [first, last] : {std::pair(highest - 10, highest + 110), std::pair(1.0, highest)}) {
            clock.start();
            const std::optional<Overlap> overlap = record.overlap(first, last);
            const double next = record.highest() + 1;
            const qint64 read = clock.elapsed();
            QVERIFY2(read < 50 * slower, qPrintable(QString("%1 ms").arg(read)));
            QVERIFY(overlap && next == highest + 1);
        }
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--write")
        return writeUntilKilled(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    TestRecords test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_records.moc"
