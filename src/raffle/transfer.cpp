#include "transfer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <map>

namespace calvorigne {

namespace {

const QString format = QStringLiteral("Calvorigne : tombola");
constexpr int version = 1;

// The columns a file carries, table by table; ids are the file's own, remapped on import.
const QStringList raffleColumns = {"uid", "name", "price_cents", "draw_date", "draw_place", "authorisation", "association", "address",
                                   "rna", "president", "created"};
const QStringList sellerColumns = {"id", "name", "phone", "email", "note"};
const QStringList ticketColumns = {"number", "label", "booklet", "run_at", "state", "seller", "handed_on", "returned_on", "buyer_name",
                                   "buyer_phone"};
const QStringList paymentColumns = {"seller", "cents", "method", "cheque", "paid_on"};
const QStringList prizeColumns = {"rank", "description", "donor", "value_cents"};
// Added later, each under a key of its own, so that files written before them still read.
const QStringList paperColumns = {"cause", "purpose", "profit_use"};
const QStringList accountColumns = {"prizes_cents", "printing_cents", "paper_cents", "other_cents", "other_label", "result_use"};

QJsonArray rows(const QSqlDatabase& db, const QString& table, const QStringList& columns, qint64 raffle)
{
    QJsonArray all;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY id").arg(columns.join(u','), table,
                                                                                   table == u"raffles" ? QStringLiteral("id") : QStringLiteral("raffle")));
    query.addBindValue(raffle);
    if (query.exec())
        while (query.next()) {
            QJsonArray row;
            for (int k = 0; k < columns.size(); ++k)
                row.append(query.isNull(k) ? QJsonValue(QJsonValue::Null) : QJsonValue::fromVariant(query.value(k)));
            all.append(row);
        }
    return all;
}

QString unreadable(const QString& path, const QString& why)
{
    return QStringLiteral("Le fichier « %1 » ne peut pas être importé : %2. Rien n'a été changé.").arg(QDir::toNativeSeparators(path), why);
}

Transfer refused(const QString& why)
{
    Transfer transfer;
    transfer.refusal = why;
    return transfer;
}

} // namespace

Result exportRaffle(const RaffleRegister& reg, qint64 raffle, const QString& path, bool buyers)
{
    const QSqlDatabase db = QSqlDatabase::database(reg.connection(), false);
    const QJsonArray found = rows(db, QStringLiteral("raffles"), raffleColumns, raffle);
    if (found.isEmpty())
        return {QStringLiteral("Choisissez la tombola à exporter.")};
    QJsonArray tickets = rows(db, QStringLiteral("tickets"), ticketColumns, raffle);
    if (!buyers)
        for (QJsonValueRef row : tickets) {
            QJsonArray cells = row.toArray();
            cells[8] = QJsonValue::Null;
            cells[9] = QJsonValue::Null;
            row = cells;
        }
    const QJsonObject data{{"format", format},
                           {"version", version},
                           {"raffle", found.first()},
                           {"sellers", rows(db, QStringLiteral("sellers"), sellerColumns, raffle)},
                           {"tickets", tickets},
                           {"payments", rows(db, QStringLiteral("payments"), paymentColumns, raffle)},
                           {"prizes", rows(db, QStringLiteral("prizes"), prizeColumns, raffle)},
                           {"papers", rows(db, QStringLiteral("raffles"), paperColumns, raffle).first()},
                           {"account", rows(db, QStringLiteral("accounts"), accountColumns, raffle)}};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(data).toJson(QJsonDocument::Compact)) < 0 || !file.commit())
        return {QStringLiteral("La tombola n'a pas pu être écrite dans « %1 » : %2. Si ce fichier est ouvert dans un autre programme, "
                               "fermez-le ; sinon choisissez un autre dossier.")
                    .arg(QDir::toNativeSeparators(path), file.errorString())};
    return {};
}

Transfer readTransfer(const RaffleRegister& reg, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refused(unreadable(path, file.errorString()));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    const QJsonObject data = document.object();
    if (error.error != QJsonParseError::NoError || data.value("format").toString() != format)
        return refused(unreadable(path, QStringLiteral("ce n'est pas une tombola exportée par Calvorigne")));
    if (data.value("version").toInt() > version)
        return refused(unreadable(path, QStringLiteral("il a été écrit par une version plus récente de Calvorigne")));
    const QJsonArray raffle = data.value("raffle").toArray();
    if (raffle.size() != raffleColumns.size() || raffle[0].toString().isEmpty() || raffle[1].toString().isEmpty())
        return refused(unreadable(path, QStringLiteral("la tombola qu'il décrit est incomplète")));
    Transfer transfer{{}, data, raffle[1].toString(), data.value("tickets").toArray().size(), 0};
    QSqlQuery query(QSqlDatabase::database(reg.connection(), false));
    query.prepare(QStringLiteral("SELECT id FROM raffles WHERE uid = ?"));
    query.addBindValue(raffle[0].toString());
    if (query.exec() && query.next())
        transfer.existing = query.value(0).toLongLong();
    return transfer;
}

Result importRaffle(RaffleRegister& reg, const Transfer& transfer, bool replace)
{
    if (transfer.existing && !replace)
        return {QStringLiteral("La tombola « %1 » est déjà dans ce registre : rien n'a été importé.").arg(transfer.name)};
    const QSqlDatabase db = QSqlDatabase::database(reg.connection(), false);
    qint64 raffle = 0;
    const auto insert = [&](QSqlQuery& query, const QString& table, QStringList columns, const QJsonArray& row, const QVariantList& first) {
        QStringList marks;
        for (int k = 0; k < columns.size() + first.size(); ++k)
            marks << QStringLiteral("?");
        if (table != u"raffles")
            columns.prepend(QStringLiteral("raffle"));
        query.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columns.join(u','), marks.join(u',')));
        for (const QVariant& value : first)
            query.addBindValue(value);
        for (const QJsonValue& cell : row)
            query.addBindValue(cell.toVariant());
        return query.exec();
    };
    const QString label = QStringLiteral("Import de la tombola « %1 »%2").arg(transfer.name, replace ? QStringLiteral(", qui remplace celle du registre") : QString());
    Result result = reg.act(transfer.existing, label, 0, [&](QSqlQuery& query) -> QString {
        const QString bad = QStringLiteral("Le fichier ne peut pas être importé : %1. Rien n'a été changé.");
        QSqlQuery drawn(db);
        if (transfer.existing && drawn.exec(QStringLiteral("SELECT 1 FROM draws WHERE raffle = %1").arg(transfer.existing)) && drawn.next())
            return QStringLiteral("La tombola « %1 » de ce registre a un tirage : elle ne peut plus être remplacée. Rien n'a été importé.").arg(transfer.name);
        if (transfer.existing)
            for (const QString& table : {QStringLiteral("accounts"), QStringLiteral("prizes"), QStringLiteral("payments"),
                                         QStringLiteral("tickets"), QStringLiteral("sellers")})
                if (!query.exec(QStringLiteral("DELETE FROM %1 WHERE raffle = %2").arg(table).arg(transfer.existing)))
                    return bad.arg(query.lastError().text());
        if (transfer.existing && !query.exec(QStringLiteral("DELETE FROM raffles WHERE id = %1").arg(transfer.existing)))
            return bad.arg(query.lastError().text());
        if (!insert(query, QStringLiteral("raffles"), raffleColumns, transfer.data.value("raffle").toArray(), {}))
            return bad.arg(query.lastError().text());
        raffle = query.lastInsertId().toLongLong();
        std::map<qint64, qint64> sellers; // the file's ids, this register's
        for (const QJsonValue& row : transfer.data.value("sellers").toArray()) {
            QJsonArray cells = row.toArray();
            const qint64 id = cells.isEmpty() ? 0 : cells.takeAt(0).toInteger();
            if (cells.size() != sellerColumns.size() - 1 || !insert(query, QStringLiteral("sellers"), sellerColumns.mid(1), cells, {raffle}))
                return bad.arg(QStringLiteral("un vendeur est mal décrit"));
            sellers[id] = query.lastInsertId().toLongLong();
        }
        for (const auto& [table, columns, at] : {std::tuple{QStringLiteral("tickets"), ticketColumns, 5},
                                                 std::tuple{QStringLiteral("payments"), paymentColumns, 0}})
            for (const QJsonValue& row : transfer.data.value(table).toArray()) {
                QJsonArray cells = row.toArray();
                if (cells.size() != columns.size() || (!cells[at].isNull() && !sellers.count(cells[at].toInteger())))
                    return bad.arg(QStringLiteral("une ligne de %1 est mal décrite").arg(table == u"tickets" ? QStringLiteral("billet") : QStringLiteral("paiement")));
                if (!cells[at].isNull())
                    cells[at] = sellers[cells[at].toInteger()];
                if (!insert(query, table, columns, cells, {raffle})) {
                    if (table == u"tickets" && query.lastError().nativeErrorCode() == u"2067")
                        return bad.arg(QStringLiteral("le billet %1 de ce fichier, du même tirage, est déjà dans une autre tombola de ce registre")
                                           .arg(cells[1].toString()));
                    return bad.arg(QStringLiteral("une ligne de %1 est refusée (%2)")
                                       .arg(table == u"tickets" ? QStringLiteral("billet") : QStringLiteral("paiement"), query.lastError().text()));
                }
            }
        for (const QJsonValue& row : transfer.data.value("prizes").toArray())
            if (row.toArray().size() != prizeColumns.size() || !insert(query, QStringLiteral("prizes"), prizeColumns, row.toArray(), {raffle}))
                return bad.arg(QStringLiteral("un lot est mal décrit"));
        if (const QJsonArray papers = transfer.data.value("papers").toArray(); !papers.isEmpty()) {
            query.prepare(QStringLiteral("UPDATE raffles SET cause = ?, purpose = ?, profit_use = ? WHERE id = ?"));
            for (const QJsonValue& cell : papers)
                query.addBindValue(cell.toVariant());
            query.addBindValue(raffle);
            if (papers.size() != paperColumns.size() || !query.exec())
                return bad.arg(QStringLiteral("la cause de la tombola est mal décrite"));
        }
        for (const QJsonValue& row : transfer.data.value("account").toArray())
            if (row.toArray().size() != accountColumns.size() || !insert(query, QStringLiteral("accounts"), accountColumns, row.toArray(), {raffle}))
                return bad.arg(QStringLiteral("les frais de la tombola sont mal décrits"));
        query.prepare(QStringLiteral("UPDATE operations SET raffle = ? WHERE id = (SELECT id FROM current_operation)"));
        query.addBindValue(raffle);
        return query.exec() ? QString() : bad.arg(query.lastError().text());
    });
    if (result)
        result.operation = raffle;
    return result;
}

} // namespace calvorigne
