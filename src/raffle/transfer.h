// A raffle in one file, for the next treasurer's computer: what « Exporter la tombola… » writes
// and « Importer… » reads: its sellers, tickets, payments and prizes. JSON, versioned; the
// buyers' names only when asked. A draw stays where it was held, with its minutes.
#pragma once

#include "raffle/register.h"

#include <QJsonObject>

namespace calvorigne {

Result exportRaffle(const RaffleRegister& reg, qint64 raffle, const QString& path, bool buyers);

struct Transfer {
    QString refusal;       // why the file cannot be taken in, whole
    QJsonObject data;
    QString name;          // the raffle it holds
    qint64 tickets = 0;
    qint64 existing = 0;   // the raffle of this register it would replace; 0 for none
};
Transfer readTransfer(const RaffleRegister& reg, const QString& path);
// Takes the raffle in, replacing the one of the same origin only when replace is true.
Result importRaffle(RaffleRegister& reg, const Transfer& transfer, bool replace);

} // namespace calvorigne
