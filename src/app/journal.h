// The run journal: one line for every run, reprint and test sheet, appended to
// Calvorigne-journal.csv beside the settings file, so raffles can be accounted for. UTF-8 with
// a header line and ';' between fields, as French spreadsheets read it.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

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

class Journal {
public:
    explicit Journal(const QString& settingsPath);

    QString path() const { return m_path; }
    // Appends the line and flushes it; false, with the cause, when the file cannot be written.
    bool append(const JournalEntry& entry, QString* failure = nullptr) const;
    // The last complete run (kind tirage, terminé), if the journal holds one.
    std::optional<JournalEntry> lastRun() const;

private:
    // The line as a complete run, if it is one.
    static std::optional<JournalEntry> completeRun(const QByteArray& line);

    QString m_path;
};

// The journal's own form of its lines, read back: fields split at ';', quotes undone.
QStringList journalFields(const QString& line);

} // namespace calvorigne
