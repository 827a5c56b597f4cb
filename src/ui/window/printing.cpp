// The window's print button and reprints, and what the window knows of past runs: the record
// that the series guard and the tooltip of "Premier numéro" read.
#include "numero.h"

#include "core/numbers.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "correction/store.h"
#include "paperpath/store.h"
#include "print/printrun.h"
#include "print/stacktest.h"
#include "records/journal.h"
#include "records/runrecord.h"
#include "ui/preview/previewwindow.h"

#include <QApplication>
#include <QDir>

namespace calvorigne {

namespace {

// Captured input while a print run holds the window is thrown away rather than replayed
// afterwards: a second impatient click on the print button must not start a second run.
class InputBlock : public QObject {
public:
    explicit InputBlock(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }
    ~InputBlock() override
    {
        QCoreApplication::processEvents();
        qApp->removeEventFilter(this);
    }

protected:
    bool eventFilter(QObject* target, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ShortcutOverride:
            // The window and its preview, which can start a print of its own; the run's own
            // message boxes stay answerable.
            return target->isWidgetType()
                   && (static_cast<QWidget*>(target)->window() == m_window
                       || qobject_cast<PreviewWindow*>(static_cast<QWidget*>(target)->window()));
        default:
            return false;
        }
    }

private:
    QWidget* m_window;
};

} // namespace

void Numero::cmd_print_Click()
{
    print([](PrintRun& run) { run.run(); });
    // One press of Space on a button left focused would print a whole new run.
    cmd_print->clearFocus();
}

void Numero::reprint(const std::vector<SheetSelection>& selection, bool testSheet, TicketLayout* run)
{
    print([&](PrintRun& printing) { printing.reprint(selection, testSheet); }, run);
}

void Numero::stackTest()
{
    print([&](PrintRun& run) { runStackTest(run, m_printer, m_dialogs, m_settingsPath); });
}

void Numero::calibrationSheet()
{
    print([](PrintRun& run) { run.calibrationSheet(); });
}

void Numero::print(const std::function<void(PrintRun&)>& what, TicketLayout* layout)
{
    InputBlock block(this);
    const Journal journal(m_settingsPath);
    PrintRun run(layout ? *layout : *this, m_printer, m_dialogs, &journal, &runRecord());
    // What was learned of a printer is for its paper only.
    if (!m_printer.writesFiles()) {
        run.setPaperPath(storedPath(m_settingsPath, m_printer.name()));
        run.setCorrections(storedCorrections(m_settingsPath, m_printer.name()));
    }
    what(run);
    // Printing goes on without the journal or the record; the user hears of it once.
    if (!run.recordFailure().isEmpty() && !std::exchange(m_recordComplained, true))
        m_dialogs.message(run.recordFailure());
    showLastRun();
    emit printed();
}

RunRecord& Numero::runRecord()
{
    if (!m_record) {
        m_record = std::make_unique<RunRecord>(m_settingsPath);
        if (!m_record->notice().isEmpty())
            m_dialogs.message(m_record->notice());
    }
    return *m_record;
}

void Numero::showLastRun()
{
    RunRecord& record = runRecord();
    QStringList tip;
    const auto day = [](const PrintedRun& run) { return run.when.toString(QStringLiteral("dd/MM/yyyy")); };
    if (const std::optional<PrintedRun> last = record.lastComplete())
        tip << QStringLiteral("Dernier tirage : %1 à %2, le %3")
                   .arg(padNumber(last->first, QStringLiteral("0000")), padNumber(last->last, QStringLiteral("0000")), day(*last));
    // Next year's first number should not be one already printed.
    const double shown = readNumber(Lbl_Debut->caption());
    if (const std::optional<Overlap> printedBefore = record.overlap(shown, shown))
        tip << QStringLiteral("%1 a déjà été imprimé le %2").arg(padNumber(shown, QStringLiteral("0000")), day(printedBefore->latest));
    Label4->setToolTip(tip.join(u'\n'));
    Lbl_Debut->setToolTip(tip.join(u'\n'));
}

} // namespace calvorigne
