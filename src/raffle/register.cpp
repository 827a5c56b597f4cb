#include "register.h"

#include "platform/files.h"
#include "raffle/schema.h"
#include "records/runtable.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <map>

namespace calvorigne {

namespace {

QString cause(const QSqlError& error)
{
    return error.driverText().isEmpty() ? error.databaseText() : error.driverText();
}

bool busy(const QSqlError& error)
{
    return error.nativeErrorCode() == u"5" || error.nativeErrorCode() == u"6";
}

QSqlDatabase database(const QString& connection)
{
    return QSqlDatabase::database(connection, false);
}

} // namespace

RaffleRegister::RaffleRegister(const QString& recordPath, int backups)
    : m_path(recordPath), m_connection(QStringLiteral("calvorigne-tombola-%1").arg(quintptr(this))), m_backups(backups)
{
    open();
}

RaffleRegister::~RaffleRegister()
{
    database(m_connection).close();
    QSqlDatabase::removeDatabase(m_connection);
}

void RaffleRegister::say(const QString& text)
{
    m_notice += (m_notice.isEmpty() ? QString() : QStringLiteral("\n\n")) + text;
}

void RaffleRegister::setPatience(int milliseconds)
{
    QSqlQuery(database(m_connection)).exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(milliseconds));
}

void RaffleRegister::open()
{
    // One window writes the register at a time, in this program or another.
    m_lock = std::make_unique<QLockFile>(m_path + QStringLiteral(".tombola.lock"));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0))
        say(QStringLiteral("Le suivi de la tombola est déjà ouvert dans une autre fenêtre de Calvorigne : celle-ci le montre "
                           "sans rien y changer. Continuez dans l'autre fenêtre."));
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    const QString where = QDir::toNativeSeparators(m_path);
    if (!db.open()) {
        say(QStringLiteral("Le registre « %1 » n'a pas pu être ouvert : %2. Le suivi de la tombola ne peut pas s'en servir.")
                .arg(where, cause(db.lastError())));
        return;
    }
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    setPatience(3000);
    // The record of runs checks the whole file as the program starts; a damaged page met later
    // fails its action, which says so. Here only that the file is a database at all.
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next()) {
        const QString why = busy(query.lastError()) ? QStringLiteral("est occupé par un autre programme")
                                                    : QStringLiteral("est endommagé ou n'est pas un registre de Calvorigne");
        say(QStringLiteral("Le registre « %1 » %2 : le suivi de la tombola ne peut pas s'en servir pour l'instant. Rien n'y a été "
                           "changé ; ses copies sont dans le dossier « Sauvegardes » à côté de lui.")
                .arg(where, why));
        return;
    }
    query.finish();
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        say(writeFailure(query));
        return;
    }
    const int version = raffleschema::version(query);
    if (version > raffleschema::currentVersion) {
        query.exec(QStringLiteral("ROLLBACK"));
        say(QStringLiteral("Le registre « %1 » a été écrit par une version plus récente de Calvorigne : le suivi de la tombola ne "
                           "peut pas s'en servir. Installez cette version-là.")
                .arg(where));
        return;
    }
    if (!raffleschema::createOrMigrate(query, version) || !query.exec(QStringLiteral("COMMIT"))) {
        const QString why = cause(query.lastError());
        query.exec(QStringLiteral("ROLLBACK"));
        say(QStringLiteral("Le registre « %1 » n'a pas pu être préparé pour la tombola : %2.").arg(where, why));
        return;
    }
    m_usable = true;
}

// SQLite's own copy: whole and consistent even while another program writes the record.
QString RaffleRegister::backUp() const
{
    if (!m_usable || m_backups <= 0)
        return {};
    const QFileInfo record(m_path);
    QDir folder(record.dir().filePath(QStringLiteral("Sauvegardes")));
    const QString copy = nextFreeName(folder.filePath(
        QStringLiteral("%1 %2.%3")
            .arg(record.completeBaseName(), QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")), record.suffix())));
    QSqlQuery query(database(m_connection));
    if (!QDir().mkpath(folder.path()) || !query.exec(QStringLiteral("VACUUM INTO '%1'").arg(QString(copy).replace(u'\'', QStringLiteral("''")))))
        return QStringLiteral("Le registre n'a pas pu être copié dans « %1 » : %2. Le suivi de la tombola marche sans cette sauvegarde.")
            .arg(QDir::toNativeSeparators(folder.path()), cause(query.lastError()));
    // Named by their date: the oldest come first.
    QStringList copies = folder.entryList({record.completeBaseName() + QStringLiteral(" *.") + record.suffix()}, QDir::Files, QDir::Name);
    while (copies.size() > m_backups)
        folder.remove(copies.takeFirst());
    return {};
}

QString RaffleRegister::writeFailure(const QSqlQuery& query) const
{
    const QString where = QDir::toNativeSeparators(m_path);
    if (busy(query.lastError()))
        return QStringLiteral("Le registre « %1 » est occupé par un autre programme : rien n'a été changé. Ce que vous avez saisi "
                              "est gardé ; réessayez dans un moment.")
            .arg(where);
    return QStringLiteral("Le registre « %1 » n'a pas pu être écrit : %2. Rien n'a été changé.").arg(where, cause(query.lastError()));
}

Result RaffleRegister::act(qint64 raffle, const QString& label, qint64 seller, const std::function<QString(QSqlQuery&)>& work,
                           bool followed)
{
    if (!m_usable)
        return {m_notice.isEmpty() ? QStringLiteral("Le registre n'est pas ouvert : rien n'a été changé.") : m_notice};
    if (!writable())
        return {QStringLiteral("Le suivi de la tombola est ouvert dans une autre fenêtre de Calvorigne : rien n'a été changé ici. "
                               "Faites-le dans l'autre fenêtre.")};
    QSqlQuery query(database(m_connection));
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return {writeFailure(query)};
    Result result;
    query.prepare(QStringLiteral("INSERT INTO operations (raffle, at, label, seller, undoes) VALUES (?, ?, ?, ?, ?)"));
    query.addBindValue(raffle ? QVariant(raffle) : QVariant());
    query.addBindValue(runtable::stamp(QDateTime::currentDateTime()));
    query.addBindValue(label);
    query.addBindValue(seller ? QVariant(seller) : QVariant());
    // An operation the trail does not follow cannot be undone, nor can those before it.
    query.addBindValue(followed ? QVariant() : QVariant(0));
    bool written = query.exec();
    result.operation = query.lastInsertId().toLongLong();
    written = written && (!followed || query.exec(QStringLiteral("UPDATE current_operation SET id = %1").arg(result.operation)));
    if (!written) {
        result.refusal = writeFailure(query);
    } else {
        QSqlQuery scratch(database(m_connection));
        result.refusal = work(scratch);
        if (result.refusal.isEmpty() && !(query.exec(QStringLiteral("UPDATE current_operation SET id = NULL"))
                                          && query.exec(QStringLiteral("COMMIT"))))
            result.refusal = writeFailure(query);
    }
    if (!result.refusal.isEmpty()) {
        query.exec(QStringLiteral("ROLLBACK"));
        result.operation = 0;
    }
    return result;
}

QString RaffleRegister::lastOperation(qint64 raffle) const
{
    QSqlQuery query(database(m_connection));
    query.prepare(QStringLiteral("SELECT label, undoes FROM operations WHERE raffle = ? AND undone_by IS NULL "
                                 "AND (undoes IS NULL OR undoes = 0) ORDER BY id DESC LIMIT 1"));
    query.addBindValue(raffle);
    if (query.exec() && query.next() && query.value(1).isNull())
        return query.value(0).toString();
    return {};
}

Result RaffleRegister::undo(qint64 raffle)
{
    QSqlQuery query(database(m_connection));
    query.prepare(QStringLiteral("SELECT id, label, seller, undoes FROM operations WHERE raffle = ? AND undone_by IS NULL "
                                 "AND (undoes IS NULL OR undoes = 0) ORDER BY id DESC LIMIT 1"));
    query.addBindValue(raffle);
    if (!query.exec() || !query.next() || !query.value(3).isNull())
        return {QStringLiteral("Il n'y a pas d'opération à annuler.")};
    const qint64 operation = query.value(0).toLongLong();
    const QString label = query.value(1).toString();
    const qint64 seller = query.value(2).toLongLong();
    query.finish();
    return act(raffle, QStringLiteral("Annulation : %1").arg(label), seller, [&](QSqlQuery& q) {
        return restore(q, operation);
    });
}

// Puts back the rows the operation changed, last change first, and marks it undone.
QString RaffleRegister::restore(QSqlQuery& query, qint64 operation) const
{
    query.exec(QStringLiteral("PRAGMA defer_foreign_keys = ON"));
    QSqlQuery changes(database(m_connection));
    changes.setForwardOnly(true);
    changes.prepare(QStringLiteral("SELECT tbl, row, kind, before FROM changes WHERE operation = ? ORDER BY id DESC"));
    changes.addBindValue(operation);
    if (!changes.exec())
        return writeFailure(changes);
    std::map<QString, QSqlQuery> statements;
    const auto statement = [&](const QString& table, const QString& kind) -> QSqlQuery& {
        const QString key = table + u' ' + kind;
        auto found = statements.find(key);
        if (found != statements.end())
            return found->second;
        const auto& tables = raffleschema::followed();
        const auto& columns = std::find_if(tables.begin(), tables.end(), [&](const auto& t) { return t.name == table; })->columns;
        QStringList values, sets;
        for (const QString& column : columns) {
            values << QStringLiteral("json_extract(:before, '$.%1')").arg(column);
            sets << QStringLiteral("%1 = json_extract(:before, '$.%1')").arg(column);
        }
        QSqlQuery made(database(m_connection));
        if (kind == u"insert")
            made.prepare(QStringLiteral("DELETE FROM %1 WHERE id = :row").arg(table));
        else if (kind == u"update")
            made.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE id = :row").arg(table, sets.join(QStringLiteral(", "))));
        else
            made.prepare(QStringLiteral("INSERT INTO %1 (id, %2) VALUES (:row, %3)")
                             .arg(table, columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", "))));
        return statements.emplace(key, made).first->second;
    };
    while (changes.next()) {
        QSqlQuery& put = statement(changes.value(0).toString(), changes.value(2).toString());
        put.bindValue(QStringLiteral(":row"), changes.value(1));
        if (changes.value(2).toString() != u"insert")
            put.bindValue(QStringLiteral(":before"), changes.value(3));
        if (!put.exec())
            return writeFailure(put);
    }
    query.prepare(QStringLiteral("UPDATE operations SET undone_by = (SELECT id FROM current_operation) WHERE id = ?"));
    query.addBindValue(operation);
    if (!query.exec())
        return writeFailure(query);
    query.prepare(QStringLiteral("UPDATE operations SET undoes = ? WHERE id = (SELECT id FROM current_operation)"));
    query.addBindValue(operation);
    return query.exec() ? QString() : writeFailure(query);
}

std::vector<HistoryLine> RaffleRegister::history(qint64 raffle, Subject subject, qint64 key) const
{
    QString rows;
    switch (subject) {
    case Subject::Ticket:
        rows = QStringLiteral("c.tbl = 'tickets' AND c.row IN (SELECT id FROM tickets WHERE raffle = :raffle AND number = :key)");
        break;
    case Subject::Booklet:
        rows = QStringLiteral("c.tbl = 'tickets' AND c.row IN (SELECT id FROM tickets WHERE raffle = :raffle AND booklet = :key)");
        break;
    case Subject::Seller:
        rows = QStringLiteral("((c.tbl = 'sellers' AND c.row = :key) OR o.seller = :key)");
        break;
    }
    QSqlQuery query(database(m_connection));
    query.prepare(QStringLiteral("SELECT DISTINCT o.id, o.at, o.label, o.undone_by IS NOT NULL FROM operations o "
                                 "JOIN changes c ON c.operation = o.id WHERE o.raffle = :raffle AND %1 ORDER BY o.id")
                      .arg(rows));
    query.bindValue(QStringLiteral(":raffle"), raffle);
    query.bindValue(QStringLiteral(":key"), key);
    std::vector<HistoryLine> lines;
    if (query.exec())
        while (query.next())
            lines.push_back({runtable::fromStamp(query.value(1).toLongLong()), query.value(2).toString(), query.value(3).toBool()});
    return lines;
}

} // namespace calvorigne
