#include "printrun.h"

#include "core/numbers.h"
#include "platform/dialogs.h"
#include "platform/printer.h"

#include <QRectF>
#include <algorithm>
#include <cmath>

namespace calvorigne {

namespace {

// Rows per page are worked out on an A4 sheet in portrait, whatever the paper.
constexpr double pageHeight = 297;
// Beyond this a double no longer holds every whole number, and numbers would repeat.
constexpr double largestExactNumber = 9007199254740992.0;

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

// Why some number of the run would stand outside the paper, even in part, naming the first in
// printing order; empty when every number fits. Rows per page ignore Y and the real paper, so
// a large Y or X would otherwise feed sheets that come out blank or cut.
QString PrintRun::offTheSheet(double first, double last, double folios, double rows, double top, double bottom,
                              double spacing) const
{
    if (last < first)
        return {};
    const QRectF sheet = m_printer.sheet();
    const QString font = m_layout.fontName();
    const double size = read(Field::Size);
    const bool bold = m_layout.bold();
    auto text = [](double n) { return padNumber(n, QStringLiteral("0000")); };
    auto cell = [&](double n) { return m_printer.cellSize(text(n), font, size, bold); };
    const double left = read(Field::X) + bottom;
    const double firstTop = top + read(Field::Y);

    if (firstTop < sheet.top())
        return QStringLiteral("Le numéro %1 tomberait au-dessus du haut de la feuille : augmentez Y ou H.").arg(text(first));
    if (left < sheet.left())
        return QStringLiteral("Le numéro %1 tomberait à gauche de la feuille : augmentez X ou B.").arg(text(first));
    // The widest texts are the longest: the first number of the last one's length.
    double widest = first;
    if (text(last).size() > text(first).size())
        widest = std::max(first, std::pow(10.0, double(text(last).size() - 1)));
    for (const double n : {first, widest})
        if (left + cell(n).width() > sheet.right())
            return QStringLiteral("Le numéro %1 dépasserait le bord droit de la feuille : réduisez X ou B.").arg(text(n));

    // Row i holds first + F (i - 1) first; the rows in use are those the run reaches.
    const double usedRows = std::min(rows, std::floor((last - first) / folios) + 1);
    const double height = cell(first).height();
    double row = std::max(1.0, std::floor((sheet.bottom() - height - firstTop) / spacing));
    while (row > 1 && firstTop + (row - 1) * spacing + height > sheet.bottom())
        --row;
    while (row <= usedRows && firstTop + (row - 1) * spacing + height <= sheet.bottom())
        ++row;
    if (row <= usedRows)
        return QStringLiteral("Le numéro %1 tomberait sous le bas de la feuille : réduisez Y, H ou l'écart.")
            .arg(text(first + folios * (row - 1)));
    return {};
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
    const double folios = read(Field::Folios);
    const double booklets = read(Field::Booklets);
    const double spacing = read(Field::E);
    const double first = read(Field::First);
    const double top = read(Field::Top);
    const double bottom = read(Field::Bottom);

    // Refused before anything is written or printed: sheets cost money.
    if (!(folios >= 1))
        return refuse(QStringLiteral("Le nombre de folios doit être au moins égal à 1."));
    if (!(spacing > 0))
        return refuse(QStringLiteral("L'écart entre deux numéros doit être supérieur à 0 mm."));
    const double rows = std::floor((pageHeight - (top + bottom)) / spacing);
    if (!(rows >= 1))
        return refuse(QStringLiteral(
            "Aucun numéro ne tient dans la hauteur de la page : réduisez les marges ou l'écart."));
    if (!(read(Field::Size) > 0))
        return refuse(QStringLiteral("La taille des caractères doit être supérieure à 0."));
    const double lastNumber = first + booklets * folios - 1;
    if (!(std::fabs(first) <= largestExactNumber && std::fabs(lastNumber) <= largestExactNumber))
        return refuse(QStringLiteral("Les numéros de ce tirage sont trop grands pour être imprimés."));

    if (const QString off = offTheSheet(first, lastNumber, folios, rows, top, bottom, spacing); !off.isEmpty())
        return refuse(off);

    write(Field::Last, plainNumber(first + read(Field::Booklets) * folios - 1));
    write(Field::Rows, plainNumber(rows));
    // A run counts its own pages: a count left by a failed run would move the turn prompt.
    write(Field::Page, QStringLiteral("0"));
    const double half = read(Field::Booklets) * folios / rows / 2;

    try {
        setUpPrinter();
        printGatherings(first, booklets, folios, spacing, top, bottom, rows, half);
        endDocument();
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

void PrintRun::printGatherings(double first, double booklets, double folios, double spacing,
                               double top, double bottom, double rows, double half)
{
    // As many gatherings as the booklets need: C booklets to a gathering.
    const double gatherings = std::ceil(booklets / rows);
    const double pages = roundHalfEven(folios);
    double base = first;
    double n = base - 1;
    for (double g = 1; g <= gatherings; ++g) {
        for (double j = 1; j <= pages; ++j) {
            const double left = read(Field::X) + bottom;
            double y = top + read(Field::Y);
            for (double i = 1; i <= rows; ++i) {
                m_printer.setPosition(float(left), float(y));
                n = base - 1 + j + folios * (i - 1);
                // A number past the last one ends its own column only, so the other pages of
                // a short last gathering still get theirs.
                if (n > read(Field::Last))
                    break;
                m_printer.printText(padNumber(n, QStringLiteral("0000")));
                m_passFirst = m_passEmpty ? n : std::min(m_passFirst, n);
                m_passLast = m_passEmpty ? n : std::max(m_passLast, n);
                m_passEmpty = false;
                y += spacing;
            }
            m_printer.newPage();
            write(Field::Page, plainNumber(read(Field::Page) + 1));
        }

        const double page = read(Field::Page);
        if (page == half || page == half + 1) {
            const bool lastPass = n >= read(Field::Last);
            endDocument(!lastPass);
            setUpPrinter();
            if (lastPass) {
                m_dialogs.message(endMessage);
            } else {
                m_dialogs.message(turnPrompt);
                write(Field::Page, QStringLiteral("0"));
            }
        }
        base = n + 1;
    }
}

} // namespace calvorigne
