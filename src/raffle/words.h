// How the register names tickets in what it says: runs of numbers joined, « 0111 à 0120, 0125 ».
#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace calvorigne {

// The tickets, as (number, printed text), in any order: « le billet 0125 », « les billets 0111 à
// 0120 et 0125 »; the first ten runs, then how many more.
QString ticketsNamed(std::vector<std::pair<qint64, QString>> tickets);

// « 3 billets », « 1 billet ».
QString counted(qint64 count, const QString& one, const QString& many);

} // namespace calvorigne
