#include "overlap.h"

#include "core/numbers.h"
#include "platform/printer.h"

#include <QLocale>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

namespace calvorigne {

namespace {

constexpr double margin = 0.15; // mm around each text's ink: two texts closer than 0.3 mm touch

QString text(double n)
{
    return padNumber(n, QStringLiteral("0000"));
}

// How a placed text is named in a refusal.
QString named(const PlacedNumber& number)
{
    return number.copy > 0 ? QStringLiteral("la souche %1 du numéro %2").arg(number.copy).arg(text(number.value))
                           : QStringLiteral("le numéro %1").arg(text(number.value));
}

// Each placed text's ink on the paper, turned as it prints and widened by the margin.
class Inks {
public:
    Inks(const PrintPlan& plan, const Printer& printer) : m_plan(plan), m_boxes(plan, printer, &Printer::inkBox) {}

    QRectF operator()(const PlacedNumber& number)
    {
        const QRectF ink = QTransform().translate(number.left, number.top).rotate(m_plan.rotationOf(number)).mapRect(m_boxes(number));
        return ink.adjusted(-margin, -margin, margin, margin);
    }

private:
    const PrintPlan& m_plan;
    TextMeasures<QRectF> m_boxes;
};

// Every pair of the page's texts whose inks touch, the later text first in printing order.
std::vector<std::pair<std::size_t, std::size_t>> touching(const PlannedPage& page, Inks& ink)
{
    const std::vector<PlacedNumber>& on = page.numbers;
    std::vector<QRectF> boxes;
    std::vector<std::size_t> byTop(on.size());
    for (std::size_t k = 0; k < on.size(); ++k) {
        boxes.push_back(ink(on[k]));
        byTop[k] = k;
    }
    std::sort(byTop.begin(), byTop.end(), [&](std::size_t a, std::size_t b) { return boxes[a].top() < boxes[b].top(); });
    std::vector<std::pair<std::size_t, std::size_t>> pairs;
    for (std::size_t a = 0; a < byTop.size(); ++a)
        for (std::size_t b = a + 1; b < byTop.size() && boxes[byTop[b]].top() < boxes[byTop[a]].bottom(); ++b)
            if (boxes[byTop[a]].intersects(boxes[byTop[b]]))
                pairs.emplace_back(std::max(byTop[a], byTop[b]), std::min(byTop[a], byTop[b]));
    return pairs;
}

// The smallest value, rounded up to a tenth, that makes a distance grow by `needed` when each
// step of it grows by `steps` times the value's growth.
QString atLeast(double now, double needed, int steps)
{
    const double value = std::ceil((now + needed / steps) * 10 - 1e-6) / 10;
    return QLocale(QLocale::French).toString(value, 'f', 1);
}

} // namespace

std::vector<QRectF> overlappingOn(const PrintPlan& plan, const PlannedPage& page, const Printer& printer)
{
    Inks ink(plan, printer);
    std::set<std::size_t> found;
    for (const auto& [later, earlier] : touching(page, ink))
        found.insert({later, earlier});
    std::vector<QRectF> inks;
    for (const std::size_t k : found)
        inks.push_back(ink(page.numbers[k]));
    return inks;
}

QString overlapRefusal(const PrintPlan& plan, const Printer& printer)
{
    Inks ink(plan, printer);
    // Pages that hold as many texts of the same lengths stand alike: each kind is looked at once.
    std::set<std::tuple<std::size_t, qsizetype, qsizetype>> seen;
    for (const PlannedDocument& document : plan.documents)
        for (const PlannedPage& page : document.pages) {
            const std::vector<PlacedNumber>& on = page.numbers;
            if (on.size() < 2 || !seen.insert({on.size(), on.front().length, on.back().length}).second)
                continue;
            const auto pairs = touching(page, ink);
            if (pairs.empty())
                continue;
            const auto [laterAt, earlierAt] = *std::min_element(pairs.begin(), pairs.end());
            const PlacedNumber &later = on[laterAt], &earlier = on[earlierAt];
            if (later.copy > 0 || earlier.copy > 0) {
                const PlacedNumber& stub = later.copy > 0 ? later : earlier;
                const PlacedNumber& other = later.copy > 0 ? earlier : later;
                return QStringLiteral("La souche %1 du numéro %2 recouvrirait %3 : changez son décalage, sa taille ou sa "
                                      "rotation.")
                    .arg(stub.copy)
                    .arg(text(stub.value), named(other));
            }
            const QRectF a = ink(earlier), b = ink(later);
            if (later.column != earlier.column) {
                const int steps = int(later.column) - int(earlier.column);
                // Columns to the right of their neighbour, as a pitch lays them out.
                if (plan.model.pitch > 0 && steps > 0)
                    return QStringLiteral("Le numéro %1 (colonne %2) recouvrirait %3 : portez « Écart entre colonnes » à %4 mm "
                                          "au moins.")
                        .arg(text(later.value))
                        .arg(later.column)
                        .arg(text(earlier.value), atLeast(plan.model.pitch, a.right() - b.left(), steps));
                return QStringLiteral("Le numéro %1 (colonne %2) recouvrirait %3 : augmentez « Écart entre colonnes ».")
                    .arg(text(later.value))
                    .arg(later.column)
                    .arg(text(earlier.value));
            }
            return QStringLiteral("Le numéro %1 recouvrirait %2 : portez « E » à %3 mm au moins.")
                .arg(text(later.value), text(earlier.value),
                     atLeast(plan.spacing, a.bottom() - b.top(), std::max(1, int(later.row) - int(earlier.row))));
        }
    return {};
}

} // namespace calvorigne
