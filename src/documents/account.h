// « Compte rendu financier »: what the raffle brought in against what it cost, and where the
// result goes, as the mayor may ask for it afterwards; as PDF and as CSV for French Excel.
#pragma once

#include "raffle/types.h"

#include <QByteArray>
#include <QDate>
#include <vector>

namespace calvorigne {

struct AccountFacts {
    Raffle raffle;
    std::vector<Balance> balances; // each seller's, then the raffle's total (seller 0)
    Account account;
    QDate today;

    const Balance& total() const;
    qint64 soldCents() const { return total().sold * raffle.priceCents; }
    qint64 receivedCents() const { return total().receivedCents; }
    // The money received less the costs.
    qint64 resultCents() const { return receivedCents() - account.costsCents(); }
};

QString accountHtml(const AccountFacts& facts);
QByteArray accountCsv(const AccountFacts& facts);
// The PDF at pdfPath and the CSV beside it, both or neither. Why not; empty when written.
QString writeAccount(const AccountFacts& facts, const QString& pdfPath);

} // namespace calvorigne
