// The record's tables and the SQL that reads and writes a run in them. Every run has a row in
// runs, which holds the numbers it put, or may have put, on paper, first to last; a reprint's
// scattered stretches have rows of their own in numbers. The guard reads both.
#pragma once

#include "records/journal.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
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

// Adds runs through prepared statements. Filling a new record from a journal of years, runs
// of one stretch go in many to a statement.
class Inserter {
public:
    explicit Inserter(const QSqlDatabase& db, bool many = false);
    bool prepared() const { return m_prepared; }
    bool insert(const JournalEntry& entry);
    // Adds what is left; nothing to do when not many.
    bool finish();
    // Why the last statement failed.
    QSqlError lastError() const { return m_error; }

private:
    bool flush();
    bool failed(const QSqlQuery& query);

    QSqlDatabase m_db;
    QSqlQuery m_run, m_numbers, m_batch;
    QSqlError m_error;
    bool m_prepared = false;
    bool m_many;
    QVariantList m_waiting; // the values of runs not yet added
};

// Adds the run, or brings up to date the run of the same start, kind and numbers; inside the
// caller's transaction.
bool upsert(const QSqlDatabase& db, const JournalEntry& entry, QSqlError* error);

// Runs a killed program left printing, as entries.
std::vector<JournalEntry> runsLeftPrinting(const QSqlDatabase& db);

} // namespace calvorigne::runtable
