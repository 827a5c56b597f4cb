// The register's actions on tickets and money: each checks everything first, then writes, in one
// transaction that act() opens.
#include "register.h"

#include "raffle/money.h"
#include "raffle/resolve.h"
#include "raffle/words.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <map>
#include <set>
#include <tuple>

namespace calvorigne {

namespace {

QString sellerName(const QSqlDatabase& db, qint64 raffle, qint64 seller)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT name FROM sellers WHERE id = ? AND raffle = ?"));
    query.addBindValue(seller);
    query.addBindValue(raffle);
    return query.exec() && query.next() ? query.value(0).toString() : QString();
}

// Sets the tickets' state, and what goes with it, one by one.
QString setState(const RaffleRegister& reg, const QSqlDatabase& db, const std::vector<TicketRow>& rows, const QString& state, const QVariant& seller,
                 const QString& dateColumn, const QDate& on)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("UPDATE tickets SET state = ?, seller = ?, %1 = ? WHERE id = ?").arg(dateColumn));
    for (const TicketRow& row : rows) {
        query.addBindValue(state);
        query.addBindValue(seller.isValid() ? seller : QVariant(row.seller));
        query.addBindValue(on.toString(Qt::ISODate));
        query.addBindValue(row.id);
        if (!query.exec())
            return reg.writeFailure(query);
    }
    return {};
}

// Once a draw is prepared, its list of sold tickets is frozen until it is cancelled.
QString frozen(const QSqlDatabase& db, qint64 raffle)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT 1 FROM draws WHERE raffle = ? AND cancelled_at IS NULL"));
    query.addBindValue(raffle);
    return query.exec() && query.next() ? QStringLiteral("Le tirage de cette tombola est préparé : ses billets ne changent plus. « Annuler "
                                                         "le tirage » les libère.")
                                        : QString();
}

QString unitWords(Unit unit, const QString& typed)
{
    return QStringLiteral("%1 %2").arg(unit == Unit::Booklets ? QStringLiteral("carnets") : QStringLiteral("billets"), typed.simplified());
}

} // namespace

Result RaffleRegister::handOut(qint64 raffleId, qint64 seller, const QDate& on, const QString& typed, Unit unit)
{
    const std::optional<Raffle> raffle = this->raffle(raffleId);
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const QString name = sellerName(db, raffleId, seller);
    if (!raffle || name.isEmpty())
        return {QStringLiteral("Choisissez le vendeur à qui remettre les carnets.")};
    if (!on.isValid())
        return {QStringLiteral("La date de la remise n'est pas une date.")};
    if (const QString refusal = frozen(db, raffleId); !refusal.isEmpty())
        return {refusal};
    Resolved wanted = resolve(db, *raffle, typed, unit);
    if (!wanted.refusal.isEmpty())
        return {wanted.refusal};
    std::vector<TicketRow> taken;
    for (const TicketRow& row : wanted.rows)
        if (row.state != u"stock")
            taken.push_back(row);
    if (!taken.empty())
        return {QStringLiteral("Rien n'a été remis à %1 : %2.").arg(name, statesNamed(taken))};
    const QString label = QStringLiteral("Remise à %1 : %2 (%3)")
                              .arg(name, unitWords(unit, typed),
                                   counted(qint64(wanted.rows.size()), QStringLiteral("billet"), QStringLiteral("billets")));
    return act(raffleId, label, seller, [&](QSqlQuery&) {
        return setState(*this, db, wanted.rows, QStringLiteral("remis"), seller, QStringLiteral("handed_on"), on);
    });
}

Result RaffleRegister::giveBack(qint64 raffleId, const Return& back)
{
    const std::optional<Raffle> raffle = this->raffle(raffleId);
    if (!raffle)
        return {QStringLiteral("Choisissez la tombola.")};
    if (!back.on.isValid())
        return {QStringLiteral("La date du retour n'est pas une date.")};
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (const QString refusal = frozen(db, raffleId); !refusal.isEmpty())
        return {refusal};
    const Resolved brought = resolve(db, *raffle, back.typed, back.unit);
    if (!brought.refusal.isEmpty())
        return {brought.refusal};
    std::vector<TicketRow> wrong;
    for (const TicketRow& row : brought.rows)
        if (row.state != u"remis")
            wrong.push_back(row);
    if (!wrong.empty())
        return {QStringLiteral("Rien n'a été rendu : %1.").arg(statesNamed(wrong))};

    // The unsold and the spoiled are typed as tickets, and must be among those brought back.
    std::set<qint64> among;
    for (const TicketRow& row : brought.rows)
        among.insert(row.id);
    std::set<qint64> unsold, spoiled;
    for (auto [typed, into, what] : {std::tuple{back.unsold, &unsold, QStringLiteral("invendu")},
                                     std::tuple{back.spoiled, &spoiled, QStringLiteral("annulé")}}) {
        if (typed.trimmed().isEmpty())
            continue;
        const Resolved listed = resolve(db, *raffle, typed, Unit::Tickets);
        if (!listed.refusal.isEmpty())
            return {QStringLiteral("Billets %1s : %2").arg(what, listed.refusal)};
        std::vector<TicketRow> outside;
        for (const TicketRow& row : listed.rows)
            (among.count(row.id) ? into->insert(row.id), void() : outside.push_back(row));
        if (!outside.empty())
            return {QStringLiteral("Rien n'a été rendu : %1, noté%2 %3%2, %4 pas parmi ceux rendus.")
                        .arg(ticketsNamed(named(outside)), outside.size() > 1 ? QStringLiteral("s") : QString(), what,
                             outside.size() > 1 ? QStringLiteral("ne sont") : QStringLiteral("n'est"))};
    }
    std::vector<TicketRow> both;
    for (const TicketRow& row : brought.rows)
        if (unsold.count(row.id) && spoiled.count(row.id))
            both.push_back(row);
    if (!both.empty())
        return {QStringLiteral("Rien n'a été rendu : %1 %2 noté à la fois invendu et annulé ; choisissez l'un des deux.")
                    .arg(ticketsNamed(named(both)), both.size() > 1 ? QStringLiteral("sont") : QStringLiteral("est"))};

    const QString rest = back.outcome == Return::Outcome::Sold     ? QStringLiteral("vendu")
                         : back.outcome == Return::Outcome::Unsold ? QStringLiteral("invendu")
                                                                   : QStringLiteral("perdu");
    std::map<QString, std::vector<TicketRow>> by;
    std::set<QString> sellers;
    for (const TicketRow& row : brought.rows) {
        by[unsold.count(row.id) ? QStringLiteral("invendu") : spoiled.count(row.id) ? QStringLiteral("annulé") : rest].push_back(row);
        sellers.insert(row.sellerName);
    }
    QStringList counts;
    for (const auto& [state, rows] : by)
        counts << counted(qint64(rows.size()), state, state + u's');
    const qint64 seller = sellers.size() == 1 ? brought.rows.front().seller : 0;
    const QString label = QStringLiteral("Retour de %1 : %2 (%3)")
                              .arg(QStringList(sellers.begin(), sellers.end()).join(QStringLiteral(", ")), unitWords(back.unit, back.typed),
                                   counts.join(QStringLiteral(", ")));
    return act(raffleId, label, seller, [&](QSqlQuery&) {
        for (const auto& [state, rows] : by)
            if (const QString refusal = setState(*this, db, rows, state, {}, QStringLiteral("returned_on"), back.on); !refusal.isEmpty())
                return refusal;
        return QString();
    });
}

Result RaffleRegister::receive(qint64 raffleId, qint64 seller, const Payment& payment)
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const QString name = sellerName(db, raffleId, seller);
    if (name.isEmpty())
        return {QStringLiteral("Choisissez le vendeur qui a payé.")};
    const std::optional<qint64> cents = readMoney(payment.amount);
    if (!cents)
        return {QStringLiteral("« %1 » n'est pas une somme d'argent : écrivez des euros et des centimes, par exemple 12,50.")
                    .arg(payment.amount.trimmed())};
    if (*cents == 0)
        return {QStringLiteral("Une somme de 0 € n'est pas un paiement : écrivez ce que %1 a remis.").arg(name)};
    if (payment.method != u"espèces" && payment.method != u"chèque" && payment.method != u"virement")
        return {QStringLiteral("Dites comment %1 a payé : espèces, chèque ou virement.").arg(name)};
    if (payment.method == u"chèque" && payment.cheque.trimmed().isEmpty())
        return {QStringLiteral("Écrivez le numéro du chèque : c'est par lui qu'on le retrouve sur le relevé de la banque.")};
    if (!payment.on.isValid())
        return {QStringLiteral("La date du paiement n'est pas une date.")};
    const QString label = QStringLiteral("Paiement de %1 : %2 (%3)").arg(name, moneyText(*cents), payment.method);
    return act(raffleId, label, seller, [&](QSqlQuery& query) {
        query.prepare(QStringLiteral("INSERT INTO payments (raffle, seller, cents, method, cheque, paid_on) VALUES (?, ?, ?, ?, ?, ?)"));
        for (const QVariant& value : {QVariant(raffleId), QVariant(seller), QVariant(*cents), QVariant(payment.method),
                                      payment.method == u"chèque" ? QVariant(payment.cheque.trimmed()) : QVariant(),
                                      QVariant(payment.on.toString(Qt::ISODate))})
            query.addBindValue(value);
        return query.exec() ? QString() : writeFailure(query);
    });
}

Result RaffleRegister::setBuyer(qint64 raffleId, const QString& number, const QString& name, const QString& phone)
{
    const std::optional<Raffle> raffle = this->raffle(raffleId);
    if (!raffle)
        return {QStringLiteral("Choisissez la tombola.")};
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    const Resolved ticket = resolve(db, *raffle, number, Unit::Tickets);
    if (!ticket.refusal.isEmpty())
        return {ticket.refusal};
    if (ticket.rows.size() != 1)
        return {QStringLiteral("Écrivez le numéro d'un seul billet.")};
    const TicketRow& row = ticket.rows.front();
    if (row.state != u"vendu")
        return {QStringLiteral("Le billet %1 n'est pas vendu : il n'a pas d'acheteur.").arg(row.label)};
    // The label names the ticket, never the buyer: the trail outlives an erasure.
    return act(raffleId, QStringLiteral("Acheteur du billet %1 noté").arg(row.label), row.seller, [&](QSqlQuery& query) {
        query.prepare(QStringLiteral("UPDATE tickets SET buyer_name = ?, buyer_phone = ? WHERE id = ?"));
        query.addBindValue(name.trimmed().isEmpty() ? QVariant() : QVariant(name.trimmed()));
        query.addBindValue(phone.trimmed().isEmpty() ? QVariant() : QVariant(phone.trimmed()));
        query.addBindValue(row.id);
        return query.exec() ? QString() : writeFailure(query);
    });
}

Result RaffleRegister::eraseBuyers(qint64 raffleId)
{
    QSqlQuery(QSqlDatabase::database(m_connection, false)).exec(QStringLiteral("PRAGMA secure_delete = ON"));
    // Not followed: the trail would keep what is erased. Nothing before it can be undone.
    const Result erased = act(raffleId, QStringLiteral("Coordonnées des acheteurs effacées"), 0, [&](QSqlQuery& query) {
        query.prepare(QStringLiteral("UPDATE tickets SET buyer_name = NULL, buyer_phone = NULL WHERE raffle = ? "
                                     "AND (buyer_name IS NOT NULL OR buyer_phone IS NOT NULL)"));
        query.addBindValue(raffleId);
        if (!query.exec())
            return writeFailure(query);
        query.prepare(QStringLiteral("UPDATE changes SET before = json_remove(before, '$.buyer_name', '$.buyer_phone') "
                                     "WHERE tbl = 'tickets' AND row IN (SELECT id FROM tickets WHERE raffle = ?)"));
        query.addBindValue(raffleId);
        return query.exec() ? QString() : writeFailure(query);
    }, false);
    if (erased) {
        // The copies made before hold them too: they give way to one made now.
        QDir folder(QFileInfo(m_path).dir().filePath(QStringLiteral("Sauvegardes")));
        const QFileInfo record(m_path);
        for (const QString& copy : folder.entryList({record.completeBaseName() + QStringLiteral(" *.") + record.suffix()}, QDir::Files))
            folder.remove(copy);
        if (const QString trouble = backUp(); !trouble.isEmpty())
            return Result{{}, erased.operation, trouble};
    }
    return erased;
}

} // namespace calvorigne
