#include "papers.h"

#include "raffle/money.h"
#include "raffle/words.h"

#include <QStringList>
#include <map>

namespace calvorigne {

namespace {

QString cell(const QString& text, bool right = false)
{
    return QStringLiteral("<td%1>%2</td>").arg(right ? QStringLiteral(" align=\"right\"") : QString(), text.toHtmlEscaped());
}

QString head(const Raffle& raffle, const QString& title)
{
    QString html = QStringLiteral("<html><body style=\"font-family: sans-serif\"><h2>%1</h2><p><b>%2</b>")
                       .arg(title.toHtmlEscaped(), raffle.name.toHtmlEscaped());
    if (!raffle.association.isEmpty())
        html += QStringLiteral("<br>%1").arg(raffle.association.toHtmlEscaped());
    if (raffle.drawDate.isValid())
        html += QStringLiteral("<br>Tirage le %1%2").arg(raffle.drawDate.toString(QStringLiteral("dd/MM/yyyy")),
                                                         raffle.drawPlace.isEmpty() ? QString() : QStringLiteral(", ") + raffle.drawPlace.toHtmlEscaped());
    return html + QStringLiteral("<br>Prix du billet : %1</p>").arg(moneyText(raffle.priceCents));
}

} // namespace

QString receiptHtml(const Raffle& raffle, const Seller& seller, const std::vector<Ticket>& tickets, const QDate& on)
{
    std::map<int, std::vector<std::pair<qint64, QString>>> booklets;
    for (const Ticket& t : tickets)
        booklets[t.booklet].emplace_back(t.number, t.label);
    QString html = head(raffle, QStringLiteral("Bon de remise"));
    html += QStringLiteral("<p>Remis le %1 à <b>%2</b>%3</p>")
                .arg(on.toString(QStringLiteral("dd/MM/yyyy")), seller.name.toHtmlEscaped(),
                     seller.phone.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(seller.phone.toHtmlEscaped()));
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\"><tr><th>Carnet</th><th>Billets</th><th>Nombre</th>"
                           "<th>Valeur</th></tr>");
    for (const auto& [booklet, numbers] : booklets) {
        QString list = ticketsNamed(numbers);
        list = list.mid(list.indexOf(u' ', 4) + 1); // without « les billets »
        html += QStringLiteral("<tr>") + cell(QString::number(booklet)) + cell(list) + cell(QString::number(numbers.size()), true)
                + cell(moneyText(qint64(numbers.size()) * raffle.priceCents), true) + QStringLiteral("</tr>");
    }
    html += QStringLiteral("<tr><td colspan=\"2\"><b>Total</b></td>") + cell(QString::number(tickets.size()), true)
            + cell(moneyText(qint64(tickets.size()) * raffle.priceCents), true) + QStringLiteral("</tr></table>");
    html += QStringLiteral("<p>Le vendeur rendra les souches des billets vendus, les billets invendus et l'argent des ventes.</p>"
                           "<table width=\"100%\" cellpadding=\"8\"><tr><td width=\"50%\">Pour l'association :<br><br><br>"
                           "Signature : ____________________</td><td>Le vendeur, %1 :<br><br><br>Signature : ____________________</td>"
                           "</tr></table></body></html>")
                .arg(seller.name.toHtmlEscaped());
    return html;
}

QString summaryHtml(const Raffle& raffle, const std::vector<Balance>& balances, const std::vector<PaymentLine>& payments,
                    const QString& seller)
{
    QString html = head(raffle, seller.isEmpty() ? QStringLiteral("Récapitulatif de la tombola")
                                                 : QStringLiteral("Récapitulatif de %1").arg(seller));
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr><th>Vendeur</th><th>Remis</th><th>Vendus</th>"
                           "<th>Invendus</th><th>Annulés</th><th>Perdus</th><th>Dehors</th><th>Dû</th><th>Reçu</th><th>Écart</th></tr>");
    for (const Balance& b : balances) {
        if (!seller.isEmpty() && b.name != seller)
            continue;
        html += QStringLiteral("<tr>") + cell(b.name);
        for (const qint64 n : {b.handedOut, b.sold, b.unsold, b.spoiled, b.lost, b.out})
            html += cell(QString::number(n), true);
        html += cell(moneyText(b.dueCents), true) + cell(moneyText(b.receivedCents), true) + cell(moneyText(b.differenceCents()), true)
                + QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    if (!seller.isEmpty()) {
        html += QStringLiteral("<h3>Paiements</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr><th>Date</th><th>Montant</th>"
                               "<th>Moyen</th></tr>");
        for (const PaymentLine& p : payments)
            if (p.seller == seller)
                html += QStringLiteral("<tr>") + cell(p.on.toString(QStringLiteral("dd/MM/yyyy"))) + cell(moneyText(p.cents), true)
                        + cell(p.cheque.isEmpty() ? p.method : QStringLiteral("%1 n° %2").arg(p.method, p.cheque)) + QStringLiteral("</tr>");
        html += QStringLiteral("</table>");
    }
    return html + QStringLiteral("</body></html>");
}

} // namespace calvorigne
