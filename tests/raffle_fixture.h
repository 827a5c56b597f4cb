// A raffle register on a real SQLite file, for the register's tests: a run of booklets as the
// booklet list numbers them, and the raffle's state in a form two moments can be compared by.
#pragma once

#include "raffle/exports.h"
#include "raffle/register.h"

#include <QTest>

namespace calvorigne::testing {

// A run of booklets of size tickets each, numbered from first.
inline RunTickets runOf(int booklets, int size, qint64 first = 1, QDateTime at = QDateTime(QDate(2026, 11, 20), QTime(14, 2)))
{
    RunTickets run{at, {}, 4, {}};
    for (int b = 0; b < booklets; ++b)
        run.booklets.push_back({b + 1, first + qint64(b) * size, first + qint64(b + 1) * size - 1});
    return run;
}

// Everything a user can see of a raffle.
inline QByteArray stateOf(const RaffleRegister& reg, qint64 raffle)
{
    return ticketsCsv(reg.tickets(raffle), true) + balancesCsv(reg.balances(raffle)) + paymentsCsv(reg.payments(raffle))
           + reg.lastOperation(raffle).toUtf8();
}

// A raffle at 2,00 € of 10 booklets of 5 tickets, 0001 to 0050, and two sellers.
struct SmallRaffle {
    Raffle raffle;
    Seller martine{0, QStringLiteral("Martine Dupont"), QStringLiteral("06 12 34 56 78"), {}, {}};
    Seller paul{0, QStringLiteral("Paul Martin"), {}, {}, {}};

    void make(RaffleRegister& reg)
    {
        raffle.name = QStringLiteral("Tombola de Noël");
        raffle.priceCents = 200;
        QVERIFY(reg.saveRaffle(raffle));
        const Result added = reg.addRun(raffle.id, runOf(10, 5));
        QVERIFY2(added, qPrintable(added.refusal));
        QVERIFY(reg.saveSeller(raffle.id, martine));
        QVERIFY(reg.saveSeller(raffle.id, paul));
    }
};

} // namespace calvorigne::testing
