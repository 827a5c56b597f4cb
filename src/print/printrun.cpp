#include "printrun.h"

#include "core/numbers.h"
#include "platform/dialogs.h"
#include "platform/printer.h"

#include <algorithm>

namespace calvorigne {

namespace {

const QString turnPrompt = QStringLiteral("Changez le papier de sens pour imprimer la suite.");
const QString endMessage = QStringLiteral("Fin du tirage.");

} // namespace

PrintRun::PrintRun(TicketLayout& layout, Printer& printer, Dialogs& dialogs)
    : m_layout(layout), m_printer(printer), m_dialogs(dialogs)
{
}

double PrintRun::read(Field field) const
{
    return readNumber(m_layout.caption(field));
}

void PrintRun::write(Field field, const QString& text)
{
    m_layout.setCaption(field, text);
}

void PrintRun::refuse(const QString& text)
{
    m_dialogs.setBusy(false);
    m_dialogs.message(text);
}

QString PrintRun::passNumbers() const
{
    return QStringLiteral("Le passage %1 (numéros %2 à %3)")
        .arg(m_pass)
        .arg(padNumber(m_passFirst, QStringLiteral("0000")), padNumber(m_passLast, QStringLiteral("0000")));
}

void PrintRun::endDocument(bool waitForPaper)
{
    if (!m_passEmpty)
        m_unprinted = passNumbers() + QStringLiteral(" n'a pas été imprimé.");
    m_printer.endDocument();
    if (!m_passEmpty && waitForPaper) {
        m_unprinted = passNumbers() + QStringLiteral(" n'a peut-être pas été imprimé en entier.");
        waitUntilPrinted();
    }
    m_unprinted.clear();
    m_pass += m_passEmpty ? 0 : 1;
    m_passEmpty = true;
}

// The stack can only be turned once the pass is out of the printer: a prompt answered while
// the job still waits would send the next pass behind it onto the same side.
void PrintRun::waitUntilPrinted()
{
    const QString printer = m_printer.name();
    const QString pages = plainNumber(read(Field::Page));
    bool waited = false;
    for (JobState job = m_printer.lastJob(); job.stage != JobState::Done; job = m_printer.lastJob()) {
        const QString why = job.reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(job.reason);
        QString text;
        switch (job.stage) {
        case JobState::Failed:
            if (waited)
                m_dialogs.endWait();
            throw PrinterError(QStringLiteral("l'imprimante « %1 » a abandonné le passage %2%3.").arg(printer).arg(m_pass).arg(why));
        case JobState::Stopped:
            text = QStringLiteral("L'imprimante « %1 » est arrêtée%2 : le passage %3 attend dans sa file. "
                                  "Remettez-la en marche ; le retournement du paquet vous sera demandé "
                                  "une fois le passage imprimé.")
                       .arg(printer, why).arg(m_pass);
            break;
        case JobState::Held:
            text = QStringLiteral("Le passage %1 est retenu dans la file de l'imprimante « %2 » : libérez-le "
                                  "pour qu'il s'imprime.")
                       .arg(m_pass).arg(printer);
            break;
        case JobState::Queued:
            text = QStringLiteral("Le passage %1 attend son tour dans la file de l'imprimante « %2 ».").arg(m_pass).arg(printer);
            break;
        default:
            text = job.pagesPrinted < 0
                       ? QStringLiteral("Impression du passage %1…").arg(m_pass)
                       : QStringLiteral("Impression du passage %1… (page %2 sur %3)").arg(m_pass).arg(job.pagesPrinted).arg(pages);
            break;
        }
        waited = true;
        if (!m_dialogs.wait(text))
            break;
    }
    if (waited)
        m_dialogs.endWait();
}

void PrintRun::setUpPrinter()
{
    m_printer.setOrientation(Printer::Portrait);
    m_printer.setUnit(Printer::Millimetres);
    m_printer.setFontName(m_layout.fontName());
    m_printer.setFontSize(read(Field::Size));
    const std::uint32_t ink = m_layout.inkColour();
    m_printer.setColourMode(ink == 0 ? Printer::Monochrome : Printer::Colour);
    m_printer.setBold(m_layout.bold());
    m_printer.setInkColour(ink);
}

void PrintRun::run()
{
    m_dialogs.setBusy(true);
    const PrintPlan plan = planRun(m_layout, m_printer);
    if (!plan.refusal.isEmpty())
        return refuse(plan.refusal);

    write(Field::Last, plainNumber(plan.last));
    write(Field::Rows, plainNumber(plan.rows));
    // A run counts its own pages: a count left by a failed run would move the turn prompt.
    write(Field::Page, QStringLiteral("0"));

    try {
        setUpPrinter();
        for (const PlannedDocument& document : plan.documents)
            printDocument(document);
    } catch (const PrinterError& error) {
        m_printer.abortDocument();
        m_dialogs.setBusy(false);
        // What was written before the failure belongs to this run, and is said here.
        QString text = QStringLiteral("L'impression a échoué : %1").arg(error.cause());
        const QStringList files = m_printer.takeWrittenFiles();
        for (qsizetype pass = 0; pass < files.size(); ++pass)
            text += QStringLiteral("\nLe passage %1 a été enregistré dans « %2 ».").arg(pass + 1).arg(files[pass]);
        if (!m_unprinted.isEmpty())
            text += u'\n' + m_unprinted;
        m_dialogs.message(text);
        return;
    }
    write(Field::First, signedNumber(read(Field::Last) + 1));
    write(Field::Page, QStringLiteral("0"));
    write(Field::Last, QStringLiteral("0"));
    m_dialogs.setBusy(false);
    // Taken, but not coming out: the user should know where the sheets are.
    const JobState job = m_printer.lastJob();
    if (job.stage == JobState::Stopped)
        m_dialogs.message(QStringLiteral("Le tirage attend dans la file de l'imprimante « %1 », qui est arrêtée : "
                                         "il s'imprimera quand elle sera remise en marche.").arg(m_printer.name()));
    else if (job.stage == JobState::Held)
        m_dialogs.message(QStringLiteral("Le tirage est retenu dans la file de l'imprimante « %1 » : il "
                                         "s'imprimera quand il sera libéré.").arg(m_printer.name()));
    const QStringList files = m_printer.takeWrittenFiles();
    if (!files.isEmpty())
        m_dialogs.message(QStringLiteral("Le tirage a été enregistré dans ces fichiers PDF :\n%1")
                              .arg(files.join(u'\n')));
}

void PrintRun::printDocument(const PlannedDocument& document)
{
    for (const PlannedPage& page : document.pages) {
        for (const PlacedNumber& number : page.numbers) {
            m_printer.setPosition(number.left, number.top);
            m_printer.printText(number.text);
            m_passFirst = m_passEmpty ? number.value : std::min(m_passFirst, number.value);
            m_passLast = m_passEmpty ? number.value : std::max(m_passLast, number.value);
            m_passEmpty = false;
        }
        m_printer.newPage();
        write(Field::Page, plainNumber(read(Field::Page) + 1));
    }
    if (document.after == PlannedDocument::Nothing)
        return endDocument();
    endDocument(document.after == PlannedDocument::Turn);
    setUpPrinter();
    if (document.after == PlannedDocument::End) {
        m_dialogs.message(endMessage);
    } else {
        m_dialogs.message(turnPrompt);
        write(Field::Page, QStringLiteral("0"));
    }
}

} // namespace calvorigne
