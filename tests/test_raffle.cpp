// A raffle's life in the register, on a real SQLite file: tickets handed out, brought back,
// paid for, undone, exported to a spreadsheet and carried to another computer.
#include "files.h"
#include "raffle_fixture.h"
#include "raffle/money.h"
#include "draw/drawbook.h"
#include "raffle/transfer.h"

#include <QDir>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace calvorigne;
using namespace calvorigne::testing;

namespace {

const QDate day(2026, 12, 1);

// A cell as French Excel takes it: a number when it reads as one with a decimal comma.
QVariant excelCell(const QString& cell)
{
    bool number = false;
    const double value = QLocale(QLocale::French).toDouble(cell, &number);
    return number ? QVariant(value) : QVariant(cell);
}

const Balance& balanceOf(const std::vector<Balance>& all, const QString& name)
{
    return *std::find_if(all.begin(), all.end(), [&](const Balance& b) { return b.name == name; });
}

} // namespace

class TestRaffle : public QObject {
    Q_OBJECT
private slots:
    void moneyIsTypedAndWrittenInFrench()
    {
        QCOMPARE(readMoney("12"), std::optional<qint64>(1200));
        QCOMPARE(readMoney(" 1 234,5 € "), std::optional<qint64>(123450));
        QCOMPARE(readMoney("0.07"), std::optional<qint64>(7));
        for (const QString bad : {"-5", "12,345", "douze", "", "1e3", "12,,5"})
            QVERIFY2(!readMoney(bad), qPrintable(bad));
        QCOMPARE(moneyText(123450), QString("1\u00A0234,50\u00A0€"));
        QCOMPARE(moneyText(-5), QString("-0,05\u00A0€"));
        QCOMPARE(moneyCell(100000007), QString("1000000,07"));
    }

    // Handed out = sold + unsold + spoiled + lost + still out, for each seller and in all,
    // and the money due against the money received, through three visits, a reopening and two
    // undos.
    void aRaffleFromHandOutToMoney()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Calvorigne-tirages.sqlite");
        qint64 id = 0;
        {
            RaffleRegister reg(path, 0);
            QVERIFY2(reg.usable(), qPrintable(reg.notice()));
            SmallRaffle small;
            small.make(reg);
            id = small.raffle.id;
            const qint64 martine = small.martine.id, paul = small.paul.id;
            QVERIFY(reg.handOut(id, martine, day, "1-3", Unit::Booklets));
            QVERIFY(reg.handOut(id, paul, day, "0016-0020, 0026", Unit::Tickets));
            // First visit: booklet 1 all sold, booklet 2 with two unsold, and money in cash.
            QVERIFY(reg.giveBack(id, {"1", Unit::Booklets, Return::Outcome::Sold, {}, {}, day.addDays(7)}));
            QVERIFY(reg.giveBack(id, {"2", Unit::Booklets, Return::Outcome::Sold, "0008, 0009", {}, day.addDays(7)}));
            QVERIFY(reg.receive(id, martine, {"10", "espèces", {}, day.addDays(7)}));
            // Second: booklet 3 lost, Paul's tickets back with one spoiled, a cheque.
            QVERIFY(reg.giveBack(id, {"3", Unit::Booklets, Return::Outcome::Lost, {}, {}, day.addDays(14)}));
            QVERIFY(reg.giveBack(id, {"0016-0020", Unit::Tickets, Return::Outcome::Sold, {}, "0017", day.addDays(14)}));
            QVERIFY(reg.receive(id, paul, {"8,00", "chèque", "1234567", day.addDays(14)}));
            // Third: the rest of Martine's money by transfer.
            QVERIFY(reg.receive(id, martine, {"5,5", "virement", {}, day.addDays(21)}));
        }
        RaffleRegister reg(path, 0);
        std::vector<Balance> balances = reg.balances(id);
        QCOMPARE(balances.size(), std::size_t(3));
        const Balance& martine = balanceOf(balances, "Martine Dupont");
        QCOMPARE(martine.handedOut, 15);
        QCOMPARE(martine.sold, 8);
        QCOMPARE(martine.unsold, 2);
        QCOMPARE(martine.lost, 5);
        QCOMPARE(martine.dueCents, 1600);
        QCOMPARE(martine.receivedCents, 1550);
        QCOMPARE(martine.differenceCents(), -50);
        const Balance& paul = balanceOf(balances, "Paul Martin");
        QCOMPARE(paul.handedOut, 6);
        QCOMPARE(paul.sold, 4);
        QCOMPARE(paul.spoiled, 1);
        QCOMPARE(paul.out, 1);
        QCOMPARE(paul.differenceCents(), 0);
        const Balance& total = balances.back();
        QCOMPARE(total.name, QString("Total"));
        for (const Balance& b : balances)
            QCOMPARE(b.handedOut, b.sold + b.unsold + b.spoiled + b.lost + b.out);
        QCOMPARE(total.handedOut, 21);
        QCOMPARE(total.dueCents, 2400);
        QCOMPARE(total.receivedCents, 2350);

        // The spreadsheet reads the same figures, the numbers with their zeros as text.
        const QString csv = dir.filePath("vendeurs.csv");
        writeBytes(csv, balancesCsv(balances));
        QVERIFY(bytesOf(csv).startsWith("\xEF\xBB\xBF") && bytesOf(csv).contains("\r\n"));
        const QList<QStringList> lines = csvLines(csv);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0].mid(7), QStringList({"Dû (€)", "Reçu (€)", "Écart (€)"}));
        QCOMPARE(lines[3][0], QString("Total"));
        QCOMPARE(excelCell(lines[3][7]), QVariant(24.0));
        QCOMPARE(excelCell(lines[3][9]), QVariant(-0.5));
        writeBytes(csv, ticketsCsv(reg.tickets(id), false));
        const QList<QStringList> tickets = csvLines(csv);
        QCOMPARE(tickets.size(), 51);
        QCOMPARE(tickets[9], QStringList({"0009", "2", "invendu", "Martine Dupont", "01/12/2026", "08/12/2026"}));
        QCOMPARE(tickets[17].mid(0, 4), QStringList({"0017", "4", "annulé", "Paul Martin"}));
        QCOMPARE(tickets[26].mid(0, 4), QStringList({"0026", "6", "chez le vendeur", "Paul Martin"}));

        // Undo takes back the last transfer, then the return before it is not the last: the
        // payment before it goes next, each in turn.
        QCOMPARE(reg.lastOperation(id), QString("Paiement de Martine Dupont : 5,50\u00A0€ (virement)"));
        QVERIFY(reg.undo(id));
        QCOMPARE(balanceOf(reg.balances(id), "Martine Dupont").receivedCents, 1000);
        QCOMPARE(reg.lastOperation(id), QString("Paiement de Paul Martin : 8,00\u00A0€ (chèque)"));
        QVERIFY(reg.undo(id));
        QVERIFY(reg.undo(id)); // Paul's return
        QCOMPARE(balanceOf(reg.balances(id), "Paul Martin").out, 6);
        QCOMPARE(reg.tickets(id)[16].state, QString("remis"));
        // What happened to ticket 0017, with what was undone marked.
        const std::vector<HistoryLine> history = reg.history(id, Subject::Ticket, 17);
        QCOMPARE(history.size(), std::size_t(4));
        QCOMPARE(history[0].label, QString("Billets du tirage du 20/11/2026 à 14:02 : 0001 à 0050 (50 billets)"));
        QCOMPARE(history[1].label, QString("Remise à Paul Martin : billets 0016-0020, 0026 (6 billets)"));
        QCOMPARE(history[2].label, QString("Retour de Paul Martin : billets 0016-0020 (1 annulé, 4 vendus)"));
        QVERIFY(history[2].undone && !history[1].undone);
        QVERIFY(history[3].label.startsWith("Annulation : Retour de Paul Martin"));
        QVERIFY(!reg.history(id, Subject::Booklet, 3).empty());
    }

    // A raffle written by one record is read by another, as it was, the buyers only when asked;
    // a second import asks before it replaces, and replaces whole.
    void aRaffleGoesToTheNextTreasurer()
    {
        QTemporaryDir dir;
        RaffleRegister first(dir.filePath("un.sqlite"), 0);
        SmallRaffle small;
        small.make(first);
        const qint64 id = small.raffle.id;
        QVERIFY(first.handOut(id, small.martine.id, day, "1-2", Unit::Booklets));
        QVERIFY(first.giveBack(id, {"1-2", Unit::Booklets, Return::Outcome::Sold, "0010", {}, day}));
        QVERIFY(first.receive(id, small.martine.id, {"18", "chèque", "0001", day}));
        QVERIFY(first.setBuyer(id, "0003", "Jeanne Leroy", "06 00 00 00 03"));
        Prize prize{0, 0, "Vélo", "Cycles Durand", 32000};
        QVERIFY(DrawBook(first, id).savePrize(prize));
        const QString file = dir.filePath("tombola.json");
        QVERIFY(exportRaffle(first, id, file, false));
        QVERIFY(!bytesOf(file).contains("Jeanne"));

        RaffleRegister second(dir.filePath("deux.sqlite"), 0);
        Raffle other{0, {}, "Tombola de Pâques", 100, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
        QVERIFY(second.saveRaffle(other));
        Transfer transfer = readTransfer(second, file);
        QVERIFY2(transfer.refusal.isEmpty(), qPrintable(transfer.refusal));
        QCOMPARE(transfer.existing, 0);
        const Result taken = importRaffle(second, transfer, false);
        QVERIFY2(taken, qPrintable(taken.refusal));
        const qint64 copy = taken.operation;
        QCOMPARE(ticketsCsv(second.tickets(copy), false), ticketsCsv(first.tickets(id), false));
        QCOMPARE(balancesCsv(second.balances(copy)), balancesCsv(first.balances(id)));
        QCOMPARE(paymentsCsv(second.payments(copy)), paymentsCsv(first.payments(id)));
        QCOMPARE(second.raffles().size(), std::size_t(2));
        QCOMPARE(DrawBook(second, copy).prizes().front().donor, QString("Cycles Durand"));

        // The first treasurer goes on; the file comes again: asked, then replaced.
        QVERIFY(first.handOut(id, small.paul.id, day, "3", Unit::Booklets));
        QVERIFY(exportRaffle(first, id, file, true));
        transfer = readTransfer(second, file);
        QCOMPARE(transfer.existing, copy);
        QVERIFY(!importRaffle(second, transfer, false));
        const Result replaced = importRaffle(second, transfer, true);
        QVERIFY2(replaced, qPrintable(replaced.refusal));
        QCOMPARE(ticketsCsv(second.tickets(replaced.operation), true), ticketsCsv(first.tickets(id), true));
        QCOMPARE(second.raffles().size(), std::size_t(2));
        // Undone, the import gives back the raffle it replaced.
        QVERIFY(second.undo(replaced.operation));
        QCOMPARE(second.raffles().size(), std::size_t(2));
        QCOMPARE(balanceOf(second.balances(copy), "Paul Martin").handedOut, 0);
        // A raffle whose draw is prepared here is no longer replaced.
        QVERIFY(DrawBook(second, copy).prepare());
        QVERIFY(importRaffle(second, readTransfer(second, file), true).refusal.contains("a un tirage : elle ne peut plus être remplacée"));

        // A file that is not a raffle is refused with words.
        writeBytes(file, "{\"format\": \"autre chose\"}");
        QVERIFY(readTransfer(second, file).refusal.contains("ce n'est pas une tombola exportée par Calvorigne"));
    }

    // Each opening copies the record into « Sauvegardes », keeping ten; erasing the buyers takes
    // them out of the record, its trail and the copies.
    void backupsAndErasure()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("Calvorigne-tirages.sqlite");
        qint64 id = 0;
        {
            RaffleRegister reg(path);
            SmallRaffle small;
            small.make(reg);
            id = small.raffle.id;
            QVERIFY(reg.handOut(id, small.martine.id, day, "1", Unit::Booklets));
            QVERIFY(reg.giveBack(id, {"1", Unit::Booklets, Return::Outcome::Sold, {}, {}, day}));
            QVERIFY(reg.setBuyer(id, "0002", "Jeanne Leroy", "06 00 00 00 02"));
            QVERIFY(reg.setBuyer(id, "0002", "Jeanne Le Roy", "06 00 00 00 02"));
        }
        const QDir backups(dir.filePath("Sauvegardes"));
        for (int k = 0; k < 11; ++k)
            QCOMPARE(RaffleRegister(path).backUp(), QString());
        QCOMPARE(backups.entryList(QDir::Files).size(), 10);
        {
            RaffleRegister copy(backups.filePath(backups.entryList(QDir::Files).last()), 0);
            QCOMPARE(copy.tickets(id)[1].buyerName, QString("Jeanne Le Roy"));
        }
        RaffleRegister reg(path, 3);
        QVERIFY(reg.eraseBuyers(id));
        QCOMPARE(reg.tickets(id)[1].buyerName, QString());
        QCOMPARE(reg.lastOperation(id), QString()); // nothing before an erasure comes back
        QCOMPARE(backups.entryList(QDir::Files).size(), 1);
        QVERIFY(!bytesOf(path).contains("Jeanne"));
        QVERIFY(!bytesOf(backups.filePath(backups.entryList(QDir::Files).first())).contains("Jeanne"));
    }
};

QTEST_GUILESS_MAIN(TestRaffle)
#include "test_raffle.moc"
