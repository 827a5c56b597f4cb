// Reading the register: the raffles, their sellers, tickets and money as they stand.
#include "register.h"

#include "records/runtable.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <map>

namespace calvorigne {

namespace {

Raffle raffleOf(const QSqlQuery& q)
{
    return {q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(), q.value(3).toLongLong(),
            QDate::fromString(q.value(4).toString(), Qt::ISODate), q.value(5).toString(), q.value(6).toString(),
            q.value(7).toString(), q.value(8).toString(), q.value(9).toString(), q.value(10).toString(),
            q.value(11).toString(), q.value(12).toString(), q.value(13).toString()};
}

const QString raffleColumns = QStringLiteral("id, uid, name, price_cents, draw_date, draw_place, authorisation, association, address, rna, "
                                             "president, cause, purpose, profit_use");

// The register writes its days as 2026-12-01; read at the pace of a whole raffle's tickets.
QDate day(const QVariant& value)
{
    const QString text = value.toString();
    if (text.size() != 10)
        return {};
    return QDate(QStringView(text).left(4).toInt(), QStringView(text).mid(5, 2).toInt(), QStringView(text).mid(8, 2).toInt());
}

} // namespace

std::vector<Raffle> RaffleRegister::raffles() const
{
    std::vector<Raffle> all;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (m_usable && query.exec(QStringLiteral("SELECT %1 FROM raffles ORDER BY created DESC, id DESC").arg(raffleColumns)))
        while (query.next())
            all.push_back(raffleOf(query));
    return all;
}

std::vector<PrintedRunChoice> RaffleRegister::printedRuns() const
{
    std::vector<PrintedRunChoice> runs;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    // Read as the record of runs writes them; a record that has no runs yet has no table.
    if (m_usable
        && query.exec(QStringLiteral("SELECT at, first, last, layout FROM runs WHERE kind = 'tirage' AND on_paper = 1 "
                                     "AND layout IS NOT NULL ORDER BY at DESC, id DESC")))
        while (query.next())
            runs.push_back({runtable::fromStamp(query.value(0).toLongLong()), query.value(1).toLongLong(), query.value(2).toLongLong(),
                            query.value(3).toString()});
    return runs;
}

std::optional<PrintedRunChoice> RaffleRegister::firstRun(qint64 raffle) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT run_at FROM tickets WHERE raffle = ? ORDER BY number LIMIT 1"));
    query.addBindValue(raffle);
    if (!m_usable || !query.exec() || !query.next())
        return std::nullopt;
    const QDateTime at = runtable::fromStamp(query.value(0).toLongLong());
    for (const PrintedRunChoice& run : printedRuns())
        if (run.at == at)
            return run;
    return std::nullopt;
}

std::optional<Raffle> RaffleRegister::raffle(qint64 id) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT %1 FROM raffles WHERE id = ?").arg(raffleColumns));
    query.addBindValue(id);
    if (m_usable && query.exec() && query.next())
        return raffleOf(query);
    return std::nullopt;
}

std::vector<Seller> RaffleRegister::sellers(qint64 raffle) const
{
    std::vector<Seller> all;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT id, name, phone, email, note FROM sellers WHERE raffle = ? ORDER BY name COLLATE NOCASE, id"));
    query.addBindValue(raffle);
    if (query.exec())
        while (query.next())
            all.push_back({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
                           query.value(4).toString()});
    return all;
}

std::vector<Ticket> RaffleRegister::tickets(qint64 raffle) const
{
    return readTickets(QStringLiteral("t.raffle = ?"), raffle);
}

std::vector<Ticket> RaffleRegister::ticketsOf(qint64 operation) const
{
    return readTickets(QStringLiteral("t.id IN (SELECT row FROM changes WHERE operation = ? AND tbl = 'tickets')"), operation);
}

std::vector<Ticket> RaffleRegister::readTickets(const QString& which, qint64 key) const
{
    std::vector<Ticket> all;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT t.number, t.label, t.state, coalesce(s.name, ''), t.buyer_name, t.buyer_phone, t.booklet, "
                                 "t.handed_on, t.returned_on FROM tickets t LEFT JOIN sellers s ON s.id = t.seller "
                                 "WHERE %1 ORDER BY t.number").arg(which));
    query.addBindValue(key);
    if (query.exec())
        while (query.next())
            all.push_back({query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString(), query.value(3).toString(),
                           query.value(4).toString(), query.value(5).toString(), query.value(6).toInt(),
                           day(query.value(7)), day(query.value(8))});
    return all;
}

std::vector<Balance> RaffleRegister::balances(qint64 raffle) const
{
    const std::optional<Raffle> held = this->raffle(raffle);
    if (!held)
        return {};
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    std::vector<Balance> all;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT s.id, s.name, count(t.id), count(t.id) FILTER (WHERE t.state = 'vendu'), "
                                 "count(t.id) FILTER (WHERE t.state = 'invendu'), count(t.id) FILTER (WHERE t.state = 'annulé'), "
                                 "count(t.id) FILTER (WHERE t.state = 'perdu'), count(t.id) FILTER (WHERE t.state = 'remis'), "
                                 "(SELECT coalesce(sum(p.cents), 0) FROM payments p WHERE p.seller = s.id) "
                                 "FROM sellers s LEFT JOIN tickets t ON t.seller = s.id WHERE s.raffle = ? "
                                 "GROUP BY s.id ORDER BY s.name COLLATE NOCASE, s.id"));
    query.addBindValue(raffle);
    Balance total;
    total.name = QStringLiteral("Total");
    if (query.exec())
        while (query.next()) {
            Balance b{query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toLongLong(), query.value(3).toLongLong(),
                      query.value(4).toLongLong(), query.value(5).toLongLong(), query.value(6).toLongLong(), query.value(7).toLongLong(),
                      0, 0, query.value(8).toLongLong()};
            b.dueCents = b.sold * held->priceCents;
            total.handedOut += b.handedOut, total.sold += b.sold, total.unsold += b.unsold, total.spoiled += b.spoiled;
            total.lost += b.lost, total.out += b.out, total.dueCents += b.dueCents, total.receivedCents += b.receivedCents;
            all.push_back(b);
        }
    query.prepare(QStringLiteral("SELECT count(*) FROM tickets WHERE raffle = ? AND state = 'stock'"));
    query.addBindValue(raffle);
    if (query.exec() && query.next())
        total.stock = query.value(0).toLongLong();
    all.push_back(total);
    return all;
}

std::vector<PaymentLine> RaffleRegister::payments(qint64 raffle, qint64 seller) const
{
    std::vector<PaymentLine> all;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT s.name, p.cents, p.method, coalesce(p.cheque, ''), p.paid_on FROM payments p "
                                 "JOIN sellers s ON s.id = p.seller WHERE p.raffle = ? AND (? = 0 OR p.seller = ?) ORDER BY p.paid_on, p.id"));
    query.addBindValue(raffle);
    query.addBindValue(seller);
    query.addBindValue(seller);
    if (query.exec())
        while (query.next())
            all.push_back({query.value(0).toString(), query.value(1).toLongLong(), query.value(2).toString(), query.value(3).toString(),
                           day(query.value(4))});
    return all;
}

} // namespace calvorigne
