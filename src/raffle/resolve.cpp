#include "resolve.h"

#include "core/numbers.h"
#include "core/ranges.h"
#include "raffle/words.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <map>
#include <set>

namespace calvorigne {

namespace {

// The stretches of [from, to] that no row holds, the first few.
void gaps(qint64 from, qint64 to, const std::vector<qint64>& held, std::vector<std::pair<qint64, qint64>>& missing)
{
    qint64 next = from;
    for (const qint64 number : held) {
        if (number > next && missing.size() < 10)
            missing.emplace_back(next, number - 1);
        next = number + 1;
    }
    if (next <= to && missing.size() < 10)
        missing.emplace_back(next, to);
}

} // namespace

std::vector<std::pair<qint64, QString>> named(const std::vector<TicketRow>& rows)
{
    std::vector<std::pair<qint64, QString>> tickets;
    for (const TicketRow& row : rows)
        tickets.emplace_back(row.number, row.label);
    return tickets;
}

Resolved resolve(const QSqlDatabase& db, const Raffle& raffle, const QString& typed, Unit unit)
{
    const bool booklets = unit == Unit::Booklets;
    const QString example = booklets ? QStringLiteral("12-20, 25") : QStringLiteral("0111-0200, 0215");
    const TypedRanges read = readRanges(typed);
    if (read.fault == TypedRanges::Fault::NotANumber)
        return {{}, QStringLiteral("« %1 » n'est pas un numéro de %2 : écrivez par exemple %3.")
                        .arg(read.part, booklets ? QStringLiteral("carnet") : QStringLiteral("billet"), example)};
    if (read.fault == TypedRanges::Fault::Backwards)
        return {{}, QStringLiteral("« %1 » va à rebours : écrivez %2-%3.").arg(read.part).arg(read.to).arg(read.from)};
    if (read.ranges.empty())
        return {{}, QStringLiteral("Écrivez les %1, par exemple %2.").arg(booklets ? QStringLiteral("carnets") : QStringLiteral("billets"), example)};

    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT t.id, t.number, t.label, t.state, t.seller, coalesce(s.name, ''), t.booklet, t.returned_on "
                                 "FROM tickets t LEFT JOIN sellers s ON s.id = t.seller WHERE t.raffle = ? AND t.%1 BETWEEN ? AND ? "
                                 "ORDER BY t.%1, t.number")
                      .arg(booklets ? QStringLiteral("booklet") : QStringLiteral("number")));
    Resolved resolved;
    std::set<qint64> seen;
    std::vector<std::pair<qint64, qint64>> missing;
    for (const auto& [from, to] : read.ranges) {
        query.addBindValue(raffle.id);
        query.addBindValue(from);
        query.addBindValue(to);
        if (!query.exec())
            return {{}, QStringLiteral("Le registre n'a pas pu être lu : %1.").arg(query.lastError().text())};
        std::vector<qint64> held;
        while (query.next()) {
            const TicketRow row{query.value(0).toLongLong(), query.value(1).toLongLong(), query.value(4).toLongLong(),
                                query.value(2).toString(),   query.value(3).toString(),   query.value(5).toString(),
                                query.value(6).toInt(),      query.value(7).toDate()};
            const qint64 key = booklets ? row.booklet : row.number;
            if (held.empty() || held.back() != key)
                held.push_back(key);
            if (seen.insert(row.id).second)
                resolved.rows.push_back(row);
        }
        gaps(from, to, held, missing);
    }
    if (!missing.empty()) {
        QSqlQuery span(db);
        span.prepare(QStringLiteral("SELECT min(%1), max(%1), max(length(label)) FROM tickets WHERE raffle = ?")
                         .arg(booklets ? QStringLiteral("booklet") : QStringLiteral("number")));
        span.addBindValue(raffle.id);
        const bool any = span.exec() && span.next() && !span.value(0).isNull();
        const QString pattern(any ? span.value(2).toInt() : 4, u'0');
        const auto number = [&](qint64 n) { return booklets ? QString::number(n) : padNumber(double(n), pattern); };
        QStringList parts;
        for (const auto& [from, to] : missing)
            parts << (from == to ? number(from) : QStringLiteral("%1 à %2").arg(number(from), number(to)));
        const bool one = missing.size() == 1 && missing.front().first == missing.front().second;
        const QString what = booklets ? (one ? QStringLiteral("Le carnet") : QStringLiteral("Les carnets"))
                                      : (one ? QStringLiteral("Le billet") : QStringLiteral("Les billets"));
        QString holds = any ? QStringLiteral(" (elle compte les %1 %2 à %3)")
                                  .arg(booklets ? QStringLiteral("carnets") : QStringLiteral("billets"), number(span.value(0).toLongLong()),
                                       number(span.value(1).toLongLong()))
                            : QStringLiteral(" (elle ne compte encore aucun billet)");
        resolved.refusal = QStringLiteral("%1 %2 %3 pas dans la tombola « %4 »%5.")
                               .arg(what, parts.join(QStringLiteral(", ")), one ? QStringLiteral("n'est") : QStringLiteral("ne sont"),
                                    raffle.name, holds);
        resolved.rows.clear();
    }
    std::sort(resolved.rows.begin(), resolved.rows.end(), [](const TicketRow& a, const TicketRow& b) { return a.number < b.number; });
    return resolved;
}

QString statesNamed(const std::vector<TicketRow>& rows)
{
    std::map<std::pair<QString, QString>, std::vector<TicketRow>> groups;
    for (const TicketRow& row : rows)
        groups[{row.state, row.sellerName}].push_back(row);
    QStringList parts;
    for (const auto& [key, group] : groups) {
        const auto& [state, seller] = key;
        const bool many = group.size() > 1;
        const QString s = many ? QStringLiteral("s") : QString();
        QString how;
        if (state == u"stock")
            how = QStringLiteral("n'%1 jamais été remis à un vendeur").arg(many ? QStringLiteral("ont") : QStringLiteral("a"));
        else if (state == u"remis")
            how = QStringLiteral("%1 déjà chez %2").arg(many ? QStringLiteral("sont") : QStringLiteral("est"), seller);
        else if (state == u"perdu")
            how = QStringLiteral("%1 perdu%2 (chez %3)").arg(many ? QStringLiteral("sont") : QStringLiteral("est"), s, seller);
        else
            how = QStringLiteral("%1 déjà %2%3 (rendu%3 par %4)")
                      .arg(many ? QStringLiteral("sont") : QStringLiteral("est"), state, s, seller);
        parts << ticketsNamed(named(group)) + u' ' + how;
    }
    return parts.join(QStringLiteral(" ; "));
}

} // namespace calvorigne
