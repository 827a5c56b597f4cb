#include "printrun.h"

#include "core/numbers.h"
#include "platform/dialogs.h"
#include "platform/printer.h"

#include <QDir>
#include <algorithm>

namespace calvorigne {

PrintRun::PrintRun(TicketLayout& layout, Printer& printer, Dialogs& dialogs, const Journal* journal)
    : m_layout(layout), m_printer(printer), m_dialogs(dialogs), m_journal(journal)
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
    m_passEmpty = true;
}

// The stack can only be turned once the pass is out of the printer: a prompt answered while
// the job still waits would send the next pass behind it onto the same side.
void PrintRun::waitUntilPrinted()
{
    const QString printer = m_printer.name();
    const QString pages = QString::number(m_passPage);
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
    startEntry(plan, QStringLiteral("tirage"));
    for (const PlannedDocument& document : plan.documents)
        if (document.pass > 0)
            m_entry.passPages << document.sheets();

    if (!printDocuments(plan.documents, true))
        return;
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
    const QStringList files = finishEntry(QStringLiteral("terminé"));
    if (!files.isEmpty())
        m_dialogs.message(QStringLiteral("Le tirage a été enregistré dans ces fichiers PDF :\n%1")
                              .arg(files.join(u'\n')));
}

void PrintRun::reprint(const std::vector<SheetSelection>& selection, bool testSheet)
{
    m_dialogs.setBusy(true);
    const PrintPlan plan = planRun(m_layout, m_printer);
    if (!plan.refusal.isEmpty())
        return refuse(plan.refusal);
    // The chosen pages of each pass, as they stand in the run, one document a pass.
    std::vector<PlannedDocument> documents;
    QStringList said;
    double lowest = 0, highest = 0;
    for (const SheetSelection& chosen : selection) {
        const auto found = std::find_if(plan.documents.begin(), plan.documents.end(),
                                        [&](const PlannedDocument& d) { return d.pass > 0 && d.pass == chosen.pass; });
        if (found == plan.documents.end())
            continue;
        const PlannedDocument& pass = *found;
        PlannedDocument& document = documents.emplace_back();
        document.after = PlannedDocument::Turn;
        document.pass = pass.pass;
        double low = 0, high = 0;
        int count = 0;
        for (const int sheet : chosen.sheets) {
            if (sheet < 0 || sheet >= pass.sheets())
                continue;
            document.pages.push_back(pass.pages[std::size_t(sheet)]);
            for (const PlacedNumber& n : document.pages.back().numbers) {
                low = count == 0 ? n.value : std::min(low, n.value);
                high = count == 0 ? n.value : std::max(high, n.value);
                ++count;
            }
        }
        if (document.pages.empty()) {
            documents.pop_back();
            continue;
        }
        m_entry.passPages << int(document.pages.size());
        lowest = documents.size() == 1 ? low : std::min(lowest, low);
        highest = documents.size() == 1 ? high : std::max(highest, high);
        said << QStringLiteral("%1 du passage %2 %3 : %4 numéro%5, de %6 à %7.")
                    .arg(sheetNames(chosen.sheets, pass.sheets()))
                    .arg(chosen.pass)
                    .arg(testSheet ? QStringLiteral("imprimée pour essai")
                                   : document.pages.size() > 1 ? QStringLiteral("réimprimées") : QStringLiteral("réimprimée"))
                    .arg(count)
                    .arg(count > 1 ? QStringLiteral("s") : QString())
                    .arg(padNumber(low, QStringLiteral("0000")), padNumber(high, QStringLiteral("0000")));
    }
    if (documents.empty())
        return refuse(QStringLiteral("Aucune feuille de ce tirage n'est choisie."));
    documents.back().after = PlannedDocument::Nothing;
    const QList<int> pages = m_entry.passPages;
    startEntry(plan, testSheet ? QStringLiteral("essai") : QStringLiteral("réimpression"));
    m_entry.passPages = pages;
    m_entry.first = padNumber(lowest, QStringLiteral("0000"));
    m_entry.last = padNumber(highest, QStringLiteral("0000"));

    if (!printDocuments(documents, false))
        return;
    m_dialogs.setBusy(false);
    const QStringList files = finishEntry(QStringLiteral("terminé"));
    QString text = said.join(u'\n');
    if (!files.isEmpty())
        text += QStringLiteral("\nEnregistré dans ces fichiers PDF :\n%1").arg(files.join(u'\n'));
    m_dialogs.message(text);
}

QString PrintRun::sheetNames(const std::vector<int>& sheets, int inPass)
{
    std::vector<int> kept;
    for (const int sheet : sheets)
        if (sheet >= 0 && sheet < inPass)
            kept.push_back(sheet + 1);
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    if (kept.size() == 1)
        return QStringLiteral("Feuille %1").arg(kept.front());
    // Runs of consecutive sheets as "3 à 5".
    QStringList runs;
    for (std::size_t k = 0; k < kept.size();) {
        std::size_t end = k;
        while (end + 1 < kept.size() && kept[end + 1] == kept[end] + 1)
            ++end;
        runs << (end == k ? QString::number(kept[k]) : QStringLiteral("%1 à %2").arg(kept[k]).arg(kept[end]));
        k = end + 1;
    }
    return QStringLiteral("Feuilles ") + runs.join(QStringLiteral(", "));
}

bool PrintRun::printDocuments(const std::vector<PlannedDocument>& documents, bool ownRun)
{
    try {
        setUpPrinter();
        for (const PlannedDocument& document : documents)
            printDocument(document, ownRun);
    } catch (const PrinterError& error) {
        m_printer.abortDocument();
        m_dialogs.setBusy(false);
        // What was written before the failure belongs to this run, and is said here.
        QString text = QStringLiteral("L'impression a échoué : %1").arg(error.cause());
        const QStringList files = finishEntry(QStringLiteral("échec à la page %1 : %2").arg(m_passPage).arg(error.cause()));
        for (qsizetype pass = 0; pass < files.size(); ++pass)
            text += QStringLiteral("\nLe passage %1 a été enregistré dans « %2 ».").arg(pass + 1).arg(files[pass]);
        if (!m_unprinted.isEmpty())
            text += u'\n' + m_unprinted;
        m_dialogs.message(text);
        return false;
    }
    return true;
}

void PrintRun::startEntry(const PrintPlan& plan, const QString& kind)
{
    m_entry = JournalEntry();
    m_entry.when = QDateTime::currentDateTime();
    m_entry.kind = kind;
    m_entry.first = padNumber(plan.first, QStringLiteral("0000"));
    m_entry.last = padNumber(plan.last, QStringLiteral("0000"));
    m_entry.booklets = plainNumber(plan.booklets);
    m_entry.folios = plainNumber(plan.folios);
    m_entry.rows = plainNumber(plan.rows);
}

QStringList PrintRun::finishEntry(const QString& outcome)
{
    const QStringList files = m_printer.takeWrittenFiles();
    m_entry.output = files.isEmpty() ? m_printer.name() : files.join(QStringLiteral(", "));
    m_entry.outcome = outcome;
    if (m_journal && !m_journal->append(m_entry, &m_journalFailure))
        m_journalFailure = QStringLiteral("Le journal des tirages « %1 » n'a pas pu être écrit : %2.")
                               .arg(QDir::toNativeSeparators(m_journal->path()), m_journalFailure);
    return files;
}

void PrintRun::printDocument(const PlannedDocument& document, bool ownRun)
{
    // Printed last page first when the printer is set so, for the way the stack comes out.
    const bool reversed = m_printer.lastPageFirst();
    const int count = int(document.pages.size());
    m_passPage = 0;
    if (document.pass > 0)
        m_pass = document.pass;
    for (int k = 0; k < count; ++k) {
        const PlannedPage& page = document.pages[std::size_t(reversed ? count - 1 - k : k)];
        if (!(reversed && page.numbers.empty())) {
            ++m_passPage;
            for (const PlacedNumber& number : page.numbers) {
                m_printer.setPosition(number.left, number.top);
                m_printer.printText(number.text);
                m_passFirst = m_passEmpty ? number.value : std::min(m_passFirst, number.value);
                m_passLast = m_passEmpty ? number.value : std::max(m_passLast, number.value);
                m_passEmpty = false;
            }
            m_printer.newPage();
        }
        if (ownRun)
            write(Field::Page, plainNumber(read(Field::Page) + 1));
    }
    if (document.after == PlannedDocument::Nothing)
        return endDocument();
    endDocument(document.after == PlannedDocument::Turn);
    setUpPrinter();
    m_dialogs.message(document.afterText());
    if (document.after == PlannedDocument::Turn && ownRun)
        write(Field::Page, QStringLiteral("0"));
}

} // namespace calvorigne
