// The run journal: one line for every run, reprint and test sheet, appended to
// Calvorigne-journal.csv beside the settings file, so raffles can be accounted for. UTF-8 with
// a header line and ';' between fields, as French spreadsheets read it.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace calvorigne {

struct JournalEntry {
    QDateTime when;
    QString kind;            // tirage, réimpression, essai
    QString output;          // the printer's name, or the PDF files written
    QString first, last;     // as printed: 0001, 0120
    QString booklets, folios, rows;
    QList<int> passPages;    // pages of each pass
    QString outcome;         // terminé; échec au passage p (…) : cause
    QString model;           // the ticket model by its settings keys; empty for the default
};

// A run whose numbers exist on paper: a tirage that ended "terminé", or was handed over whole
// without being followed ("envoyé, non suivi").
struct PrintedRun {
    double first = 0, last = 0;
    QString when;    // as the journal has it: dd/MM/yyyy HH:mm:ss
    QString outcome;
};

struct PrintedRuns {
    std::vector<PrintedRun> runs; // in the journal's order
    int skipped = 0;              // lines that could not be read
    bool unreadable = false;      // the file is there but cannot be read

    // The last run that ended "terminé".
    const PrintedRun* lastComplete() const;
    // The highest number printed; 0 when none was.
    double highest() const;
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
std::optional<Overlap> overlapWith(const PrintedRuns& printed, double first, double last);

class Journal {
public:
    explicit Journal(const QString& settingsPath);

    QString path() const { return m_path; }
    // Appends the line and flushes it; false, with the cause, when the file cannot be written.
    bool append(const JournalEntry& entry, QString* failure = nullptr) const;
    // Every run that put its numbers on paper; a line that cannot be read is skipped.
    PrintedRuns printedRuns() const;

private:
    QString m_path;
};

// A field of the journal's CSV: quoted, its quotes doubled, when it holds the separator or a
// quote.
QString csvField(QString text);

} // namespace calvorigne
