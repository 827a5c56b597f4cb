// What the register prints, as HTML for a QTextDocument: the receipt a seller signs for the
// booklets handed out, and the summary of the money, per seller and for the raffle.
#pragma once

#include "raffle/types.h"

#include <QString>
#include <vector>

namespace calvorigne {

// « Bon de remise »: the seller, the booklets with their numbers, their value, two signatures.
QString receiptHtml(const Raffle& raffle, const Seller& seller, const std::vector<Ticket>& tickets, const QDate& on);

// The raffle's total and each seller's line; with one seller, that seller's payments too.
QString summaryHtml(const Raffle& raffle, const std::vector<Balance>& balances, const std::vector<PaymentLine>& payments,
                    const QString& seller = {});

} // namespace calvorigne
