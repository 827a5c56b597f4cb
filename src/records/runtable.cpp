#include "runtable.h"

#include "core/numbers.h"

#include <QSqlError>
#include <QVariant>
#include <algorithm>

namespace calvorigne::runtable {

namespace {

const QString runColumns = QStringLiteral("at, kind, output, first, last, booklets, folios, rows_per_page, pages, outcome, model, "
                                          "on_paper, token, layout");

std::pair<qint64, qint64> bounds(const std::vector<std::pair<qint64, qint64>>& stretches)
{
    if (stretches.empty())
        return {0, 0};
    qint64 low = stretches.front().first, high = stretches.front().second;
    for (const auto& [first, last] : stretches)
        low = std::min(low, first), high = std::max(high, last);
    return {low, high};
}

// The run's fields in the order of runColumns.
// on_paper: 0 for a run none of whose numbers are on paper; 1 for one whose numbers, first to
// last, are, or may be; 2 for one whose stretches are in numbers (a reprint's).
int onPaperMark(const std::vector<std::pair<qint64, qint64>>& stretches, bool onPaper)
{
    return !onPaper ? 0 : stretches.size() > 1 ? 2 : 1;
}

QVariantList runValues(const JournalEntry& e, const std::vector<std::pair<qint64, qint64>>& stretches, bool onPaper)
{
    const auto [first, last] = bounds(stretches);
    return {stamp(e.when), e.kind,   e.output, first,   last,          e.booklets, e.folios,
            e.rows,        e.passPagesText(), e.outcome, e.model, onPaperMark(stretches, onPaper),
            e.token.isEmpty() ? QVariant() : QVariant(e.token), e.layout.isEmpty() ? QVariant() : QVariant(e.layout)};
}

bool exec(QSqlQuery& query, const QVariantList& values)
{
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec();
}

bool addNumbers(QSqlQuery& numbers, qint64 run, const JournalEntry& e, const std::vector<std::pair<qint64, qint64>>& stretches,
                bool onPaper)
{
    if (onPaperMark(stretches, onPaper) != 2)
        return true;
    for (const auto& [first, last] : stretches)
        if (!exec(numbers, {run, first, last, stamp(e.when)}))
            return false;
    return true;
}

} // namespace

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

bool createOrMigrate(QSqlQuery& query, int version)
{
    bool done = true;
    if (version < 0)
        done = query.exec(QStringLiteral("CREATE TABLE runs (id INTEGER PRIMARY KEY, at INTEGER NOT NULL, kind TEXT NOT NULL, "
                                         "output TEXT, first INTEGER NOT NULL, last INTEGER NOT NULL, booklets TEXT, "
                                         "folios TEXT, rows_per_page TEXT, pages TEXT, outcome TEXT NOT NULL, model TEXT, "
                                         "on_paper INTEGER NOT NULL)"));
    // Version 1: the stretches of a reprint's scattered numbers, so that they are guarded as
    // exactly as a run's; and each run's mark, by which it is written again as it goes, and the
    // parameters it was printed with.
    if (done && version < 1) {
        done = query.exec(QStringLiteral("ALTER TABLE runs ADD COLUMN token TEXT"))
               && query.exec(QStringLiteral("ALTER TABLE runs ADD COLUMN layout TEXT"))
               && query.exec(QStringLiteral("CREATE TABLE numbers (run INTEGER NOT NULL REFERENCES runs (id) ON DELETE CASCADE, "
                                            "first INTEGER NOT NULL, last INTEGER NOT NULL, at INTEGER NOT NULL)"));
        if (done && version == 0)
            done = index(query);
    }
    return done && query.exec(QStringLiteral("PRAGMA user_version = %1").arg(currentVersion));
}

bool index(QSqlQuery& query)
{
    // The runs and stretches that share numbers with a new run, and the latest of them; the
    // runs by date, and by their mark.
    return query.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS runs_on_paper ON runs (on_paper, last, first, at)"))
           && query.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS numbers_by_last ON numbers (last, first, at, run)"))
           && query.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS numbers_of_run ON numbers (run)"))
           && query.exec(QStringLiteral("CREATE INDEX IF NOT EXISTS runs_by_date ON runs (at)"))
           && query.exec(QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS runs_by_token ON runs (token) WHERE token IS NOT NULL"));
}

namespace {

constexpr int batch = 64; // runs a statement, when many are added
constexpr int columns = 14;

QString insertion(int rows)
{
    QStringList row;
    for (int k = 0; k < columns; ++k)
        row << QStringLiteral("?");
    QStringList all;
    for (int k = 0; k < rows; ++k)
        all << u'(' + row.join(u',') + u')';
    return QStringLiteral("INSERT INTO runs (%1) VALUES %2").arg(runColumns, all.join(u','));
}

} // namespace

Inserter::Inserter(const QSqlDatabase& db, bool many) : m_db(db), m_run(db), m_numbers(db), m_batch(db), m_many(many)
{
    m_prepared = (m_run.prepare(insertion(1)) || failed(m_run))
                 && (m_numbers.prepare(QStringLiteral("INSERT INTO numbers (run, first, last, at) VALUES (?, ?, ?, ?)"))
                     || failed(m_numbers))
                 && (!many || m_batch.prepare(insertion(batch)) || failed(m_batch));
}

bool Inserter::failed(const QSqlQuery& query)
{
    m_error = query.lastError();
    return false;
}

bool Inserter::insert(const JournalEntry& entry)
{
    const auto stretches = entry.stretches();
    const bool onPaper = !stretches.empty() && entry.outcomeOnPaper();
    if (m_many && stretches.size() <= 1) {
        m_waiting << runValues(entry, stretches, onPaper);
        return m_waiting.size() < batch * columns || flush();
    }
    if (!flush())
        return false;
    if (!exec(m_run, runValues(entry, stretches, onPaper)))
        return failed(m_run);
    return addNumbers(m_numbers, m_run.lastInsertId().toLongLong(), entry, stretches, onPaper) || failed(m_numbers);
}

bool Inserter::flush()
{
    const qsizetype rows = m_waiting.size() / columns;
    if (rows == 0)
        return true;
    QSqlQuery fewer(m_db);
    QSqlQuery& query = rows == batch ? m_batch : fewer;
    const bool done = (rows == batch || query.prepare(insertion(int(rows)))) && exec(query, m_waiting);
    m_waiting.clear();
    return done || failed(query);
}

bool Inserter::finish()
{
    return flush();
}

bool upsert(const QSqlDatabase& db, const JournalEntry& entry, QSqlError* error)
{
    QSqlQuery query(db);
    bool done = true;
    if (!entry.token.isEmpty()) {
        // Its own row, or the row the journal gave a new record of it, which has no mark.
        const QVariantList values = runValues(entry, entry.stretches(), false);
        done = query.prepare(QStringLiteral("SELECT id FROM runs WHERE token = ? OR (token IS NULL AND at = ? AND kind = ? "
                                            "AND first = ? AND last = ?) ORDER BY token IS NULL LIMIT 1"))
               && exec(query, {entry.token, values[0], values[1], values[3], values[4]});
        if (done && query.next()) {
            const qint64 run = query.value(0).toLongLong();
            query.finish();
            const auto stretches = entry.stretches();
            const bool onPaper = !stretches.empty() && entry.outcomeOnPaper();
            QVariantList values = runValues(entry, stretches, onPaper);
            values << run;
            QSqlQuery numbers(db);
            done = query.prepare(QStringLiteral("UPDATE runs SET at = ?, kind = ?, output = ?, first = ?, last = ?, booklets = ?, "
                                                "folios = ?, rows_per_page = ?, pages = ?, outcome = ?, model = ?, on_paper = ?, "
                                                "token = ?, layout = ? WHERE id = ?"))
                   && exec(query, values) && query.prepare(QStringLiteral("DELETE FROM numbers WHERE run = ?")) && exec(query, {run})
                   && numbers.prepare(QStringLiteral("INSERT INTO numbers (run, first, last, at) VALUES (?, ?, ?, ?)"))
                   && addNumbers(numbers, run, entry, stretches, onPaper);
            if (!done)
                *error = numbers.lastError().isValid() ? numbers.lastError() : query.lastError();
            return done;
        }
        query.finish();
    }
    Inserter inserter(db);
    done = done && inserter.prepared() && inserter.insert(entry);
    if (!done)
        *error = query.lastError().isValid() ? query.lastError() : inserter.lastError();
    return done;
}

std::vector<JournalEntry> runsLeftPrinting(const QSqlDatabase& db)
{
    std::vector<JournalEntry> found;
    QSqlQuery query(db), numbers(db);
    if (!query.exec(QStringLiteral("SELECT id, %1 FROM runs WHERE outcome LIKE 'en cours%' ORDER BY id").arg(runColumns))
        || !numbers.prepare(QStringLiteral("SELECT first, last FROM numbers WHERE run = ? ORDER BY first")))
        return found;
    while (query.next()) {
        JournalEntry& e = found.emplace_back();
        e.when = fromStamp(query.value(1).toLongLong());
        e.kind = query.value(2).toString();
        e.output = query.value(3).toString();
        e.booklets = query.value(6).toString();
        e.folios = query.value(7).toString();
        e.rows = query.value(8).toString();
        for (const QString& pages : query.value(9).toString().split(u'+', Qt::SkipEmptyParts))
            e.passPages << pages.trimmed().toInt();
        e.outcome = query.value(10).toString();
        e.model = query.value(11).toString();
        e.token = query.value(13).toString();
        e.layout = query.value(14).toString();
        // A reprint's stretches as the journal writes them: the firsts, then the lasts.
        QStringList firsts, lasts;
        numbers.addBindValue(query.value(0));
        if (numbers.exec())
            while (numbers.next()) {
                firsts << padNumber(numbers.value(0).toDouble(), QStringLiteral("0000"));
                lasts << padNumber(numbers.value(1).toDouble(), QStringLiteral("0000"));
            }
        // A run of one stretch holds it in its own row.
        if (firsts.isEmpty() && query.value(12).toInt() == 1) {
            firsts << padNumber(query.value(4).toDouble(), QStringLiteral("0000"));
            lasts << padNumber(query.value(5).toDouble(), QStringLiteral("0000"));
        }
        e.first = firsts.join(QStringLiteral(", "));
        e.last = lasts.join(QStringLiteral(", "));
    }
    return found;
}

} // namespace calvorigne::runtable
