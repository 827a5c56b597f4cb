#include "minutes.h"

#include "draw/algorithm.h"
#include "raffle/money.h"

#include "platform/htmlpages.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

namespace calvorigne {

namespace {

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString row(const QStringList& cells)
{
    QString html = QStringLiteral("<tr>");
    for (const QString& cell : cells)
        html += QStringLiteral("<td>%1</td>").arg(escaped(cell));
    return html + QStringLiteral("</tr>");
}

QString day(const QDateTime& at)
{
    return at.toString(QStringLiteral("dd/MM/yyyy à HH:mm:ss"));
}

} // namespace

QString minutesHtml(const Raffle& raffle, const DrawCounts& counts, const DrawState& draw, const std::vector<Prize>& prizes)
{
    QString html = QStringLiteral("<html><body style=\"font-family: sans-serif; font-size: 10pt\"><h2 align=\"center\">Procès-verbal du tirage</h2>");
    html += QStringLiteral("<p><b>%1</b>, organisée par %2%3%4.<br>Autorisation : %5.<br>Tirage le %6, %7.</p>")
                .arg(escaped(raffle.name), escaped(raffle.association.isEmpty() ? QStringLiteral("l'association") : raffle.association),
                     raffle.address.isEmpty() ? QString() : QStringLiteral(", ") + escaped(raffle.address),
                     raffle.rna.isEmpty() ? QString() : QStringLiteral(" (RNA %1)").arg(escaped(raffle.rna)),
                     escaped(raffle.authorisation.isEmpty() ? QStringLiteral("non renseignée") : raffle.authorisation),
                     draw.results.empty() ? draw.frozenAt.toString(QStringLiteral("dd/MM/yyyy")) : day(draw.results.front().at),
                     escaped(raffle.drawPlace.isEmpty() ? QStringLiteral("lieu non renseigné") : raffle.drawPlace));
    html += QStringLiteral("<h3>Les billets</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">");
    html += row({QStringLiteral("Imprimés"), QStringLiteral("Remis aux vendeurs"), QStringLiteral("Vendus"), QStringLiteral("Invendus"),
                 QStringLiteral("Annulés"), QStringLiteral("Perdus")});
    html += row({QString::number(counts.printed), QString::number(counts.handedOut), QString::number(counts.sold), QString::number(counts.unsold),
                 QString::number(counts.spoiled), QString::number(counts.lost)});
    html += QStringLiteral("</table><p>La liste des %1 billets vendus a été gelée le %2. Son empreinte SHA-256\u00A0:<br><tt>%3</tt></p>")
                .arg(draw.list.size()).arg(day(draw.frozenAt), draw::readAloud(draw.listHash));
    html += QStringLiteral("<h3>La méthode</h3>");
    if (draw.method == u"programme") {
        html += QStringLiteral("<p>Tirage par le programme (%1). Chiffres des dés des témoins :</p><ul>").arg(escaped(draw::algorithmName));
        for (const QString& digits : draw.witnesses)
            html += QStringLiteral("<li><tt>%1</tt></li>").arg(escaped(digits));
        html += QStringLiteral("</ul><p>Graine\u00A0: <tt>%1</tt>. Chaque billet vendu est classé par le HMAC-SHA-256 de son numéro, clé "
                               "la graine ; les premiers rangs gagnent les lots dans l'ordre, les suivants sont suppléants. Le fichier de "
                               "données joint permet à chacun de refaire le calcul.</p>")
                    .arg(draw::readAloud(draw.graine));
    } else {
        html += QStringLiteral("<p>Tirage à l'urne : chaque billet tiré a été vérifié par le programme (de cette tombola, vendu, pas encore "
                               "gagnant).</p>");
    }
    html += QStringLiteral("<p>Lots tirés %1.</p>").arg(draw.lastFirst ? QStringLiteral("du dernier au premier") : QStringLiteral("du premier au dernier"));
    html += QStringLiteral("<h3>Les lots et leurs gagnants</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">");
    html += row({QStringLiteral("Lot"), QStringLiteral("Description"), QStringLiteral("Valeur"), QStringLiteral("Billet gagnant"), QStringLiteral("Heure")});
    for (const Prize& prize : prizes) {
        QString winner = QStringLiteral("non tiré"), at;
        for (const DrawResult& r : draw.results)
            if (r.outcome == u"gagnant" && r.prizeRank == prize.rank)
                winner = r.label, at = r.at.toString(QStringLiteral("HH:mm:ss"));
        html += row({QString::number(prize.rank), prize.description + (prize.donor.isEmpty() ? QString() : QStringLiteral(" (offert par %1)").arg(prize.donor)),
                     moneyText(prize.valueCents), winner, at});
    }
    html += QStringLiteral("</table>");
    QStringList aside;
    for (const DrawResult& r : draw.results)
        if (r.outcome != u"gagnant")
            aside << QStringLiteral("%1 à %2 : billet %3, %4%5")
                         .arg(r.outcome == u"absent" ? QStringLiteral("Tiré à nouveau") : QStringLiteral("Écarté"), r.at.toString(QStringLiteral("HH:mm:ss")),
                              r.label, r.reason, r.prizeRank ? QStringLiteral(" (lot n° %1)").arg(r.prizeRank) : QString());
    html += QStringLiteral("<h3>Billets écartés et nouveaux tirages</h3>");
    if (aside.isEmpty())
        html += QStringLiteral("<p>Aucun.</p>");
    else {
        html += QStringLiteral("<ul>");
        for (const QString& line : aside)
            html += QStringLiteral("<li>%1</li>").arg(escaped(line));
        html += QStringLiteral("</ul>");
    }
    html += QStringLiteral("<h3>Signatures</h3><table width=\"100%\" cellpadding=\"6\"><tr><td>Le président ou la présidente%1 :<br><br><br></td>"
                           "<td>Témoin :<br><br><br></td><td>Témoin :<br><br><br></td></tr></table></body></html>")
                .arg(raffle.president.isEmpty() ? QString() : QStringLiteral(", ") + escaped(raffle.president));
    return html;
}

QString writeMinutes(const QString& html, const QJsonObject& data, const QString& pdfPath)
{
    const QString jsonPath = QFileInfo(pdfPath).dir().filePath(QFileInfo(pdfPath).completeBaseName() + QStringLiteral(".json"));
    return writeAll({{jsonPath, [&](QIODevice& file) { return file.write(QJsonDocument(data).toJson()) >= 0; }},
                     {pdfPath, [&](QIODevice& file) {
                          writePdfPages(html, QStringLiteral("Procès-verbal du tirage"), file);
                          return true;
                      }}});
}

} // namespace calvorigne
