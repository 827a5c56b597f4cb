#include "plan.h"

#include "core/numbers.h"
#include "platform/printer.h"
#include "print/overlap.h"
#include "print/ticketlayout.h"

#include <QLocale>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <map>

namespace calvorigne {

namespace {

using Field = TicketLayout::Field;

// Rows per page are worked out on an A4 sheet in portrait, whatever the paper.
constexpr double pageHeight = 297;
// Beyond this a double no longer holds every whole number, and numbers would repeat.
constexpr double largestExactNumber = 9007199254740992.0;

QString text(double n)
{
    return padNumber(n, QStringLiteral("0000"));
}

struct Reader {
    const TicketLayout& layout;
    double operator()(Field field) const { return readNumber(layout.caption(field)); }
};

// Why some number of the run would stand outside the paper, even in part, naming the first in
// printing order; empty when every number fits. Rows per page ignore Y and the real paper, so
// a large Y or X would otherwise feed sheets that come out blank or cut.
QString offTheSheet(const PrintPlan& plan, const Printer& printer, const QRectF& sheet, double left, double firstTop,
                    double spacing)
{
    if (plan.last < plan.first)
        return {};
    auto cell = [&](double n) { return printer.cellSize(plan.model.text(n), plan.fontName, plan.size, plan.bold); };

    if (firstTop < sheet.top())
        return QStringLiteral("Le numéro %1 tomberait au-dessus du haut de la feuille : augmentez Y ou H.").arg(text(plan.first));
    if (left < sheet.left())
        return QStringLiteral("Le numéro %1 tomberait à gauche de la feuille : augmentez X ou B.").arg(text(plan.first));
    // The widest texts are the longest: the first number of the last one's length.
    const auto length = [&](double n) { return plan.model.text(n).size() - plan.model.prefix.size(); };
    double widest = plan.first;
    if (length(plan.last) > length(plan.first))
        widest = std::max(plan.first, std::pow(10.0, double(length(plan.last) - 1)));
    for (const double n : {plan.first, widest})
        if (left + cell(n).width() > sheet.right())
            return QStringLiteral("Le numéro %1 dépasserait le bord droit de la feuille : réduisez X ou B.").arg(text(n));

    // Row i holds first + F (i - 1) first; the rows in use are those the run reaches.
    const double usedRows = std::min(plan.rows, std::floor((plan.last - plan.first) / plan.folios) + 1);
    const double height = cell(plan.first).height();
    double row = std::max(1.0, std::floor((sheet.bottom() - height - firstTop) / spacing));
    while (row > 1 && firstTop + (row - 1) * spacing + height > sheet.bottom())
        --row;
    while (row <= usedRows && firstTop + (row - 1) * spacing + height <= sheet.bottom())
        ++row;
    if (row <= usedRows)
        return QStringLiteral("Le numéro %1 tomberait sous le bas de la feuille : réduisez Y, H ou l'écart.")
            .arg(text(plan.first + plan.folios * (row - 1)));
    return {};
}

// The character cells of placed texts.
struct Cells : TextMeasures<QSizeF> {
    Cells(const PrintPlan& plan, const Printer& printer) : TextMeasures(plan, printer, &Printer::cellSize) {}
};

// K columns of C rows a page, in gatherings of F pages, numbered down each column and then
// across; the first pass ends after the gathering that reaches half the pages (or one more),
// and each pass counts its own pages.
void planGatherings(PrintPlan& plan, double left, double firstTop, double spacing)
{
    const TicketModel& model = plan.model;
    const double last = plan.lastPrinted();
    const double half = plan.booklets * plan.folios / plan.places / 2;
    // As many gatherings as the booklets need: one booklet to a place.
    const double gatherings = std::ceil(plan.booklets / plan.places);
    const double pages = roundHalfEven(plan.folios);
    double page = 0;
    double base = plan.first;
    double n = base - 1;
    const std::size_t perPage = std::size_t(plan.places) * (1 + model.stubs.size());
    plan.documents.emplace_back();
    for (double g = 1; g <= gatherings; ++g) {
        for (double j = 1; j <= pages; ++j) {
            PlannedPage& planned = plan.documents.back().pages.emplace_back();
            planned.numbers.reserve(perPage);
            for (int k = 0; k < model.columns; ++k) {
                const double x = left + k * model.pitch;
                double y = firstTop;
                for (double i = 1; i <= plan.rows; ++i) {
                    n = base - 1 + j + plan.folios * (k * plan.rows + i - 1);
                    // A number past the last one ends its own place, so the other pages of a
                    // short last gathering still get theirs.
                    if (n > last)
                        break;
                    const auto length = std::uint32_t(model.text(n).size());
                    // Each place of a gathering, stacked and cut, is one booklet.
                    const auto booklet = std::uint32_t((g - 1) * plan.places + k * plan.rows + i);
                    const auto column = std::uint32_t(k + 1), row = std::uint32_t(i);
                    planned.numbers.push_back({n, float(x), float(y), booklet, 0, column, length, row});
                    for (std::uint32_t s = 0; s < model.stubs.size(); ++s)
                        planned.numbers.push_back({n, float(x + model.stubs[s].dx), float(y + model.stubs[s].dy), booklet,
                                                   s + 1, column, length, row});
                    y += spacing;
                }
                if (n > last)
                    break;
            }
            ++page;
        }
        if (page == half || page == half + 1) {
            plan.documents.back().after = n >= last ? PlannedDocument::End : PlannedDocument::Turn;
            plan.documents.emplace_back();
            if (n < last)
                page = 0;
        }
        base = n + 1;
    }
    int pass = 0;
    for (PlannedDocument& document : plan.documents)
        document.pass = document.sheets() > 0 ? ++pass : 0;
}

// Why a column or a stub of the model would stand off the paper, naming the first in printing
// order; the number's own first column is checked with the window's values.
QString modelOffTheSheet(const PrintPlan& plan, const Printer& printer, const QRectF& sheet)
{
    Cells cell(plan, printer);
    for (const PlannedDocument& document : plan.documents)
        for (const PlannedPage& page : document.pages)
            for (const PlacedNumber& number : page.numbers) {
                if (sheet.contains(plan.box(number, cell(number))))
                    continue;
                if (number.copy > 0)
                    return QStringLiteral("La souche %1 du numéro %2 sortirait de la feuille : changez son décalage, sa "
                                          "taille ou sa rotation.")
                        .arg(number.copy)
                        .arg(text(number.value));
                return QStringLiteral("Le numéro %1 de la colonne %2 sortirait de la feuille : réduisez le pas ou le "
                                      "nombre des colonnes.")
                    .arg(text(number.value))
                    .arg(number.column);
            }
    return {};
}

} // namespace

double proposedPitch(const PrintPlan& plan, const Printer& printer, int columns)
{
    const QRectF sheet = printer.sheet();
    // Ticket sheets share their width between their columns...
    double pitch = sheet.width() / columns;
    // ...and the last column's widest number must still fit on the paper.
    for (const PlannedDocument& document : plan.documents)
        if (!document.pages.empty() && !document.pages.front().numbers.empty()) {
            const double left = document.pages.front().numbers.front().left;
            const double width = printer.cellSize(plan.model.text(plan.lastPrinted()), plan.fontName, plan.size, plan.bold).width();
            pitch = std::min(pitch, (sheet.right() - left - width) / (columns - 1));
            break;
        }
    return std::max(0.5, std::floor(pitch * 2) / 2);
}

StubPlace proposedStub(const TicketLayout& layout, const Printer& printer, const TicketModel& model)
{
    // The window's parameters with the model tried.
    struct Trying : TicketLayout {
        const TicketLayout& layout;
        TicketModel model;
        Trying(const TicketLayout& l, const TicketModel& m) : layout(l), model(m) {}
        QString caption(Field field) const override { return layout.caption(field); }
        void setCaption(Field, const QString&) override {}
        QString fontName() const override { return layout.fontName(); }
        bool bold() const override { return layout.bold(); }
        std::uint32_t inkColour() const override { return layout.inkColour(); }
        TicketModel ticketModel() const override { return model; }
    } trying(layout, model);
    if (trying.model.stubs.empty())
        return {};
    const PrintPlan plan = planRun(trying, printer);
    const QSizeF cell = printer.cellSize(model.text(plan.lastPrinted()), plan.fontName, plan.size, plan.bold);
    const double gap = 3; // mm, so that the cutter has room between two copies
    StubPlace& stub = trying.model.stubs.back();
    const StubPlace asked = stub;
    for (int away = 1; away <= 4; ++away)
        for (const QPointF towards : {QPointF(1, 0), QPointF(0, 1), QPointF(-1, 0)}) {
            stub.dx = std::round(towards.x() * away * (cell.width() + gap) * 2) / 2;
            stub.dy = std::round(towards.y() * away * (cell.height() + gap) * 2) / 2;
            if (planRun(trying, printer).refusal.isEmpty())
                return stub;
        }
    return asked;
}

double PrintPlan::sizeOf(const PlacedNumber& number) const
{
    return number.copy > 0 ? model.stubs[std::size_t(number.copy - 1)].size.value_or(size) : size;
}

int PrintPlan::rotationOf(const PlacedNumber& number) const
{
    return number.copy > 0 ? model.stubs[std::size_t(number.copy - 1)].rotation : 0;
}

QRectF PrintPlan::box(const PlacedNumber& number, QSizeF cell) const
{
    const double w = cell.width(), h = cell.height();
    const QPointF at(number.left, number.top);
    switch (rotationOf(number)) {
    case 90: return QRectF(at + QPointF(-h, 0), QSizeF(h, w));
    case 180: return QRectF(at + QPointF(-w, -h), cell);
    case 270: return QRectF(at + QPointF(0, -w), QSizeF(h, w));
    default: return QRectF(at, cell);
    }
}

int PlannedDocument::sheets() const
{
    int sheets = 0;
    for (int k = 0; k < int(pages.size()); ++k)
        if (!pages[k].blank())
            sheets = k + 1;
    return sheets;
}

PlannedDocument::Span PlannedDocument::numbers() const
{
    Span span;
    for (const PlannedPage& page : pages)
        for (const PlacedNumber& number : page.numbers) {
            if (number.copy > 0)
                continue;
            span.first = span.count == 0 ? number.value : std::min(span.first, number.value);
            span.last = span.count == 0 ? number.value : std::max(span.last, number.value);
            ++span.count;
        }
    return span;
}

QString PlannedDocument::afterText() const
{
    switch (after) {
    case Turn: return QStringLiteral("Changez le papier de sens pour imprimer la suite.");
    case End: return QStringLiteral("Fin du tirage.");
    case Nothing: break;
    }
    return {};
}

double PrintPlan::lastPrinted() const
{
    return readNumber(calvorigne::text(last));
}

int PrintPlan::passes() const
{
    return int(std::count_if(documents.begin(), documents.end(), [](const PlannedDocument& d) { return d.pass > 0; }));
}

PrintPlan planRun(const TicketLayout& layout, const Printer& printer, const PrinterCorrections& corrections)
{
    const Reader read{layout};
    PrintPlan plan;
    plan.folios = read(Field::Folios);
    plan.booklets = read(Field::Booklets);
    const double spacing = read(Field::E);
    plan.spacing = spacing;
    plan.first = read(Field::First);
    const double top = read(Field::Top);
    const double bottom = read(Field::Bottom);
    plan.fontName = layout.fontName();
    plan.size = read(Field::Size);
    plan.bold = layout.bold();
    plan.ink = layout.inkColour();
    plan.model = layout.ticketModel();

    // Refused before anything is written or printed: sheets cost money.
    auto refused = [&](const QString& why) {
        plan.refusal = why;
        return plan;
    };
    if (!(plan.folios >= 1))
        return refused(QStringLiteral("Le nombre de folios doit être au moins égal à 1."));
    if (!(spacing > 0))
        return refused(QStringLiteral("L'écart entre deux numéros doit être supérieur à 0 mm."));
    plan.rows = std::floor((pageHeight - (top + bottom)) / spacing);
    if (!(plan.rows >= 1))
        return refused(QStringLiteral(
            "Aucun numéro ne tient dans la hauteur de la page : réduisez les marges ou l'écart."));
    if (!(plan.size > 0))
        return refused(QStringLiteral("La taille des caractères doit être supérieure à 0."));
    for (std::size_t s = 0; s < plan.model.stubs.size(); ++s)
        if (plan.model.stubs[s].size && !(*plan.model.stubs[s].size > 0))
            return refused(QStringLiteral("La taille de la souche %1 doit être supérieure à 0.").arg(s + 1));
    plan.places = plan.rows * plan.model.columns;
    plan.last = plan.first + plan.booklets * plan.folios - 1;
    if (!(std::fabs(plan.first) <= largestExactNumber && std::fabs(plan.last) <= largestExactNumber))
        return refused(QStringLiteral("Les numéros de ce tirage sont trop grands pour être imprimés."));

    const double left = read(Field::X) + bottom;
    const double firstTop = top + read(Field::Y);
    // A printer's correction moves what it is asked: only what it can still put on the paper.
    const QRectF sheet = usableSheet(printer.sheet(), corrections);
    plan.refusal = offTheSheet(plan, printer, sheet, left, firstTop, spacing);
    planGatherings(plan, left, firstTop, spacing);
    if (plan.refusal.isEmpty() && !plan.model.isDefault())
        plan.refusal = modelOffTheSheet(plan, printer, sheet);
    if (plan.refusal.isEmpty()) {
        plan.refusal = overlapRefusal(plan, printer);
        plan.overlapping = !plan.refusal.isEmpty();
    }
    return plan;
}

namespace {

QString sheets(int count)
{
    return count == 1 ? QStringLiteral("1 feuille") : QStringLiteral("%1 feuilles").arg(QLocale(QLocale::French).toString(count));
}

} // namespace

QString planSummary(const PrintPlan& plan, std::optional<Face> loadFace)
{
    if (!plan.refusal.isEmpty())
        return plan.refusal;
    if (plan.passes() == 0)
        return QStringLiteral("Aucun numéro à imprimer.");
    const QString folios = plainNumber(plan.folios);
    QStringList parts;
    parts << QStringLiteral("Numéros %1 à %2").arg(text(plan.first), text(plan.lastPrinted()));
    parts << QStringLiteral("%1 carnet%2 de %3 billet%4")
                 .arg(plainNumber(plan.booklets), plan.booklets > 1 ? QStringLiteral("s") : QString(), folios,
                      plan.folios > 1 ? QStringLiteral("s") : QString());
    const TicketModel& model = plan.model;
    if (model.columns > 1)
        parts << QStringLiteral("%1 colonnes de %2 billet%3").arg(model.columns).arg(plainNumber(plan.rows),
                                                                  plan.rows > 1 ? QStringLiteral("s") : QString());
    else
        parts << QStringLiteral("%1 numéro%2 par page").arg(plainNumber(plan.rows), plan.rows > 1 ? QStringLiteral("s") : QString());
    if (!model.stubs.empty())
        parts << QStringLiteral("numéro imprimé %1 fois (billet et %2)")
                     .arg(model.stubs.size() + 1)
                     .arg(model.stubs.size() == 1 ? QStringLiteral("souche") : QStringLiteral("%1 souches").arg(model.stubs.size()));
    if (!model.isDefault())
        parts << QStringLiteral("%1 carnet%2 par cahier").arg(plainNumber(plan.places), plan.places > 1 ? QStringLiteral("s") : QString());
    int load = 0, pass = 0, firstSheets = 0;
    for (const PlannedDocument& document : plan.documents) {
        const int count = document.sheets();
        if (count == 0)
            continue;
        load = std::max(load, count);
        if (++pass == 1) {
            firstSheets = count;
            parts << QStringLiteral("Passage 1 : %1%2").arg(sheets(count), document.after == PlannedDocument::Turn
                                                                                ? QStringLiteral(", puis retournez le paquet")
                                                                                : QString());
        } else {
            parts << QStringLiteral("Passage %1 : sur %2").arg(pass).arg(
                         count == firstSheets ? (count == 1 ? QStringLiteral("la même feuille") : QStringLiteral("les mêmes %1").arg(sheets(count)))
                         : count == 1         ? QStringLiteral("la première de ces feuilles")
                                              : QStringLiteral("les %1 premières de ces feuilles").arg(count));
        }
    }
    if (pass == 1)
        parts << QStringLiteral("Un seul passage : pas de retournement");
    // With the printer's paper path learned, which way to load them too.
    return parts.join(QStringLiteral(" · ")) + QStringLiteral(" · ")
           + (loadFace ? loadWords(load, *loadFace) : QStringLiteral("Chargez %1").arg(sheets(load))) + u'.';
}

QStringList planWarnings(const PrintPlan& plan, const Printer& printer)
{
    const QRectF sheet = printer.sheet();
    const QRectF printable = printer.printable();
    int off = 0, unprintable = 0, load = 0;
    Cells cell(plan, printer);
    for (const PlannedDocument& document : plan.documents) {
        load = std::max(load, document.sheets());
        for (const PlannedPage& page : document.pages)
            for (const PlacedNumber& number : page.numbers) {
                const QRectF box = plan.box(number, cell(number));
                if (!sheet.contains(box))
                    ++off;
                else if (!printable.contains(box))
                    ++unprintable;
            }
    }
    const QLocale french(QLocale::French);
    QStringList warnings;
    if (off > 0)
        warnings << (off == 1 ? QStringLiteral("1 numéro tomberait hors de la feuille, en tout ou en partie.")
                              : QStringLiteral("%1 numéros tomberaient hors de la feuille, en tout ou en partie.")
                                    .arg(french.toString(off)));
    if (unprintable > 0)
        warnings << (unprintable == 1
                         ? QStringLiteral("1 numéro tombe dans la marge que l'imprimante ne peut pas imprimer.")
                         : QStringLiteral("%1 numéros tombent dans la marge que l'imprimante ne peut pas imprimer.")
                               .arg(french.toString(unprintable)));
    if (load > 1000 && plan.refusal.isEmpty())
        warnings << QStringLiteral("Ce tirage demande %1 : plus de 1 000.").arg(sheets(load));
    return warnings;
}

} // namespace calvorigne
