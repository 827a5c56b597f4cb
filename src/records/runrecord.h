// The record of runs: every run, reprint and test sheet, with its outcome and the numbers it
// printed, kept by the program in an SQLite database beside the settings file. The guard that
// keeps a number from being printed twice, and what the window says of past runs, read only
// this: the CSV journal is for people, who may edit it at will. A new record takes in the
// journal once, so that runs printed before it existed are still known. A run is written as
// soon as a pass of it reaches the print system, and brought up to date as it goes, so that a
// program killed mid-run leaves it there; the next start closes it as cut short. A run the
// record cannot take (held by another program, read-only, gone) is kept by the program, in
// memory and in a side file, counted by the guard, and written into the record once it can be.
#pragma once

#include "records/journal.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace calvorigne {

// A run whose numbers are, or may be, on paper.
struct PrintedRun {
    double first = 0, last = 0;
    QDateTime when;
    QString kind;
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
    // Where the record of the settings file lives.
    static QString pathFor(const QString& settingsPath);
    // False when the record could not be opened: runs then go on unguarded.
    bool usable() const { return m_usable; }
    // What the user is told once of opening it: its trouble, or what came of taking in the
    // journal; empty when there is nothing to say.
    QString notice() const { return m_notice; }

    // Writes the run as it stands, whole or not at all: its first writing adds it, a later one
    // brings it up to date. False, with the cause, when the record could not take it: the run
    // is then kept by the program.
    bool write(const JournalEntry& entry, QString* failure = nullptr);
    // What earlier runs printed of these numbers, for the print button: a record that could not
    // be opened is tried again, one another program holds is waited for a few seconds. When it
    // still cannot be read, trouble says why, and only the runs the program kept are known.
    std::optional<Overlap> guard(double first, double last, QString* trouble);
    // The same at once, for what the window shows as the user types: nothing is waited for.
    std::optional<Overlap> overlap(double first, double last, QString* trouble = nullptr) const;
    // The last tirage that ended "terminé".
    std::optional<PrintedRun> lastComplete() const;
    // The latest runs whose numbers are on paper, newest first, with the parameters they were
    // printed with, for printing their sheets again.
    struct RunOnPaper {
        PrintedRun run;
        QString layout;
    };
    std::vector<RunOnPaper> runsOnPaper(int count) const;
    // The highest number on paper; 0 when none is.
    double highest() const;
    // Whether the last look at the record found it held by another program.
    bool held() const { return m_held; }
    // How long the guard waits for a record another program holds, in milliseconds.
    void setPatience(int milliseconds) { m_patience = milliseconds; }

private:
    void open();
    bool prepare(QString* failure);
    bool create(QString* failure);
    void putAside();
    void say(const QString& text);
    // Runs the program kept, from the side file and this session, written into the record.
    bool writeKept(QString* failure);
    void keep(const JournalEntry& entry);
    // Runs a killed program left "en cours", closed as cut short, and said.
    void closeInterrupted();
    void setWaiting(int milliseconds) const;
    std::optional<Overlap> read(double first, double last, QString* trouble) const;

    QString m_path;
    QString m_settingsPath;
    QString m_connection;
    bool m_usable = false;
    bool m_writeFailed = false; // later writes go straight to the kept runs, until the guard retries
    mutable bool m_held = false;
    int m_patience = 3000;
    QString m_notice;
    std::vector<JournalEntry> m_kept;
};

} // namespace calvorigne
