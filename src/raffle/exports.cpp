#include "exports.h"

#include "raffle/money.h"
#include "records/journal.h"

#include <map>
#include <tuple>

namespace calvorigne {

namespace {

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

QString BookletState::words() const
{
    const qint64 all = stock + out + sold + unsold + spoiled + lost;
    if (stock == all)
        return QStringLiteral("en réserve");
    if (out == all)
        return QStringLiteral("chez le vendeur");
    if (lost == all)
        return QStringLiteral("perdu");
    QStringList parts;
    for (const auto& [n, one, many] : {std::tuple{sold, "vendu", "vendus"}, std::tuple{unsold, "invendu", "invendus"},
                                       std::tuple{spoiled, "annulé", "annulés"}, std::tuple{lost, "perdu", "perdus"},
                                       std::tuple{out, "encore dehors", "encore dehors"}, std::tuple{stock, "en réserve", "en réserve"}})
        if (n > 0)
            parts << QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n > 1 ? many : one));
    return (out > 0 || stock > 0 ? QStringLiteral("en partie rendu : ") : QStringLiteral("rendu : ")) + parts.join(QStringLiteral(", "));
}

std::vector<BookletState> bookletStates(const std::vector<Ticket>& tickets)
{
    std::map<int, BookletState> booklets;
    for (const Ticket& t : tickets) {
        BookletState& b = booklets[t.booklet];
        if (b.first.isEmpty())
            b.booklet = t.booklet, b.first = t.label;
        b.last = t.label;
        if (!t.seller.isEmpty())
            b.seller = t.seller;
        if (t.handedOn.isValid())
            b.handedOn = t.handedOn;
        (t.state == u"stock" ? b.stock : t.state == u"remis" ? b.out : t.state == u"vendu" ? b.sold : t.state == u"invendu" ? b.unsold
         : t.state == u"annulé"                        ? b.spoiled
                                                        : b.lost) += 1;
    }
    std::vector<BookletState> all;
    all.reserve(booklets.size());
    for (auto& [number, state] : booklets)
        all.push_back(std::move(state));
    return all;
}

QByteArray ticketsCsv(const std::vector<Ticket>& tickets, bool buyers)
{
    QStringList headers = {QStringLiteral("Billet"), QStringLiteral("Carnet"), QStringLiteral("État"), QStringLiteral("Vendeur"),
                           QStringLiteral("Remis le"), QStringLiteral("Rendu le")};
    if (buyers)
        headers << QStringLiteral("Acheteur") << QStringLiteral("Téléphone de l'acheteur");
    QByteArray bytes = csvHead(headers);
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
    QByteArray bytes = csvHead({QStringLiteral("Vendeur"), QStringLiteral("Remis"), QStringLiteral("Vendus"), QStringLiteral("Invendus"),
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
    QByteArray bytes = csvHead({QStringLiteral("Date"), QStringLiteral("Vendeur"), QStringLiteral("Montant (€)"),
                                      QStringLiteral("Moyen"), QStringLiteral("Chèque n°")});
    for (const PaymentLine& p : payments)
        bytes += csvLine({day(p.on), typedText(p.seller), moneyCell(p.cents), p.method, typedText(p.cheque)});
    return bytes;
}

} // namespace calvorigne
