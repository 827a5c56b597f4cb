#include "rules.h"

#include "draw/algorithm.h"
#include "platform/htmlpages.h"
#include "raffle/money.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTextDocument>
#include <QTextDocumentWriter>

namespace calvorigne {

namespace {

QString article(int number, const QString& title, const QString& body)
{
    return QStringLiteral("<h3>Article %1 – %2</h3>%3").arg(number).arg(title.toHtmlEscaped(), body);
}

QString para(const QString& text)
{
    return QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped());
}

// « , dont le siège est …, représentée par …, », closed by its comma; nothing when neither is known.
QString appositions(const Raffle& r)
{
    QString words;
    if (!r.address.trimmed().isEmpty())
        words += QStringLiteral(", dont le siège est %1").arg(r.address.trimmed());
    if (!r.president.trimmed().isEmpty())
        words += QStringLiteral(", représentée par %1").arg(r.president.trimmed());
    return words.isEmpty() ? words : words + u',';
}

QString drawWords(const RaffleFacts& facts, const RulesChoices& choices)
{
    const Raffle& r = facts.raffle;
    QString words = para(QStringLiteral("Le tirage a lieu le %1, %2, en public.")
                             .arg(frenchDay(r.drawDate), r.drawPlace.trimmed().isEmpty() ? QStringLiteral("au lieu que l'association annoncera")
                                                                                         : r.drawPlace.trimmed()));
    words += para(QStringLiteral("Seuls les billets vendus participent. Avant le tirage, la liste des billets vendus est arrêtée et son "
                                 "empreinte (SHA-256) est affichée ; plus rien ne peut y être ajouté."));
    if (choices.method == u"programme")
        words += para(QStringLiteral("Le tirage est fait par le programme Calvorigne, devant le public. Au moins deux témoins pris dans "
                                     "le public lancent des dés ; leurs chiffres, avec l'empreinte de la liste, donnent la graine du "
                                     "tirage. Chaque billet vendu est classé par le HMAC-SHA-256 de son numéro, clé la graine (méthode « %1 ») : les premiers rangs "
                                     "gagnent les lots dans l'ordre, les suivants sont suppléants. Le procès-verbal et son fichier de "
                                     "données sont à la disposition de tous : chacun peut refaire le calcul et trouver les mêmes "
                                     "gagnants.")
                          .arg(draw::algorithmName));
    else
        words += para(QStringLiteral("Les talons des billets vendus sont placés dans une urne. Une personne tire un billet par lot ; "
                                     "chaque billet tiré est vérifié à la lecture de son numéro, et un billet qui n'a pas été vendu "
                                     "est écarté et remplacé par un autre tiré."));
    return words + para(QStringLiteral("Un procès-verbal du tirage, signé du président et de deux témoins, en garde les résultats."));
}

} // namespace

QString rulesRefusal(const RaffleFacts& facts)
{
    if (facts.raffle.association.trimmed().isEmpty())
        return QStringLiteral("Le règlement nomme l'association qui organise la tombola : écrivez son nom dans « Modifier la tombola ». "
                              "Rien n'a été écrit.");
    if (facts.raffle.cause.trimmed().isEmpty())
        return QStringLiteral("Le règlement dit la cause que sert la tombola, la seule raison pour laquelle la loi l'autorise : "
                              "choisissez-la dans « Modifier la tombola ». Rien n'a été écrit.");
    return {};
}

QString rulesHtml(const RaffleFacts& facts, const RulesChoices& choices)
{
    const Raffle& r = facts.raffle;
    const QString association = r.association.trimmed();
    QString html = QStringLiteral("<html><body style=\"font-family: sans-serif; font-size: 10pt\"><h2 align=\"center\">Règlement de la "
                                  "tombola</h2><p align=\"center\"><b>%1</b></p>")
                       .arg(r.name.toHtmlEscaped());
    html += article(1, QStringLiteral("Organisateur"),
                    para(QStringLiteral("L'association %1%2%3 organise une tombola intitulée « %4 ».")
                             .arg(association, r.rna.trimmed().isEmpty() ? QString() : QStringLiteral(" (RNA %1)").arg(r.rna.trimmed()),
                                  appositions(r), r.name.trimmed())));
    html += article(2, QStringLiteral("Objet"),
                    para(QStringLiteral("La tombola sert une cause %1%2. %3")
                             .arg(r.cause.trimmed(), r.purpose.trimmed().isEmpty() ? QString() : QStringLiteral(" : %1").arg(r.purpose.trimmed()),
                                  r.authorisation.trimmed().isEmpty() ? QStringLiteral("Elle est soumise à l'autorisation du maire.")
                                                                      : QStringLiteral("Elle est autorisée par le maire (%1).").arg(r.authorisation.trimmed())))
                        + (r.profitUse.trimmed().isEmpty() ? QString() : para(QStringLiteral("Ses bénéfices iront à : %1.").arg(r.profitUse.trimmed()))));
    QString tickets = facts.tickets > 0 ? QStringLiteral("%1 billets").arg(facts.tickets) : QStringLiteral("Les billets");
    if (!choices.firstLabel.isEmpty())
        tickets += QStringLiteral(", numérotés de %1 à %2,").arg(choices.firstLabel, choices.lastLabel);
    html += article(3, QStringLiteral("Billets"),
                    para(QStringLiteral("%1 sont vendus au prix de %2 l'un, jusqu'au tirage. Le nom et le téléphone de l'acheteur ne sont "
                                        "notés sur la souche que s'il le demande.")
                             .arg(tickets, moneyText(r.priceCents))));
    QString prizes;
    if (facts.prizes.empty())
        prizes = para(QStringLiteral("La liste des lots est affichée au lieu du tirage."));
    else {
        prizes = QStringLiteral("<ol>");
        for (const Prize& p : facts.prizes)
            prizes += QStringLiteral("<li>%1%2, d'une valeur de %3</li>")
                          .arg(p.description.toHtmlEscaped(), p.donor.isEmpty() ? QString() : QStringLiteral(", offert par %1").arg(p.donor.toHtmlEscaped()),
                               moneyText(p.valueCents));
        prizes += QStringLiteral("</ol>");
    }
    html += article(4, QStringLiteral("Lots"),
                    prizes + para(QStringLiteral("Les lots sont des objets ; aucun ne peut être échangé contre de l'argent.")));
    html += article(5, QStringLiteral("Tirage"), drawWords(facts, choices));
    const QDate claimEnd = r.drawDate.isValid() ? r.drawDate.addDays(choices.claimDays) : QDate();
    html += article(6, QStringLiteral("Gagnants"),
                    para(QStringLiteral("Les numéros gagnants sont annoncés au tirage, puis %1.")
                             .arg(choices.toldBy.trimmed().isEmpty() ? QStringLiteral("affichés par l'association") : choices.toldBy.trimmed()))
                        + para(QStringLiteral("Un lot se retire sur présentation du billet gagnant, dans les %1 jours qui suivent le tirage%2.")
                                   .arg(choices.claimDays)
                                   .arg(claimEnd.isValid() ? QStringLiteral(", soit jusqu'au %1").arg(frenchDay(claimEnd)) : QString())));
    html += article(7, QStringLiteral("Lots non réclamés"),
                    para(QStringLiteral("Passé ce délai, un lot non réclamé %1.")
                             .arg(choices.unclaimed.trimmed().isEmpty() ? QStringLiteral("reste à l'association, qui le remettra en jeu")
                                                                        : choices.unclaimed.trimmed())));
    html += article(8, QStringLiteral("Données personnelles"),
                    para(QStringLiteral("L'association ne garde le nom et le téléphone d'un acheteur que s'il les donne, pour le prévenir "
                                        "s'il gagne. Elle les efface à la fin du délai de retrait des lots%1 et ne les transmet à personne. "
                                        "Chacun peut demander à les voir, à les corriger ou à les effacer auprès de l'association.")
                             .arg(claimEnd.isValid() ? QStringLiteral(", le %1").arg(frenchDay(claimEnd)) : QString())));
    html += article(9, QStringLiteral("Acceptation"),
                    para(QStringLiteral("Acheter un billet, c'est accepter ce règlement. Il peut être consulté auprès de l'association.")));
    html += QStringLiteral("<p><br>Fait le %1.</p><p>Pour %2, le président ou la présidente%3 :</p></body></html>")
                .arg(frenchDay(facts.today), association.toHtmlEscaped(),
                     r.president.trimmed().isEmpty() ? QString() : QStringLiteral(", ") + r.president.trimmed().toHtmlEscaped());
    return html;
}

QString rulesPdfPath(const QString& odtPath)
{
    const QFileInfo odt(odtPath);
    return odt.dir().filePath(odt.completeBaseName() + QStringLiteral(".pdf"));
}

QString writeRules(const QString& html, const QString& odtPath)
{
    return writeAll({{odtPath,
                      [&](QIODevice& file) {
                          QTextDocument document;
                          document.setHtml(html);
                          document.setMetaInformation(QTextDocument::DocumentTitle, QStringLiteral("Règlement de la tombola"));
                          // The zip writer closes its device, which a file written whole must not be.
                          QBuffer zip;
                          zip.open(QIODevice::WriteOnly);
                          return QTextDocumentWriter(&zip, "odf").write(&document) && file.write(zip.data()) == zip.data().size();
                      }},
                     {rulesPdfPath(odtPath), [&](QIODevice& file) {
                          writePdfPages(html, QStringLiteral("Règlement de la tombola"), file);
                          return true;
                      }}});
}

} // namespace calvorigne
