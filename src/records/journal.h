// The run journal: one line for every run, reprint, test sheet and stack test, appended to
// Calvorigne-journal.csv beside the settings file, so raffles can be accounted for. UTF-8 with
// a header line and ';' between fields, as French spreadsheets read it. It is written for
// people, who may open, sort and save it: the program reads it back only once, to fill a new
// record of runs, and so reads it as spreadsheets leave it.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace calvorigne {

struct JournalEntry {
    QDateTime when;
    QString kind;            // tirage, réimpression, essai, essai de retournement, feuille de réglage
    QString output;          // the printer's name, or the PDF files written
    QString first, last;     // as printed: 0001, 0120; a reprint's stretches: "0001, 0010", "0003, 0012"
    QString booklets, folios, rows;
    QList<int> passPages;    // pages of each pass
    QString outcome;         // terminé; échec au passage p (…) : cause; en cours (passage 1 imprimé)
    QString model;           // the ticket model by its settings keys; empty for the default
    QString token;           // the run's own mark in the record, so that each writing of it finds it
    QString layout;          // a run's parameters, for the record alone: its sheets printed again as they were

    // Whether the run's numbers are, or may be, on paper: a run, reprint or test sheet that
    // ended "terminé", was handed over whole without being followed ("envoyé, non suivi"), is
    // still printing or was cut short by the program's end, or did not end but may have
    // printed some of its numbers.
    bool numbersOnPaper() const;
    // The same, of its outcome alone, whatever its numbers.
    bool outcomeOnPaper() const;
    // The stretches of numbers it printed, each by its first and its last: one for a run, one
    // a stretch for a reprint. A stretch typed backwards is taken the right way round; none
    // when first and last are not numbers that pair up.
    std::vector<std::pair<qint64, qint64>> stretches() const;
    // Whether the outcome is one the program writes.
    bool knownOutcome() const;
    // The pages of each pass as the journal and the record write them: "20 + 20".
    QString passPagesText() const;
};

// Whether a run with this outcome surely put all its numbers on paper: "terminé", or handed over
// whole ("envoyé, non suivi").
bool printedWhole(const QString& outcome);
// Whether a run with this outcome was still printing when last written: one the program's end
// cut short.
bool stillPrinting(const QString& outcome);

class Journal {
public:
    explicit Journal(const QString& settingsPath);

    QString path() const { return m_path; }
    // Appends the line and flushes it; false, with the cause, when the file cannot be written.
    bool append(const JournalEntry& entry, QString* failure = nullptr) const;

private:
    QString m_path;
};

// The lines of a journal as a spreadsheet may have saved it: UTF-8 or Windows-1252, with or
// without the mark, fields quoted or not, dates with or without seconds, lines in any order,
// the header anywhere or nowhere, columns added, numbers without their leading zeros.
// Each run read is handed to take, in the file's order; take returns false to stop.
struct JournalReading {
    qsizetype taken = 0;
    int unreadable = 0;   // lines that are not a run the program wrote
    QStringList unreadableLines; // each by its date, or by its place in the file when it has none
    bool failed = false;  // the file is there but cannot be read
    bool stopped = false; // take said to stop
};
JournalReading readJournal(const QString& path, const std::function<bool(const JournalEntry&)>& take);

// A field of the journal's CSV: quoted, its quotes doubled, when it holds the separator or a
// quote.
QString csvField(QString text);
// A line of such a file, as French Excel reads it: fields quoted as needed, ';' between them, CRLF.
QByteArray csvLine(const QStringList& fields);
// A CSV's first line, after the byte-order mark by which French Excel reads it as UTF-8.
QByteArray csvHead(const QStringList& headings);

} // namespace calvorigne
