#include "dossier.h"

#include "platform/htmlpages.h"
#include "raffle/money.h"

namespace calvorigne {

namespace {

QString field(const QString& label, const QString& value)
{
    return QStringLiteral("<tr><td width=\"38%\">%1</td><td><b>%2</b></td></tr>")
        .arg(label.toHtmlEscaped(), value.trimmed().isEmpty() ? QStringLiteral("<i>à compléter</i>") : value.toHtmlEscaped());
}

// Far above any raffle, and far below what the capital's cents could overflow.
constexpr qint64 maxTickets = 10'000'000;

QString section(const QString& title)
{
    return QStringLiteral("</table><h3>%1</h3><table cellpadding=\"3\" width=\"100%\">").arg(title.toHtmlEscaped());
}

} // namespace

QString dossierRefusal(const RaffleFacts& facts)
{
    if (facts.raffle.association.trimmed().isEmpty())
        return QStringLiteral("Le formulaire demande le nom de l'association qui organise la tombola : écrivez-le dans « Modifier la "
                              "tombola ». Rien n'a été écrit.");
    if (facts.tickets <= 0)
        return QStringLiteral("Le formulaire demande le nombre de billets émis : écrivez-le. Rien n'a été écrit.");
    if (facts.tickets > maxTickets)
        return QStringLiteral("%1 billets, c'est plus que Calvorigne n'en numérote (%2 au plus). Rien n'a été écrit.")
            .arg(facts.tickets)
            .arg(maxTickets);
    return {};
}

std::vector<Attachment> attachments(const RaffleFacts& facts)
{
    std::vector<Attachment> all = {
        {QStringLiteral("Le formulaire Cerfa n° 11823*03, rempli et signé"), {}},
        {QStringLiteral("Les statuts de l'association"), {}},
        {QStringLiteral("Un spécimen de billet"), QStringLiteral("« Billet spécimen »")},
        {QStringLiteral("Le nombre et le prix des billets"), QStringLiteral("ce dossier")},
        {QStringLiteral("La liste des lots et leur valeur"), facts.prizes.empty() ? QString() : QStringLiteral("ce dossier")},
        {QStringLiteral("La date et le lieu du tirage"), facts.raffle.drawPlace.trimmed().isEmpty() ? QString() : QStringLiteral("ce dossier")},
        {QStringLiteral("L'utilisation des bénéfices"), facts.raffle.profitUse.trimmed().isEmpty() ? QString() : QStringLiteral("ce dossier")},
        {QStringLiteral("Le règlement de la tombola, souvent demandé"), QStringLiteral("« Règlement de la tombola »")},
    };
    if (facts.capitalCents() > law::balanceSheetAboveCents)
        all.push_back({QStringLiteral("Le bilan du dernier exercice de l'association"), {}});
    return all;
}

QString dossierHtml(const RaffleFacts& facts)
{
    const Raffle& r = facts.raffle;
    QString html = QStringLiteral("<html><body style=\"font-family: sans-serif; font-size: 10pt\">"
                                  "<h2 align=\"center\">Dossier pour la mairie</h2>"
                                  "<p align=\"center\">Demande d'autorisation de loterie, à recopier sur le formulaire Cerfa n° 11823*03</p>");
    const std::vector<Warning> warnings = mayorWarnings(facts);
    if (!warnings.empty()) {
        html += QStringLiteral("<h3 style=\"color: #b00000\">À voir avant de déposer la demande</h3><ul>");
        for (const Warning& w : warnings)
            html += QStringLiteral("<li><span style=\"color: #b00000\">%1</span> <i>(%2)</i></li>").arg(w.text.toHtmlEscaped(), w.rule.toHtmlEscaped());
        html += QStringLiteral("</ul>");
    }
    html += QStringLiteral("<table>") + section(QStringLiteral("1. L'organisateur"));
    html += field(QStringLiteral("Association"), r.association) + field(QStringLiteral("N° RNA"), r.rna)
            + field(QStringLiteral("Adresse du siège"), r.address) + field(QStringLiteral("Président ou présidente"), r.president);
    html += section(QStringLiteral("2. La loterie"));
    html += field(QStringLiteral("Nom"), r.name) + field(QStringLiteral("Objet"), r.purpose) + field(QStringLiteral("Cause"), r.cause);
    html += section(QStringLiteral("3. Les billets"));
    html += field(QStringLiteral("Nombre de billets émis"), QString::number(facts.tickets))
            + field(QStringLiteral("Prix du billet"), moneyText(r.priceCents))
            + field(QStringLiteral("Capital d'émission (nombre × prix)"), moneyText(facts.capitalCents()));
    html += QStringLiteral("</table><h3>4. Les lots</h3>");
    if (facts.prizes.empty()) {
        html += QStringLiteral("<p><i>Aucun lot n'est encore inscrit : ajoutez-les dans « Tirage… ».</i></p>");
    } else {
        html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"><tr><th>N°</th><th>Lot</th>"
                               "<th>Offert par</th><th>Valeur</th></tr>");
        for (const Prize& p : facts.prizes)
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td align=\"right\">%4</td></tr>")
                        .arg(p.rank)
                        .arg(p.description.toHtmlEscaped(), p.donor.toHtmlEscaped(), moneyText(p.valueCents));
        html += QStringLiteral("<tr><td colspan=\"3\"><b>Valeur totale des lots (%1)</b></td><td align=\"right\"><b>%2</b></td></tr></table>")
                    .arg(facts.prizes.size())
                    .arg(moneyText(facts.prizesCents()));
    }
    html += QStringLiteral("<table>") + section(QStringLiteral("5. Le tirage"));
    html += field(QStringLiteral("Date"), r.drawDate.isValid() ? frenchDay(r.drawDate) : QString()) + field(QStringLiteral("Lieu"), r.drawPlace);
    html += section(QStringLiteral("6. L'utilisation des bénéfices")) + field(QStringLiteral("Les bénéfices iront à"), r.profitUse);
    html += QStringLiteral("</table><h3>7. Les pièces à joindre</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">"
                           "<tr><th>Pièce</th><th>Fournie par Calvorigne</th></tr>");
    for (const Attachment& a : attachments(facts))
        html += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                    .arg(a.name.toHtmlEscaped(), a.from.isEmpty() ? QStringLiteral("non : à joindre par l'association")
                                                                  : QStringLiteral("oui : %1").arg(a.from.toHtmlEscaped()));
    html += QStringLiteral("</table><p>Établi par Calvorigne le %1. La demande se dépose à la mairie de la commune du siège de "
                           "l'association (à Paris, à la préfecture de police).</p></body></html>")
                .arg(frenchDay(facts.today));
    return html;
}

QString writeDossier(const RaffleFacts& facts, const QString& path)
{
    if (const QString refusal = dossierRefusal(facts); !refusal.isEmpty())
        return refusal;
    const QString html = dossierHtml(facts);
    return writeWhole(path, [&](QIODevice& file) {
        writePdfPages(html, QStringLiteral("Dossier pour la mairie"), file);
        return true;
    });
}

} // namespace calvorigne
