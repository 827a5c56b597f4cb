// The register's actions on raffles, their tickets and their sellers.
#include "register.h"

#include "core/ranges.h"
#include "raffle/money.h"
#include "raffle/resolve.h"
#include "raffle/words.h"
#include "records/runtable.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <algorithm>
#include <map>

namespace calvorigne {

namespace {

QVariant text(const QString& value)
{
    return value.trimmed().isEmpty() ? QVariant() : QVariant(value.trimmed());
}

qint64 count(const QSqlDatabase& db, const QString& sql, const QVariantList& values)
{
    QSqlQuery query(db);
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec() && query.next() ? query.value(0).toLongLong() : 0;
}

} // namespace

QString RaffleRegister::priceQuestion(const Raffle& changed) const
{
    const std::optional<Raffle> stored = changed.id ? raffle(changed.id) : std::nullopt;
    if (!stored || stored->priceCents == changed.priceCents)
        return {};
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const qint64 out = count(db, QStringLiteral("SELECT count(*) FROM tickets WHERE raffle = ? AND state <> 'stock'"), {changed.id});
    if (out == 0)
        return {};
    const qint64 sold = count(db, QStringLiteral("SELECT count(*) FROM tickets WHERE raffle = ? AND state = 'vendu'"), {changed.id});
    return QStringLiteral("La vente a commencé : %1 remis aux vendeurs, dont %2. Au prix de %3 au lieu de %4, l'argent dû pour les "
                          "billets vendus passe de %5 à %6, et les billets encore chez les vendeurs devront se vendre à ce prix. "
                          "Changer le prix ?")
        .arg(counted(out, QStringLiteral("billet"), QStringLiteral("billets")),
             counted(sold, QStringLiteral("vendu"), QStringLiteral("vendus")), moneyText(changed.priceCents),
             moneyText(stored->priceCents), moneyText(sold * stored->priceCents), moneyText(sold * changed.priceCents));
}

Result RaffleRegister::saveRaffle(Raffle& raffle, bool priceConfirmed)
{
    if (raffle.name.trimmed().isEmpty())
        return {QStringLiteral("Donnez un nom à la tombola, par exemple « Tombola de Noël %1 ».").arg(QDate::currentDate().year())};
    if (raffle.priceCents < 0)
        return {QStringLiteral("Le prix d'un billet ne peut pas être négatif.")};
    if (!priceConfirmed)
        if (const QString question = priceQuestion(raffle); !question.isEmpty())
            return {question};
    const bool creating = raffle.id == 0;
    if (creating && raffle.uid.isEmpty())
        raffle.uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString label = (creating ? QStringLiteral("Création de la tombola « %1 »") : QStringLiteral("Modification de la tombola « %1 »"))
                              .arg(raffle.name.trimmed());
    qint64 id = raffle.id;
    const Result result = act(raffle.id, label, 0, [&](QSqlQuery& query) {
        const QVariantList values = {raffle.name.trimmed(), raffle.priceCents, raffle.drawDate.isValid() ? QVariant(raffle.drawDate.toString(Qt::ISODate)) : QVariant(),
                                     text(raffle.drawPlace), text(raffle.authorisation), text(raffle.association),
                                     text(raffle.address), text(raffle.rna), text(raffle.president), text(raffle.cause),
                                     text(raffle.purpose), text(raffle.profitUse)};
        query.prepare(creating ? QStringLiteral("INSERT INTO raffles (name, price_cents, draw_date, draw_place, authorisation, "
                                                "association, address, rna, president, cause, purpose, profit_use, uid, created) "
                                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                               : QStringLiteral("UPDATE raffles SET name = ?, price_cents = ?, draw_date = ?, draw_place = ?, "
                                                "authorisation = ?, association = ?, address = ?, rna = ?, president = ?, cause = ?, "
                                                "purpose = ?, profit_use = ? WHERE id = ?"));
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (creating) {
            query.addBindValue(raffle.uid);
            query.addBindValue(runtable::stamp(QDateTime::currentDateTime()));
        } else {
            query.addBindValue(raffle.id);
        }
        if (!query.exec())
            return writeFailure(query);
        if (creating) {
            id = query.lastInsertId().toLongLong();
            query.prepare(QStringLiteral("UPDATE operations SET raffle = ? WHERE id = (SELECT id FROM current_operation)"));
            query.addBindValue(id);
            if (!query.exec())
                return writeFailure(query);
        }
        return QString();
    });
    if (result)
        raffle.id = id;
    return result;
}

Account RaffleRegister::account(qint64 raffle) const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT prizes_cents, printing_cents, paper_cents, other_cents, other_label, result_use FROM accounts "
                                 "WHERE raffle = ?"));
    query.addBindValue(raffle);
    if (!m_usable || !query.exec() || !query.next())
        return {};
    return {query.value(0).toLongLong(), query.value(1).toLongLong(), query.value(2).toLongLong(), query.value(3).toLongLong(),
            query.value(4).toString(), query.value(5).toString()};
}

Result RaffleRegister::saveAccount(qint64 raffle, const Account& account)
{
    if (!this->raffle(raffle))
        return {QStringLiteral("Choisissez la tombola.")};
    if (account.otherCents > 0 && account.otherLabel.trimmed().isEmpty())
        return {QStringLiteral("Dites ce que sont les autres frais de %1, par exemple « location de la salle ».").arg(moneyText(account.otherCents))};
    return act(raffle, QStringLiteral("Frais de la tombola : %1").arg(moneyText(account.costsCents())), 0, [&](QSqlQuery& query) {
        query.prepare(QStringLiteral("INSERT INTO accounts (raffle, prizes_cents, printing_cents, paper_cents, other_cents, other_label, "
                                     "result_use) VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT (raffle) DO UPDATE SET "
                                     "prizes_cents = excluded.prizes_cents, printing_cents = excluded.printing_cents, "
                                     "paper_cents = excluded.paper_cents, other_cents = excluded.other_cents, "
                                     "other_label = excluded.other_label, result_use = excluded.result_use"));
        for (const QVariant& value : {QVariant(raffle), QVariant(account.prizesCents), QVariant(account.printingCents),
                                      QVariant(account.paperCents), QVariant(account.otherCents), text(account.otherLabel),
                                      text(account.resultUse)})
            query.addBindValue(value);
        return query.exec() ? QString() : writeFailure(query);
    });
}

Result RaffleRegister::addRun(qint64 raffleId, const RunTickets& run, const QString& typed)
{
    const std::optional<Raffle> raffle = this->raffle(raffleId);
    if (!raffle)
        return {QStringLiteral("Choisissez la tombola.")};
    if (run.booklets.empty())
        return {QStringLiteral("Ce tirage n'a imprimé aucun billet.")};
    const auto label = [&](qint64 n) { return run.label(n); };
    qint64 low = run.booklets.front().first, high = run.booklets.front().last;
    for (const RunTickets::Booklet& b : run.booklets)
        low = std::min(low, b.first), high = std::max(high, b.last);

    // The numbers wanted: the run's own, all or those typed.
    std::map<qint64, int> wanted; // number, its booklet in the run
    const TypedRanges chosen = readRanges(typed);
    if (chosen.fault == TypedRanges::Fault::NotANumber)
        return {QStringLiteral("« %1 » n'est pas un numéro de billet : écrivez par exemple 0001-0500.").arg(chosen.part)};
    if (chosen.fault == TypedRanges::Fault::Backwards)
        return {QStringLiteral("« %1 » va à rebours : écrivez %2-%3.").arg(chosen.part).arg(chosen.to).arg(chosen.from)};
    for (const RunTickets::Booklet& b : run.booklets)
        for (qint64 n = b.first; n <= b.last; ++n)
            if (chosen.ranges.empty()
                || std::any_of(chosen.ranges.begin(), chosen.ranges.end(), [n](const auto& r) { return r.first <= n && n <= r.second; }))
                wanted.emplace(n, b.number);
    for (const auto& [from, to] : chosen.ranges)
        if (from < low || to > high || qint64(std::distance(wanted.lower_bound(from), wanted.upper_bound(to))) != to - from + 1)
            return {QStringLiteral("Les numéros %1 à %2 n'ont pas tous été imprimés par ce tirage, qui a imprimé %3 à %4 : seuls des "
                                   "billets imprimés entrent dans une tombola.")
                        .arg(label(from), label(to), label(low), label(high))};

    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const qint64 at = runtable::stamp(run.at);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT t.number, t.label, t.raffle, r.name FROM tickets t JOIN raffles r ON r.id = t.raffle "
                                 "WHERE t.number BETWEEN ? AND ? AND (t.raffle = ? OR t.run_at = ?)"));
    for (const QVariant& value : {QVariant(low), QVariant(high), QVariant(raffleId), QVariant(at)})
        query.addBindValue(value);
    if (!query.exec())
        return {writeFailure(query)};
    std::map<QString, std::vector<std::pair<qint64, QString>>> already; // by raffle
    while (query.next())
        if (wanted.count(query.value(0).toLongLong()))
            already[query.value(2).toLongLong() == raffleId ? QString() : query.value(3).toString()].emplace_back(query.value(0).toLongLong(),
                                                                                                            query.value(1).toString());
    if (!already.empty()) {
        QStringList parts;
        for (const auto& [other, tickets] : already)
            parts << QStringLiteral("%1 %2 déjà dans %3")
                         .arg(ticketsNamed(tickets), tickets.size() > 1 ? QStringLiteral("sont") : QStringLiteral("est"),
                              other.isEmpty() ? QStringLiteral("cette tombola") : QStringLiteral("la tombola « %1 »").arg(other));
        return {QStringLiteral("Rien n'a été ajouté : %1.").arg(parts.join(QStringLiteral(" ; ")))};
    }
    // Booklets of a second run follow those of the first.
    const qint64 offset = count(db, QStringLiteral("SELECT coalesce(max(booklet), 0) FROM tickets WHERE raffle = ?"), {raffleId});
    const QString what = QStringLiteral("Billets du tirage du %1 : %2 à %3 (%4)")
                             .arg(run.at.toString(QStringLiteral("dd/MM/yyyy à HH:mm")), label(wanted.begin()->first),
                                  label(wanted.rbegin()->first),
                                  counted(qint64(wanted.size()), QStringLiteral("billet"), QStringLiteral("billets")))
                         + (offset > 0 ? QStringLiteral(", ses carnets numérotés à la suite, à partir de %1").arg(offset + 1) : QString());
    return act(raffleId, what, 0, [&](QSqlQuery& insert) {
        insert.prepare(QStringLiteral("INSERT INTO tickets (raffle, number, label, booklet, run_at) VALUES (?, ?, ?, ?, ?)"));
        for (const auto& [number, booklet] : wanted) {
            for (const QVariant& value : {QVariant(raffleId), QVariant(number), QVariant(label(number)), QVariant(booklet + offset), QVariant(at)})
                insert.addBindValue(value);
            if (!insert.exec())
                return writeFailure(insert);
        }
        return QString();
    });
}

Result RaffleRegister::saveSeller(qint64 raffleId, Seller& seller)
{
    if (seller.name.trimmed().isEmpty())
        return {QStringLiteral("Écrivez le nom du vendeur.")};
    const bool creating = seller.id == 0;
    qint64 id = seller.id;
    const QString label = (creating ? QStringLiteral("Nouveau vendeur : %1") : QStringLiteral("Vendeur modifié : %1")).arg(seller.name.trimmed());
    const Result result = act(raffleId, label, seller.id, [&](QSqlQuery& query) {
        query.prepare(creating ? QStringLiteral("INSERT INTO sellers (name, phone, email, note, raffle) VALUES (?, ?, ?, ?, ?)")
                               : QStringLiteral("UPDATE sellers SET name = ?, phone = ?, email = ?, note = ? WHERE raffle = ? AND id = ?"));
        for (const QVariant& value : {QVariant(seller.name.trimmed()), text(seller.phone), text(seller.email), text(seller.note), QVariant(raffleId)})
            query.addBindValue(value);
        if (!creating)
            query.addBindValue(seller.id);
        if (!query.exec())
            return writeFailure(query);
        if (creating) {
            id = query.lastInsertId().toLongLong();
            query.exec(QStringLiteral("UPDATE operations SET seller = %1 WHERE id = (SELECT id FROM current_operation)").arg(id));
        }
        return QString();
    });
    if (result)
        seller.id = id;
    return result;
}

Result RaffleRegister::deleteSeller(qint64 raffleId, qint64 seller)
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const std::optional<Raffle> raffle = this->raffle(raffleId);
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT name FROM sellers WHERE raffle = ? AND id = ?"));
    query.addBindValue(raffleId);
    query.addBindValue(seller);
    if (!raffle || !query.exec() || !query.next())
        return {QStringLiteral("Choisissez le vendeur à retirer.")};
    const QString name = query.value(0).toString();
    query.prepare(QStringLiteral("SELECT number, label FROM tickets WHERE seller = ? AND state = 'remis'"));
    query.addBindValue(seller);
    std::vector<std::pair<qint64, QString>> held;
    if (query.exec())
        while (query.next())
            held.emplace_back(query.value(0).toLongLong(), query.value(1).toString());
    if (!held.empty())
        return {QStringLiteral("%1 a encore %2 : enregistrez leur retour avant de retirer ce vendeur.").arg(name, ticketsNamed(held))};
    if (count(db, QStringLiteral("SELECT (SELECT count(*) FROM tickets WHERE seller = ?) + (SELECT count(*) FROM payments WHERE seller = ?)"),
              {seller, seller})
        > 0)
        return {QStringLiteral("%1 a déjà rendu des billets ou payé : ce vendeur reste dans la tombola, pour que ses comptes tiennent.").arg(name)};
    return act(raffleId, QStringLiteral("Vendeur retiré : %1").arg(name), seller, [&](QSqlQuery& remove) {
        remove.prepare(QStringLiteral("DELETE FROM sellers WHERE id = ?"));
        remove.addBindValue(seller);
        return remove.exec() ? QString() : writeFailure(remove);
    });
}

} // namespace calvorigne
