#include "runrecord.h"

#include "core/numbers.h"
#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace calvorigne {

namespace {

const QString unguarded = QStringLiteral("Calvorigne continue sans vérifier les numéros déjà imprimés.");

QString counted(qsizetype count, const QString& one, const QString& many)
{
    return QStringLiteral("%1 %2").arg(count).arg(count <= 1 ? one : many);
}

QString cause(const QSqlError& error)
{
    const QString text = error.driverText().isEmpty() ? error.databaseText() : error.driverText();
    return error.databaseText().isEmpty() || error.databaseText() == text ? text : text + QStringLiteral(" (") + error.databaseText() + u')';
}

// SQLite's own codes for a file that is not a database, or one whose pages are damaged.
bool damaged(const QSqlError& error)
{
    return error.nativeErrorCode() == u"26" || error.nativeErrorCode() == u"11";
}

// A wall-clock time as the number 20261206140200: read as it is written, and compared fast by
// the guard, which looks for the latest of many runs.
qint64 stamp(const QDateTime& when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return ((((d.year() * 100LL + d.month()) * 100 + d.day()) * 100 + t.hour()) * 100 + t.minute()) * 100 + t.second();
}

QDateTime fromStamp(qint64 s)
{
    return QDateTime(QDate(int(s / 10000000000), int(s / 100000000 % 100), int(s / 1000000 % 100)),
                     QTime(int(s / 10000 % 100), int(s / 100 % 100), int(s % 100)));
}

bool insert(QSqlQuery& query, const JournalEntry& e)
{
    const qint64 first = e.first.toLongLong(), last = e.last.toLongLong();
    query.addBindValue(stamp(e.when));
    query.addBindValue(e.kind);
    query.addBindValue(e.output);
    query.addBindValue(first);
    query.addBindValue(last);
    query.addBindValue(e.booklets);
    query.addBindValue(e.folios);
    query.addBindValue(e.rows);
    query.addBindValue(e.passPagesText());
    query.addBindValue(e.outcome);
    query.addBindValue(e.model);
    query.addBindValue(e.numbersOnPaper() && last >= first ? 1 : 0);
    return query.exec();
}

const QString insertion = QStringLiteral("INSERT INTO runs (at, kind, output, first, last, booklets, folios, rows_per_page, "
                                         "pages, outcome, model, on_paper) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");

PrintedRun printedRun(const QSqlQuery& query)
{
    return {query.value(0).toDouble(), query.value(1).toDouble(), fromStamp(query.value(2).toLongLong()),
            query.value(3).toString()};
}

} // namespace

QString Overlap::sentence() const
{
    const auto number = [](double n) { return padNumber(n, QStringLiteral("0000")); };
    const QString when = latest.when.toString(QStringLiteral("dd/MM/yyyy à HH:mm"));
    // A run that did not end is named by what it printed, not by its cause.
    const QString how = QStringLiteral("tirage %1").arg(latest.outcome.section(QStringLiteral(" : "), 0, 0));
    const QString already = printedWhole(latest.outcome) ? QStringLiteral("déjà") : QStringLiteral("peut-être déjà");
    const QString range = from == to ? QStringLiteral("Le numéro %1 a %2 été imprimé").arg(number(from), already)
                                     : QStringLiteral("Les numéros %1 à %2 ont %3 été imprimés").arg(number(from), number(to), already);
    return runs == 1 ? QStringLiteral("%1 le %2 (%3).").arg(range, when, how)
                     : QStringLiteral("%1 par %2 tirages, le dernier le %3 (%4).").arg(range).arg(runs).arg(when, how);
}

RunRecord::RunRecord(const QString& settingsPath)
    : m_path(besideSettings(settingsPath, QStringLiteral("Calvorigne-tirages.sqlite")))
    , m_journalPath(Journal(settingsPath).path())
    , m_connection(QStringLiteral("calvorigne-%1").arg(quintptr(this)))
{
    open();
}

RunRecord::~RunRecord()
{
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

void RunRecord::open()
{
    const QString shown = QDir::toNativeSeparators(m_path);
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    // Another program writing a run is waited for, not taken for a fault.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        m_notice = QStringLiteral("Le registre des tirages « %1 » n'a pas pu être ouvert : %2. %3").arg(shown, cause(db.lastError()), unguarded);
        return;
    }
    QSqlQuery query(db);
    const bool checked = query.exec(QStringLiteral("PRAGMA quick_check")) && query.next();
    if (!checked && !damaged(query.lastError())) {
        m_notice = QStringLiteral("Le registre des tirages « %1 » n'a pas pu être lu : %2. %3").arg(shown, cause(query.lastError()), unguarded);
        return;
    }
    if (!checked || query.value(0).toString() != u"ok")
        return putAside();
    query.finish();
    // Another program starting at the same time waits here, then finds the table made.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))
        || !query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'runs'"))
        || !query.next()) {
        m_notice = QStringLiteral("Le registre des tirages « %1 » n'a pas pu être lu : %2. %3").arg(shown, cause(query.lastError()), unguarded);
        return;
    }
    QString failure;
    const bool made = query.value(0).toInt() > 0 || create(&failure);
    query.finish();
    if (!made || !query.exec(QStringLiteral("COMMIT"))) {
        if (made)
            failure = cause(query.lastError());
        query.exec(QStringLiteral("ROLLBACK"));
        m_notice = QStringLiteral("Le registre des tirages « %1 » n'a pas pu être créé : %2. %3").arg(shown, failure, unguarded);
        return;
    }
    m_usable = true;
}

// The table and the journal's runs are one transaction: a start cut short leaves no record, and
// the next start takes in the journal again.
bool RunRecord::create(QString* failure)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    bool done = query.exec(QStringLiteral("CREATE TABLE runs (id INTEGER PRIMARY KEY, at INTEGER NOT NULL, kind TEXT NOT NULL, "
                                          "output TEXT, first INTEGER NOT NULL, last INTEGER NOT NULL, booklets TEXT, "
                                          "folios TEXT, rows_per_page TEXT, pages TEXT, outcome TEXT NOT NULL, model TEXT, "
                                          "on_paper INTEGER NOT NULL)"))
                && query.prepare(insertion);
    const JournalReading journal = readJournal(m_journalPath, [&](const JournalEntry& entry) { return done && insert(query, entry); });
    // Built last, at once: the runs that share numbers with a new one, and the latest of them.
    done = done && !journal.stopped
           && query.exec(QStringLiteral("CREATE INDEX runs_on_paper ON runs (on_paper, last, first, at)"))
           && query.exec(QStringLiteral("CREATE INDEX runs_by_date ON runs (at)"));
    if (journal.failed) {
        // Most often a spreadsheet holds it open; the next start takes it in.
        *failure = QStringLiteral("le journal des tirages « %1 » n'a pas pu être lu (s'il est ouvert dans un tableur, "
                                  "fermez-le, puis relancez Calvorigne)")
                       .arg(QDir::toNativeSeparators(m_journalPath));
        return false;
    }
    if (!done) {
        *failure = cause(query.lastError());
        return false;
    }
    if (QFileInfo::exists(m_journalPath))
        m_notice = QStringLiteral("Les tirages du journal « %1 » ont été repris dans le registre des tirages : %2, %3.")
                       .arg(QDir::toNativeSeparators(m_journalPath),
                            counted(journal.taken, QStringLiteral("ligne lue"), QStringLiteral("lignes lues")),
                            counted(journal.unreadable, QStringLiteral("ligne illisible laissée de côté"),
                                    QStringLiteral("lignes illisibles laissées de côté")));
    return true;
}

void RunRecord::putAside()
{
    QSqlDatabase::database(m_connection, false).close();
    const QFileInfo file(m_path);
    const QString aside = file.dir().filePath(QStringLiteral("%1 endommagé %2.%3")
                                                   .arg(file.completeBaseName(),
                                                        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")),
                                                        file.suffix()));
    // SQLite's side files go with it, so that a new record never takes them for its own.
    bool moved = QFile::rename(m_path, aside);
    for (const QString& side : {QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")})
        if (moved && QFile::exists(m_path + side))
            moved = QFile::rename(m_path + side, aside + side);
    m_notice = moved ? QStringLiteral("Le registre des tirages « %1 » est endommagé. Il a été mis de côté sous le nom « %2 » ; "
                                      "au prochain démarrage, un nouveau registre sera fait à partir du journal des tirages. %3")
                           .arg(QDir::toNativeSeparators(m_path), QFileInfo(aside).fileName(), unguarded)
                     : QStringLiteral("Le registre des tirages « %1 » est endommagé et n'a pas pu être mis de côté. %2")
                           .arg(QDir::toNativeSeparators(m_path), unguarded);
}

bool RunRecord::add(const JournalEntry& entry, QString* failure)
{
    if (!m_usable)
        return true;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (query.exec(QStringLiteral("BEGIN IMMEDIATE")) && query.prepare(insertion) && insert(query, entry)
        && query.exec(QStringLiteral("COMMIT")))
        return true;
    if (failure)
        *failure = cause(query.lastError());
    query.exec(QStringLiteral("ROLLBACK"));
    return false;
}

std::optional<Overlap> RunRecord::overlap(double first, double last) const
{
    if (!m_usable)
        return std::nullopt;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    const QString sharing = QStringLiteral(" FROM runs WHERE on_paper = 1 AND last >= :first AND first <= :last");
    const auto ask = [&](const QString& question, const QVariant& at = {}) {
        query.prepare(question);
        query.bindValue(QStringLiteral(":first"), first);
        query.bindValue(QStringLiteral(":last"), last);
        if (at.isValid())
            query.bindValue(QStringLiteral(":at"), at);
        return query.exec() && query.next();
    };
    if (!ask(QStringLiteral("SELECT count(*), min(max(first, :first)), max(min(last, :last)), max(at)") + sharing)
        || query.value(0).toInt() == 0)
        return std::nullopt;
    Overlap overlap{query.value(1).toDouble(), query.value(2).toDouble(), query.value(0).toInt(), {}};
    // The latest by its date, then by its place in the record.
    if (ask(QStringLiteral("SELECT first, last, at, outcome") + sharing + QStringLiteral(" AND at = :at ORDER BY id DESC LIMIT 1"),
            query.value(3)))
        overlap.latest = printedRun(query);
    return overlap;
}

std::optional<PrintedRun> RunRecord::lastComplete() const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (m_usable
        && query.exec(QStringLiteral("SELECT first, last, at, outcome FROM runs WHERE kind = 'tirage' AND outcome = 'terminé' "
                                     "ORDER BY at DESC, id DESC LIMIT 1"))
        && query.next())
        return printedRun(query);
    return std::nullopt;
}

double RunRecord::highest() const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (m_usable && query.exec(QStringLiteral("SELECT max(last) FROM runs WHERE on_paper = 1")) && query.next())
        return query.value(0).toDouble();
    return 0;
}

} // namespace calvorigne
