// The record of runs: every run, reprint and test sheet, with its outcome and the numbers it
// printed, kept by the program in an SQLite database beside the settings file. The guard that
// keeps a number from being printed twice, and what the window says of past runs, read only
// this: the CSV journal is for people, who may edit it at will. A new record takes in the
// journal once, so that runs printed before it existed are still known.
#pragma once

#include "records/journal.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace calvorigne {

// A run whose numbers are, or may be, on paper.
struct PrintedRun {
    double first = 0, last = 0;
    QDateTime when;
    QString outcome;
};

// The numbers of a run that earlier runs printed: the stretch they share with it, how many
// runs share any, and the latest of them.
struct Overlap {
    double from = 0, to = 0;
    int runs = 0;
    PrintedRun latest;

    // « Les numéros 0001 à 0120 ont déjà été imprimés le 06/12/2026 à 14:02 (tirage terminé). »
    QString sentence() const;
};

class RunRecord {
public:
    // Opens the record, creating it, from the journal when there is one, on the first start.
    // A damaged record is put aside under a dated name, never overwritten.
    explicit RunRecord(const QString& settingsPath);
    ~RunRecord();
    RunRecord(const RunRecord&) = delete;
    RunRecord& operator=(const RunRecord&) = delete;

    QString path() const { return m_path; }
    // False when the record could not be opened: runs then go on unguarded.
    bool usable() const { return m_usable; }
    // What the user is told once of opening it: its trouble, or what came of taking in the
    // journal; empty when there is nothing to say.
    QString notice() const { return m_notice; }

    // Adds the run whole or not at all; false, with the cause, when it could not be written.
    bool add(const JournalEntry& entry, QString* failure = nullptr);
    std::optional<Overlap> overlap(double first, double last) const;
    // The last tirage that ended "terminé".
    std::optional<PrintedRun> lastComplete() const;
    // The highest number on paper; 0 when none is.
    double highest() const;

private:
    void open();
    bool create(QString* failure);
    void putAside();

    QString m_path;
    QString m_journalPath;
    QString m_connection;
    bool m_usable = false;
    QString m_notice;
};

} // namespace calvorigne
