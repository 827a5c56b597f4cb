// Money as the register keeps it, in whole cents, and as people type and read it in French.
#pragma once

#include <QString>
#include <optional>

namespace calvorigne {

// « 12 », « 12,5 », « 1 234,50 », « 12.50 € »: the cents; nothing for anything else, a negative
// sum or more than two decimals among them.
std::optional<qint64> readMoney(const QString& typed);

// « 1 234,50 € », with non-breaking spaces.
QString moneyText(qint64 cents);

// « 1234,50 »: what a spreadsheet reads as a number.
QString moneyCell(qint64 cents);

} // namespace calvorigne
