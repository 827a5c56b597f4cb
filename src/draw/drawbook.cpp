#include "drawbook.h"

#include "draw/algorithm.h"
#include "raffle/money.h"
#include "raffle/words.h"
#include "records/runtable.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <map>
#include <set>

namespace calvorigne {

namespace {

} // namespace

DrawBook::DrawBook(RaffleRegister& reg, qint64 raffle) : m_reg(reg), m_raffle(raffle) {}

std::vector<Prize> DrawBook::prizes() const
{
    std::vector<Prize> all;
    QSqlQuery query(QSqlDatabase::database(m_reg.connection(), false));
    query.prepare(QStringLiteral("SELECT id, rank, description, coalesce(donor, ''), value_cents FROM prizes WHERE raffle = ? ORDER BY rank, id"));
    query.addBindValue(m_raffle);
    if (query.exec())
        while (query.next())
            all.push_back({query.value(0).toLongLong(), query.value(1).toInt(), query.value(2).toString(), query.value(3).toString(),
                           query.value(4).toLongLong()});
    return all;
}

QString DrawBook::cashWarning(const QString& description)
{
    static const QRegularExpression money(QStringLiteral("esp[eè]ces|ch[eè]que de|€|\\beuros?\\b|en liquide|bon d'achat de \\d|virement"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (!money.match(description).hasMatch())
        return {};
    return QStringLiteral("« %1 » ressemble à une somme d'argent. La loi ne permet à une tombola que des lots en objets : pas d'argent, "
                          "ni en espèces ni par chèque. Si c'est un objet (un panier garni d'une valeur de…), écrivez-le comme tel.")
        .arg(description.trimmed());
}

QString DrawBook::frozenRefusal() const
{
    return current() ? QStringLiteral("Le tirage est préparé : la liste des billets vendus est gelée. « Annuler le tirage » la libère.")
                     : QString();
}

Result DrawBook::savePrize(Prize& prize)
{
    if (prize.description.trimmed().isEmpty())
        return {QStringLiteral("Décrivez le lot, par exemple « Panier garni ».")};
    if (prize.valueCents < 0)
        return {QStringLiteral("La valeur d'un lot ne peut pas être négative.")};
    if (const std::optional<DrawState> draw = current(); draw && !draw->method.isEmpty())
        return {QStringLiteral("Le tirage a commencé : ses lots ne changent plus. « Annuler le tirage » les libère.")};
    const bool creating = prize.id == 0;
    if (creating) {
        const std::vector<Prize> all = prizes();
        prize.rank = all.empty() ? 1 : all.back().rank + 1;
    }
    qint64 id = prize.id;
    const Result result = m_reg.act(m_raffle, QStringLiteral("Lot n° %1 : %2").arg(prize.rank).arg(prize.description.trimmed()), 0, [&](QSqlQuery& query) {
        query.prepare(creating ? QStringLiteral("INSERT INTO prizes (rank, description, donor, value_cents, raffle) VALUES (?, ?, ?, ?, ?)")
                               : QStringLiteral("UPDATE prizes SET rank = ?, description = ?, donor = ?, value_cents = ? WHERE raffle = ? AND id = ?"));
        for (const QVariant& value : {QVariant(prize.rank), QVariant(prize.description.trimmed()),
                                      prize.donor.trimmed().isEmpty() ? QVariant() : QVariant(prize.donor.trimmed()), QVariant(prize.valueCents),
                                      QVariant(m_raffle)})
            query.addBindValue(value);
        if (!creating)
            query.addBindValue(prize.id);
        if (!query.exec())
            return m_reg.writeFailure(query);
        id = creating ? query.lastInsertId().toLongLong() : id;
        return QString();
    });
    if (result)
        prize.id = id;
    return result;
}

Result DrawBook::removePrize(qint64 prize)
{
    if (const std::optional<DrawState> draw = current(); draw && !draw->method.isEmpty())
        return {QStringLiteral("Le tirage a commencé : ses lots ne changent plus. « Annuler le tirage » les libère.")};
    return m_reg.act(m_raffle, QStringLiteral("Lot retiré"), 0, [&](QSqlQuery& query) {
        // The prizes after it move up a rank.
        query.prepare(QStringLiteral("DELETE FROM prizes WHERE raffle = ? AND id = ?"));
        query.addBindValue(m_raffle);
        query.addBindValue(prize);
        if (!query.exec() || query.numRowsAffected() != 1)
            return query.lastError().isValid() ? m_reg.writeFailure(query) : QStringLiteral("Ce lot n'est plus dans la liste.");
        return QString();
    });
}

Result DrawBook::importPrizes(const QByteArray& csv)
{
    if (const std::optional<DrawState> draw = current(); draw && !draw->method.isEmpty())
        return {QStringLiteral("Le tirage a commencé : ses lots ne changent plus. « Annuler le tirage » les libère.")};
    QString text = QString::fromUtf8(csv);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts);
    const QChar separator = lines.isEmpty() ? u';' : lines.front().contains(u';') ? u';' : lines.front().contains(u'\t') ? u'\t' : u',';
    std::vector<Prize> read;
    QStringList warnings;
    int rank = prizes().empty() ? 0 : prizes().back().rank;
    for (qsizetype k = 0; k < lines.size(); ++k) {
        QStringList cells = lines[k].split(separator);
        for (QString& cell : cells)
            cell = cell.trimmed().remove(u'"');
        const QString value = cells.value(2);
        const std::optional<qint64> cents = value.isEmpty() ? std::optional<qint64>(0) : readMoney(value);
        if (k == 0 && !cents)
            continue; // its headings
        if (cells.value(0).isEmpty() || !cents)
            return {QStringLiteral("Ligne %1 du fichier : « %2 » n'est pas un lot (sa description, qui l'offre, sa valeur en euros). Aucun lot "
                                   "n'a été ajouté.")
                        .arg(k + 1).arg(lines[k].trimmed())};
        read.push_back({0, ++rank, cells[0], cells.value(1), *cents});
        if (const QString warning = cashWarning(cells[0]); !warning.isEmpty())
            warnings << warning;
    }
    if (read.empty())
        return {QStringLiteral("Ce fichier ne contient aucun lot.")};
    Result result = m_reg.act(m_raffle, QStringLiteral("%1 importés").arg(counted(qint64(read.size()), QStringLiteral("lot"), QStringLiteral("lots"))), 0,
                              [&](QSqlQuery& query) {
                                  query.prepare(QStringLiteral("INSERT INTO prizes (raffle, rank, description, donor, value_cents) VALUES (?, ?, ?, ?, ?)"));
                                  for (const Prize& p : read) {
                                      for (const QVariant& value : {QVariant(m_raffle), QVariant(p.rank), QVariant(p.description),
                                                                    p.donor.isEmpty() ? QVariant() : QVariant(p.donor), QVariant(p.valueCents)})
                                          query.addBindValue(value);
                                      if (!query.exec())
                                          return m_reg.writeFailure(query);
                                  }
                                  return QString();
                              });
    if (result)
        result.note = warnings.join(u'\n');
    return result;
}

Result DrawBook::prepare()
{
    if (!frozenRefusal().isEmpty())
        return {QStringLiteral("Le tirage est déjà préparé.")};
    const QSqlDatabase db = QSqlDatabase::database(m_reg.connection(), false);
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT t.number, t.label, t.state, coalesce(s.name, '') FROM tickets t LEFT JOIN sellers s ON s.id = t.seller "
                                 "WHERE t.raffle = ? AND t.state IN ('remis', 'vendu') ORDER BY t.number"));
    query.addBindValue(m_raffle);
    if (!query.exec())
        return {m_reg.writeFailure(query)};
    std::map<QString, std::vector<std::pair<qint64, QString>>> out; // by seller
    QStringList sold;
    while (query.next()) {
        if (query.value(2).toString() == u"remis")
            out[query.value(3).toString()].emplace_back(query.value(0).toLongLong(), query.value(1).toString());
        else
            sold << query.value(1).toString();
    }
    if (!out.empty()) {
        QStringList held;
        for (const auto& [seller, tickets] : out)
            held << QStringLiteral("%1 : %2").arg(seller, ticketsNamed(tickets));
        return {QStringLiteral("Le tirage ne peut pas être préparé : des billets sont encore chez les vendeurs. Seuls des billets vendus "
                               "peuvent gagner ; dites ce qu'il en est de ceux-ci.\n%1")
                    .arg(held.join(u'\n'))};
    }
    if (sold.isEmpty())
        return {QStringLiteral("Aucun billet n'est vendu : il n'y a rien à tirer.")};
    if (prizes().empty())
        return {QStringLiteral("La liste des lots est vide : ajoutez les lots avant de préparer le tirage.")};
    const QString hash = draw::listHash(sold);
    return m_reg.act(m_raffle, QStringLiteral("Tirage préparé : %1, empreinte %2").arg(counted(sold.size(), QStringLiteral("billet vendu"), QStringLiteral("billets vendus")), hash),
                     0,
                     [&](QSqlQuery& insert) {
                         insert.prepare(QStringLiteral("INSERT INTO draws (raffle, frozen_at, list, list_hash) VALUES (?, ?, ?, ?)"));
                         for (const QVariant& value : {QVariant(m_raffle), QVariant(runtable::stamp(QDateTime::currentDateTime())),
                                                       QVariant(QString::fromUtf8(draw::listText(sold))), QVariant(hash)})
                             insert.addBindValue(value);
                         return insert.exec() ? QString() : m_reg.writeFailure(insert);
                     },
                     false);
}

Result DrawBook::settleStillOut(bool soldWherePaid)
{
    if (const QString frozen = frozenRefusal(); !frozen.isEmpty())
        return {frozen};
    const std::optional<Raffle> raffle = m_reg.raffle(m_raffle);
    std::set<QString> paid; // sellers whose money covers every ticket they still hold
    for (const Balance& b : m_reg.balances(m_raffle))
        if (b.seller && soldWherePaid && b.out > 0 && b.receivedCents >= b.dueCents + b.out * raffle->priceCents)
            paid.insert(b.name);
    QString sold, unsold;
    for (const Ticket& t : m_reg.tickets(m_raffle))
        if (t.state == u"remis")
            (paid.count(t.seller) ? sold : unsold) += QString::number(t.number) + u',';
    const QDate today = QDate::currentDate();
    for (const auto& [typed, outcome] : {std::pair{sold, Return::Outcome::Sold}, std::pair{unsold, Return::Outcome::Unsold}})
        if (!typed.isEmpty())
            if (const Result done = m_reg.giveBack(m_raffle, {typed, Unit::Tickets, outcome, {}, {}, today}); !done)
                return done;
    return {};
}

std::optional<DrawState> DrawBook::current() const
{
    QSqlQuery query(QSqlDatabase::database(m_reg.connection(), false));
    query.prepare(QStringLiteral("SELECT id, frozen_at, list, list_hash, coalesce(method, ''), last_first, coalesce(witnesses, ''), "
                                 "coalesce(graine, '') FROM draws WHERE raffle = ? AND cancelled_at IS NULL ORDER BY id DESC LIMIT 1"));
    query.addBindValue(m_raffle);
    if (!query.exec() || !query.next())
        return std::nullopt;
    DrawState draw{query.value(0).toLongLong(), runtable::fromStamp(query.value(1).toLongLong()),
                   query.value(2).toString().split(u'\n', Qt::SkipEmptyParts), query.value(3).toString(), query.value(4).toString(),
                   query.value(5).toBool(), query.value(6).toString().split(u'\n', Qt::SkipEmptyParts), query.value(7).toString(), {}};
    query.prepare(QStringLiteral("SELECT r.at, coalesce(p.rank, 0), r.label, r.outcome, coalesce(r.reason, '') FROM draw_results r "
                                 "LEFT JOIN prizes p ON p.id = r.prize WHERE r.draw = ? ORDER BY r.id"));
    query.addBindValue(draw.id);
    if (query.exec())
        while (query.next())
            draw.results.push_back({runtable::fromStamp(query.value(0).toLongLong()), query.value(1).toInt(), query.value(2).toString(),
                                    query.value(3).toString(), query.value(4).toString()});
    return draw;
}

Result DrawBook::cancel(const QString& reason)
{
    const std::optional<DrawState> draw = current();
    if (!draw)
        return {QStringLiteral("Aucun tirage n'est préparé.")};
    return m_reg.act(m_raffle, QStringLiteral("Tirage annulé : %1").arg(reason.trimmed().isEmpty() ? QStringLiteral("sans raison dite") : reason.trimmed()), 0,
                     [&](QSqlQuery& query) {
                         query.prepare(QStringLiteral("UPDATE draws SET cancelled_at = ? WHERE id = ?"));
                         query.addBindValue(runtable::stamp(QDateTime::currentDateTime()));
                         query.addBindValue(draw->id);
                         return query.exec() ? QString() : m_reg.writeFailure(query);
                     },
                     false);
}

} // namespace calvorigne
