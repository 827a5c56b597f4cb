// The record's tables and the SQL that reads and writes a run in them. Every run has a row in
// runs; the stretches of numbers it put, or may have put, on paper have rows in numbers, which
// is what the guard reads.
#pragma once

#include "records/journal.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace calvorigne::runtable {

// The form the program writes now; an older record is brought to it when opened.
constexpr int currentVersion = 1;

// Creates the tables of an empty record, or brings an older one to the current form; inside
// the caller's transaction.
bool createOrMigrate(QSqlQuery& query, int version);
// The indexes built once the journal has been taken in.
bool index(QSqlQuery& query);

// A wall-clock time as the number 20261206140200: read as it is written, and compared fast by
// the guard, which looks for the latest of many runs.
qint64 stamp(const QDateTime& when);
QDateTime fromStamp(qint64 stamp);

// Adds runs through two prepared statements. Taking in a journal of years, a run's one
// stretch of numbers is left for finish(), which adds them all in one statement.
class Inserter {
public:
    explicit Inserter(const QSqlDatabase& db, bool many = false);
    bool prepared() const { return m_prepared; }
    bool insert(const JournalEntry& entry);
    bool finish();
    QSqlQuery& query() { return m_run; }

private:
    QSqlDatabase m_db;
    QSqlQuery m_run, m_numbers;
    bool m_prepared = false;
    bool m_many;
    qint64 m_first = -1; // the first run added, for finish()
};

// Adds the run, or brings up to date the run of the same start, kind and numbers; inside the
// caller's transaction.
bool upsert(const QSqlDatabase& db, const JournalEntry& entry, QSqlError* error);

// Runs a killed program left printing, as entries.
std::vector<JournalEntry> stillPrinting(const QSqlDatabase& db);

} // namespace calvorigne::runtable
