// A print run: the run's plan (consecutive ticket numbers, one column a page, in gatherings of
// F pages so that each row of the cut stack is one booklet) printed in two passes over the
// same sheets, with a prompt to turn the stack between them; or chosen sheets of it again.
#pragma once

#include "app/journal.h"
#include "print/plan.h"
#include "print/ticketlayout.h"

namespace calvorigne {

class Dialogs;
class Printer;

// Sheets of one pass of the run, by their place in the pass (from 0), to print again.
struct SheetSelection {
    int pass; // from 1
    std::vector<int> sheets;
};

class PrintRun {
public:
    // Each run, reprint and test sheet gets a line in the journal, when there is one.
    PrintRun(TicketLayout& layout, Printer& printer, Dialogs& dialogs, const Journal* journal = nullptr);

    // Runs to the end; returns once the last message has been answered.
    void run();
    // Prints again exactly the chosen sheets of the run, as they stand in it, one document a
    // pass with the turn prompt between; the window's labels are left as they are.
    void reprint(const std::vector<SheetSelection>& selection, bool testSheet = false);
    // Why the journal could not be written, when it could not.
    QString journalFailure() const { return m_journalFailure; }

private:
    using Field = TicketLayout::Field;

    double read(Field field) const;
    void write(Field field, const QString& text);
    void setUpPrinter();
    void refuse(const QString& text);
    bool printDocuments(const std::vector<PlannedDocument>& documents, bool ownRun);
    void printDocument(const PlannedDocument& document, bool ownRun);
    void startEntry(const PrintPlan& plan, const QString& kind);
    QStringList finishEntry(const QString& outcome);
    static QString sheetNames(const std::vector<int>& sheets, int inPass);
    // Ends the pass; with waitForPaper, returns once the print system says it is printed.
    void endDocument(bool waitForPaper = false);
    void waitUntilPrinted();
    QString passNumbers() const;

    TicketLayout& m_layout;
    Printer& m_printer;
    Dialogs& m_dialogs;
    const Journal* m_journal;
    JournalEntry m_entry;
    QString m_journalFailure;
    int m_passPage = 0; // the page of the pass being printed, from 1
    // The pass being printed and the numbers it holds so far, for a pass the printer refuses.
    int m_pass = 1; // as the run numbers it, for a reprint too
    double m_passFirst = 0, m_passLast = 0;
    bool m_passEmpty = true;
    // Said when the run fails while a pass is handed over: how much of it did not print.
    QString m_unprinted;
};

} // namespace calvorigne
