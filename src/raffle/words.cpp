#include "words.h"

#include <QStringList>
#include <algorithm>

namespace calvorigne {

QString counted(qint64 count, const QString& one, const QString& many)
{
    return QStringLiteral("%1 %2").arg(count).arg(count > 1 ? many : one);
}

QString ticketsNamed(std::vector<std::pair<qint64, QString>> tickets)
{
    std::sort(tickets.begin(), tickets.end());
    QStringList runs;
    qsizetype more = 0;
    for (std::size_t k = 0; k < tickets.size();) {
        std::size_t end = k;
        while (end + 1 < tickets.size() && tickets[end + 1].first == tickets[end].first + 1)
            ++end;
        if (runs.size() < 10)
            runs << (end == k ? tickets[k].second : QStringLiteral("%1 à %2").arg(tickets[k].second, tickets[end].second));
        else
            ++more;
        k = end + 1;
    }
    if (runs.isEmpty())
        return {};
    const bool one = tickets.size() == 1;
    QString list = runs.size() == 1 ? runs.front() : runs.mid(0, runs.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" et ") + runs.back();
    if (more > 0)
        list = runs.join(QStringLiteral(", ")) + QStringLiteral(" et %1").arg(counted(more, QStringLiteral("autre série"), QStringLiteral("autres séries")));
    return (one ? QStringLiteral("le billet ") : QStringLiteral("les billets ")) + list;
}

} // namespace calvorigne
