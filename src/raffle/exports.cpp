#include "exports.h"

#include "raffle/money.h"
#include "records/journal.h"

namespace calvorigne {

namespace {

const QByteArray bom = "\xEF\xBB\xBF";

QString day(const QDate& date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

// What a user typed, never run as a formula by the spreadsheet.
QString typedText(const QString& text)
{
    return !text.isEmpty() && QStringLiteral("=+-@").contains(text.front()) ? u'\'' + text : text;
}

} // namespace

QString stateWords(const QString& state)
{
    return state == u"stock" ? QStringLiteral("en réserve") : state == u"remis" ? QStringLiteral("chez le vendeur") : state;
}

QByteArray ticketsCsv(const std::vector<Ticket>& tickets, bool buyers)
{
    QStringList headers = {QStringLiteral("Billet"), QStringLiteral("Carnet"), QStringLiteral("État"), QStringLiteral("Vendeur"),
                           QStringLiteral("Remis le"), QStringLiteral("Rendu le")};
    if (buyers)
        headers << QStringLiteral("Acheteur") << QStringLiteral("Téléphone de l'acheteur");
    QByteArray bytes = bom + csvLine(headers);
    bytes.reserve(qsizetype(tickets.size()) * 48);
    for (const Ticket& t : tickets) {
        QStringList cells = {t.label, QString::number(t.booklet), stateWords(t.state), typedText(t.seller), day(t.handedOn),
                             day(t.returnedOn)};
        if (buyers)
            cells << typedText(t.buyerName) << typedText(t.buyerPhone);
        bytes += csvLine(cells);
    }
    return bytes;
}

QByteArray balancesCsv(const std::vector<Balance>& balances)
{
    QByteArray bytes = bom + csvLine({QStringLiteral("Vendeur"), QStringLiteral("Remis"), QStringLiteral("Vendus"), QStringLiteral("Invendus"),
                                      QStringLiteral("Annulés"), QStringLiteral("Perdus"), QStringLiteral("Encore dehors"),
                                      QStringLiteral("Dû (€)"), QStringLiteral("Reçu (€)"), QStringLiteral("Écart (€)")});
    for (const Balance& b : balances)
        bytes += csvLine({typedText(b.name), QString::number(b.handedOut), QString::number(b.sold), QString::number(b.unsold),
                          QString::number(b.spoiled), QString::number(b.lost), QString::number(b.out), moneyCell(b.dueCents),
                          moneyCell(b.receivedCents), moneyCell(b.differenceCents())});
    return bytes;
}

QByteArray paymentsCsv(const std::vector<PaymentLine>& payments)
{
    QByteArray bytes = bom + csvLine({QStringLiteral("Date"), QStringLiteral("Vendeur"), QStringLiteral("Montant (€)"),
                                      QStringLiteral("Moyen"), QStringLiteral("Chèque n°")});
    for (const PaymentLine& p : payments)
        bytes += csvLine({day(p.on), typedText(p.seller), moneyCell(p.cents), p.method, typedText(p.cheque)});
    return bytes;
}

} // namespace calvorigne
