// Reprints: chosen sheets of the run printed again, as they stand in it.
#include "printrun.h"

#include "core/numbers.h"
#include "platform/dialogs.h"

#include <algorithm>

namespace calvorigne {

namespace {

// The runs of consecutive values of a sorted list, each by its first and its last.
template <typename Value>
std::vector<std::pair<Value, Value>> consecutiveRuns(const std::vector<Value>& sorted)
{
    std::vector<std::pair<Value, Value>> runs;
    for (const Value value : sorted) {
        if (runs.empty() || value > runs.back().second + 1)
            runs.emplace_back(value, value);
        else
            runs.back().second = value;
    }
    return runs;
}

} // namespace

void PrintRun::reprint(const std::vector<SheetSelection>& selection, bool testSheet)
{
    m_dialogs.setBusy(true);
    const PrintPlan plan = planRun(m_layout, m_printer, m_corrections);
    if (!plan.refusal.isEmpty())
        return refuse(plan.refusal);
    // The chosen pages of each pass, as they stand in the run, one document a pass.
    std::vector<PlannedDocument> documents;
    QStringList sheets;
    for (const SheetSelection& chosen : selection) {
        const auto found = std::find_if(plan.documents.begin(), plan.documents.end(),
                                        [&](const PlannedDocument& d) { return d.pass > 0 && d.pass == chosen.pass; });
        if (found == plan.documents.end())
            continue;
        const PlannedDocument& pass = *found;
        PlannedDocument& document = documents.emplace_back();
        document.after = PlannedDocument::Turn;
        document.pass = pass.pass;
        for (const int sheet : chosen.sheets)
            if (sheet >= 0 && sheet < pass.sheets())
                document.pages.push_back(pass.pages[std::size_t(sheet)]);
        if (document.pages.empty()) {
            documents.pop_back();
            continue;
        }
        sheets << sheetNames(chosen.sheets, pass.sheets());
    }
    if (documents.empty())
        return refuse(QStringLiteral("Aucune feuille de ce tirage n'est choisie."));
    documents.back().after = PlannedDocument::Nothing;
    startEntry(plan, testSheet ? QStringLiteral("essai") : QStringLiteral("réimpression"));
    // Each stretch of consecutive numbers printed again, its first and its last.
    std::vector<double> numbers;
    for (const PlannedDocument& document : documents) {
        m_entry.passPages << int(document.pages.size());
        for (const PlannedPage& page : document.pages)
            for (const PlacedNumber& number : page.numbers)
                if (number.copy == 0)
                    numbers.push_back(number.value);
    }
    std::sort(numbers.begin(), numbers.end());
    QStringList firsts, lasts;
    for (const auto& [first, last] : consecutiveRuns(numbers)) {
        firsts << padNumber(first, QStringLiteral("0000"));
        lasts << padNumber(last, QStringLiteral("0000"));
    }
    m_entry.first = firsts.join(QStringLiteral(", "));
    m_entry.last = lasts.join(QStringLiteral(", "));

    if (!printDocuments(plan, documents, false))
        return;
    m_dialogs.setBusy(false);
    const QStringList files = finishEntry(endOutcome());
    // A pass not followed to the paper is said to be sent, not printed.
    QStringList said;
    for (std::size_t d = 0; d < documents.size(); ++d) {
        const PlannedDocument& document = documents[d];
        const bool several = document.pages.size() > 1;
        const bool sent = std::find(m_unfollowed.begin(), m_unfollowed.end(), document.pass) != m_unfollowed.end();
        const auto [count, low, high] = document.numbers();
        said << QStringLiteral("%1 du passage %2 %3 : %4 numéro%5, de %6 à %7.")
                    .arg(sheets[qsizetype(d)])
                    .arg(document.pass)
                    .arg(sent       ? (several ? QStringLiteral("envoyées à l'imprimante") : QStringLiteral("envoyée à l'imprimante"))
                         : testSheet ? QStringLiteral("imprimée pour essai")
                         : several   ? QStringLiteral("réimprimées")
                                     : QStringLiteral("réimprimée"))
                    .arg(count)
                    .arg(count > 1 ? QStringLiteral("s") : QString())
                    .arg(padNumber(low, QStringLiteral("0000")), padNumber(high, QStringLiteral("0000")));
    }
    QString text = withNote(said.join(u'\n'));
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
    for (const auto& [first, last] : consecutiveRuns(kept))
        runs << (first == last ? QString::number(first) : QStringLiteral("%1 à %2").arg(first).arg(last));
    return QStringLiteral("Feuilles ") + runs.join(QStringLiteral(", "));
}

} // namespace calvorigne
