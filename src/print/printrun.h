// A print run: consecutive ticket numbers from the window's parameters, one column a page,
// in gatherings of F pages so that each row of the cut stack is one booklet, in two passes
// over the same sheets with a prompt to turn the stack between them.
#pragma once

#include "print/plan.h"
#include "print/ticketlayout.h"

namespace calvorigne {

class Dialogs;
class Printer;

class PrintRun {
public:
    PrintRun(TicketLayout& layout, Printer& printer, Dialogs& dialogs);

    // Runs to the end; returns once the last message has been answered.
    void run();

private:
    using Field = TicketLayout::Field;

    double read(Field field) const;
    void write(Field field, const QString& text);
    void setUpPrinter();
    void refuse(const QString& text);
    void printDocument(const PlannedDocument& document);
    // Ends the pass; with waitForPaper, returns once the print system says it is printed.
    void endDocument(bool waitForPaper = false);
    void waitUntilPrinted();
    QString passNumbers() const;

    TicketLayout& m_layout;
    Printer& m_printer;
    Dialogs& m_dialogs;
    // The pass being printed and the numbers it holds so far, for a pass the printer refuses.
    int m_pass = 1;
    double m_passFirst = 0, m_passLast = 0;
    bool m_passEmpty = true;
    // Said when the run fails while a pass is handed over: how much of it did not print.
    QString m_unprinted;
};

} // namespace calvorigne
