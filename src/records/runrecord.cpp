#include "runrecord.h"

#include "core/numbers.h"
#include "platform/files.h"
#include "records/keptruns.h"
#include "records/runtable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace calvorigne {

namespace {

const QString unguarded = QStringLiteral("Tant qu'il ne le sera pas, Calvorigne demandera avant chaque tirage s'il faut "
                                         "imprimer sans vérifier les numéros déjà imprimés.");

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

bool busy(const QSqlError& error)
{
    return error.nativeErrorCode() == u"5" || error.nativeErrorCode() == u"6";
}

const QString keptFileName = QStringLiteral("Calvorigne-tirages-en-attente.json");

// A run cut short by the program's end, by the passes it had: « interrompu (passage 1 imprimé,
// passage 2 peut-être pas) ».
QString interrupted(const JournalEntry& e)
{
    const QString had = e.outcome.section(u'(', 1).section(u')', 0, 0);
    QStringList passes = had.split(QStringLiteral(", "), Qt::SkipEmptyParts);
    const qsizetype done = passes.size();
    if (done < e.passPages.size())
        passes << QStringLiteral("passage %1 peut-être pas").arg(done + 1);
    return QStringLiteral("interrompu (%1)").arg(passes.join(QStringLiteral(", ")));
}

PrintedRun printedRun(const QSqlQuery& query)
{
    return {query.value(0).toDouble(), query.value(1).toDouble(), runtable::fromStamp(query.value(2).toLongLong()),
            query.value(4).toString(), query.value(3).toString()};
}

} // namespace

QString Overlap::sentence() const
{
    const auto number = [](double n) { return padNumber(n, QStringLiteral("0000")); };
    const QString when = latest.when.toString(QStringLiteral("dd/MM/yyyy à HH:mm"));
    // A run that did not end is named by what it printed, not by its cause.
    const QString outcome = latest.outcome.section(QStringLiteral(" : "), 0, 0);
    const QString how = latest.kind == u"tirage" ? QStringLiteral("tirage %1").arg(outcome)
                                                  : QStringLiteral("%1, %2").arg(latest.kind, outcome);
    const QString already = printedWhole(latest.outcome) ? QStringLiteral("déjà") : QStringLiteral("peut-être déjà");
    const QString range = from == to ? QStringLiteral("Le numéro %1 a %2 été imprimé").arg(number(from), already)
                                     : QStringLiteral("Les numéros %1 à %2 ont %3 été imprimés").arg(number(from), number(to), already);
    return runs == 1 ? QStringLiteral("%1 le %2 (%3).").arg(range, when, how)
                     : QStringLiteral("%1 par %2 tirages, le dernier le %3 (%4).").arg(range).arg(runs).arg(when, how);
}

QString RunRecord::pathFor(const QString& settingsPath)
{
    return besideSettings(settingsPath, QStringLiteral("Calvorigne-tirages.sqlite"));
}

RunRecord::RunRecord(const QString& settingsPath)
    : m_path(pathFor(settingsPath))
    , m_settingsPath(settingsPath)
    , m_connection(QStringLiteral("calvorigne-%1").arg(quintptr(this)))
    , m_kept(readKeptRuns(besideSettings(settingsPath, keptFileName)))
{
    open();
}

RunRecord::~RunRecord()
{
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

void RunRecord::say(const QString& text)
{
    m_notice += (m_notice.isEmpty() ? QString() : QStringLiteral("\n\n")) + text;
}

void RunRecord::open()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSqlDatabase db = QSqlDatabase::contains(m_connection) ? QSqlDatabase::database(m_connection, false)
                                                             : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    QString failure;
    m_usable = false;
    if (db.isOpen() || db.open()) {
        if (prepare(&failure))
            m_usable = true;
    } else {
        failure = QStringLiteral("n'a pas pu être ouvert : %1").arg(cause(db.lastError()));
    }
    if (!failure.isEmpty())
        say(QStringLiteral("Le registre des tirages « %1 » %2. %3").arg(QDir::toNativeSeparators(m_path), failure, unguarded));
    if (!m_usable)
        return;
    if (!writeKept(&failure))
        say(QStringLiteral("Les tirages gardés par Calvorigne n'ont pas pu être écrits dans le registre des tirages « %1 » : "
                           "%2. Ils restent comptés.")
                .arg(QDir::toNativeSeparators(m_path), failure));
    closeInterrupted();
}

// Checks the file, makes or brings up to date its tables; false with what went wrong.
bool RunRecord::prepare(QString* failure)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    setWaiting(m_patience);
    query.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    const bool checked = query.exec(QStringLiteral("PRAGMA quick_check")) && query.next();
    m_held = !checked && busy(query.lastError());
    if (m_held) {
        *failure = QStringLiteral("est occupé par un autre programme");
        return false;
    }
    if (!checked && !damaged(query.lastError())) {
        *failure = QStringLiteral("n'a pas pu être lu : %1").arg(cause(query.lastError()));
        return false;
    }
    if (!checked || query.value(0).toString() != u"ok") {
        putAside();
        // A new record at once, from the journal, so that the guard works from now on.
        return prepare(failure);
    }
    query.finish();
    // Another program starting at the same time waits here, then finds the tables made.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))
        || !query.exec(QStringLiteral("SELECT (SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'runs'), "
                                      "(SELECT user_version FROM pragma_user_version)"))
        || !query.next()) {
        m_held = busy(query.lastError());
        *failure = m_held ? QStringLiteral("est occupé par un autre programme")
                                           : QStringLiteral("n'a pas pu être lu : %1").arg(cause(query.lastError()));
        return false;
    }
    const int version = query.value(0).toInt() > 0 ? query.value(1).toInt() : -1;
    query.finish();
    QString why;
    bool made = version == runtable::currentVersion;
    if (version < 0)
        made = create(&why);
    else if (version < runtable::currentVersion && !(made = runtable::createOrMigrate(query, version)))
        why = cause(query.lastError());
    if (made && !query.exec(QStringLiteral("COMMIT"))) {
        made = false;
        why = cause(query.lastError());
    }
    if (!made) {
        query.exec(QStringLiteral("ROLLBACK"));
        *failure = version > runtable::currentVersion
                       ? QStringLiteral("a été écrit par une version plus récente de Calvorigne")
                       : QStringLiteral("n'a pas pu être %1 : %2").arg(version < 0 ? QStringLiteral("créé") : QStringLiteral("mis à jour"), why);
        return false;
    }
    return true;
}

// The tables and the journal's runs are one transaction: a start cut short leaves no record, and
// the next start takes in the journal again.
bool RunRecord::create(QString* failure)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    // A journal of years fills more pages than SQLite keeps by default: they stay in memory
    // until the indexes are built, instead of being written and read again.
    query.exec(QStringLiteral("PRAGMA cache_size = -65536"));
    bool done = runtable::createOrMigrate(query, -1);
    runtable::Inserter inserter(db, true);
    done = done && inserter.prepared();
    const QString journalPath = Journal(m_settingsPath).path();
    const JournalReading journal = readJournal(journalPath, [&](const JournalEntry& entry) { return done && inserter.insert(entry); });
    // Built last, at once.
    done = done && !journal.stopped && inserter.finish() && runtable::index(query);
    query.exec(QStringLiteral("PRAGMA cache_size = -2000"));
    if (journal.failed) {
        // Most often a spreadsheet holds it open; the next start takes it in.
        *failure = QStringLiteral("le journal des tirages « %1 » n'a pas pu être lu (s'il est ouvert dans un tableur, "
                                  "fermez-le, puis relancez Calvorigne)")
                       .arg(QDir::toNativeSeparators(journalPath));
        return false;
    }
    if (!done) {
        *failure = cause(query.lastError().isValid() ? query.lastError() : inserter.lastError());
        return false;
    }
    if (!QFileInfo::exists(journalPath))
        return true;
    QString unreadable = counted(journal.unreadable, QStringLiteral("ligne illisible laissée de côté"),
                                 QStringLiteral("lignes illisibles laissées de côté"));
    // Named, so that the user can look for them in the journal.
    if (!journal.unreadableLines.isEmpty()) {
        QStringList named = journal.unreadableLines.mid(0, 10);
        if (journal.unreadableLines.size() > 10)
            named << QStringLiteral("…");
        unreadable += QStringLiteral(" (%1)").arg(named.join(QStringLiteral(", ")));
    }
    say(QStringLiteral("Les tirages du journal « %1 » ont été repris dans le registre des tirages : %2, %3.")
            .arg(QDir::toNativeSeparators(journalPath), counted(journal.taken, QStringLiteral("ligne lue"), QStringLiteral("lignes lues")),
                 unreadable));
    return true;
}

void RunRecord::putAside()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    db.close();
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
    if (moved)
        say(QStringLiteral("Le registre des tirages « %1 » est endommagé. Il a été mis de côté sous le nom « %2 », et un "
                           "nouveau registre est fait à partir du journal des tirages.")
                .arg(QDir::toNativeSeparators(m_path), QFileInfo(aside).fileName()));
    else
        say(QStringLiteral("Le registre des tirages « %1 » est endommagé et n'a pas pu être mis de côté. %2")
                .arg(QDir::toNativeSeparators(m_path), unguarded));
    if (moved)
        db.open();
}

void RunRecord::setWaiting(int milliseconds) const
{
    QSqlQuery(QSqlDatabase::database(m_connection, false)).exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(milliseconds));
}

void RunRecord::keep(const JournalEntry& entry)
{
    replaceRun(m_kept, entry);
    // Outlives the program: the next start writes it into the record.
    appendKeptRun(besideSettings(m_settingsPath, keptFileName), entry);
}

bool RunRecord::writeKept(QString* failure)
{
    const QString side = besideSettings(m_settingsPath, keptFileName);
    std::vector<JournalEntry> kept = readKeptRuns(side);
    for (const JournalEntry& entry : m_kept)
        replaceRun(kept, entry);
    if (kept.empty())
        return true;
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    QSqlError error;
    bool done = query.exec(QStringLiteral("BEGIN IMMEDIATE"));
    for (const JournalEntry& entry : kept)
        done = done && runtable::upsert(db, entry, &error);
    if (done && query.exec(QStringLiteral("COMMIT"))) {
        m_kept.clear();
        QFile::remove(side);
        return true;
    }
    *failure = cause(error.isValid() ? error : query.lastError());
    query.exec(QStringLiteral("ROLLBACK"));
    return false;
}

void RunRecord::closeInterrupted()
{
    const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return;
    std::vector<JournalEntry> runs = runtable::runsLeftPrinting(db);
    QSqlError error;
    bool done = true;
    for (JournalEntry& run : runs) {
        run.outcome = interrupted(run);
        done = done && runtable::upsert(db, run, &error);
    }
    if (runs.empty() || !done || !query.exec(QStringLiteral("COMMIT"))) {
        query.exec(QStringLiteral("ROLLBACK"));
        return;
    }
    const Journal journal(m_settingsPath);
    for (const JournalEntry& run : runs) {
        journal.append(run);
        const QString numbers = run.first.contains(u',') || run.first.isEmpty()
                                    ? QString()
                                    : QStringLiteral(", numéros %1 à %2").arg(run.first, run.last);
        say(QStringLiteral("Calvorigne s'est arrêté pendant un %1 : celui du %2%3 est noté « %4 ». Ses numéros comptent "
                           "désormais comme peut-être imprimés.")
                .arg(run.kind == u"tirage" ? QStringLiteral("tirage") : QStringLiteral("travail d'impression (%1)").arg(run.kind),
                     run.when.toString(QStringLiteral("dd/MM/yyyy à HH:mm")), numbers, run.outcome));
    }
}

bool RunRecord::write(const JournalEntry& entry, QString* failure)
{
    QString why = QStringLiteral("le registre n'est pas disponible");
    // A backup or another program holding the record for a moment is waited for.
    setWaiting(m_patience);
    if (m_usable && !m_writeFailed && writeKept(&why)) {
        const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        QSqlQuery query(db);
        QSqlError error;
        const bool written = query.exec(QStringLiteral("BEGIN IMMEDIATE")) && runtable::upsert(db, entry, &error)
                             && query.exec(QStringLiteral("COMMIT"));
        if (!written) {
            why = cause(error.isValid() ? error : query.lastError());
            query.exec(QStringLiteral("ROLLBACK"));
        }
        setWaiting(0);
        if (written)
            return true;
    }
    setWaiting(0);
    // Each later write of the session waits no more: the guard tries the record again.
    m_writeFailed = m_usable;
    keep(entry);
    if (failure)
        *failure = why;
    return false;
}

std::optional<Overlap> RunRecord::guard(double first, double last, QString* trouble)
{
    if (!m_usable)
        open();
    QString failure;
    if (m_usable && (m_writeFailed || !m_kept.empty()))
        m_writeFailed = !writeKept(&failure);
    setWaiting(m_patience);
    const std::optional<Overlap> found = read(first, last, trouble);
    setWaiting(0);
    return found;
}

std::optional<Overlap> RunRecord::overlap(double first, double last, QString* trouble) const
{
    setWaiting(0);
    return read(first, last, trouble);
}

std::optional<Overlap> RunRecord::read(double first, double last, QString* trouble) const
{
    std::optional<Overlap> found;
    if (!m_usable) {
        if (trouble)
            *trouble = QStringLiteral("le registre des tirages n'est pas disponible");
    } else {
        QSqlQuery query(QSqlDatabase::database(m_connection, false));
        const auto ask = [&](const QString& question, const QVariant& at = {}) {
            query.prepare(question);
            query.bindValue(QStringLiteral(":first"), first);
            query.bindValue(QStringLiteral(":last"), last);
            if (at.isValid())
                query.bindValue(QStringLiteral(":at"), at);
            return query.exec() && query.next();
        };
        const QString sharing = QStringLiteral("last >= :first AND first <= :last");
        m_held = false;
        if (!ask(QStringLiteral("SELECT sum(c), min(f), max(l), max(a) FROM (SELECT count(*) AS c, min(max(first, :first)) AS f, "
                                "max(min(last, :last)) AS l, max(at) AS a FROM runs WHERE on_paper = 1 AND %1 UNION ALL SELECT "
                                "count(DISTINCT run), min(max(first, :first)), max(min(last, :last)), max(at) FROM numbers "
                                "WHERE %1)")
                     .arg(sharing))) {
            m_held = busy(query.lastError());
            if (trouble)
                *trouble = m_held ? QStringLiteral("le registre des tirages est occupé par un autre programme")
                                                   : QStringLiteral("le registre des tirages n'a pas pu être lu (%1)").arg(cause(query.lastError()));
        } else if (query.value(0).toInt() > 0) {
            found = Overlap{query.value(1).toDouble(), query.value(2).toDouble(), query.value(0).toInt(), {}};
            // The latest by its date, then by its place in the record.
            if (ask(QStringLiteral("SELECT first, last, at, outcome, kind FROM runs WHERE at = :at AND ((on_paper = 1 AND %1) OR "
                                   "(on_paper = 2 AND EXISTS (SELECT 1 FROM numbers WHERE numbers.run = runs.id AND "
                                   "numbers.last >= :first AND numbers.first <= :last))) ORDER BY id DESC LIMIT 1")
                        .arg(sharing),
                    query.value(3)))
                found->latest = printedRun(query);
        }
    }
    // The runs the record could not take yet count as much as those it holds.
    for (const JournalEntry& run : m_kept) {
        if (!run.numbersOnPaper())
            continue;
        bool shares = false;
        for (const auto& [low, high] : run.stretches()) {
            if (high < first || low > last)
                continue;
            if (!found)
                found = Overlap{std::max(double(low), first), std::min(double(high), last), 0, {}};
            found->from = std::min(found->from, std::max(double(low), first));
            found->to = std::max(found->to, std::min(double(high), last));
            shares = true;
        }
        if (!shares)
            continue;
        ++found->runs;
        if (!found->latest.when.isValid() || run.when >= found->latest.when)
            found->latest = {run.stretches().front().first * 1.0, run.stretches().back().second * 1.0, run.when, run.kind, run.outcome};
    }
    return found;
}

std::optional<PrintedRun> RunRecord::lastComplete() const
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (m_usable
        && query.exec(QStringLiteral("SELECT first, last, at, outcome, kind FROM runs WHERE kind = 'tirage' AND outcome = 'terminé' "
                                     "ORDER BY at DESC, id DESC LIMIT 1"))
        && query.next())
        return printedRun(query);
    return std::nullopt;
}

std::vector<RunRecord::RunOnPaper> RunRecord::runsOnPaper(int count) const
{
    std::vector<RunOnPaper> runs;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (m_usable
        && query.exec(QStringLiteral("SELECT first, last, at, outcome, kind, layout FROM runs WHERE kind = 'tirage' AND on_paper = 1 "
                                     "AND layout IS NOT NULL ORDER BY at DESC, id DESC LIMIT %1")
                          .arg(count)))
        while (query.next())
            runs.push_back({printedRun(query), query.value(5).toString()});
    return runs;
}

double RunRecord::highest() const
{
    double high = 0;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    if (m_usable
        && query.exec(QStringLiteral("SELECT max(coalesce((SELECT max(last) FROM runs WHERE on_paper = 1), 0), "
                                     "coalesce((SELECT max(last) FROM numbers), 0))"))
        && query.next())
        high = query.value(0).toDouble();
    for (const JournalEntry& run : m_kept)
        if (run.numbersOnPaper())
            for (const auto& stretch : run.stretches())
                high = std::max(high, double(stretch.second));
    return high;
}

} // namespace calvorigne
