// Typed booklets and tickets, as the rows of a raffle they name, or the words saying why they
// name none. Shared by the register's actions.
#pragma once

#include "raffle/types.h"

#include <QSqlDatabase>
#include <QString>
#include <vector>

namespace calvorigne {

struct TicketRow {
    qint64 id = 0, number = 0, seller = 0;
    QString label, state, sellerName;
    int booklet = 0;
    QDate returnedOn;
};

struct Resolved {
    std::vector<TicketRow> rows; // in number order, each once
    QString refusal;
};

// unit says how the numbers typed are meant; what names them in a refusal's first words.
Resolved resolve(const QSqlDatabase& db, const Raffle& raffle, const QString& typed, Unit unit);

// « les billets 0111 à 0120 sont déjà chez Martine Dupont ; le billet 0125 est déjà vendu » for
// rows that are not in the state wanted.
QString statesNamed(const std::vector<TicketRow>& rows);

std::vector<std::pair<qint64, QString>> named(const std::vector<TicketRow>& rows);

} // namespace calvorigne
