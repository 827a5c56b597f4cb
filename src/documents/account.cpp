#include "account.h"

#include "documents/law.h"
#include "platform/htmlpages.h"
#include "raffle/exports.h"
#include "raffle/money.h"
#include "raffle/papers.h"
#include "records/journal.h"

#include <QDir>
#include <QFileInfo>

namespace calvorigne {

namespace {

struct Line {
    QString part, label;
    qint64 cents;
};

// The account's lines, the same in the PDF and in the CSV.
std::vector<Line> lines(const AccountFacts& f)
{
    const QString in = QStringLiteral("Recettes"), out = QStringLiteral("Frais"), result = QStringLiteral("Résultat");
    const Account& a = f.account;
    std::vector<Line> all = {
        {in, QStringLiteral("Billets vendus : %1 × %2").arg(f.total().sold).arg(moneyText(f.raffle.priceCents)), f.soldCents()},
        {in, QStringLiteral("Argent reçu des vendeurs"), f.receivedCents()},
        {in, QStringLiteral("Écart (reçu − dû)"), f.receivedCents() - f.soldCents()},
        {out, QStringLiteral("Lots achetés"), a.prizesCents},
        {out, QStringLiteral("Impression"), a.printingCents},
        {out, QStringLiteral("Papier des billets"), a.paperCents},
    };
    if (a.otherCents > 0 || !a.otherLabel.trimmed().isEmpty())
        all.push_back({out, QStringLiteral("Autres frais : %1").arg(a.otherLabel.trimmed()), a.otherCents});
    all.push_back({out, QStringLiteral("Total des frais"), a.costsCents()});
    all.push_back({result, QStringLiteral("Résultat net (reçu − frais)"), f.resultCents()});
    return all;
}

QString useOf(const AccountFacts& f)
{
    return f.account.resultUse.trimmed().isEmpty() ? f.raffle.profitUse.trimmed() : f.account.resultUse.trimmed();
}

} // namespace

const Balance& AccountFacts::total() const
{
    static const Balance none;
    for (const Balance& b : balances)
        if (b.seller == 0)
            return b;
    return none;
}

QString accountHtml(const AccountFacts& f)
{
    const Raffle& r = f.raffle;
    QString html = QStringLiteral("<html><body style=\"font-family: sans-serif; font-size: 10pt\"><h2 align=\"center\">Compte rendu "
                                  "financier</h2><p><b>%1</b>, organisée par %2.<br>%3%4.<br>Autorisation : %5.</p>")
                       .arg(r.name.toHtmlEscaped(),
                            r.association.trimmed().isEmpty() ? QStringLiteral("l'association") : r.association.trimmed().toHtmlEscaped(),
                            r.drawDate.isValid() ? QStringLiteral("Tirage le %1").arg(frenchDay(r.drawDate)) : QStringLiteral("Date du tirage à fixer"),
                            r.drawPlace.trimmed().isEmpty() ? QString() : QStringLiteral(", ") + r.drawPlace.toHtmlEscaped(),
                            r.authorisation.trimmed().isEmpty() ? QStringLiteral("non renseignée") : r.authorisation.toHtmlEscaped());
    QString part;
    for (const Line& line : lines(f)) {
        if (line.part != part) {
            html += (part.isEmpty() ? QString() : QStringLiteral("</table>"))
                    + QStringLiteral("<h3>%1</h3><table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">").arg(line.part);
            part = line.part;
        }
        const bool sum = line.label.startsWith(u"Total") || line.part == u"Résultat";
        html += QStringLiteral("<tr><td>%1%2%3</td><td align=\"right\" width=\"25%\">%1%4%3</td></tr>")
                    .arg(sum ? QStringLiteral("<b>") : QString(), line.label.toHtmlEscaped(), sum ? QStringLiteral("</b>") : QString(),
                         moneyText(line.cents));
    }
    html += QStringLiteral("</table><p>Le résultat va à : <b>%1</b></p>")
                .arg(useOf(f).isEmpty() ? QStringLiteral("à préciser") : useOf(f).toHtmlEscaped());
    // The sellers' table as the raffle's summary prints it, without its heading.
    QString sellers = summaryHtml(r, f.balances, {});
    sellers = sellers.mid(sellers.indexOf(QStringLiteral("<table")));
    html += QStringLiteral("<h3>Les vendeurs</h3>") + sellers.left(sellers.lastIndexOf(QStringLiteral("</body>")));
    html += QStringLiteral("<p>Établi par Calvorigne le %1.</p><table width=\"100%\" cellpadding=\"6\"><tr><td>Le président ou la "
                           "présidente :<br><br><br></td><td>Le trésorier ou la trésorière :<br><br><br></td></tr></table></body></html>")
                .arg(frenchDay(f.today));
    return html;
}

QByteArray accountCsv(const AccountFacts& f)
{
    QByteArray bytes = csvHead({QStringLiteral("Rubrique"), QStringLiteral("Libellé"), QStringLiteral("Montant (€)")});
    for (const Line& line : lines(f))
        bytes += csvLine({line.part, line.label, moneyCell(line.cents)});
    bytes += csvLine({QStringLiteral("Résultat"), QStringLiteral("Va à"), useOf(f)});
    bytes += csvLine({});
    // The sellers as their own CSV has them, its byte-order mark already at the top.
    return bytes + balancesCsv(f.balances).mid(3);
}

QString writeAccount(const AccountFacts& facts, const QString& pdfPath)
{
    const QFileInfo pdf(pdfPath);
    const QByteArray csv = accountCsv(facts);
    return writeAll({{pdfPath,
                      [&](QIODevice& file) {
                          writePdfPages(accountHtml(facts), QStringLiteral("Compte rendu financier"), file);
                          return true;
                      }},
                     {pdf.dir().filePath(pdf.completeBaseName() + QStringLiteral(".csv")),
                      [&](QIODevice& file) { return file.write(csv) == csv.size(); }}});
}

} // namespace calvorigne
