#include "booklets.h"

#include "records/journal.h"
#include "core/numbers.h"

#include <QDate>
#include <algorithm>

namespace calvorigne {

namespace {

QString number(double n)
{
    return padNumber(n, QStringLiteral("0000"));
}

QString span(int from, int to)
{
    return from == to ? QString::number(from) : QStringLiteral("%1 à %2").arg(from).arg(to);
}

} // namespace

BookletList bookletList(const PrintPlan& plan)
{
    BookletList list;
    list.bySheet = plan.folios == 1;
    list.columns = plan.model.columns > 1;
    list.title = QStringLiteral("Tirage des numéros %1 à %2 – liste des %3, le %4")
                     .arg(number(plan.first), number(plan.lastPrinted()),
                          list.bySheet ? QStringLiteral("feuilles") : QStringLiteral("carnets"),
                          QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    if (!plan.refusal.isEmpty())
        return list;
    for (const PlannedDocument& document : plan.documents) {
        if (document.pass == 0)
            continue;
        for (std::size_t page = 0; page < document.pages.size(); ++page) {
            const int sheet = int(page) + 1;
            for (const PlacedNumber& placed : document.pages[page].numbers) {
                if (placed.copy > 0)
                    continue;
                std::size_t at = std::size_t(placed.booklet - 1);
                if (list.bySheet) {
                    const bool sameSheet = !list.lines.empty() && list.lines.back().pass == document.pass
                                           && list.lines.back().firstSheet == sheet;
                    at = list.lines.size() - (sameSheet ? 1 : 0);
                }
                if (at >= list.lines.size())
                    list.lines.resize(at + 1);
                BookletLine& line = list.lines[at];
                if (line.number == 0) {
                    line = {int(at) + 1, placed.value, placed.value, document.pass, sheet, sheet, int(placed.row), int(placed.column)};
                    continue;
                }
                line.first = std::min(line.first, placed.value);
                line.last = std::max(line.last, placed.value);
                line.firstSheet = std::min(line.firstSheet, sheet);
                line.lastSheet = std::max(line.lastSheet, sheet);
            }
        }
    }
    std::erase_if(list.lines, [](const BookletLine& line) { return line.number == 0; });
    return list;
}

QStringList BookletList::headers() const
{
    QStringList headers = {bySheet ? QStringLiteral("Feuille") : QStringLiteral("Carnet"), QStringLiteral("Premier numéro"),
                           QStringLiteral("Dernier numéro"), QStringLiteral("Passage"),
                           bySheet ? QStringLiteral("Feuille du passage") : QStringLiteral("Feuilles")};
    if (!bySheet)
        headers << QStringLiteral("Rang");
    if (!bySheet && columns)
        headers << QStringLiteral("Colonne");
    return headers << QStringLiteral("Vendeur") << QStringLiteral("Remis le") << QStringLiteral("Rendu le")
                   << QStringLiteral("Billets vendus");
}

QStringList BookletList::cells(const BookletLine& line) const
{
    QStringList cells = {QString::number(line.number), number(line.first), number(line.last), QString::number(line.pass),
                         span(line.firstSheet, line.lastSheet)};
    if (!bySheet)
        cells << QString::number(line.row);
    if (!bySheet && columns)
        cells << QString::number(line.column);
    return cells << QString() << QString() << QString() << QString();
}

QByteArray BookletList::csv() const
{
    QByteArray bytes = csvHead(headers());
    for (const BookletLine& line : lines)
        bytes += csvLine(cells(line));
    return bytes;
}

} // namespace calvorigne
