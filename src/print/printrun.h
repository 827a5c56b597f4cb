// A print run: the run's plan (consecutive ticket numbers, one column a page, in gatherings of
// F pages so that each row of the cut stack is one booklet) printed in two passes over the
// same sheets, with a prompt to turn the stack between them; or chosen sheets of it again.
#pragma once

#include "paperpath/paperpath.h"
#include "records/journal.h"
#include "records/runrecord.h"
#include "print/plan.h"
#include "print/ticketlayout.h"

#include <optional>

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
    // Each run, reprint and test sheet gets a line in the journal and in the record, when there
    // are; the record guards against printing a number twice.
    PrintRun(TicketLayout& layout, Printer& printer, Dialogs& dialogs, const Journal* journal = nullptr,
             RunRecord* record = nullptr);

    // Runs to the end; returns once the last message has been answered.
    void run();
    // Prints again exactly the chosen sheets of the run, as they stand in it, one document a
    // pass with the turn prompt between; the window's labels are left as they are.
    void reprint(const std::vector<SheetSelection>& selection, bool testSheet = false);
    // The printer's learned paper path: the turn prompt says the movement, and pass 2 prints
    // in the order it needs. Nothing learned leaves the run as it always was.
    void setPaperPath(const std::optional<PaperPath>& path) { m_path = path; }
    // The printer's measured error: each pass prints through its inverse, and a number it would
    // push off the paper refuses the run.
    void setCorrections(const PrinterCorrections& corrections) { m_corrections = corrections; }
    // Prints the stack test on three sheets of plain paper, in two passes with the turn prompt
    // of the path held; true once both passes are printed.
    bool stackTest(const PaperPath& held);
    // Prints the calibration sheet on one sheet of plain paper, in two passes with the turn
    // prompt, as the printer prints without any correction; true once both are printed.
    bool calibrationSheet();
    // Why the journal or the record could not be written, when they could not.
    QString recordFailure() const { return m_recordFailure; }

private:
    using Field = TicketLayout::Field;

    // Where the pass being printed stands, for what a failure says of it.
    enum class Phase { Drawing, HandingOver, Following };

    double read(Field field) const;
    void write(Field field, const QString& text);
    void setUpPrinter();
    void refuse(const QString& text);
    // Asks before numbers printed by an earlier run are printed again; false to print nothing.
    bool printsNewNumbers(const PrintPlan& plan);
    bool loaded(const PrintPlan& plan);
    bool printDocuments(const PrintPlan& plan, const std::vector<PlannedDocument>& documents, bool ownRun);
    void printDocument(const PrintPlan& plan, const PlannedDocument& document, const PlannedDocument* next);
    // Prints sheets of plain paper that hold no ticket number, journalled as that kind; true
    // once every pass is printed.
    bool printPlainPaper(const std::vector<PlannedDocument>& documents, const QString& kind);
    // The page's marks, upright, in a face every printer has.
    void printMarks(const PlannedPage& page);
    // What is said after a document: the turn prompt with the learned movement.
    QString afterText(const PlannedDocument& document, const PlannedDocument* next) const;
    void beginEntry(const QString& kind);
    void startEntry(const PrintPlan& plan, const QString& kind);
    // Writes the run's outcome into the record and the journal, once; the files written.
    QStringList finishEntry(const QString& outcome);
    void describeOutput(const QStringList& files);
    // The run as it stands, « en cours » with the passes the print system has, in the record.
    void writeProgress(const QStringList& passes);
    void writeRecord();
    // terminé, or envoyé, non suivi when the user stopped following a pass.
    QString endOutcome() const;
    // What came of the passes so far, for a run that did not end: « passage 1 imprimé ».
    QString passesDone() const;
    static QString sheetNames(const std::vector<int>& sheets, int inPass);
    // Ends the pass and follows it until the print system says it is printed.
    void endDocument();
    // False when the user stopped waiting first.
    bool waitUntilPrinted();
    QString passNumbers() const;
    // The message said after the pass, with what the user should know of a pass not followed.
    QString withNote(const QString& text);

    TicketLayout& m_layout;
    Printer& m_printer;
    Dialogs& m_dialogs;
    const Journal* m_journal;
    RunRecord* m_record;
    JournalEntry m_entry;
    bool m_journalled = false; // a line is owed to the journal
    QStringList m_finishedFiles; // the files a run wrote, taken when its outcome was written
    QString m_recordFailure;
    int m_passPage = 0; // the page of the pass being printed, from 1
    int m_passPages = 0;
    // The pass being printed and the numbers it holds, for a pass that does not print.
    int m_pass = 1; // as the run numbers it, for a reprint too
    PlannedDocument::Span m_passNumbers;
    Phase m_phase = Phase::Drawing;
    double m_size = 0;  // what the printer was last given
    int m_rotation = 0;
    QStringList m_done;      // « passage 1 imprimé », one for each pass handed over whole
    std::vector<int> m_unfollowed; // passes handed over whose printing was not followed to the end
    bool m_ownRun = true;    // a run, not a reprint or a test sheet
    bool m_partlySent = false; // the pass dropped may have reached the print system in part
    QString m_note;          // said with the next message: a pass handed over, not yet printed
    std::optional<PaperPath> m_path;
    PrinterCorrections m_corrections;
};

} // namespace calvorigne
