// The register's tables for people: CSV files as French Excel reads them (UTF-8 with a
// byte-order mark, ';' between fields, CRLF).
#pragma once

#include "raffle/types.h"

#include <QByteArray>
#include <vector>

namespace calvorigne {

// Every ticket; the buyers' names and phones only when asked.
QByteArray ticketsCsv(const std::vector<Ticket>& tickets, bool buyers);
// Each seller's count and money, and the total.
QByteArray balancesCsv(const std::vector<Balance>& balances);
QByteArray paymentsCsv(const std::vector<PaymentLine>& payments);

// A booklet as its tickets stand.
struct BookletState {
    int booklet = 0;
    QString first, last, seller;
    qint64 stock = 0, out = 0, sold = 0, unsold = 0, spoiled = 0, lost = 0;
    QDate handedOn;
    // « en réserve », « chez le vendeur », « rendu : 4 vendus, 1 invendu », « perdu »…
    QString words() const;
};
// tickets in number order.
std::vector<BookletState> bookletStates(const std::vector<Ticket>& tickets);

// The words the register's states are shown with.
QString stateWords(const QString& state);

} // namespace calvorigne
